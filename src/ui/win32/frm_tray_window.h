#pragma once

#include "platform/win32/windows_include.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "ui/frm_tray.h"

namespace vexav6::ui::win32 {

// The hidden tray window: it owns the notification-area icon (identifier 1, callback message
// 2025), the tray menu and the four animation frames, and forwards the icon's mouse messages and
// its own closing to the tray presenter.
class frmTrayWindow : public frmTrayView {
  public:
    // Menu command identifiers, in menu order.
    enum Command : int {
        kShowHide = 201,
        kCheckForUpdates,
        kHelpTopics,
        kWebsite,
        kBlog,
        kAbout,
        kExit
    };

    frmTrayWindow(const Platform& platform, TrayOwner& owner);
    ~frmTrayWindow() override;
    frmTrayWindow(const frmTrayWindow&) = delete;
    frmTrayWindow& operator=(const frmTrayWindow&) = delete;

    bool Create();
    HWND Handle() const { return window_; }
    HMENU Menu() const { return menu_; }
    frmTray& Presenter() { return *tray_; }
    int IconFrame() const { return frame_; }
    const std::wstring& Tip() const { return tip_; }
    // Where the menu pops up; the cursor position when not set (the test bench sets it).
    std::optional<POINT> menuPosition;
    // Runs while the menu is open (the test bench photographs it and picks an item).
    std::function<void(HMENU menu)> onMenuOpen;

    bool AddTrayIcon(int frame, const std::string& tip) override;
    void SetTrayIcon(int frame) override;
    void SetTrayTip(const std::string& tip) override;
    void RemoveTrayIcon() override;
    void SetShowHideCaption(const std::string& caption) override;
    std::optional<TrayCommand> PopupMenu() override;
    void Close() override;

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT OnMessage(HWND, UINT, WPARAM, LPARAM);
    bool Notify(DWORD action, UINT flags);

    Platform platform_;
    TrayOwner& owner_;
    std::unique_ptr<frmTray> tray_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    std::array<HICON, 4> frames_{};
    int frame_ = 3;
    std::wstring tip_;
    UINT taskbarCreated_ = 0;
    bool iconAdded_ = false;
};

// Draws the four frames of the tray icon: a network card whose link light goes from dark (0) to
// bright (3).
HICON MakeTrayFrame(int frame, int size);

}  // namespace vexav6::ui::win32
