#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "system/timer.h"

namespace vexav6::ui {

// The items of the tray menu, in menu order.
enum class TrayCommand { ShowHide, CheckForUpdates, HelpTopics, Website, Blog, About, Exit };

// What the tray presenter tells its hidden window: the notification-area icon (identifier 1,
// callback message 2025 to the tray window), the menu, and closing.
class frmTrayView {
  public:
    virtual ~frmTrayView() = default;

    // Installs the icon with one of the four animation frames (0 to 3) and the tip; false when
    // the shell refused it.
    virtual bool AddTrayIcon(int frame, const std::string& tip) = 0;
    virtual void SetTrayIcon(int frame) = 0;
    virtual void SetTrayTip(const std::string& tip) = 0;
    virtual void RemoveTrayIcon() = 0;

    virtual void SetShowHideCaption(const std::string& caption) = 0;
    // Shows and focuses the hidden tray window, pops the menu up at the cursor and hides the
    // window again once the menu is closed; answers the item chosen, if any.
    virtual std::optional<TrayCommand> PopupMenu() = 0;
    // Closes the tray window (its close comes back through QueryUnload).
    virtual void Close() = 0;
};

// What the tray needs of the main window.
class TrayOwner {
  public:
    virtual ~TrayOwner() = default;

    // False while a modal dialog is open over the main window.
    virtual bool MainWindowEnabled() = 0;
    virtual bool MainWindowVisible() = 0;
    virtual void ShowMainWindow(bool show) = 0;
    virtual void CheckForUpdates() = 0;
    virtual void ShowAbout() = 0;
    // Saves the window's state before the program ends.
    virtual void Dispose() = 0;
    // Ends the program (the message loop).
    virtual void EndProgram() = 0;
};

// Texts and addresses of the tray.
namespace TrayTexts {
inline constexpr const char* kShowWindow = "&Show Window";
inline constexpr const char* kHideWindow = "&Hide Window";
inline constexpr const char* kShowHide = "&Show/Hide Window";
inline constexpr const char* kCheckForUpdates = "Check For Software &Updates";
inline constexpr const char* kHelpTopics = "&Help Topics";
inline constexpr const char* kWebsite = "Korvaldine &Website";
inline constexpr const char* kBlog = "Korvaldine &Blog";
inline constexpr const char* kAbout = "&About Korvaldine MAC Address Changer";
inline constexpr const char* kExit = "E&xit";
}  // namespace TrayTexts

// The mouse messages the tray icon's callback carries.
inline constexpr uint32_t kTrayCallbackMessage = 2025;
inline constexpr uint32_t kTrayLeftButtonUp = 514;
inline constexpr uint32_t kTrayRightButtonUp = 517;
// The shell keeps at most 64 characters of a tip.
inline constexpr size_t kTrayTipLength = 64;

// The notification-area icon of the main window: its tip, its busy animation, its menu and the
// program's exit through it.
class frmTray {
  public:
    frmTray(const Platform& platform, frmTrayView& view, TrayOwner& owner);

    // Installs the icon with its tip (cut to 64 characters); a second call while it is
    // installed does nothing.
    void LoadIcon(std::string_view tip);
    // Stops the animation and removes the icon when it is installed.
    void RemoveTray();
    // Shows the still frame (3) and starts or stops the animation.
    void Animation(bool enabled);
    // The tray menu's Exit.
    void ExitApp();
    // Replaces the tip while the icon is installed.
    void SetTip(std::string_view tip);

    // The icon's callback message: the mouse message it carries. Ignored while the main window is
    // disabled behind a modal dialog.
    void OnTrayCallback(uint32_t mouseMessage);
    void OnMenuCommand(TrayCommand command);
    // The tray window is being closed: true cancels the close (the exit sequence runs instead).
    bool QueryUnload();

    bool Installed() const { return installed_; }
    int Frame() const { return frame_; }
    bool Animating() const { return animationTimer_.Status(); }

  private:
    void ToggleMainWindow();
    void AnimationTimer_Timer();
    void ExitTimer_Timer();

    Platform platform_;
    frmTrayView& view_;
    TrayOwner& owner_;
    Timer animationTimer_;
    Timer exitTimer_;
    bool installed_ = false;
    bool exitChosen_ = false;
    int frame_ = 0;
    bool forward_ = false;
};

// The tray window as the main window holds it: made when "System Tray Icon" is switched on and
// destroyed, its icon with it, when it is switched off.
class TrayWindow {
  public:
    virtual ~TrayWindow() = default;
    virtual frmTray& Presenter() = 0;
};

}  // namespace vexav6::ui
