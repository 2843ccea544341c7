#include "ui/ip_dialog.h"

#include <utility>

namespace vexav6::ui {

IPDialog::IPDialog(Kind kind, std::string caption, std::optional<std::string> checkBoxText)
    : kind_(kind), caption_(std::move(caption)), checkBoxText_(std::move(checkBoxText)) {}

const std::string& IPDialog::CheckBoxText() const {
    static const std::string kNone;
    return checkBoxText_ ? *checkBoxText_ : kNone;
}

void IPDialog::PrepareCheckBox(bool checked, bool enabled) {
    checked_ = checked;
    checkEnabled_ = enabled;
    if (view_ != nullptr && HasCheckBox()) {
        view_->SetCheckBox(checked_, checkEnabled_);
    }
}

const std::string& IPDialog::TextOf(DialogControl control) const {
    static const std::string kNone;
    const auto it = texts_.find(control);
    return it == texts_.end() ? kNone : it->second;
}

void IPDialog::AttachView(IPDialogView* view) {
    view_ = view;
    if (view_ == nullptr) {
        return;
    }
    for (const auto& [control, text] : texts_) {
        view_->SetControlText(control, text);
    }
    if (HasCheckBox()) {
        view_->SetControlText(DialogControl::CheckBox, *checkBoxText_);
        view_->SetCheckBox(checked_, checkEnabled_);
    }
    ShowInputs();
}

void IPDialog::TextChanged(DialogControl control, const std::string& text) {
    const auto it = texts_.find(control);
    if (it != texts_.end()) {
        it->second = text;
    }
}

void IPDialog::CheckBoxClicked(bool checked) {
    if (checkEnabled_) {
        checked_ = checked;
    } else if (view_ != nullptr) {
        view_->SetCheckBox(checked_, checkEnabled_);
    }
}

void IPDialog::Confirm() {
    CopyInputs();
    result_ = dialogresult::kConfirmed;
    if (view_ != nullptr) {
        view_->Close();
    }
}

void IPDialog::Cancel() {
    result_ = dialogresult::kCancelled;
    if (view_ != nullptr) {
        view_->Close();
    }
}

void IPDialog::AddTextBox(DialogControl control, std::string text) {
    texts_[control] = std::move(text);
}

void IPDialog::ShowText(DialogControl control, const std::string& text) {
    texts_[control] = text;
    if (view_ != nullptr) {
        view_->SetControlText(control, text);
    }
}

void IPDialog::Beep() {
    if (view_ != nullptr) {
        view_->Beep();
    }
}

}  // namespace vexav6::ui
