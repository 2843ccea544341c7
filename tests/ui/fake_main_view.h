#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/frm_main.h"

namespace vexav6::ui {

// Records what the presenter shows, as the window would.
class FakeMainView : public frmMainView {
  public:
    void SetCaption(const std::string& text) override { caption = text; }
    void ClearRows() override { rows.clear(); }
    void AddRow(const AdapterRow& row) override { rows.push_back(row); }
    void SetRow(int index, const AdapterRow& row) override { rows.at(index) = row; }
    void RemoveRow(int index) override { rows.erase(rows.begin() + index); }
    void SetRowStatus(int index, const std::string& text) override {
        rows.at(index).linkStatus = text;
        statusTexts.push_back(text);
    }
    void SetRowChecked(int index, bool value) override { rows.at(index).checked = value; }
    void SelectRow(int index) override { selected = index; }
    void SetMenuEnabled(MainMenu item, bool value) override { enabled[item] = value; }
    void SetMenuChecked(MainMenu item, bool value) override { checked[item] = value; }
    void SelectTab(int value) override { tab = value; }
    void ShowWindow() override {
        visible = true;
        ++shows;
    }
    void HideWindow() override { visible = false; }
    bool IsWindowVisible() const override { return visible; }
    bool IsWindowEnabled() const override { return windowEnabled; }
    void CloseWindow() override { closed = true; }
    void ShowSplash() override { splash = true; }
    void SplashProgress(int percent) override { progress.push_back(percent); }
    void CloseSplash() override { splash = false; }
    void ShowHelpWindow(const std::string& caption_, const std::string& text, bool) override {
        helpCaption = caption_;
        helpText = text;
    }

    int Row(const std::string& name) const {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].connectionName == name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    std::string caption;
    std::vector<AdapterRow> rows;
    std::vector<std::string> statusTexts;
    int selected = -2;
    std::map<MainMenu, bool> enabled;
    std::map<MainMenu, bool> checked;
    int tab = 0;
    bool visible = false;
    bool windowEnabled = true;
    int shows = 0;
    bool closed = false;
    bool splash = false;
    std::vector<int> progress;
    std::string helpCaption;
    std::string helpText;
};

}  // namespace vexav6::ui
