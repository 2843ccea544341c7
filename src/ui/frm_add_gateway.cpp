#include "ui/frm_add_gateway.h"

#include "ipconfig/mask_rules.h"

namespace vexav6::ui {

namespace {
constexpr const char* kPersistentGateway = "Persistent Default Gateway";
}  // namespace

frmAddGWv4::frmAddGWv4() : IPDialog(Kind::AddGWv4, "Add IPv4 Default Gateway", kPersistentGateway) {
    AddTextBox(DialogControl::Metric, "0");
}

void frmAddGWv4::CopyInputs() {
    ipv4Gateway_ = gatewayIP_.Text();
    ipv4Metric_ = MaskRules::LeadingRoundedNumber(TextOf(DialogControl::Metric));
    ipv4Persistent_ = CheckBoxChecked();
}

void frmAddGWv4::ShowInputs() {
    View()->FocusControl(DialogControl::Address);
}

frmAddGWv6::frmAddGWv6() : IPDialog(Kind::AddGWv6, "Add IPv6 Default Gateway", kPersistentGateway) {
    AddTextBox(DialogControl::Address, "");
    AddTextBox(DialogControl::Metric, "0");
}

void frmAddGWv6::SetFirstDigit(int digit) {
    ShowText(DialogControl::Address, std::to_string(digit));
}

void frmAddGWv6::CopyInputs() {
    ipv6Gateway_ = TextOf(DialogControl::Address);
    ipv6Metric_ = MaskRules::LeadingRoundedNumber(TextOf(DialogControl::Metric));
    ipv6Persistent_ = CheckBoxChecked();
}

void frmAddGWv6::ShowInputs() {
    View()->FocusControl(DialogControl::Address);
}

}  // namespace vexav6::ui
