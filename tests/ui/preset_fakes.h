#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "presets/property_list.h"
#include "ui/frm_create_preset.h"
#include "ui/frm_import_export_presets.h"
#include "ui/preset_panel.h"

namespace vexav6::ui {

// A details list that keeps its rows as "property: value" lines.
class RecordedList : public PropertyList {
  public:
    void Clear() override {
        columns.clear();
        rows.clear();
    }
    void AddColumn(const std::string& header, int32_t) override { columns.push_back(header); }
    void AddRow(const std::string& property, const std::string& value) override {
        rows.push_back(property + ": " + value);
    }
    std::vector<std::string> columns;
    std::vector<std::string> rows;
};

// The preset panel's window: a list whose selection the test sets as a user's clicks would.
class FakePresetPanelView : public PresetPanelView {
  public:
    void SetCaption(const std::string& text) override { caption = text; }
    void ShowPresets(const std::vector<std::string>& shown, int selected) override {
        names = shown;
        selection = selected >= 0 ? std::vector<int>{selected} : std::vector<int>{};
    }
    std::vector<int> SelectedRows() const override { return selection; }
    int CurrentRow() const override { return selection.empty() ? -1 : selection.front(); }
    void SetButtonsEnabled(bool edit, bool deleteAndApply) override {
        editEnabled = edit;
        deleteApplyEnabled = deleteAndApply;
    }
    PropertyList& Details() override { return details; }

    int Row(const std::string& name) const {
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] == name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    std::string caption;
    std::vector<std::string> names;
    std::vector<int> selection;
    bool editEnabled = false;
    bool deleteApplyEnabled = false;
    RecordedList details;
};

// The preset editor's window: texts, check marks and enabled states by control.
class FakeEditorView : public frmCreatePresetView {
  public:
    void SetCaption(const std::string& text) override { caption = text; }
    void SetText(PresetControl control, const std::string& text) override { texts[control] = text; }
    std::string Text(PresetControl control) const override {
        const auto it = texts.find(control);
        return it != texts.end() ? it->second : std::string();
    }
    void SetChecked(PresetControl control, bool value) override { checked[control] = value; }
    void SetEnabled(PresetControl control, bool value) override { enabled[control] = value; }
    void Focus(PresetControl control) override { focus = control; }
    void ShowTab(int value) override { tab = value; }
    void BindIPv4Panel(const std::shared_ptr<Preset>& preset) override { ipv4 = preset; }
    void BindIPv6Panel(const std::shared_ptr<Preset>& preset) override { ipv6 = preset; }
    void Close() override { closed = true; }

    std::string caption;
    std::map<PresetControl, std::string> texts;
    std::map<PresetControl, bool> checked;
    std::map<PresetControl, bool> enabled;
    PresetControl focus = PresetControl::Name;
    int tab = -1;
    std::shared_ptr<Preset> ipv4;
    std::shared_ptr<Preset> ipv6;
    bool closed = false;
};

// The picker's window.
class FakePickerView : public frmImportExportPresetsView {
  public:
    void SetCaption(const std::string& text) override { caption = text; }
    void ShowPresets(const std::vector<std::string>& shown) override { names = shown; }
    void SetChecked(int, bool) override {}
    void SetOKEnabled(bool value) override { okEnabled = value; }
    PropertyList& Details() override { return details; }
    void Close() override { closed = true; }

    std::string caption;
    std::vector<std::string> names;
    bool okEnabled = false;
    RecordedList details;
    bool closed = false;
};

}  // namespace vexav6::ui
