#include "ui/frm_add_ipv4.h"

#include "ipconfig/mask_rules.h"

namespace vexav6::ui {

frmAddIPv4::frmAddIPv4() : IPDialog(Kind::AddIPv4, "Add IPv4 Address", "Persistent IP Address") {
    AddTextBox(DialogControl::Prefix, "");
    subnetMask_.onChange = [this] { MaskChanged(); };
}

void frmAddIPv4::TextChanged(DialogControl control, const std::string& text) {
    const bool changed = TextOf(control) != text;
    IPDialog::TextChanged(control, text);
    if (control == DialogControl::Prefix && changed) {
        PrefixChanged();
    }
}

void frmAddIPv4::GotFocus(DialogControl control) {
    if (control == DialogControl::Prefix && View() != nullptr) {
        View()->SelectAllText(DialogControl::Prefix);
    }
}

void frmAddIPv4::CopyInputs() {
    ipv4Address_ = address_.Text();
    ipv4Mask_ = subnetMask_.Text();
    ipv4Persistent_ = CheckBoxChecked();
}

void frmAddIPv4::ShowInputs() {
    if (View() != nullptr) {
        View()->FocusControl(DialogControl::Address);
    }
}

void frmAddIPv4::MaskChanged() {
    if (syncing_) {
        return;
    }
    syncing_ = true;
    const MaskRules::MaskPrefix prefix = MaskRules::SubnetMaskToPrefixLength(subnetMask_.Text());
    if (prefix.stoppedAtUnknownOctet) {
        Beep();
    }
    ShowText(DialogControl::Prefix, std::to_string(prefix.prefixLength));
    syncing_ = false;
}

void frmAddIPv4::PrefixChanged() {
    if (syncing_) {
        return;
    }
    syncing_ = true;
    const auto mask = MaskRules::PrefixLengthToSubnetMask(TextOf(DialogControl::Prefix));
    if (mask) {
        subnetMask_.SetText(*mask);
    } else {
        ShowText(DialogControl::Prefix, "");
        Beep();
    }
    syncing_ = false;
}

}  // namespace vexav6::ui
