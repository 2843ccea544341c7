#pragma once

#include <string>

#include "ui/ip_dialog.h"

namespace vexav6::ui {

// "Add IPv6 Address": an address text box, the prefix length box (Prefix, first "64") and
// "Persistent IP Address".
class frmAddIPv6 : public IPDialog {
  public:
    frmAddIPv6();

    // Puts a typed digit into the address box, with the caret after it.
    void SetFirstDigit(int digit);

    // The values the panel reads after the dialog was confirmed; the prefix as typed.
    const std::string& IPv6Address() const { return ipv6Address_; }
    const std::string& IPv6Prefix() const { return ipv6Prefix_; }
    bool IPv6Persistent() const { return ipv6Persistent_; }

  protected:
    void CopyInputs() override;
    void ShowInputs() override;

  private:
    std::string ipv6Address_;
    std::string ipv6Prefix_;
    bool ipv6Persistent_ = false;
};

}  // namespace vexav6::ui
