#include "ui/frm_add_ipv6.h"

namespace vexav6::ui {

frmAddIPv6::frmAddIPv6() : IPDialog(Kind::AddIPv6, "Add IPv6 Address", "Persistent IP Address") {
    AddTextBox(DialogControl::Address, "");
    AddTextBox(DialogControl::Prefix, "64");
}

void frmAddIPv6::SetFirstDigit(int digit) {
    ShowText(DialogControl::Address, std::to_string(digit));
}

void frmAddIPv6::CopyInputs() {
    ipv6Address_ = TextOf(DialogControl::Address);
    ipv6Prefix_ = TextOf(DialogControl::Prefix);
    ipv6Persistent_ = CheckBoxChecked();
}

void frmAddIPv6::ShowInputs() {
    View()->FocusControl(DialogControl::Address);
}

}  // namespace vexav6::ui
