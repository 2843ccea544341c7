#include "platform/sim/sim_ip_stack.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "platform/sim/sim_net_text.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/virtual_clock.h"

namespace vexav6::sim {

namespace status = platform::status;
using platform::ForwardRow2;
using platform::RootKey;
using platform::Status;
using platform::UnicastRow;
using Ipv6Bytes = nettext::Ipv6Bytes;

namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr const char* kTcpipInterfaces =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
constexpr const char* kTcpip6Interfaces =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\";
constexpr const char* kTcpipLinkage = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage";
constexpr const char* kTcpip6Linkage = "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Linkage";
constexpr const char* kPersistentRoutes =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\PersistentRoutes";
constexpr const char* kNsiIpv6 =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\";
constexpr const char* kTimeZone = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
constexpr const char* kAdapterNamePrefix = "\\DEVICE\\TCPIP_";

constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr uint8_t kUnsetLength = 0xFF;
// Origins of NL_PREFIX_ORIGIN / NL_SUFFIX_ORIGIN.
constexpr uint32_t kOriginManual = 1;
constexpr uint32_t kOriginWellKnown = 2;
constexpr uint32_t kOriginDhcp = 3;
constexpr uint32_t kPrefixOriginRouterAdvertisement = 4;
constexpr uint32_t kSuffixOriginLinkLayer = 4;
constexpr uint32_t kOriginUnchanged = 16;
constexpr uint32_t kDadPreferred = 4;
constexpr uint32_t kProtoLocal = 2;
constexpr uint32_t kProtoNetMgmt = 3;
constexpr uint32_t kRouteTypeDirect = 3;
constexpr uint32_t kRouteTypeIndirect = 4;
constexpr uint32_t kDefaultIpv6RouteMetric = 256;
constexpr Status kBadArguments = 160;
constexpr Status kProcNotFound = 127;
constexpr Status kGenFailure = 31;
constexpr Status kDupDomainName = 1221;
constexpr Status kSemTimeout = 121;

uint32_t Le32(const std::vector<uint8_t>& data, size_t offset) {
    if (data.size() < offset + 4) {
        return 0;
    }
    return static_cast<uint32_t>(data[offset]) | (static_cast<uint32_t>(data[offset + 1]) << 8) |
           (static_cast<uint32_t>(data[offset + 2]) << 16) |
           (static_cast<uint32_t>(data[offset + 3]) << 24);
}

// A registry list as TCP/IP reads it: the data split at zero characters, ending at the first empty
// entry, whatever the value's type.
std::vector<std::string> ReadList(const SimRegistry& registry, const std::string& path,
                                  std::string_view name) {
    return registry.GetMultiString(kHklm, path, name).value_or(std::vector<std::string>{});
}

bool IsBound(const SimRegistry& registry, const char* linkageKey, const std::string& guid) {
    const std::string device = "\\Device\\" + guid;
    for (const std::string& entry : ReadList(registry, linkageKey, "Bind")) {
        if (text::EqualsIgnoreCase(entry, device)) {
            return true;
        }
    }
    return false;
}

int MaskLength(uint32_t mask) {
    int length = 0;
    for (uint32_t host = nettext::HostOrder(mask); host & 0x80000000u; host <<= 1) {
        ++length;
    }
    return length;
}

Ipv6Bytes MaskPrefix(const Ipv6Bytes& address, int length) {
    Ipv6Bytes result{};
    for (int i = 0; i < 16; ++i) {
        const int bits = std::clamp(length - 8 * i, 0, 8);
        const auto mask = static_cast<uint8_t>(bits == 0 ? 0 : 0xFF << (8 - bits));
        result[i] = address[i] & mask;
    }
    return result;
}

Ipv6Bytes Eui64Address(const Ipv6Bytes& prefix, const SimIpStack::Mac& mac) {
    Ipv6Bytes result = prefix;
    result[8] = mac[0] ^ 0x02;
    result[9] = mac[1];
    result[10] = mac[2];
    result[11] = 0xFF;
    result[12] = 0xFE;
    result[13] = mac[3];
    result[14] = mac[4];
    result[15] = mac[5];
    return result;
}

bool IsZero(const Ipv6Bytes& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

bool IsLinkLocal(const Ipv6Bytes& bytes) {
    return bytes[0] == 0xFE && (bytes[1] & 0xC0) == 0x80;
}

bool IsLoopbackV6(const Ipv6Bytes& bytes) {
    Ipv6Bytes loopback{};
    loopback[15] = 1;
    return bytes == loopback;
}

platform::SockAddrInet Inet6(const Ipv6Bytes& bytes) {
    platform::SockAddrInet address;
    address.family = platform::af::kInet6;
    address.ipv6 = bytes;
    return address;
}

platform::SockAddrInet Inet4(uint32_t address) {
    platform::SockAddrInet result;
    result.family = platform::af::kInet;
    result.ipv4 = address;
    return result;
}

// A unicast IPv4 address an interface may carry (not 0.0.0.0, loopback, multicast or class E).
Status CheckUnicastIpv4(uint32_t address, uint32_t mask, bool loopbackInterface) {
    const uint32_t host = nettext::HostOrder(address);
    if (host == 0xFFFFFFFF) {
        return kGenFailure;
    }
    if (host == 0 || host >= 0xE0000000 || (((host >> 24) == 127) != loopbackInterface) ||
        !nettext::IsContiguousMask(mask)) {
        return status::kInvalidParameter;
    }
    const uint32_t hostMask = nettext::HostOrder(mask);
    if (hostMask != 0 && hostMask < 0xFFFFFFFE && (host & ~hostMask) == ~hostMask) {
        return kGenFailure;  // the subnet's broadcast address
    }
    return status::kSuccess;
}

std::string AdapterName(const std::string& guid) {
    return kAdapterNamePrefix + guid;
}

bool SameIpv6Route(const ForwardRow2& a, const ForwardRow2& b) {
    return a.destinationPrefix.prefix.ipv6 == b.destinationPrefix.prefix.ipv6 &&
           a.destinationPrefix.prefixLength == b.destinationPrefix.prefixLength &&
           a.nextHop.ipv6 == b.nextHop.ipv6;
}

}  // namespace

SimIpStack::SimIpStack(SimRegistry& registry, VirtualClock& clock,
                       const platform::OsVersionInfo& version)
    : registry_(registry), clock_(clock), version_(version) {
    AddLoopback();
}

bool SimIpStack::Vista() const {
    return version_.major >= 6;
}

bool SimIpStack::HasIpv6() const {
    return version_.major > 5 || (version_.major == 5 && version_.minor >= 1);
}

uint32_t SimIpStack::AutomaticMetric(uint64_t speed) {
    if (speed >= 2000000000ull) {
        return 5;
    }
    if (speed >= 200000000ull) {
        return 10;
    }
    if (speed >= 80000000ull) {
        return 20;
    }
    if (speed >= 20000000ull) {
        return 25;
    }
    if (speed >= 4000000ull) {
        return 30;
    }
    if (speed >= 500000ull) {
        return 40;
    }
    return 50;
}

void SimIpStack::AddLoopback() {
    Interface loop;
    loop.loopback = true;
    loop.running = true;
    loop.spec.guid = "{00000000-0000-0000-0000-000000000001}";
    loop.spec.index = 1;
    loop.spec.luid = uint64_t{platform::iftype::kSoftwareLoopback} << 48;
    loop.spec.type = platform::iftype::kSoftwareLoopback;
    loop.spec.speed = 1073741824;
    loop.spec.description = "Software Loopback Interface 1";
    loop.ipv4Bound = true;
    loop.ipv6Bound = true;
    loop.interfaceMetric = 75;
    uint32_t address = 0;
    nettext::ParseIpv4("127.0.0.1", address);
    loop.ipv4.push_back(Ipv4Address{address, nettext::PrefixToMask(8), 1, false});
    Ipv6Bytes one{};
    one[15] = 1;
    loop.ipv6.push_back(
        MakeIpv6Row(loop, one, 128, kOriginWellKnown, kOriginWellKnown, kInfinite, kInfinite));
    interfaces_.push_back(std::move(loop));
}

std::optional<Status> SimIpStack::Injected(Call call) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->call != call) {
            continue;
        }
        if (it->passing > 0) {
            --it->passing;
            return std::nullopt;
        }
        const Status code = it->status;
        if (it->remaining > 0 && --it->remaining == 0) {
            failures_.erase(it);
        }
        return code;
    }
    return std::nullopt;
}

void SimIpStack::InjectFailure(Call call, Status code, int times, int after) {
    failures_.push_back(Failure{call, code, times < 0 ? -1 : times, after});
}

void SimIpStack::ClearFailures() {
    failures_.clear();
}

int64_t SimIpStack::UtcNow() const {
    // ActiveTimeBias: UTC = local time + bias (minutes).
    const auto bias =
        static_cast<int32_t>(registry_.GetDword(kHklm, kTimeZone, "ActiveTimeBias").value_or(0));
    const double days = clock_.Now().Linear() + bias / 1440.0;
    return static_cast<int64_t>(std::llround((days - 25569.0) * 86400.0));
}

uint32_t SimIpStack::NewContext() {
    return nextNteContext++;
}

uint32_t SimIpStack::ReportedType(uint32_t type) const {
    // Before Windows 6.0 a wireless interface reports itself as Ethernet.
    return !Vista() && type == platform::iftype::kIeee80211 ? platform::iftype::kEthernet : type;
}

// --- Lookups ---

const SimIpStack::Interface* SimIpStack::FindInterface(std::string_view guid) const {
    for (const Interface& iface : interfaces_) {
        if (!iface.loopback && text::EqualsIgnoreCase(iface.spec.guid, guid)) {
            return &iface;
        }
    }
    return nullptr;
}

SimIpStack::Interface* SimIpStack::FindInterface(std::string_view guid) {
    return const_cast<Interface*>(std::as_const(*this).FindInterface(guid));
}

const SimIpStack::Interface* SimIpStack::FindByIndex(uint32_t index) const {
    for (const Interface& iface : interfaces_) {
        if (iface.spec.index == index) {
            return &iface;
        }
    }
    return nullptr;
}

SimIpStack::Interface* SimIpStack::FindRunningByIndex(uint32_t index) {
    for (Interface& iface : interfaces_) {
        if (iface.running && iface.spec.index == index) {
            return &iface;
        }
    }
    return nullptr;
}

SimIpStack::Interface* SimIpStack::FindRunningByIpv6Index(uint32_t index) {
    for (Interface& iface : interfaces_) {
        if (iface.running && iface.Ipv6Index() == index) {
            return &iface;
        }
    }
    return nullptr;
}

SimIpStack::Interface* SimIpStack::FindRunningByLuidOrIndex(uint64_t luid, uint32_t index,
                                                            bool ipv6) {
    // The LUID decides when it is given; the index only otherwise.
    Interface* found = nullptr;
    if (luid != 0) {
        for (Interface& iface : interfaces_) {
            if (iface.running && iface.spec.luid == luid) {
                found = &iface;
            }
        }
    } else {
        found = ipv6 ? FindRunningByIpv6Index(index) : FindRunningByIndex(index);
    }
    if (found != nullptr && !(ipv6 ? found->ipv6Bound : found->ipv4Bound)) {
        return nullptr;
    }
    return found;
}

SimIpStack::Interface* SimIpStack::FindRunningByName(std::u16string_view name) {
    const std::string text8 = text::Utf16ToUtf8(name);
    if (!text::StartsWithIgnoreCase(text8, kAdapterNamePrefix)) {
        return nullptr;
    }
    Interface* iface =
        FindInterface(std::string_view(text8).substr(std::string_view(kAdapterNamePrefix).size()));
    return iface != nullptr && iface->running && iface->ipv4Bound ? iface : nullptr;
}

std::vector<const SimIpStack::Interface*> SimIpStack::Interfaces() const {
    std::vector<const Interface*> result;
    for (const Interface& iface : interfaces_) {
        if (!iface.loopback) {
            result.push_back(&iface);
        }
    }
    std::sort(result.begin(), result.end(),
              [](const Interface* a, const Interface* b) { return a->spec.index < b->spec.index; });
    return result;
}

// --- Counters ---

uint32_t SimIpStack::InOctets(const Interface& iface) const {
    if (!iface.running || clock_.Milliseconds() < iface.countersSinceMs) {
        return iface.inOctets;
    }
    const uint64_t gained =
        iface.spec.inBytesPerSecond * (clock_.Milliseconds() - iface.countersSinceMs) / 1000;
    return static_cast<uint32_t>(iface.inOctets + gained);
}

uint32_t SimIpStack::OutOctets(const Interface& iface) const {
    if (!iface.running || clock_.Milliseconds() < iface.countersSinceMs) {
        return iface.outOctets;
    }
    const uint64_t gained =
        iface.spec.outBytesPerSecond * (clock_.Milliseconds() - iface.countersSinceMs) / 1000;
    return static_cast<uint32_t>(iface.outOctets + gained);
}

void SimIpStack::AddTraffic(std::string_view guid, uint32_t inBytes, uint32_t outBytes) {
    Interface* iface = FindInterface(guid);
    if (iface == nullptr) {
        return;
    }
    iface->inOctets = InOctets(*iface) + inBytes;
    iface->outOctets = OutOctets(*iface) + outBytes;
    iface->countersSinceMs = clock_.Milliseconds();
}

void SimIpStack::SetOperStatus(std::string_view guid, uint32_t operStatus) {
    if (Interface* iface = FindInterface(guid)) {
        iface->spec.operStatus = operStatus;
    }
}

// --- Interfaces coming and going ---

void SimIpStack::Register(const InterfaceSpec& spec, const Mac& permanentAddress) {
    if (!Vista() || FindInterface(spec.guid) != nullptr) {
        return;
    }
    Interface iface;
    iface.spec = spec;
    iface.mac = permanentAddress;
    iface.adminStatus = 2;
    iface.countersSinceMs = clock_.Milliseconds();
    interfaces_.push_back(std::move(iface));
}

void SimIpStack::BringUp(const InterfaceSpec& spec, const Mac& mac) {
    Interface* iface = FindInterface(spec.guid);
    if (iface == nullptr) {
        interfaces_.emplace_back();
        iface = &interfaces_.back();
    } else {
        // Keep the counters where they stood.
        iface->inOctets = InOctets(*iface);
        iface->outOctets = OutOctets(*iface);
    }
    const uint32_t inOctets = iface->inOctets;
    const uint32_t outOctets = iface->outOctets;
    *iface = Interface{};
    iface->spec = spec;
    iface->running = true;
    iface->mac = mac;
    iface->adminStatus = 1;
    iface->inOctets = inOctets;
    iface->outOctets = outOctets;
    iface->countersSinceMs = clock_.Milliseconds();
    ApplyStoredIpv4(*iface);
    ApplyStoredIpv6(*iface);
}

void SimIpStack::TakeDown(std::string_view guid) {
    Interface* iface = FindInterface(guid);
    if (iface == nullptr) {
        return;
    }
    if (!Vista()) {
        Unregister(guid);
        return;
    }
    iface->inOctets = InOctets(*iface);
    iface->outOctets = OutOctets(*iface);
    iface->countersSinceMs = clock_.Milliseconds();
    iface->running = false;
    iface->adminStatus = 2;
    iface->ipv4Bound = false;
    iface->ipv6Bound = false;
    iface->dhcpEnabled = false;
    iface->dhcpv6Enabled = false;
    iface->lease.reset();
    iface->ipv4.clear();
    iface->ipv4Routes.clear();
    iface->ipv6.clear();
    iface->ipv6Routes.clear();
}

void SimIpStack::Unregister(std::string_view guid) {
    interfaces_.erase(std::remove_if(interfaces_.begin(), interfaces_.end(),
                                     [&](const Interface& iface) {
                                         return !iface.loopback &&
                                                text::EqualsIgnoreCase(iface.spec.guid, guid);
                                     }),
                      interfaces_.end());
}

void SimIpStack::Restore(const Interface& saved) {
    if (Interface* iface = FindInterface(saved.spec.guid)) {
        *iface = saved;
    } else {
        interfaces_.push_back(saved);
    }
    FindInterface(saved.spec.guid)->countersSinceMs = clock_.Milliseconds();
}

// --- Stored configuration ---

void SimIpStack::ApplyStoredIpv4(Interface& iface) {
    const std::string key = kTcpipInterfaces + iface.spec.guid;
    const uint32_t metric = registry_.GetDword(kHklm, key, "InterfaceMetric").value_or(0);
    iface.interfaceMetric = metric != 0 ? metric : AutomaticMetric(iface.spec.speed);
    iface.ipv4Bound = IsBound(registry_, kTcpipLinkage, iface.spec.guid);
    if (!iface.ipv4Bound) {
        return;
    }
    iface.dhcpEnabled = registry_.GetDword(kHklm, key, "EnableDHCP").value_or(0) == 1;
    if (iface.dhcpEnabled) {
        ObtainLease(iface);
    } else {
        const std::vector<std::string> addresses = ReadList(registry_, key, "IPAddress");
        const std::vector<std::string> masks = ReadList(registry_, key, "SubnetMask");
        for (size_t i = 0; i < addresses.size(); ++i) {
            uint32_t address = 0;
            uint32_t mask = 0;
            if (!nettext::ParseIpv4(addresses[i], address) || i >= masks.size() ||
                !nettext::ParseIpv4(masks[i], mask) ||
                CheckUnicastIpv4(address, mask, false) != status::kSuccess) {
                continue;  // "0.0.0.0" and entries TCP/IP cannot use
            }
            const bool duplicate =
                std::any_of(iface.ipv4.begin(), iface.ipv4.end(),
                            [&](const Ipv4Address& a) { return a.address == address; });
            if (!duplicate) {
                iface.ipv4.push_back(Ipv4Address{address, mask, NewContext(), false});
            }
        }
        const std::vector<std::string> gateways = ReadList(registry_, key, "DefaultGateway");
        const std::vector<std::string> metrics = ReadList(registry_, key, "DefaultGatewayMetric");
        for (size_t i = 0; i < gateways.size(); ++i) {
            uint32_t gateway = 0;
            if (!nettext::ParseIpv4(gateways[i], gateway) || gateway == 0) {
                continue;
            }
            uint32_t routeMetric = 0;
            if (i < metrics.size()) {
                routeMetric = static_cast<uint32_t>(std::strtoul(metrics[i].c_str(), nullptr, 10));
            }
            AddUniqueIpv4Route(iface, Ipv4Route{0, 0, gateway, routeMetric, kProtoNetMgmt, false});
        }
    }
    ApplyPersistentRoutes(iface);
}

void SimIpStack::ApplyPersistentRoutes(Interface& iface) {
    // "destination,mask,gateway,metric" (metric -1: the default). A route goes to the interface
    // whose subnet holds its gateway.
    for (const std::string& name : registry_.ValueNames(kHklm, kPersistentRoutes)) {
        const std::vector<std::string> parts = text::Split(name, ",");
        uint32_t dest = 0;
        uint32_t mask = 0;
        uint32_t gateway = 0;
        if (parts.size() != 4 || !nettext::ParseIpv4(parts[0], dest) ||
            !nettext::ParseIpv4(parts[1], mask) || !nettext::ParseIpv4(parts[2], gateway)) {
            continue;
        }
        const bool onLink = std::any_of(
            iface.ipv4.begin(), iface.ipv4.end(),
            [&](const Ipv4Address& a) { return (a.address & a.mask) == (gateway & a.mask); });
        if (!onLink) {
            continue;
        }
        const long metric = std::strtol(parts[3].c_str(), nullptr, 10);
        AddUniqueIpv4Route(
            iface, Ipv4Route{dest, mask, gateway, metric < 0 ? 0u : static_cast<uint32_t>(metric),
                             kProtoNetMgmt, false});
    }
}

void SimIpStack::AddUniqueIpv4Route(Interface& iface, const Ipv4Route& route) {
    const bool present =
        std::any_of(iface.ipv4Routes.begin(), iface.ipv4Routes.end(), [&](const Ipv4Route& r) {
            return r.dest == route.dest && r.mask == route.mask && r.nextHop == route.nextHop;
        });
    if (!present) {
        iface.ipv4Routes.push_back(route);
    }
}

bool SimIpStack::ObtainLease(Interface& iface) {
    const auto& answer = iface.spec.network.dhcp;
    uint32_t address = 0;
    uint32_t mask = 0;
    if (!answer || !nettext::ParseIpv4(answer->address, address) ||
        !nettext::ParseIpv4(answer->mask, mask)) {
        return false;
    }
    std::erase_if(iface.ipv4, [](const Ipv4Address& a) { return a.fromDhcp; });
    std::erase_if(iface.ipv4Routes, [](const Ipv4Route& r) { return r.fromDhcp; });
    iface.ipv4.push_back(Ipv4Address{address, mask, NewContext(), true});
    for (const std::string& text : answer->gateways) {
        uint32_t gateway = 0;
        if (nettext::ParseIpv4(text, gateway)) {
            AddUniqueIpv4Route(iface, Ipv4Route{0, 0, gateway, 0, kProtoNetMgmt, true});
        }
    }
    Lease lease;
    lease.server = answer->server;
    lease.obtained = UtcNow();
    lease.expires = lease.obtained + answer->leaseSeconds;
    iface.lease = lease;
    WriteLeaseToRegistry(iface, *answer);
    return true;
}

void SimIpStack::WriteLeaseToRegistry(const Interface& iface, const DhcpServerAnswer& answer) {
    const std::string key = kTcpipInterfaces + iface.spec.guid;
    const auto seconds = [](int64_t value) { return static_cast<uint32_t>(value); };
    registry_.PutString(kHklm, key, "DhcpIPAddress", answer.address);
    registry_.PutString(kHklm, key, "DhcpSubnetMask", answer.mask);
    registry_.PutString(kHklm, key, "DhcpServer", answer.server);
    registry_.PutDword(kHklm, key, "Lease", answer.leaseSeconds);
    registry_.PutDword(kHklm, key, "LeaseObtainedTime", seconds(iface.lease->obtained));
    registry_.PutDword(kHklm, key, "T1", seconds(iface.lease->obtained + answer.leaseSeconds / 2));
    registry_.PutDword(kHklm, key, "T2",
                       seconds(iface.lease->obtained + answer.leaseSeconds / 8 * 7));
    registry_.PutDword(kHklm, key, "LeaseTerminatesTime", seconds(iface.lease->expires));
    registry_.PutDword(kHklm, key, "AddressType", 0);
    registry_.PutMultiString(kHklm, key, "DhcpDefaultGateway", answer.gateways);
    registry_.PutMultiString(kHklm, key, "DhcpSubnetMaskOpt", {answer.mask});
    if (answer.dnsServers.empty()) {
        registry_.RemoveValue(kHklm, key, "DhcpNameServer");
    } else {
        registry_.PutString(kHklm, key, "DhcpNameServer", text::Join(answer.dnsServers, " "));
    }
    if (!answer.domain.empty()) {
        registry_.PutString(kHklm, key, "DhcpDomain", answer.domain);
    }
}

void SimIpStack::ReleaseLease(Interface& iface) {
    std::erase_if(iface.ipv4, [](const Ipv4Address& a) { return a.fromDhcp; });
    std::erase_if(iface.ipv4Routes, [](const Ipv4Route& r) { return r.fromDhcp; });
    if (iface.lease) {
        iface.lease->released = true;
    }
    const std::string key = kTcpipInterfaces + iface.spec.guid;
    registry_.PutString(kHklm, key, "DhcpIPAddress", "0.0.0.0");
    registry_.PutString(kHklm, key, "DhcpSubnetMask", "0.0.0.0");
    registry_.PutString(kHklm, key, "DhcpServer", "255.255.255.255");
    registry_.PutMultiString(kHklm, key, "DhcpDefaultGateway", {});
    registry_.RemoveValue(kHklm, key, "DhcpNameServer");
}

platform::UnicastRow SimIpStack::MakeIpv6Row(const Interface& iface, const Ipv6Bytes& address,
                                             uint8_t prefixLength, uint32_t prefixOrigin,
                                             uint32_t suffixOrigin, uint32_t valid,
                                             uint32_t preferred) const {
    UnicastRow row;
    row.address = Inet6(address);
    row.luid = iface.spec.luid;
    row.ifIndex = iface.Ipv6Index();
    row.prefixOrigin = prefixOrigin;
    row.suffixOrigin = suffixOrigin;
    row.validLifetime = valid;
    row.preferredLifetime = preferred;
    row.onLinkPrefixLength = prefixLength;
    row.dadState = kDadPreferred;
    row.scopeId = IsLinkLocal(address) ? iface.Ipv6Index() : 0;
    row.address.scopeId = row.scopeId;
    // FILETIME of the moment: 100 ns units since 1601.
    row.creationTimeStamp =
        static_cast<int64_t>(std::llround((clock_.Now().Linear() + 109205.0) * 864000000000.0));
    return row;
}

platform::ForwardRow2 SimIpStack::MakeIpv6Route(const Interface& iface, const Ipv6Bytes& dest,
                                                uint8_t prefixLength, const Ipv6Bytes& nextHop,
                                                uint32_t metric, uint32_t protocol) const {
    ForwardRow2 route;
    route.luid = iface.spec.luid;
    route.ifIndex = iface.Ipv6Index();
    route.destinationPrefix.prefix = Inet6(dest);
    route.destinationPrefix.prefixLength = prefixLength;
    route.nextHop = Inet6(nextHop);
    route.sitePrefixLength = 0;
    route.validLifetime = kInfinite;
    route.preferredLifetime = kInfinite;
    route.metric = metric;
    route.protocol = protocol;
    route.loopback = true;
    route.autoconfigureAddress = true;
    return route;
}

void SimIpStack::AddUniqueIpv6Route(Interface& iface, const ForwardRow2& route) {
    const bool present = std::any_of(iface.ipv6Routes.begin(), iface.ipv6Routes.end(),
                                     [&](const ForwardRow2& r) { return SameIpv6Route(r, route); });
    if (!present) {
        iface.ipv6Routes.push_back(route);
    }
}

void SimIpStack::ApplyStoredIpv6(Interface& iface) {
    iface.ipv6Bound = HasIpv6() && IsBound(registry_, kTcpip6Linkage, iface.spec.guid);
    if (!iface.ipv6Bound) {
        return;
    }
    const auto addRow = [&](const UnicastRow& row) {
        const bool present =
            std::any_of(iface.ipv6.begin(), iface.ipv6.end(),
                        [&](const UnicastRow& r) { return r.address.ipv6 == row.address.ipv6; });
        if (!present) {
            iface.ipv6.push_back(row);
        }
    };
    Ipv6Bytes linkLocalPrefix{};
    linkLocalPrefix[0] = 0xFE;
    linkLocalPrefix[1] = 0x80;
    addRow(MakeIpv6Row(iface, Eui64Address(linkLocalPrefix, iface.mac), 64, kOriginWellKnown,
                       kSuffixOriginLinkLayer, kInfinite, kInfinite));

    uint32_t routerDiscovery = 1;
    bool managed = false;
    const std::string luidText = nettext::LuidHex(iface.spec.luid);
    if (Vista()) {
        if (const auto record = registry_.Get(kHklm, std::string(kNsiIpv6) + "7", luidText)) {
            managed = record->data.size() > 10 && record->data[10] == 1;
            routerDiscovery = record->data.size() >= 24 ? Le32(record->data, 20) : 1;
        }
        // Addresses: name = LUID text + 32 hex digits of the address.
        const std::string addressKey = std::string(kNsiIpv6) + "10";
        for (const std::string& name : registry_.ValueNames(kHklm, addressKey)) {
            std::vector<uint8_t> bytes;
            if (name.size() != 48 || !text::EqualsIgnoreCase(name.substr(0, 16), luidText) ||
                !nettext::ParseHex(name.substr(16), bytes)) {
                continue;
            }
            const auto value = registry_.Get(kHklm, addressKey, name);
            if (!value || value->data.size() < 18) {
                continue;
            }
            Ipv6Bytes address{};
            std::copy(bytes.begin(), bytes.end(), address.begin());
            const std::vector<uint8_t>& data = value->data;
            UnicastRow row = MakeIpv6Row(iface, address, data[16], Le32(data, 8), Le32(data, 12),
                                         Le32(data, 0), Le32(data, 4));
            row.skipAsSource = data[17] != 0;
            addRow(row);
        }
        // Routes: name = destination (32 hex digits), prefix length (2), padding to 80 digits, the
        // LUID text twice, the next hop (32).
        const std::string routeKey = std::string(kNsiIpv6) + "16";
        for (const std::string& name : registry_.ValueNames(kHklm, routeKey)) {
            std::vector<uint8_t> dest;
            std::vector<uint8_t> length;
            std::vector<uint8_t> nextHop;
            if (name.size() != 144 || !text::EqualsIgnoreCase(name.substr(96, 16), luidText) ||
                !nettext::ParseHex(name.substr(0, 32), dest) ||
                !nettext::ParseHex(name.substr(32, 2), length) ||
                !nettext::ParseHex(name.substr(112), nextHop) || length[0] > 128) {
                continue;
            }
            const auto value = registry_.Get(kHklm, routeKey, name);
            if (!value || value->data.size() < 16) {
                continue;
            }
            Ipv6Bytes destBytes{};
            Ipv6Bytes hopBytes{};
            std::copy(dest.begin(), dest.end(), destBytes.begin());
            std::copy(nextHop.begin(), nextHop.end(), hopBytes.begin());
            uint32_t metric = Le32(value->data, 12);
            if (metric == kInfinite) {
                metric = kDefaultIpv6RouteMetric;
            }
            AddUniqueIpv6Route(iface, MakeIpv6Route(iface, MaskPrefix(destBytes, length[0]),
                                                    length[0], hopBytes, metric, kProtoNetMgmt));
        }
    }
    iface.dhcpv6Enabled = managed;

    const auto& router = iface.spec.network.router;
    Ipv6Bytes prefix{};
    Ipv6Bytes routerAddress{};
    int prefixLength = 0;
    if (routerDiscovery != 0 && router &&
        nettext::ParseIpv6Prefix(router->prefix, prefix, prefixLength) &&
        nettext::ParseIpv6(router->router, routerAddress)) {
        addRow(MakeIpv6Row(iface, Eui64Address(MaskPrefix(prefix, 64), iface.mac),
                           static_cast<uint8_t>(prefixLength), kPrefixOriginRouterAdvertisement,
                           kSuffixOriginLinkLayer, router->validLifetime,
                           router->preferredLifetime));
        ForwardRow2 route =
            MakeIpv6Route(iface, Ipv6Bytes{}, 0, routerAddress, router->metric, kProtoLocal);
        route.origin = 3;  // router advertisement
        route.validLifetime = router->validLifetime;
        route.preferredLifetime = router->validLifetime;
        route.immortal = false;
        AddUniqueIpv6Route(iface, route);
    }
    if (managed) {
        ObtainDhcpv6(iface);
    }
}

void SimIpStack::ObtainDhcpv6(Interface& iface) {
    const auto& answer = iface.spec.network.dhcpv6;
    Ipv6Bytes address{};
    if (!answer || !nettext::ParseIpv6(answer->address, address)) {
        return;
    }
    ReleaseDhcpv6(iface);
    iface.ipv6.push_back(MakeIpv6Row(iface, address, 128, kOriginDhcp, kOriginDhcp, 86400, 43200));
    const std::string key = kTcpip6Interfaces + iface.spec.guid;
    if (!answer->dnsServers.empty()) {
        registry_.PutString(kHklm, key, "Dhcpv6NameServer", text::Join(answer->dnsServers, " "));
    }
}

void SimIpStack::ReleaseDhcpv6(Interface& iface) {
    std::erase_if(iface.ipv6, [](const UnicastRow& row) {
        return row.prefixOrigin == kOriginDhcp && row.suffixOrigin == kOriginDhcp;
    });
    registry_.RemoveValue(kHklm, kTcpip6Interfaces + iface.spec.guid, "Dhcpv6NameServer");
}

// --- IpHelperApi: lookups and tables ---

Status SimIpStack::GetAdapterIndex(std::u16string_view adapterName, uint32_t& index) {
    if (const auto failure = Injected(Call::GetAdapterIndex)) {
        return *failure;
    }
    const std::string name = text::Utf16ToUtf8(adapterName);
    if (!text::StartsWithIgnoreCase(name, kAdapterNamePrefix)) {
        return status::kInvalidParameter;
    }
    const Interface* iface =
        FindInterface(std::string_view(name).substr(std::string_view(kAdapterNamePrefix).size()));
    // Before 6.0 only a running IPv4 interface has an index; later the registered interface of a
    // disabled device keeps it.
    if (iface == nullptr || (!Vista() && !(iface->running && iface->ipv4Bound))) {
        return status::kDevNotExist;
    }
    index = iface->spec.index;
    return status::kSuccess;
}

Status SimIpStack::ConvertInterfaceIndexToLuid(uint32_t index, uint64_t& luid) {
    if (const auto failure = Injected(Call::ConvertInterfaceIndexToLuid)) {
        return *failure;
    }
    if (!Vista()) {
        return kProcNotFound;
    }
    const Interface* iface = FindByIndex(index);
    if (iface == nullptr) {
        return status::kFileNotFound;
    }
    luid = iface->spec.luid;
    return status::kSuccess;
}

Status SimIpStack::GetIfEntry(platform::MibIfRow& row) {
    if (const auto failure = Injected(Call::GetIfEntry)) {
        return *failure;
    }
    const Interface* iface = FindByIndex(row.index);
    if (iface == nullptr) {
        return status::kInvalidData;
    }
    const uint32_t index = row.index;
    row = platform::MibIfRow{};
    row.index = index;
    row.name = text::Utf8ToUtf16(AdapterName(iface->spec.guid));
    row.type = ReportedType(iface->spec.type);
    row.mtu = iface->spec.mtu;
    row.speed = iface->spec.speed;
    if (!iface->loopback) {
        row.physAddrLength = 6;
        std::copy(iface->mac.begin(), iface->mac.end(), row.physAddr.begin());
    }
    row.adminStatus = iface->adminStatus;
    row.operStatus = iface->running ? iface->spec.operStatus : 0;
    row.inOctets = InOctets(*iface);
    row.outOctets = OutOctets(*iface);
    row.description =
        iface->loopback && !Vista() ? "MS TCP Loopback interface" : iface->spec.description;
    row.descriptionLength = static_cast<uint32_t>(row.description.size() + 1);
    return status::kSuccess;
}

Status SimIpStack::GetAdaptersInfo(std::vector<platform::IpAdapterInfo>& adapters) {
    if (const auto failure = Injected(Call::GetAdaptersInfo)) {
        return *failure;
    }
    adapters.clear();
    for (const Interface* iface : Interfaces()) {
        if (!iface->running || !iface->ipv4Bound) {
            continue;
        }
        platform::IpAdapterInfo info;
        info.comboIndex = iface->spec.index;
        info.adapterName = iface->spec.guid;
        info.description = iface->spec.description;
        info.addressLength = 6;
        std::copy(iface->mac.begin(), iface->mac.end(), info.address.begin());
        info.index = iface->spec.index;
        info.type = ReportedType(iface->spec.type);
        info.dhcpEnabled = iface->dhcpEnabled;
        for (const Ipv4Address& a : iface->ipv4) {
            info.ipAddressList.push_back(platform::IpAddrString{
                nettext::FormatIpv4(a.address), nettext::FormatIpv4(a.mask), a.context});
        }
        if (info.ipAddressList.empty()) {
            info.ipAddressList.push_back(platform::IpAddrString{"0.0.0.0", "0.0.0.0", 0});
        }
        for (const Ipv4Route& route : iface->ipv4Routes) {
            if (route.dest == 0 && route.mask == 0) {
                info.gatewayList.push_back(
                    platform::IpAddrString{nettext::FormatIpv4(route.nextHop), "", 0});
            }
        }
        if (info.gatewayList.empty()) {
            info.gatewayList.push_back(platform::IpAddrString{"0.0.0.0", "", 0});
        }
        if (iface->dhcpEnabled && iface->lease) {
            info.dhcpServer.ipAddress =
                iface->lease->released ? "255.255.255.255" : iface->lease->server;
            info.leaseObtained = iface->lease->obtained;
            info.leaseExpires = iface->lease->expires;
        }
        adapters.push_back(std::move(info));
    }
    return adapters.empty() ? status::kNoData : status::kSuccess;
}

Status SimIpStack::GetIpForwardTable(std::vector<platform::MibIpForwardRow>& rows) {
    if (const auto failure = Injected(Call::GetIpForwardTable)) {
        return *failure;
    }
    rows.clear();
    std::vector<const Interface*> all;
    for (const Interface& iface : interfaces_) {
        if (iface.running && iface.ipv4Bound) {
            all.push_back(&iface);
        }
    }
    for (const Interface* iface : all) {
        // Windows 6.0 and later report a route's metric added to its interface's metric.
        const auto reported = [&](uint32_t routeMetric) {
            if (Vista()) {
                return iface->interfaceMetric + routeMetric;
            }
            return routeMetric != 0 ? routeMetric : iface->interfaceMetric;
        };
        for (const Ipv4Route& route : iface->ipv4Routes) {
            platform::MibIpForwardRow row;
            row.dest = route.dest;
            row.mask = route.mask;
            row.nextHop = route.nextHop;
            row.ifIndex = iface->spec.index;
            row.type = kRouteTypeIndirect;
            row.proto = route.proto;
            row.metric1 = reported(route.metric);
            row.metric2 = row.metric3 = row.metric4 = row.metric5 = 0xFFFFFFFF;
            rows.push_back(row);
        }
        // The subnet and host routes of every address.
        for (const Ipv4Address& a : iface->ipv4) {
            const uint32_t onLinkMetric = reported(Vista() ? 256 : 0);
            platform::MibIpForwardRow net;
            net.dest = a.address & a.mask;
            net.mask = a.mask;
            net.nextHop = a.address;
            net.ifIndex = iface->spec.index;
            net.type = kRouteTypeDirect;
            net.proto = kProtoLocal;
            net.metric1 = onLinkMetric;
            net.metric2 = net.metric3 = net.metric4 = net.metric5 = 0xFFFFFFFF;
            rows.push_back(net);
            if (a.mask != 0xFFFFFFFF) {
                platform::MibIpForwardRow host = net;
                host.dest = a.address;
                host.mask = 0xFFFFFFFF;
                rows.push_back(host);
            }
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return nettext::HostOrder(a.dest) < nettext::HostOrder(b.dest);
    });
    return rows.empty() ? status::kNoData : status::kSuccess;
}

std::vector<const SimIpStack::Interface*> SimIpStack::RunningByIndex() const {
    std::vector<const Interface*> ordered;
    for (const Interface& iface : interfaces_) {
        if (iface.running) {
            ordered.push_back(&iface);
        }
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const Interface* a, const Interface* b) { return a->spec.index < b->spec.index; });
    return ordered;
}

Status SimIpStack::GetUnicastIpAddressTable(uint16_t family,
                                            std::vector<platform::UnicastRow>& rows) {
    if (const auto failure = Injected(Call::GetUnicastIpAddressTable)) {
        return *failure;
    }
    if (!Vista()) {
        return kProcNotFound;
    }
    if (family != platform::af::kUnspec && family != platform::af::kInet &&
        family != platform::af::kInet6) {
        return status::kInvalidParameter;
    }
    rows.clear();
    const std::vector<const Interface*> ordered = RunningByIndex();
    if (family != platform::af::kInet6) {
        for (const Interface* iface : ordered) {
            if (!iface->ipv4Bound) {
                continue;
            }
            for (const Ipv4Address& a : iface->ipv4) {
                UnicastRow row;
                row.address = Inet4(a.address);
                row.luid = iface->spec.luid;
                row.ifIndex = iface->spec.index;
                const uint32_t origin = iface->loopback ? kOriginWellKnown
                                        : a.fromDhcp    ? kOriginDhcp
                                                        : kOriginManual;
                row.prefixOrigin = origin;
                row.suffixOrigin = origin;
                row.validLifetime = kInfinite;
                row.preferredLifetime = kInfinite;
                if (a.fromDhcp && iface->lease) {
                    const int64_t left = std::max<int64_t>(0, iface->lease->expires - UtcNow());
                    row.validLifetime = row.preferredLifetime = static_cast<uint32_t>(left);
                }
                row.onLinkPrefixLength = static_cast<uint8_t>(MaskLength(a.mask));
                row.dadState = kDadPreferred;
                rows.push_back(row);
            }
        }
    }
    if (family != platform::af::kInet) {
        for (const Interface* iface : ordered) {
            if (iface->ipv6Bound) {
                rows.insert(rows.end(), iface->ipv6.begin(), iface->ipv6.end());
            }
        }
    }
    return rows.empty() ? status::kNotFound : status::kSuccess;
}

Status SimIpStack::GetIpForwardTable2(uint16_t family, std::vector<platform::ForwardRow2>& rows) {
    if (const auto failure = Injected(Call::GetIpForwardTable2)) {
        return *failure;
    }
    if (!Vista()) {
        return kProcNotFound;
    }
    if (family != platform::af::kUnspec && family != platform::af::kInet &&
        family != platform::af::kInet6) {
        return status::kInvalidParameter;
    }
    rows.clear();
    const std::vector<const Interface*> ordered = RunningByIndex();
    if (family != platform::af::kInet6) {
        for (const Interface* iface : ordered) {
            if (!iface->ipv4Bound) {
                continue;
            }
            const auto add = [&](uint32_t dest, uint32_t mask, uint32_t nextHop, uint32_t metric,
                                 uint32_t protocol) {
                ForwardRow2 row;
                row.luid = iface->spec.luid;
                row.ifIndex = iface->spec.index;
                row.destinationPrefix.prefix = Inet4(dest);
                row.destinationPrefix.prefixLength = static_cast<uint8_t>(MaskLength(mask));
                row.nextHop = Inet4(nextHop);
                row.validLifetime = row.preferredLifetime = kInfinite;
                row.metric = metric;
                row.protocol = protocol;
                row.loopback = row.autoconfigureAddress = true;
                rows.push_back(row);
            };
            for (const Ipv4Route& route : iface->ipv4Routes) {
                add(route.dest, route.mask, route.nextHop, route.metric, route.proto);
            }
            for (const Ipv4Address& a : iface->ipv4) {
                add(a.address & a.mask, a.mask, 0, 256, kProtoLocal);
                add(a.address, 0xFFFFFFFF, 0, 256, kProtoLocal);
            }
        }
    }
    if (family != platform::af::kInet) {
        for (const Interface* iface : ordered) {
            if (!iface->ipv6Bound) {
                continue;
            }
            std::vector<ForwardRow2> own = iface->ipv6Routes;
            const auto addDerived = [&](const ForwardRow2& route) {
                if (std::none_of(own.begin(), own.end(),
                                 [&](const ForwardRow2& r) { return SameIpv6Route(r, route); })) {
                    own.push_back(route);
                }
            };
            // On-link routes Windows keeps for every address: its prefix, the address itself and
            // the multicast range, all without a next hop.
            for (const UnicastRow& address : iface->ipv6) {
                const uint8_t length = address.onLinkPrefixLength;
                if (length < 128) {
                    addDerived(MakeIpv6Route(*iface, MaskPrefix(address.address.ipv6, length),
                                             length, Ipv6Bytes{}, kDefaultIpv6RouteMetric,
                                             kProtoLocal));
                }
                addDerived(MakeIpv6Route(*iface, address.address.ipv6, 128, Ipv6Bytes{},
                                         kDefaultIpv6RouteMetric, kProtoLocal));
            }
            Ipv6Bytes multicast{};
            multicast[0] = 0xFF;
            addDerived(MakeIpv6Route(*iface, multicast, 8, Ipv6Bytes{}, kDefaultIpv6RouteMetric,
                                     kProtoLocal));
            rows.insert(rows.end(), own.begin(), own.end());
        }
    }
    return rows.empty() ? status::kNotFound : status::kSuccess;
}

Status SimIpStack::GetAdaptersAddresses(uint32_t family, uint32_t,
                                        std::vector<platform::AdapterAddresses>& adapters) {
    if (const auto failure = Injected(Call::GetAdaptersAddresses)) {
        return *failure;
    }
    if (!HasIpv6()) {
        return kProcNotFound;  // not in the IP Helper of Windows 2000
    }
    if (family != platform::af::kUnspec && family != platform::af::kInet &&
        family != platform::af::kInet6) {
        return status::kInvalidParameter;
    }
    const bool wantV4 = family != platform::af::kInet6;
    const bool wantV6 = family != platform::af::kInet;
    adapters.clear();
    const std::vector<const Interface*> ordered = RunningByIndex();
    for (const Interface* iface : ordered) {
        if (!((wantV4 && iface->ipv4Bound) || (wantV6 && iface->ipv6Bound))) {
            continue;
        }
        platform::AdapterAddresses record;
        record.ifIndex = iface->ipv4Bound ? iface->spec.index : 0;
        record.ipv6IfIndex = iface->ipv6Bound ? iface->Ipv6Index() : 0;
        record.adapterName = iface->spec.guid;
        record.ifType = ReportedType(iface->spec.type);
        // The record of Windows before 6.0 ends before the LUID and the prefix lengths.
        record.hasLuid = Vista();
        record.luid = Vista() ? iface->spec.luid : 0;
        if (wantV4 && iface->ipv4Bound) {
            for (const Ipv4Address& a : iface->ipv4) {
                platform::AdapterUnicastAddress entry;
                entry.address = Inet4(a.address);
                entry.hasOnLinkPrefixLength = Vista();
                entry.onLinkPrefixLength = Vista() ? static_cast<uint8_t>(MaskLength(a.mask)) : 0;
                record.unicastAddresses.push_back(entry);
            }
        }
        if (wantV6 && iface->ipv6Bound) {
            for (const UnicastRow& row : iface->ipv6) {
                platform::AdapterUnicastAddress entry;
                entry.address = row.address;
                entry.hasOnLinkPrefixLength = Vista();
                entry.onLinkPrefixLength = Vista() ? row.onLinkPrefixLength : 0;
                record.unicastAddresses.push_back(entry);
            }
        }
        adapters.push_back(std::move(record));
    }
    return adapters.empty() ? status::kNoData : status::kSuccess;
}

Status SimIpStack::GetInterfaceInfo(std::vector<platform::IpAdapterIndexMap>& adapters) {
    if (const auto failure = Injected(Call::GetInterfaceInfo)) {
        return *failure;
    }
    adapters.clear();
    for (const Interface* iface : Interfaces()) {
        if (iface->running && iface->ipv4Bound) {
            adapters.push_back(platform::IpAdapterIndexMap{
                iface->spec.index, text::Utf8ToUtf16(AdapterName(iface->spec.guid))});
        }
    }
    return adapters.empty() ? status::kNoData : status::kSuccess;
}

// --- DHCPv4 ---

Status SimIpStack::IpReleaseAddress(const platform::IpAdapterIndexMap& adapter) {
    if (const auto failure = Injected(Call::IpReleaseAddress)) {
        return *failure;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    Interface* iface = FindRunningByName(adapter.name);
    if (iface == nullptr || !iface->dhcpEnabled) {
        return status::kInvalidParameter;
    }
    if (iface->lease && !iface->lease->released) {
        ReleaseLease(*iface);
    }
    return status::kSuccess;
}

Status SimIpStack::IpRenewAddress(const platform::IpAdapterIndexMap& adapter) {
    if (const auto failure = Injected(Call::IpRenewAddress)) {
        return *failure;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    Interface* iface = FindRunningByName(adapter.name);
    if (iface == nullptr || !iface->dhcpEnabled) {
        return status::kInvalidParameter;
    }
    const auto& answer = iface->spec.network.dhcp;
    if (iface->lease && !iface->lease->released && answer) {
        // Renewing a held lease keeps the address and only moves its times on.
        iface->lease->obtained = UtcNow();
        iface->lease->expires = iface->lease->obtained + answer->leaseSeconds;
        WriteLeaseToRegistry(*iface, *answer);
        return status::kSuccess;
    }
    if (!ObtainLease(*iface)) {
        return kSemTimeout;  // no DHCP server answered
    }
    ApplyPersistentRoutes(*iface);
    return status::kSuccess;
}

// --- Live IPv4 changes ---

Status SimIpStack::AddIPAddress(uint32_t address, uint32_t mask, uint32_t ifIndex,
                                uint32_t& nteContext, uint32_t& nteInstance) {
    if (const auto failure = Injected(Call::AddIPAddress)) {
        return *failure;
    }
    if (!Admin()) {
        return status::kInvalidHandle;  // what AddIPAddress answers a user without rights
    }
    Interface* iface = FindRunningByIndex(ifIndex);
    if (iface == nullptr || !iface->ipv4Bound) {
        return status::kDevNotExist;
    }
    if (const Status invalid = CheckUnicastIpv4(address, mask, iface->loopback);
        invalid != status::kSuccess) {
        return invalid;
    }
    for (const Interface& other : interfaces_) {
        for (const Ipv4Address& a : other.ipv4) {
            if (other.running && a.address == address) {
                return Vista() ? status::kObjectAlreadyExists : kDupDomainName;
            }
        }
    }
    const uint32_t context = NewContext();
    iface->ipv4.push_back(Ipv4Address{address, mask, context, false});
    nteContext = context;
    nteInstance = context;
    return status::kSuccess;
}

Status SimIpStack::DeleteIPAddress(uint32_t nteContext) {
    if (const auto failure = Injected(Call::DeleteIPAddress)) {
        return *failure;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    for (Interface& iface : interfaces_) {
        if (!iface.running || iface.loopback) {
            continue;
        }
        const auto it = std::find_if(iface.ipv4.begin(), iface.ipv4.end(),
                                     [&](const Ipv4Address& a) { return a.context == nteContext; });
        if (it != iface.ipv4.end()) {
            iface.ipv4.erase(it);
            return status::kSuccess;
        }
    }
    return status::kInvalidParameter;
}

Status SimIpStack::CreateIpForwardEntry(const platform::MibIpForwardRow& row) {
    if (const auto failure = Injected(Call::CreateIpForwardEntry)) {
        return *failure;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    if (row.proto != kProtoNetMgmt || !nettext::IsContiguousMask(row.mask) ||
        (row.dest & ~row.mask) != 0) {
        return status::kInvalidParameter;
    }
    Interface* iface = FindRunningByIndex(row.ifIndex);
    if (iface == nullptr || !iface->ipv4Bound) {
        return Vista() ? status::kFileNotFound : status::kInvalidParameter;
    }
    uint32_t metric = row.metric1;
    if (Vista()) {
        // The metric given is the sum of interface and route metric; it cannot be below the
        // interface's own.
        if (row.metric1 < iface->interfaceMetric) {
            return kBadArguments;
        }
        metric = row.metric1 - iface->interfaceMetric;
    }
    const bool present =
        std::any_of(iface->ipv4Routes.begin(), iface->ipv4Routes.end(), [&](const Ipv4Route& r) {
            return r.dest == row.dest && r.mask == row.mask && r.nextHop == row.nextHop;
        });
    if (present) {
        return status::kObjectAlreadyExists;
    }
    iface->ipv4Routes.push_back(
        Ipv4Route{row.dest, row.mask, row.nextHop, metric, kProtoNetMgmt, false});
    return status::kSuccess;
}

Status SimIpStack::DeleteIpForwardEntry(const platform::MibIpForwardRow& row) {
    if (const auto failure = Injected(Call::DeleteIpForwardEntry)) {
        return *failure;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    Interface* iface = FindRunningByIndex(row.ifIndex);
    if (iface == nullptr || !iface->ipv4Bound) {
        return Vista() ? status::kFileNotFound : status::kInvalidParameter;
    }
    const auto it =
        std::find_if(iface->ipv4Routes.begin(), iface->ipv4Routes.end(), [&](const Ipv4Route& r) {
            return r.dest == row.dest && r.mask == row.mask && r.nextHop == row.nextHop;
        });
    if (it == iface->ipv4Routes.end()) {
        return Vista() ? status::kNotFound : status::kInvalidParameter;
    }
    iface->ipv4Routes.erase(it);
    return status::kSuccess;
}

// --- Live IPv6 (and IPv4) changes through the newer calls ---

void SimIpStack::InitializeUnicastIpAddressEntry(platform::UnicastRow& row) {
    row = UnicastRow{};
    row.prefixOrigin = kOriginUnchanged;
    row.suffixOrigin = kOriginUnchanged;
    row.onLinkPrefixLength = kUnsetLength;
    row.validLifetime = kInfinite;
    row.preferredLifetime = kInfinite;
    row.skipAsSource = false;
}

void SimIpStack::InitializeIpForwardEntry(platform::ForwardRow2& row) {
    row = ForwardRow2{};
    row.validLifetime = kInfinite;
    row.preferredLifetime = kInfinite;
    row.loopback = true;
    row.autoconfigureAddress = true;
    row.publish = true;
    row.immortal = true;
    row.sitePrefixLength = kUnsetLength;
    row.metric = kInfinite;
    row.protocol = kInfinite;
}

Status SimIpStack::CreateUnicastIpAddressEntry(const platform::UnicastRow& row) {
    if (const auto failure = Injected(Call::CreateUnicastIpAddressEntry)) {
        return *failure;
    }
    if (!Vista()) {
        return kProcNotFound;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    const uint16_t family = row.address.family;
    if ((family != platform::af::kInet && family != platform::af::kInet6) ||
        (row.luid == 0 && row.ifIndex == 0)) {
        return status::kInvalidParameter;
    }
    const bool v6 = family == platform::af::kInet6;
    if ((row.prefixOrigin == kOriginUnchanged) != (row.suffixOrigin == kOriginUnchanged) ||
        (row.prefixOrigin != kOriginUnchanged && row.prefixOrigin > 4) ||
        (row.suffixOrigin != kOriginUnchanged && row.suffixOrigin > 5) ||
        row.validLifetime < row.preferredLifetime) {
        return status::kInvalidParameter;
    }
    const uint8_t fullLength = v6 ? 128 : 32;
    uint8_t length = row.onLinkPrefixLength;
    if (length == kUnsetLength) {
        length = fullLength;  // the initialiser's value: a host prefix
    }
    if (length > fullLength) {
        return status::kInvalidParameter;
    }
    Interface* iface = FindRunningByLuidOrIndex(row.luid, row.ifIndex, v6);
    if (iface == nullptr) {
        return status::kNotFound;
    }
    if (!v6) {
        const uint32_t mask = nettext::PrefixToMask(length);
        if (CheckUnicastIpv4(row.address.ipv4, mask, iface->loopback) != status::kSuccess) {
            return status::kInvalidParameter;
        }
        if (std::any_of(iface->ipv4.begin(), iface->ipv4.end(),
                        [&](const Ipv4Address& a) { return a.address == row.address.ipv4; })) {
            return status::kObjectAlreadyExists;
        }
        iface->ipv4.push_back(Ipv4Address{row.address.ipv4, mask, NewContext(), false});
        return status::kSuccess;
    }
    const Ipv6Bytes& address = row.address.ipv6;
    if (IsZero(address) || address[0] == 0xFF || (IsLoopbackV6(address) != iface->loopback)) {
        return status::kInvalidParameter;
    }
    if (std::any_of(iface->ipv6.begin(), iface->ipv6.end(),
                    [&](const UnicastRow& r) { return r.address.ipv6 == address; })) {
        return status::kObjectAlreadyExists;
    }
    const uint32_t prefixOrigin =
        row.prefixOrigin == kOriginUnchanged ? kOriginManual : row.prefixOrigin;
    const uint32_t suffixOrigin =
        row.suffixOrigin == kOriginUnchanged ? kOriginManual : row.suffixOrigin;
    UnicastRow stored = MakeIpv6Row(*iface, address, length, prefixOrigin, suffixOrigin,
                                    row.validLifetime, row.preferredLifetime);
    stored.skipAsSource = row.skipAsSource;
    iface->ipv6.push_back(stored);
    return status::kSuccess;
}

Status SimIpStack::DeleteUnicastIpAddressEntry(const platform::UnicastRow& row) {
    if (const auto failure = Injected(Call::DeleteUnicastIpAddressEntry)) {
        return *failure;
    }
    if (!Vista()) {
        return kProcNotFound;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    const uint16_t family = row.address.family;
    if ((family != platform::af::kInet && family != platform::af::kInet6) ||
        (row.luid == 0 && row.ifIndex == 0)) {
        return status::kInvalidParameter;
    }
    const bool v6 = family == platform::af::kInet6;
    Interface* iface = FindRunningByLuidOrIndex(row.luid, row.ifIndex, v6);
    if (iface == nullptr) {
        return status::kNotFound;
    }
    if (!v6) {
        const auto it =
            std::find_if(iface->ipv4.begin(), iface->ipv4.end(),
                         [&](const Ipv4Address& a) { return a.address == row.address.ipv4; });
        if (it == iface->ipv4.end()) {
            return status::kNotFound;
        }
        iface->ipv4.erase(it);
        return status::kSuccess;
    }
    const auto it = std::find_if(iface->ipv6.begin(), iface->ipv6.end(), [&](const UnicastRow& r) {
        return r.address.ipv6 == row.address.ipv6;
    });
    if (it == iface->ipv6.end()) {
        return status::kNotFound;
    }
    iface->ipv6.erase(it);
    return status::kSuccess;
}

Status SimIpStack::CreateIpForwardEntry2(const platform::ForwardRow2& row) {
    if (const auto failure = Injected(Call::CreateIpForwardEntry2)) {
        return *failure;
    }
    if (!Vista()) {
        return kProcNotFound;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    const uint16_t family = row.destinationPrefix.prefix.family;
    if ((family != platform::af::kInet && family != platform::af::kInet6) ||
        row.nextHop.family != family || (row.luid == 0 && row.ifIndex == 0)) {
        return status::kInvalidParameter;
    }
    const bool v6 = family == platform::af::kInet6;
    const uint8_t length = row.destinationPrefix.prefixLength;
    if (length > (v6 ? 128 : 32) || row.preferredLifetime > row.validLifetime ||
        (row.sitePrefixLength != kUnsetLength && row.sitePrefixLength > length)) {
        return status::kInvalidParameter;
    }
    Interface* iface = FindRunningByLuidOrIndex(row.luid, row.ifIndex, v6);
    if (iface == nullptr) {
        return status::kNotFound;
    }
    // The initialiser's "not set" metric and protocol become the defaults of a manual route.
    const uint32_t metric =
        row.metric == kInfinite ? (v6 ? kDefaultIpv6RouteMetric : 0) : row.metric;
    const uint32_t protocol = row.protocol == kInfinite ? kProtoNetMgmt : row.protocol;
    if (!v6) {
        const uint32_t mask = nettext::PrefixToMask(length);
        const uint32_t dest = row.destinationPrefix.prefix.ipv4 & mask;
        if (std::any_of(
                iface->ipv4Routes.begin(), iface->ipv4Routes.end(), [&](const Ipv4Route& r) {
                    return r.dest == dest && r.mask == mask && r.nextHop == row.nextHop.ipv4;
                })) {
            return status::kObjectAlreadyExists;
        }
        iface->ipv4Routes.push_back(
            Ipv4Route{dest, mask, row.nextHop.ipv4, metric, protocol, false});
        return status::kSuccess;
    }
    ForwardRow2 stored = row;
    stored.luid = iface->spec.luid;
    stored.ifIndex = iface->Ipv6Index();
    stored.destinationPrefix.prefix.ipv6 = MaskPrefix(row.destinationPrefix.prefix.ipv6, length);
    stored.sitePrefixLength = row.sitePrefixLength == kUnsetLength ? 0 : row.sitePrefixLength;
    stored.metric = metric;
    stored.protocol = protocol;
    if (std::any_of(iface->ipv6Routes.begin(), iface->ipv6Routes.end(),
                    [&](const ForwardRow2& r) { return SameIpv6Route(r, stored); })) {
        return status::kObjectAlreadyExists;
    }
    iface->ipv6Routes.push_back(stored);
    return status::kSuccess;
}

Status SimIpStack::DeleteIpForwardEntry2(const platform::ForwardRow2& row) {
    if (const auto failure = Injected(Call::DeleteIpForwardEntry2)) {
        return *failure;
    }
    if (!Vista()) {
        return kProcNotFound;
    }
    if (!Admin()) {
        return status::kAccessDenied;
    }
    const uint16_t family = row.destinationPrefix.prefix.family;
    if ((family != platform::af::kInet && family != platform::af::kInet6) ||
        (row.luid == 0 && row.ifIndex == 0)) {
        return status::kInvalidParameter;
    }
    const bool v6 = family == platform::af::kInet6;
    Interface* iface = FindRunningByLuidOrIndex(row.luid, row.ifIndex, v6);
    if (iface == nullptr) {
        return status::kNotFound;
    }
    const uint8_t length = row.destinationPrefix.prefixLength;
    if (!v6) {
        const uint32_t mask = nettext::PrefixToMask(length);
        const auto it = std::find_if(
            iface->ipv4Routes.begin(), iface->ipv4Routes.end(), [&](const Ipv4Route& r) {
                return r.dest == (row.destinationPrefix.prefix.ipv4 & mask) && r.mask == mask &&
                       r.nextHop == row.nextHop.ipv4;
            });
        if (it == iface->ipv4Routes.end()) {
            return status::kNotFound;
        }
        iface->ipv4Routes.erase(it);
        return status::kSuccess;
    }
    ForwardRow2 wanted = row;
    wanted.destinationPrefix.prefix.ipv6 = MaskPrefix(row.destinationPrefix.prefix.ipv6, length);
    const auto it = std::find_if(iface->ipv6Routes.begin(), iface->ipv6Routes.end(),
                                 [&](const ForwardRow2& r) { return SameIpv6Route(r, wanted); });
    if (it == iface->ipv6Routes.end()) {
        return status::kNotFound;
    }
    iface->ipv6Routes.erase(it);
    return status::kSuccess;
}

// --- ipconfig ---

Status SimIpStack::RunConsoleCommand(std::string_view commandLine) {
    std::vector<std::string> words;
    for (std::string& word : text::Split(text::Trim(commandLine), " ")) {
        if (!word.empty()) {
            words.push_back(text::ToLower(word));
        }
    }
    if (words.size() < 2) {
        return status::kSuccess;
    }
    std::string program = words[0];
    if (const size_t cut = program.find_last_of("\\/"); cut != std::string::npos) {
        program = program.substr(cut + 1);
    }
    if (program != "ipconfig" && program != "ipconfig.exe") {
        return status::kSuccess;
    }
    const std::string& option = words[1];
    for (Interface& iface : interfaces_) {
        if (!iface.running || iface.loopback) {
            continue;
        }
        if (option == "/release" && iface.ipv4Bound && iface.dhcpEnabled && iface.lease &&
            !iface.lease->released) {
            ReleaseLease(iface);
        } else if (option == "/renew" && iface.ipv4Bound && iface.dhcpEnabled) {
            if (ObtainLease(iface)) {
                ApplyPersistentRoutes(iface);
            }
        } else if (option == "/release6" && iface.ipv6Bound) {
            ReleaseDhcpv6(iface);
        } else if (option == "/renew6" && iface.ipv6Bound && iface.dhcpv6Enabled) {
            ObtainDhcpv6(iface);
        }
    }
    return status::kSuccess;
}

}  // namespace vexav6::sim
