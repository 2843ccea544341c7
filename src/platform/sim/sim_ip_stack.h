#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ip_helper_api.h"
#include "platform/system_api.h"

namespace vexav6::sim {

class SimRegistry;
class VirtualClock;

// What the network behind an interface answers: its DHCPv4 server, its DHCPv6 server and its IPv6
// router. Addresses are text as in machine files.
struct DhcpServerAnswer {
    std::string server;
    std::string address;
    std::string mask;
    std::vector<std::string> gateways;
    std::vector<std::string> dnsServers;
    std::string domain;
    uint32_t leaseSeconds = 86400;

    friend bool operator==(const DhcpServerAnswer&, const DhcpServerAnswer&) = default;
};

struct Dhcpv6ServerAnswer {
    std::string address;
    std::vector<std::string> dnsServers;

    friend bool operator==(const Dhcpv6ServerAnswer&, const Dhcpv6ServerAnswer&) = default;
};

// A router advertising a /64 prefix for stateless configuration and itself as default router.
struct RouterAdvertisement {
    std::string prefix;  // "2001:db8:1:2::/64"
    std::string router;  // the router's link-local address
    uint32_t metric = 256;
    uint32_t validLifetime = 86400;
    uint32_t preferredLifetime = 14400;

    friend bool operator==(const RouterAdvertisement&, const RouterAdvertisement&) = default;
};

struct NetworkSetup {
    std::optional<DhcpServerAnswer> dhcp;
    std::optional<Dhcpv6ServerAnswer> dhcpv6;
    std::optional<RouterAdvertisement> router;

    friend bool operator==(const NetworkSetup&, const NetworkSetup&) = default;
};

// The simulated TCP/IP stack: its interfaces and their live IPv4 and IPv6 configuration, answering
// the IP Helper calls as Windows does (status codes, table contents and order, the version
// differences the program meets).
//
// Live changes through the calls affect only the running stack. When an interface comes up (its
// device is started) its configuration is read from the registry as Windows reads it: the TCP/IP
// interface key, the persistent routes, the IPv6 network store, and leases from the network's DHCP
// servers. From Windows 6.0 on, an interface whose device is disabled keeps its index and LUID (the
// network interface stays registered) but leaves every IP table; before 6.0 it disappears.
class SimIpStack : public platform::IpHelperApi {
  public:
    using Status = platform::Status;
    using Mac = std::array<uint8_t, 6>;

    // Identity and fixed properties of an interface, given by its device when it starts.
    struct InterfaceSpec {
        std::string guid;  // "{...}": the connection's NetCfgInstanceId
        uint32_t index = 0;
        uint32_t ipv6Index = 0;  // 0: the same as `index` (Windows before 6.0 numbered IPv6 apart)
        uint64_t luid = 0;
        uint32_t type = platform::iftype::kEthernet;
        uint32_t mtu = 1500;
        uint32_t speed = 1000000000;
        std::string description;
        uint32_t operStatus = 5;        // while up: 5 operational, 2 disconnected (no cable)
        uint32_t inBytesPerSecond = 0;  // traffic the counters gain as the clock runs
        uint32_t outBytesPerSecond = 0;
        NetworkSetup network;

        friend bool operator==(const InterfaceSpec&, const InterfaceSpec&) = default;
    };

    struct Ipv4Address {
        uint32_t address = 0;  // network order, as the IP Helper records hold it
        uint32_t mask = 0;
        uint32_t context = 0;
        bool fromDhcp = false;

        friend bool operator==(const Ipv4Address&, const Ipv4Address&) = default;
    };

    // A route of the IPv4 table that is not derived from an address: default gateways and routes
    // added by the program. `metric` is the route's own metric; Windows 6.0 and later report it
    // through the old route table added to the interface metric.
    struct Ipv4Route {
        uint32_t dest = 0;
        uint32_t mask = 0;
        uint32_t nextHop = 0;
        uint32_t metric = 0;
        uint32_t proto = 3;  // network management
        bool fromDhcp = false;

        friend bool operator==(const Ipv4Route&, const Ipv4Route&) = default;
    };

    struct Lease {
        std::string server;
        int64_t obtained = 0;  // seconds since 1970, UTC
        int64_t expires = 0;
        bool released = false;

        friend bool operator==(const Lease&, const Lease&) = default;
    };

    // One interface as the stack holds it.
    struct Interface {
        InterfaceSpec spec;
        bool running = false;  // false: registered only (a disabled device, Windows 6.0 and later)
        Mac mac{};
        uint32_t adminStatus = 1;
        bool ipv4Bound = false;
        bool ipv6Bound = false;
        bool loopback = false;
        uint32_t interfaceMetric = 0;  // the metric in force (configured or automatic)
        bool dhcpEnabled = false;
        std::optional<Lease> lease;
        bool dhcpv6Enabled = false;
        std::vector<Ipv4Address> ipv4;
        std::vector<Ipv4Route> ipv4Routes;
        std::vector<platform::UnicastRow> ipv6;
        std::vector<platform::ForwardRow2> ipv6Routes;
        // Octet counters: the value at `countersSinceMs` of the clock, growing at the set-up's
        // rates.
        uint32_t inOctets = 0;
        uint32_t outOctets = 0;
        uint64_t countersSinceMs = 0;

        uint32_t Ipv6Index() const { return spec.ipv6Index != 0 ? spec.ipv6Index : spec.index; }
    };

    // The calls a failure can be injected into.
    enum class Call {
        GetAdapterIndex,
        ConvertInterfaceIndexToLuid,
        GetIfEntry,
        GetAdaptersInfo,
        GetIpForwardTable,
        GetUnicastIpAddressTable,
        GetIpForwardTable2,
        GetAdaptersAddresses,
        GetInterfaceInfo,
        IpReleaseAddress,
        IpRenewAddress,
        AddIPAddress,
        DeleteIPAddress,
        CreateIpForwardEntry,
        DeleteIpForwardEntry,
        CreateUnicastIpAddressEntry,
        DeleteUnicastIpAddressEntry,
        CreateIpForwardEntry2,
        DeleteIpForwardEntry2,
    };

    SimIpStack(SimRegistry& registry, VirtualClock& clock, const platform::OsVersionInfo& version);

    // --- IpHelperApi ---
    Status GetAdapterIndex(std::u16string_view adapterName, uint32_t& index) override;
    Status ConvertInterfaceIndexToLuid(uint32_t index, uint64_t& luid) override;
    Status GetIfEntry(platform::MibIfRow& row) override;
    Status GetAdaptersInfo(std::vector<platform::IpAdapterInfo>& adapters) override;
    Status GetIpForwardTable(std::vector<platform::MibIpForwardRow>& rows) override;
    Status GetUnicastIpAddressTable(uint16_t family,
                                    std::vector<platform::UnicastRow>& rows) override;
    Status GetIpForwardTable2(uint16_t family, std::vector<platform::ForwardRow2>& rows) override;
    Status GetAdaptersAddresses(uint32_t family, uint32_t flags,
                                std::vector<platform::AdapterAddresses>& adapters) override;
    Status GetInterfaceInfo(std::vector<platform::IpAdapterIndexMap>& adapters) override;
    Status IpReleaseAddress(const platform::IpAdapterIndexMap& adapter) override;
    Status IpRenewAddress(const platform::IpAdapterIndexMap& adapter) override;
    Status AddIPAddress(uint32_t address, uint32_t mask, uint32_t ifIndex, uint32_t& nteContext,
                        uint32_t& nteInstance) override;
    Status DeleteIPAddress(uint32_t nteContext) override;
    Status CreateIpForwardEntry(const platform::MibIpForwardRow& row) override;
    Status DeleteIpForwardEntry(const platform::MibIpForwardRow& row) override;
    void InitializeUnicastIpAddressEntry(platform::UnicastRow& row) override;
    Status CreateUnicastIpAddressEntry(const platform::UnicastRow& row) override;
    Status DeleteUnicastIpAddressEntry(const platform::UnicastRow& row) override;
    void InitializeIpForwardEntry(platform::ForwardRow2& row) override;
    Status CreateIpForwardEntry2(const platform::ForwardRow2& row) override;
    Status DeleteIpForwardEntry2(const platform::ForwardRow2& row) override;

    // --- The machine's side ---
    // A device was installed: from Windows 6.0 on its interface is registered (index, LUID) even
    // while the device is disabled. Does nothing before 6.0 or when the interface is known.
    void Register(const InterfaceSpec& spec, const Mac& permanentAddress);
    // The device started: the interface comes up with the address its driver uses and the stored
    // configuration of the registry.
    void BringUp(const InterfaceSpec& spec, const Mac& mac);
    // The device stopped: its IP configuration is gone.
    void TakeDown(std::string_view guid);
    // The device was removed from the machine.
    void Unregister(std::string_view guid);
    // Puts back an interface exactly as it was saved (machine files).
    void Restore(const Interface& saved);

    const Interface* FindInterface(std::string_view guid) const;
    Interface* FindInterface(std::string_view guid);
    const Interface* FindByIndex(uint32_t index) const;
    // Every interface except the built-in loopback, in index order.
    std::vector<const Interface*> Interfaces() const;

    // The counters an interface shows now.
    uint32_t InOctets(const Interface& iface) const;
    uint32_t OutOctets(const Interface& iface) const;
    // Traffic passes: the counters grow (and wrap at 2^32 like the real ones).
    void AddTraffic(std::string_view guid, uint32_t inBytes, uint32_t outBytes);
    // Cable plugged in (5) or pulled (2).
    void SetOperStatus(std::string_view guid, uint32_t operStatus);

    // "ipconfig /release", "/renew", "/release6", "/renew6": the system's console hook runs them.
    // Every other command runs and ends without effect. Answers 0 (the process ran to its end).
    Status RunConsoleCommand(std::string_view commandLine);

    // The next `times` calls of `call` answer `status` (times < 0: every call until cleared),
    // after the first `after` calls went through: a failure part-way through a series of changes.
    void InjectFailure(Call call, Status status, int times = 1, int after = 0);
    void ClearFailures();

    // Whether the user runs with administrator rights; changes are refused without them.
    std::function<bool()> isAdmin;

    // The NTE context the next added IPv4 address gets.
    uint32_t nextNteContext = 2;

    // Windows' automatic interface metric for a link speed.
    static uint32_t AutomaticMetric(uint64_t speed);

  private:
    // The interfaces that are up, in the order of their indexes, as the tables list them.
    std::vector<const Interface*> RunningByIndex() const;
    struct Failure {
        Call call;
        Status status;
        int remaining;
        int passing;  // calls still let through before the failures start
    };

    bool Vista() const;
    bool HasIpv6() const;
    std::optional<Status> Injected(Call call);
    // What a call answers before it looks at its arguments, in the system's order, or nothing when
    // it goes on: a failure a test injected; ERROR_PROC_NOT_FOUND when the running Windows lacks
    // the call (`available` false); `denied` when the call changes the stack (`denied` not
    // 0) and the user has no administrator rights.
    std::optional<Status> Preamble(Call call, bool available = true,
                                   Status denied = platform::status::kSuccess);
    bool Admin() const { return !isAdmin || isAdmin(); }
    int64_t UtcNow() const;

    Interface* FindRunningByIndex(uint32_t index);
    Interface* FindRunningByIpv6Index(uint32_t index);
    Interface* FindRunningByLuidOrIndex(uint64_t luid, uint32_t index, bool ipv6);
    Interface* FindRunningByName(std::u16string_view name);

    void ApplyStoredIpv4(Interface& iface);
    void ApplyStoredIpv6(Interface& iface);
    // The addresses and routes of the IPv6 network store (Windows 6.0 and later).
    void ApplyIpv6Store(Interface& iface);
    // The address and default route the network's router advertises.
    void ApplyRouterAdvertisement(Interface& iface);
    void AddUniqueIpv6Address(Interface& iface, const platform::UnicastRow& row);
    void ApplyPersistentRoutes(Interface& iface);
    bool ObtainLease(Interface& iface);
    void WriteLeaseToRegistry(const Interface& iface, const DhcpServerAnswer& answer);
    void ReleaseLease(Interface& iface);
    void ObtainDhcpv6(Interface& iface);
    void ReleaseDhcpv6(Interface& iface);
    uint32_t NewContext();
    platform::UnicastRow MakeIpv6Row(const Interface& iface, const std::array<uint8_t, 16>& address,
                                     uint8_t prefixLength, uint32_t prefixOrigin,
                                     uint32_t suffixOrigin, uint32_t valid,
                                     uint32_t preferred) const;
    platform::ForwardRow2 MakeIpv6Route(const Interface& iface, const std::array<uint8_t, 16>& dest,
                                        uint8_t prefixLength,
                                        const std::array<uint8_t, 16>& nextHop, uint32_t metric,
                                        uint32_t protocol) const;
    void AddUniqueIpv6Route(Interface& iface, const platform::ForwardRow2& route);
    void AddUniqueIpv4Route(Interface& iface, const Ipv4Route& route);
    uint32_t ReportedType(uint32_t type) const;
    void AddLoopback();

    SimRegistry& registry_;
    VirtualClock& clock_;
    const platform::OsVersionInfo& version_;
    std::vector<Interface>
        interfaces_;  // the loopback first, then in the order they were registered
    std::vector<Failure> failures_;
};

}  // namespace vexav6::sim
