#include "ui/frm_add_dns.h"

#include <optional>

namespace vexav6::ui {

frmAddDNSv4::frmAddDNSv4() : IPDialog(Kind::AddDNSv4, "Add IPv4 DNS Server", std::nullopt) {}

void frmAddDNSv4::CopyInputs() {
    ipv4DNS_ = dnsIP_.Text();
}

void frmAddDNSv4::ShowInputs() {
    View()->FocusControl(DialogControl::Address);
}

frmAddDNSv6::frmAddDNSv6() : IPDialog(Kind::AddDNSv6, "Add IPv6 DNS Server", std::nullopt) {
    AddTextBox(DialogControl::Address, "");
}

void frmAddDNSv6::SetFirstDigit(int digit) {
    ShowText(DialogControl::Address, std::to_string(digit));
}

void frmAddDNSv6::CopyInputs() {
    ipv6DNS_ = TextOf(DialogControl::Address);
}

void frmAddDNSv6::ShowInputs() {
    View()->FocusControl(DialogControl::Address);
}

}  // namespace vexav6::ui
