#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/frm_tray.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The hidden tray window: it owns the notification-area icon (identifier 1, callback message
// 2025), the tray menu and the four animation frames, and forwards the icon's mouse messages and
// its own closing to the tray presenter.
class frmTrayWindow : public Window, public frmTrayView, public TrayWindow {
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
    // Removes the icon.
    ~frmTrayWindow() override;

    // Makes the hidden window, its menu and the four frames.
    void Create();
    HMENU Menu() const { return menu_.Get(); }
    frmTray& Presenter() override { return *tray_; }
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

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool Notify(DWORD action, UINT flags);

    TrayOwner& owner_;
    std::unique_ptr<frmTray> tray_;
    ScopedMenu menu_;
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
