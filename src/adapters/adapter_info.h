#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/keyed_collection.h"
#include "base/ole_date.h"
#include "ipconfig/ip_config_owner.h"
#include "platform/platform.h"
#include "system/timer.h"

namespace vexav6 {

class IPv4Addresses;
class IPv4Gateways;
class IPv4NameServers;
class IPv6Addresses;
class IPv6Gateways;
class IPv6NameServers;

// Recent traffic speeds of an adapter, oldest sample first: entry [i][0] is the received and
// [i][1] the sent speed of sample i in kilobits per second; the last row is the newest sample.
// Rows not filled yet hold no value.
using NetworkTrafficChart = std::vector<std::array<std::optional<double>, 2>>;

// The company name registered for an OUI (the first three octets of a MAC address read as a
// 24-bit number), as the vendor database answers it with neither address nor number, for
// instance [&](int32_t oui) { return vendors.GetVendor(oui, false, false); }.
using VendorNameLookup = std::function<std::string(int32_t oui)>;

// One network adapter: its identity, its MAC addresses (active, stored for the next start of the
// driver, and the original one recorded the first time the program saw it), link state, the
// TCP/IP bindings and its IP configuration. The only way the program reads and changes an
// adapter. Made by DeviceManager::GetNetworkAdapters, which calls Init once.
//
// The IP configuration objects reach the adapter through IpConfigOwner; the adapter must stay
// alive while they are used. It can be neither copied nor moved (its traffic timer points at it).
class AdapterInfo : public IpConfigOwner {
  public:
    // `reportError` shows what a refresh with error messages meets; without one they are dropped.
    explicit AdapterInfo(const Platform& platform, ErrorReporter reportError = {});
    ~AdapterInfo() override;
    AdapterInfo(const AdapterInfo&) = delete;
    AdapterInfo& operator=(const AdapterInfo&) = delete;

    // Stores the identity found by enumeration and refreshes once, showing errors. A second call
    // fails with error 1 "Init already done".
    void Init(const std::string& netCfgInstanceId, const std::string& driverRegistryPath,
              const std::string& ipConfigRegistryPath, const std::string& deviceDescription,
              const std::string& deviceHardwareID, const std::string& deviceManufacturer,
              bool state, int32_t timeZoneActiveBias);

    // Stores a new MAC address (any case, "-" between pairs allowed) as the value the driver reads
    // at its next start; the empty text removes a stored address. Takes effect when the device is
    // restarted through State.
    void ChangeNetworkAddress(std::string_view networkAddress);
    // Why a new MAC address cannot be an adapter's address ("Invalid MAC address format.", "... is
    // a multicast address" ...), or nothing when it can: twelve hex digits with "-" between pairs
    // allowed, not a group (multicast or broadcast) address, not all zeros. ChangeNetworkAddress
    // refuses with this text; callers check with it before they change anything.
    static std::optional<std::string> NetworkAddressProblem(std::string_view networkAddress);
    // Whether this is the Network Bridge, whose address cannot be changed (and the text that says
    // so).
    bool IsNetworkBridge() const;
    static const char* const kNetworkBridgeMessage;
    // Re-reads identity, status and IP configuration. Never raises: errors go to the adapter's
    // error reporter when `showErrorMsg`, otherwise they are dropped; fields that could not be
    // read keep their values.
    void Refresh(bool showErrorMsg);
    // IPv6 addresses and interface type on Windows 5.1 up to 6.0.
    void GetIPv6InfoFromAPIWinXP();
    // Forgets the recorded original address and removes any stored change.
    void ResetOriginalNetworkAddress();

    // DHCP switches (stored settings) and lease release (0) or renewal (1); other actions do
    // nothing.
    void EnableDHCPv6(bool enabled);
    void EnableDHCPv4(bool enabled);
    void DHCPv6Action(int32_t action);
    void DHCPv4Action(int32_t action);
    // What the adapter's current DHCPv4 lease gave it, as Windows records the lease in the
    // interface key ("DhcpIPAddress", "DhcpDefaultGateway"): empty without a lease. These are
    // no static settings, and removing them live would leave the connection without an address.
    struct DHCPv4LeaseInfo {
        std::string address;
        std::vector<std::string> gateways;
    };
    DHCPv4LeaseInfo DHCPv4Lease() const;

    const std::string& NetCfgInstanceId() const { return netCfgInstanceId_; }
    const std::string& ConnectionName() const { return connectionName_; }
    const std::string& DeviceHardwareID() const { return deviceHardwareID_; }
    const std::string& DeviceDescription() const { return deviceDescription_; }
    const std::string& DeviceManufacturer() const { return deviceManufacturer_; }
    const std::string& DriverRegistryPath() const { return driverRegistryPath_; }
    const std::string& IPConfigRegistryPath() const { return ipConfigRegistryPath_; }
    int32_t TimeZoneActiveBias() const { return timeZoneActiveBias_; }

    // MAC addresses in display form (0A-1B-2C-3D-4E-5F) or empty.
    const std::string& ActiveNetworkAddress() const { return activeNetworkAddress_; }
    const std::string& ChangedNetworkAddress() const { return changedNetworkAddress_; }
    const std::string& OriginalNetworkAddress() const { return originalNetworkAddress_; }
    std::string DisplayNetworkAddress() const;
    // 0 unknown, 1 changed, 2 not changed.
    int32_t HasNetworkAddressChanged() const;
    // "Yes", "No" or "Unknown".
    std::string NetworkAddressChangedStatus() const;

    int32_t AdminStatus() const { return adminStatus_; }
    int32_t OperationalStatus() const override { return operationalStatus_; }
    // Bits per second. The interface reports an unsigned 32-bit speed; it is kept whole so that
    // links of 2.5 Gb/s and more do not read as negative.
    int64_t LinkSpeed() const { return linkSpeed_; }
    // "Up, Operational", "Down, Non Operational" ...
    std::string LinkStatus() const;

    // The IP configuration, replaced by new collections on every refresh.
    std::shared_ptr<vexav6::IPv4Addresses> IPv4Addresses() const { return ipv4Addresses_; }
    std::shared_ptr<vexav6::IPv4Gateways> IPv4Gateways() const { return ipv4Gateways_; }
    std::shared_ptr<vexav6::IPv4NameServers> IPv4NameServers() const { return ipv4NameServers_; }
    std::shared_ptr<vexav6::IPv6Addresses> IPv6Addresses() const { return ipv6Addresses_; }
    std::shared_ptr<vexav6::IPv6Gateways> IPv6Gateways() const { return ipv6Gateways_; }
    std::shared_ptr<vexav6::IPv6NameServers> IPv6NameServers() const { return ipv6NameServers_; }

    // Asks the device whether it is enabled (and remembers the answer).
    bool State() override;
    // Enables or disables the device (nothing happens when it already is so).
    void SetState(bool deviceState);

    bool IPv4Binding() const { return ipv4Binding_; }
    bool IPv6Binding() const { return ipv6Binding_; }

    // Traffic sampling once a second while on.
    bool NetworkTrafficMonitor() const;
    void SetNetworkTrafficMonitor(bool monitor);
    int16_t NetworkTrafficChartRows() const { return networkTrafficChartRows_; }
    // Re-creates the chart with that many empty rows.
    void SetNetworkTrafficChartRows(int16_t rows);

    int32_t IfIndex() const override { return ifIndex_; }
    uint64_t Luid() const { return luid_; }
    // The LUID's 8 bytes in memory order as 16 hexadecimal digits: the value names of the IPv6
    // network store.
    std::string LuidText() const;
    int32_t IfMetric() const { return ifMetric_; }
    bool DHCPv4Enabled() const { return dhcpv4Enabled_; }
    // Lease times in local time; 0 (no date) until read.
    OleDate DHCPv4LeaseObtained() const { return leaseObtained_; }
    OleDate DHCPv4LeaseExpires() const { return leaseExpires_; }
    bool DHCPv6Enabled() const { return dhcpv6Enabled_; }
    int32_t IPv6RouterDiscovery() const { return ipv6RouterDiscovery_; }
    bool IPv6RouterAdvertisement() const { return ipv6RouterAdvertisement_; }
    int32_t InterfaceType() const { return interfaceType_; }

    // Removes every registry trace of an adapter whose hardware is gone.
    void DeleteAdapter();
    // The adapter's report block: one line per detail, label padded with dots to 40 characters,
    // CR LF after each line.
    std::string ToString(const VendorNameLookup& vendorName) const;

    const Platform& GetPlatform() const override { return platform_; }

    // The NetworkTraffic event, raised by each traffic sample: sent and received counters now,
    // bytes sent and received since the previous sample, and the chart.
    std::function<void(double totalBytesSent, double totalBytesReceived, double bytesSentLastSecond,
                       double bytesReceivedLastSecond,
                       const NetworkTrafficChart& networkTrafficChart)>
        onNetworkTraffic;

  private:
    // Refresh's readers.
    void GetAdapterInfoFromRegistry(bool showErrorMsg);
    void GetInterfaceInfoFromAPI(bool showErrorMsg);

    // IP configuration discovery (adapter_discovery.cpp).
    void GetIPInfo(bool showErrorMsg);
    void GetIPv4InterfaceInfoFromRegistry();
    void GetIPv4InfoFromAPI();
    void GetIPv4InfoFromRegistry();
    void GetIPv4NameServersFromRegistry();
    void GetIPv6InterfaceInfoFromRegistry();
    void GetIPv6InfoFromAPI();
    void GetIPv6InfoFromRegistry();
    void GetIPv6NameServersFromRegistry();
    std::string IPv4KeyPath() const;

    // The sampling step of the traffic timer.
    void NetworkTrafficTimer__Timer();

    void ShowError(bool showErrorMsg) const;

    Platform platform_;
    ErrorReporter reportError_;
    Timer networkTrafficTimer_;
    double lastSentBytes_ = 0;
    double lastReceivedBytes_ = 0;
    int16_t networkTrafficChartRows_ = 0;
    NetworkTrafficChart networkTrafficChart_;

    std::string netCfgInstanceId_;
    int32_t ifIndex_ = 0;
    uint64_t luid_ = 0;
    std::string driverRegistryPath_;
    std::string ipConfigRegistryPath_;
    std::string deviceManufacturer_;
    int32_t timeZoneActiveBias_ = 0;
    std::string connectionName_;
    std::string deviceDescription_;
    std::string deviceHardwareID_;
    std::string changedNetworkAddress_;
    std::string originalNetworkAddress_;
    bool ipv4Binding_ = false;
    bool ipv6Binding_ = false;
    bool state_ = false;
    int32_t adminStatus_ = 0;
    int32_t operationalStatus_ = 0;
    int64_t linkSpeed_ = 0;
    std::string activeNetworkAddress_;
    std::shared_ptr<vexav6::IPv4Addresses> ipv4Addresses_;
    std::shared_ptr<vexav6::IPv4Gateways> ipv4Gateways_;
    std::shared_ptr<vexav6::IPv4NameServers> ipv4NameServers_;
    std::shared_ptr<vexav6::IPv6Addresses> ipv6Addresses_;
    std::shared_ptr<vexav6::IPv6Gateways> ipv6Gateways_;
    std::shared_ptr<vexav6::IPv6NameServers> ipv6NameServers_;
    int32_t ifMetric_ = 0;
    bool dhcpv4Enabled_ = false;
    OleDate leaseObtained_;
    OleDate leaseExpires_;
    bool dhcpv6Enabled_ = false;
    int32_t ipv6RouterDiscovery_ = 0;
    bool ipv6RouterAdvertisement_ = false;
    int32_t interfaceType_ = 0;
    bool initDone_ = false;
};

}  // namespace vexav6
