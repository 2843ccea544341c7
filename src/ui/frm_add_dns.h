#pragma once

#include <string>

#include "ui/ip_address.h"
#include "ui/ip_dialog.h"

namespace vexav6::ui {

// "Add IPv4 DNS Server": one four-part box (DNSIP), no check box: DNS servers are always stored.
class frmAddDNSv4 : public IPDialog {
  public:
    frmAddDNSv4();

    IPAddress& DNSIP() { return dnsIP_; }
    const std::string& IPv4DNS() const { return ipv4DNS_; }

  protected:
    void CopyInputs() override;
    void ShowInputs() override;

  private:
    IPAddress dnsIP_;
    std::string ipv4DNS_;
};

// "Add IPv6 DNS Server": one text box (DNSIP).
class frmAddDNSv6 : public IPDialog {
  public:
    frmAddDNSv6();

    // Puts a typed digit into the server box, with the caret after it.
    void SetFirstDigit(int digit);
    const std::string& IPv6DNS() const { return ipv6DNS_; }

  protected:
    void CopyInputs() override;
    void ShowInputs() override;

  private:
    std::string ipv6DNS_;
};

}  // namespace vexav6::ui
