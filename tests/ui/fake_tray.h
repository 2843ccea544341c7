#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/frm_tray.h"

namespace vexav6::testing {

// The hidden tray window as its presenter sees it: what it did to the icon, and the menu choice
// to answer. Closing it asks the presenter, as the window's close does.
class FakeTrayView : public ui::frmTrayView {
  public:
    bool AddTrayIcon(int frame, const std::string& tip) override {
        log.push_back("add " + std::to_string(frame) + " " + tip);
        return true;
    }
    void SetTrayIcon(int frame) override { frames.push_back(frame); }
    void SetTrayTip(const std::string& tip) override { log.push_back("tip " + tip); }
    void RemoveTrayIcon() override { log.push_back("remove"); }
    void SetShowHideCaption(const std::string& caption) override { menuCaption = caption; }
    std::optional<ui::TrayCommand> PopupMenu() override {
        log.push_back("menu");
        return menuChoice;
    }
    void Close() override {
        if (!presenter->QueryUnload()) {
            log.push_back("closed");
        }
    }

    ui::frmTray* presenter = nullptr;
    std::vector<std::string> log;
    std::vector<int> frames;
    std::string menuCaption;
    std::optional<ui::TrayCommand> menuChoice;
};

}  // namespace vexav6::testing
