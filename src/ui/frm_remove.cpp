#include "ui/frm_remove.h"

#include <utility>

namespace vexav6::ui {

frmRemove::frmRemove()
    : IPDialog(Kind::Remove, "Remove IPv4 Address?", "Permanently Remove IPv4 Address") {
    AddTextBox(DialogControl::Question, "Are you sure to remove the selected IPv4 addresses?");
}

void frmRemove::SetTexts(std::string caption, const std::string& question, std::string checkBox) {
    SetCaption(std::move(caption));
    ShowText(DialogControl::Question, question);
    SetCheckBoxText(std::move(checkBox));
}

void frmRemove::CopyInputs() {
    persistent_ = CheckBoxChecked();
}

}  // namespace vexav6::ui
