#pragma once

#include <cstdint>
#include <string>

#include "ui/ip_address.h"
#include "ui/ip_dialog.h"

namespace vexav6::ui {

// "Add IPv4 Default Gateway": a four-part gateway box (GatewayIP), "Route Metric" (txtMetric,
// first "0") and "Persistent Default Gateway".
class frmAddGWv4 : public IPDialog {
  public:
    frmAddGWv4();

    IPAddress& GatewayIP() { return gatewayIP_; }

    // The values the panel reads after the dialog was confirmed. The metric is the number the
    // metric text begins with, rounded to a whole number.
    const std::string& IPv4Gateway() const { return ipv4Gateway_; }
    int64_t IPv4Metric() const { return ipv4Metric_; }
    bool IPv4Persistent() const { return ipv4Persistent_; }

  protected:
    void CopyInputs() override;
    void ShowInputs() override;

  private:
    IPAddress gatewayIP_;
    std::string ipv4Gateway_;
    int64_t ipv4Metric_ = 0;
    bool ipv4Persistent_ = false;
};

// "Add IPv6 Default Gateway": a gateway text box (GatewayIP), "Route Metric" (first "0") and
// "Persistent Default Gateway".
class frmAddGWv6 : public IPDialog {
  public:
    frmAddGWv6();

    // Puts a typed digit into the gateway box, with the caret after it.
    void SetFirstDigit(int digit);

    const std::string& IPv6Gateway() const { return ipv6Gateway_; }
    int64_t IPv6Metric() const { return ipv6Metric_; }
    bool IPv6Persistent() const { return ipv6Persistent_; }

  protected:
    void CopyInputs() override;
    void ShowInputs() override;

  private:
    std::string ipv6Gateway_;
    int64_t ipv6Metric_ = 0;
    bool ipv6Persistent_ = false;
};

}  // namespace vexav6::ui
