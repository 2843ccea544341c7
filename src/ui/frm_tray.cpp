#include "ui/frm_tray.h"

#include "system/path.h"
#include "ui/maker_links.h"

namespace vexav6::ui {
namespace {

constexpr int kStillFrame = 3;
constexpr int kLastFrame = 3;
constexpr int32_t kAnimationInterval = 500;
constexpr int32_t kExitDelay = 500;

std::string CutTip(std::string_view tip) {
    return std::string(tip.substr(0, kTrayTipLength));
}

}  // namespace

frmTray::frmTray(const Platform& platform, frmTrayView& view, TrayOwner& owner)
    : platform_(platform),
      view_(view),
      owner_(owner),
      animationTimer_(platform),
      exitTimer_(platform) {
    animationTimer_.onTimer = [this] { AnimationTimer_Timer(); };
    exitTimer_.onTimer = [this] { ExitTimer_Timer(); };
}

void frmTray::LoadIcon(std::string_view tip) {
    if (installed_) {
        return;
    }
    installed_ = view_.AddTrayIcon(kStillFrame, CutTip(tip));
}

void frmTray::RemoveTray() {
    animationTimer_.StopTimer();
    if (installed_) {
        view_.RemoveTrayIcon();
        installed_ = false;
    }
}

void frmTray::Animation(bool enabled) {
    if (installed_) {
        view_.SetTrayIcon(kStillFrame);
    }
    if (enabled) {
        animationTimer_.StartTimer(kAnimationInterval);
    } else {
        animationTimer_.StopTimer();
    }
}

void frmTray::SetTip(std::string_view tip) {
    if (installed_) {
        view_.SetTrayTip(CutTip(tip));
    }
}

void frmTray::AnimationTimer_Timer() {
    frame_ += forward_ ? 1 : -1;
    if (frame_ < 0) {
        frame_ = 0;
        forward_ = true;
    } else if (frame_ > kLastFrame) {
        frame_ = kLastFrame;
        forward_ = false;
    }
    if (installed_) {
        view_.SetTrayIcon(frame_);
    }
}

void frmTray::OnTrayCallback(uint32_t mouseMessage) {
    if (!owner_.MainWindowEnabled()) {
        return;
    }
    if (mouseMessage == kTrayLeftButtonUp) {
        ToggleMainWindow();
    } else if (mouseMessage == kTrayRightButtonUp) {
        view_.SetShowHideCaption(owner_.MainWindowVisible() ? TrayTexts::kHideWindow
                                                            : TrayTexts::kShowWindow);
        if (const std::optional<TrayCommand> command = view_.PopupMenu()) {
            OnMenuCommand(*command);
        }
    }
}

void frmTray::ToggleMainWindow() {
    owner_.ShowMainWindow(!owner_.MainWindowVisible());
}

void frmTray::OnMenuCommand(TrayCommand command) {
    using platform::ShowCommand;
    switch (command) {
        case TrayCommand::ShowHide:
            ToggleMainWindow();
            break;
        case TrayCommand::CheckForUpdates:
            owner_.CheckForUpdates();
            break;
        case TrayCommand::HelpTopics:
            // Opening help or a web page reports nothing when the shell cannot.
            platform_.system.ShellExecute(
                "open", Path::CombinePath(Path::GetProgramFolder(platform_), links::kHelpFile), "",
                "", ShowCommand::Normal);
            break;
        case TrayCommand::Website:
            platform_.system.ShellExecute("open", links::kWebsite, "", "", ShowCommand::Normal);
            break;
        case TrayCommand::Blog:
            platform_.system.ShellExecute("open", links::kBlog, "", "", ShowCommand::Normal);
            break;
        case TrayCommand::About:
            owner_.ShowAbout();
            break;
        case TrayCommand::Exit:
            ExitApp();
            break;
    }
}

void frmTray::ExitApp() {
    exitChosen_ = true;
    view_.Close();
}

bool frmTray::QueryUnload() {
    if (!exitChosen_) {
        // Closed by the system (shut-down): only the icon goes.
        RemoveTray();
        return false;
    }
    owner_.ShowMainWindow(false);
    owner_.Dispose();
    RemoveTray();
    // The shell takes the icon away before the program ends.
    exitTimer_.StartTimer(kExitDelay);
    return true;
}

void frmTray::ExitTimer_Timer() {
    exitTimer_.StopTimer();
    owner_.EndProgram();
}

}  // namespace vexav6::ui
