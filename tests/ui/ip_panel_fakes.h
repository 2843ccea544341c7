#pragma once

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/ip_address.h"
#include "ui/ip_dialog.h"
#include "ui/ip_panel.h"

namespace vexav6::testing {

// The four edit controls of an IPAddress box as a window holds them: texts, carets, focus.
class FakeBoxView : public ui::IPAddressView {
  public:
    void ShowPart(int part, const std::string& text, ui::PartSelection selection) override {
        texts[part] = text;
        selections[part] = selection;
    }
    void FocusPart(int part, ui::PartSelection selection) override {
        focus = part;
        selections[part] = selection;
    }
    void Beep() override { ++beeps; }

    // Types characters into the part with the focus, at its caret, as WM_CHAR messages do.
    void Type(ui::IPAddress& box, std::u32string_view keys) {
        for (char32_t key : keys) {
            box.KeyPress(focus, key, selections[focus]);
        }
    }

    std::array<std::string, 4> texts;
    std::array<ui::PartSelection, 4> selections{};
    int focus = -1;
    int beeps = 0;
};

// A panel window: rows, headers, enabled states, the user's selection and the clipboard.
class FakePanelView : public ui::IPPanelView {
  public:
    struct List {
        std::vector<ui::IPRow> rows;
        std::string header;
        bool enabled = false;
        std::vector<int> selected;
        std::optional<int> current;
    };

    void SetCaption(const std::string& text) override { caption = text; }
    void SetRows(ui::IPList list, const std::vector<ui::IPRow>& rows) override {
        At(list).rows = rows;
        At(list).selected.clear();
        At(list).current.reset();
    }
    void SetColumnHeader(ui::IPList list, int column, const std::string& text) override {
        if (column == 0) {
            At(list).header = text;
        }
    }
    void SetListEnabled(ui::IPList list, bool enabled) override { At(list).enabled = enabled; }
    std::vector<int> SelectedRows(ui::IPList list) const override { return At(list).selected; }
    std::optional<int> CurrentRow(ui::IPList list) const override { return At(list).current; }
    void SelectRows(ui::IPList list, const std::vector<int>& rows,
                    std::optional<int> current) override {
        At(list).selected = rows;
        At(list).current = current;
    }
    void CopyToClipboard(const std::string& text) override { clipboard = text; }

    // The user selects rows (the first one gets the focus).
    void Select(ui::IPList list, std::vector<int> rows) {
        At(list).current = rows.empty() ? std::nullopt : std::optional<int>(rows.front());
        At(list).selected = std::move(rows);
    }
    // The first column of every row.
    std::vector<std::string> Keys(ui::IPList list) const {
        std::vector<std::string> keys;
        for (const ui::IPRow& row : At(list).rows) {
            keys.push_back(row.front());
        }
        return keys;
    }

    List& At(ui::IPList list) { return lists[static_cast<size_t>(list)]; }
    const List& At(ui::IPList list) const { return lists[static_cast<size_t>(list)]; }

    std::string caption;
    std::array<List, 3> lists;
    std::string clipboard;
};

// Answers the panels' dialogs as a user would, from a script; records what each dialog showed.
class ScriptedDialogs : public ui::IPDialogHost {
  public:
    struct Shown {
        ui::IPDialog::Kind kind;
        std::string caption;
        std::string question;
        std::string checkBox;
        bool checked = false;
        bool checkEnabled = false;
    };
    using Answer = std::function<void(ui::IPDialog&)>;

    void ShowDialog(ui::IPDialog& dialog) override {
        shown.push_back(Shown{dialog.DialogKind(), dialog.Caption(),
                              dialog.TextOf(ui::DialogControl::Question), dialog.CheckBoxText(),
                              dialog.CheckBoxChecked(), dialog.CheckBoxEnabled()});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog.Caption();
            dialog.Cancel();
            return;
        }
        Answer answer = std::move(answers.front());
        answers.pop_front();
        answer(dialog);
    }

    // The next dialog is answered by `answer`, which must confirm or cancel it.
    template <class Dialog>
    void Then(std::function<void(Dialog&)> answer) {
        answers.push_back([answer = std::move(answer)](ui::IPDialog& dialog) {
            auto* typed = dynamic_cast<Dialog*>(&dialog);
            ASSERT_NE(typed, nullptr) << "another dialog came: " << dialog.Caption();
            answer(*typed);
        });
    }
    void ThenConfirm() {
        answers.push_back([](ui::IPDialog& dialog) { dialog.Confirm(); });
    }

    std::deque<Answer> answers;
    std::vector<Shown> shown;
};

}  // namespace vexav6::testing
