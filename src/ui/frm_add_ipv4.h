#pragma once

#include <string>

#include "ui/ip_address.h"
#include "ui/ip_dialog.h"

namespace vexav6::ui {

// "Add IPv4 Address": an address box, a subnet mask box and a prefix box (txtCIDR) kept in step
// with the mask, and "Persistent IP Address".
class frmAddIPv4 : public IPDialog {
  public:
    frmAddIPv4();

    IPAddress& Address() { return address_; }
    IPAddress& SubnetMask() { return subnetMask_; }

    void TextChanged(DialogControl control, const std::string& text) override;
    // The prefix box selects its whole text when it gets the focus.
    void GotFocus(DialogControl control) override;

    // The values the panel reads after the dialog was confirmed.
    const std::string& IPv4Address() const { return ipv4Address_; }
    const std::string& IPv4Mask() const { return ipv4Mask_; }
    bool IPv4Persistent() const { return ipv4Persistent_; }

  protected:
    void CopyInputs() override;
    void ShowInputs() override;

  private:
    // A changed mask shows its prefix length (an octet that is no mask octet beeps, and the bits
    // counted before it are shown); a changed prefix shows its mask (a length outside 0..32
    // empties the prefix box with a beep). The flag keeps each update from starting the other.
    void MaskChanged();
    void PrefixChanged();

    IPAddress address_;
    IPAddress subnetMask_;
    bool syncing_ = false;
    std::string ipv4Address_;
    std::string ipv4Mask_;
    bool ipv4Persistent_ = false;
};

}  // namespace vexav6::ui
