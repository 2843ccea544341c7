#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/sim/machine.h"
#include "platform/win32/windows_include.h"
#include "support/temp_dir.h"
#include "ui/main_menu.h"
#include "ui/win32/frm_main_window.h"

namespace vexav6::testing {

// The window test bench: the program's real main window, over a simulated machine loaded from a
// machine file, driven with the window messages a user's actions send, and read back through the
// controls themselves. Message boxes and file dialogs go to the machine's recording user
// interface, which answers them from the test's script.
//
// The program's folder is a fresh temporary folder: a test puts oui.db, Default.kpf or
// vexav6.set there before it opens the window.
class WindowBench : public ::testing::Test {
  protected:
    WindowBench();
    ~WindowBench() override;

    // Loads tests/fixtures/machines/<name> into the machine.
    void LoadMachine(const std::string& name);
    // Copies the full vendor database of the build (made from the IEEE listing) beside the
    // program.
    void CopyVendorDatabase();

    // Creates and loads the main window; false when the load failed.
    bool Open();
    ui::win32::frmMainWindow& Window() { return *window_; }
    ui::frmMain& Presenter() { return window_->Presenter(); }
    HWND Main() const { return window_->Handle(); }

    // Runs the messages waiting for this thread as the program's loop would (keys, dialog keys).
    void Pump();
    // Lets simulated time pass (timers fire), pumping after each second.
    void Wait(int milliseconds);

    // --- Driving ---
    // A menu command or key command, as the menu bar sends it.
    void Command(ui::MainMenu item);
    // A key pressed on the focused control (down, char where there is one, up), then pumped.
    void Key(UINT virtualKey, bool ctrl = false, bool shift = false);
    // Focuses the row and selects it, as a click on it does.
    void ClickRow(int row);
    // Toggles the row's check box with the Space key, as a user does.
    void ToggleCheck(int row);

    // --- Reading back ---
    int RowCount() const;
    int RowOf(const std::string& connectionName) const;
    std::string Cell(int row, int column) const;
    bool Checked(int row) const;
    int SelectedRow() const;
    std::string Caption() const;
    std::string TextOf(HWND window) const;
    bool MenuEnabled(ui::MainMenu item) const;
    bool MenuChecked(ui::MainMenu item) const;
    int CurrentTab() const;
    bool PageVisible(int tab) const;
    std::string DetailsField(ui::DetailsField field) const;

    // Photographs the window (with its frame) into the screenshot folder as <name>.png. `raise`
    // brings it to the front first; without, what covers it (an open menu) is in the picture.
    void Screenshot(HWND window, const std::string& name, bool raise = true);
    void Screenshot(const std::string& name) { Screenshot(Main(), name); }

    // Runs `handle` with the next modal window or dialog as soon as it shows; `handle` must close
    // it.
    void OnNextModal(std::function<void(HWND)> handle);

    sim::Machine machine;
    Platform platform;
    TempDir folder;

  private:
    std::unique_ptr<ui::win32::frmMainWindow> window_;
};

}  // namespace vexav6::testing
