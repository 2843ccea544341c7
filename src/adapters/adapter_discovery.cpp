// AdapterInfo: reading the adapter's IP configuration. An enabled adapter is read through the IP
// Helper interface, which reports what is in use; a disabled one has no interface in the IP stack,
// so what it will use when enabled again is read from the registry. IPv6 on Windows 6.0 and later
// keeps its per-interface settings in the network store keys, read directly.

#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "adapters/adapter_info.h"
#include "adapters/adapter_paths.h"
#include "base/error.h"
#include "base/text.h"
#include "ipconfig/convert.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "ipconfig/ipv4_support.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"
#include "system/common.h"
#include "system/registry.h"
#include "system/system_error.h"
#include "system/win_ver.h"

namespace vexav6 {

using platform::RootKey;
namespace status = platform::status;

namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr size_t kInterfaceRecordSize = 368;
constexpr size_t kAddressRecordSize = 48;
constexpr size_t kRouteRecordSize = 56;
// GetAdaptersAddresses: skip anycast, multicast and DNS server entries, include prefixes, skip
// friendly names.
constexpr uint32_t kAdaptersAddressesFlags = 62;
constexpr std::string_view kZero("\0", 1);

uint32_t LittleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// A table call that found nothing to list answers "no data" (or "not found" for the tables of
// Windows 6.0): that is an empty table, not a failure.
bool EmptyTable(platform::Status result) {
    return result == status::kNoData || result == status::kNotFound;
}

// A zero-separated list as a multi-string reads: one closing zero dropped, then split at zeros.
std::vector<std::string> SplitZeroList(std::string text) {
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text::Split(text, kZero);
}

std::string WithoutZeros(std::string_view text) {
    std::string result;
    for (const char c : text) {
        if (c != '\0') {
            result += c;
        }
    }
    return result;
}

// The number a metric text begins with (blanks before it skipped), 0 when it does not begin with
// one.
int32_t LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) {
            return 0;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

// Reads a 4-byte registry value; false when it is missing or of another length.
bool ReadDword(const Platform& platform, const std::string& key, const char* name,
               uint32_t& value) {
    std::vector<uint8_t> bytes;
    uint32_t type = 0;
    if (Registry::ReadBinaryValue(platform, kHklm, key, name, bytes, type) != status::kSuccess ||
        bytes.size() != 4) {
        return false;
    }
    value = LittleEndian32(bytes.data());
    return true;
}

// The DNS servers of a "NameServer" value, or of the DHCP one when that is empty and DHCP is on.
KeyedCollection<std::string> ReadNameServers(const Platform& platform, const std::string& key,
                                             const char* dhcpValueName, bool dhcpEnabled) {
    std::string servers;
    std::string_view separator = ",";
    platform::Status result =
        Registry::ReadStringValue(platform, kHklm, key, "NameServer", servers);
    if ((result != status::kSuccess || servers.empty()) && dhcpEnabled) {
        servers.clear();
        separator = " ";
        result = Registry::ReadStringValue(platform, kHklm, key, dhcpValueName, servers);
    }
    KeyedCollection<std::string> list;
    if (result == status::kSuccess) {
        for (const std::string& server : text::Split(servers, separator)) {
            if (!server.empty() && !Common::CollectionKeyExists(list, server)) {
                list.Add(server, server);
            }
        }
    }
    return list;
}

}  // namespace

std::string AdapterInfo::IPv4KeyPath() const {
    // IpConfig is a list; its first entry is the interface key.
    const std::string_view path(ipConfigRegistryPath_);
    return std::string(AdapterPaths::kServicesRoot) + std::string(path.substr(0, path.find('\0')));
}

void AdapterInfo::GetIPInfo(bool showErrorMsg) {
    try {
        ipv4Addresses_ = std::make_shared<vexav6::IPv4Addresses>();
        ipv4Gateways_ = std::make_shared<vexav6::IPv4Gateways>();
        ipv4NameServers_ = std::make_shared<vexav6::IPv4NameServers>();
        ipv6Addresses_ = std::make_shared<vexav6::IPv6Addresses>();
        ipv6Gateways_ = std::make_shared<vexav6::IPv6Gateways>();
        ipv6NameServers_ = std::make_shared<vexav6::IPv6NameServers>();

        if (ipv4Binding_) {
            GetIPv4InterfaceInfoFromRegistry();
            if (state_) {
                GetIPv4InfoFromAPI();
            } else {
                GetIPv4InfoFromRegistry();
            }
            GetIPv4NameServersFromRegistry();
        }
        if (ipv6Binding_) {
            if (WinVer::IsVistaOrLater(platform_)) {
                GetIPv6InterfaceInfoFromRegistry();
                if (state_) {
                    GetIPv6InfoFromAPI();
                } else {
                    GetIPv6InfoFromRegistry();
                }
                GetIPv6NameServersFromRegistry();
            } else if (WinVer::IsXPOrLater(platform_)) {
                ipv6RouterDiscovery_ = 1;
                if (state_) {
                    GetIPv6InfoFromAPIWinXP();
                }
            } else {
                ipv6Binding_ = false;  // Windows 2000 has no IPv6
            }
        }
    } catch (...) {
        ShowError(showErrorMsg);
    }
}

void AdapterInfo::GetIPv4InterfaceInfoFromRegistry() {
    const std::string key = IPv4KeyPath();
    std::vector<uint8_t> bytes;
    uint32_t type = 0;
    if (Registry::ReadBinaryValue(platform_, kHklm, key, "InterfaceMetric", bytes, type) ==
            status::kSuccess &&
        bytes.size() >= 4) {
        ifMetric_ = static_cast<int32_t>(LittleEndian32(bytes.data()));
    }

    bytes.clear();
    if (Registry::ReadBinaryValue(platform_, kHklm, key, "EnableDHCP", bytes, type) !=
            status::kSuccess ||
        bytes.size() != 4) {
        return;
    }
    dhcpv4Enabled_ = bytes[0] == 1;
    if (!dhcpv4Enabled_) {
        return;
    }
    // Lease times are stored as UTC seconds since 1970; the bias makes them local.
    const auto leaseTime = [&](const char* name, OleDate& date) {
        uint32_t seconds = 0;
        if (!ReadDword(platform_, key, name, seconds)) {
            return;
        }
        date = DateFromUnixSeconds(seconds);
        if (timeZoneActiveBias_ != 0) {
            date = AddMinutes(date, timeZoneActiveBias_);
        }
    };
    leaseTime("LeaseObtainedTime", leaseObtained_);
    leaseTime("LeaseTerminatesTime", leaseExpires_);
}

void AdapterInfo::GetIPv4InfoFromAPI() {
    constexpr const char* kSource = "AdapterInfo.GetIPv4InfoFromAPI";
    std::vector<platform::IpAdapterInfo> adapters;
    platform::Status result = platform_.ipHelper.GetAdaptersInfo(adapters);
    if (EmptyTable(result)) {
        adapters.clear();
    } else {
        ThrowIfFailed(platform_, result, kSource);
    }

    vexav6::IPv4Addresses::List addresses;
    for (const platform::IpAdapterInfo& adapter : adapters) {
        if (adapter.index != static_cast<uint32_t>(ifIndex_)) {
            continue;
        }
        interfaceType_ = static_cast<int32_t>(adapter.type);
        for (const platform::IpAddrString& entry : adapter.ipAddressList) {
            auto address = std::make_shared<IPv4Address>();
            address->Init(WithoutZeros(entry.ipAddress), WithoutZeros(entry.ipMask),
                          static_cast<int32_t>(entry.context), ifIndex_, netCfgInstanceId_, this);
            if (!Common::CollectionKeyExists(addresses, address->IPAddress())) {
                const std::string key = address->IPAddress();
                addresses.Add(std::move(address), key);
            }
        }
    }
    ipv4Addresses_->Init(ifIndex_, netCfgInstanceId_, addresses, this);

    std::vector<platform::MibIpForwardRow> routes;
    result = platform_.ipHelper.GetIpForwardTable(routes);
    if (EmptyTable(result)) {
        routes.clear();
    } else {
        ThrowIfFailed(platform_, result, kSource);
    }
    vexav6::IPv4Gateways::List gateways;
    for (const platform::MibIpForwardRow& route : routes) {
        // The default routes of this interface.
        if (route.dest != 0 || route.mask != 0 ||
            route.ifIndex != static_cast<uint32_t>(ifIndex_)) {
            continue;
        }
        auto gateway = std::make_shared<IPv4Gateway>();
        gateway->Init(IPv4Support::IPv4AddressToText(route.nextHop),
                      static_cast<int32_t>(route.metric1), ifIndex_, netCfgInstanceId_, ifMetric_,
                      this);
        if (!Common::CollectionKeyExists(gateways, gateway->Gateway())) {
            const std::string key = gateway->Gateway();
            gateways.Add(std::move(gateway), key);
        }
    }
    ipv4Gateways_->Init(ifIndex_, ifMetric_, netCfgInstanceId_, gateways, this);
}

void AdapterInfo::GetIPv4InfoFromRegistry() {
    const std::string key = IPv4KeyPath();
    const std::string prefix = dhcpv4Enabled_ ? "Dhcp" : "";

    vexav6::IPv4Addresses::List addresses;
    std::string addressText;
    if (Registry::ReadStringValue(platform_, kHklm, key, prefix + "IPAddress", addressText) ==
        status::kSuccess) {
        std::vector<std::string> addressList;
        std::vector<std::string> maskList;
        if (!addressText.empty()) {
            addressList = SplitZeroList(addressText);
            std::string maskText;
            if (Registry::ReadStringValue(platform_, kHklm, key, prefix + "SubnetMask", maskText) ==
                status::kSuccess) {
                maskList = SplitZeroList(maskText);
            }
            maskList.resize(addressList.size());
        } else {
            // A static adapter without addresses: IPv4 does not run on it.
            if (!dhcpv4Enabled_) {
                ipv4Binding_ = false;
            }
            addressList = {""};
            maskList = {""};
        }
        for (size_t i = 0; i < addressList.size(); ++i) {
            auto address = std::make_shared<IPv4Address>();
            address->Init(addressList[i], maskList[i], 0, ifIndex_, netCfgInstanceId_, this);
            if (!Common::CollectionKeyExists(addresses, address->IPAddress())) {
                const std::string itemKey = address->IPAddress();
                addresses.Add(std::move(address), itemKey);
            }
        }
    }
    ipv4Addresses_->Init(ifIndex_, netCfgInstanceId_, addresses, this);

    vexav6::IPv4Gateways::List gateways;
    std::string gatewayText;
    if (Registry::ReadStringValue(platform_, kHklm, key, prefix + "DefaultGateway", gatewayText) ==
        status::kSuccess) {
        std::vector<std::string> gatewayList = {""};
        std::vector<std::string> metricList = {""};
        if (!gatewayText.empty()) {
            gatewayList = SplitZeroList(gatewayText);
            metricList.clear();
            std::string metricText;
            if (Registry::ReadStringValue(platform_, kHklm, key, prefix + "DefaultGatewayMetric",
                                          metricText) == status::kSuccess) {
                metricList = SplitZeroList(metricText);
            }
            metricList.resize(gatewayList.size());
        }
        for (size_t i = 0; i < gatewayList.size(); ++i) {
            if (gatewayList[i].empty()) {
                continue;
            }
            auto gateway = std::make_shared<IPv4Gateway>();
            gateway->Init(gatewayList[i], LeadingNumber(metricList[i]), ifIndex_, netCfgInstanceId_,
                          ifMetric_, this);
            if (!Common::CollectionKeyExists(gateways, gateway->Gateway())) {
                const std::string itemKey = gateway->Gateway();
                gateways.Add(std::move(gateway), itemKey);
            }
        }
    }
    ipv4Gateways_->Init(ifIndex_, ifMetric_, netCfgInstanceId_, gateways, this);
}

void AdapterInfo::GetIPv4NameServersFromRegistry() {
    ipv4NameServers_->Init(
        netCfgInstanceId_,
        ReadNameServers(platform_, IPv4KeyPath(), "DhcpNameServer", dhcpv4Enabled_), this);
}

void AdapterInfo::GetIPv6InterfaceInfoFromRegistry() {
    Registry::CreateKey(platform_, kHklm, AdapterPaths::kNsiInterfaces);
    std::array<uint8_t, kInterfaceRecordSize> record{};
    uint32_t type = 0;
    if (Registry::ReadRawValue(platform_, kHklm, AdapterPaths::kNsiInterfaces, LuidText(),
                               record.data(), static_cast<uint32_t>(record.size()),
                               type) == status::kSuccess) {
        ipv6RouterAdvertisement_ = record[0] == 1;
        dhcpv6Enabled_ = record[10] == 1;
        ipv6RouterDiscovery_ = static_cast<int32_t>(LittleEndian32(&record[20]));
    } else {
        // No record: Windows' defaults.
        dhcpv6Enabled_ = false;
        ipv6RouterDiscovery_ = 1;
        ipv6RouterAdvertisement_ = false;
    }
}

void AdapterInfo::GetIPv6InfoFromAPI() {
    constexpr const char* kSource = "AdapterInfo.GetIPv6InfoFromAPI";
    std::vector<platform::UnicastRow> rows;
    platform::Status result =
        platform_.ipHelper.GetUnicastIpAddressTable(platform::af::kInet6, rows);
    if (EmptyTable(result)) {
        rows.clear();
    } else {
        ThrowIfFailed(platform_, result, kSource);
    }
    vexav6::IPv6Addresses::List addresses;
    for (const platform::UnicastRow& row : rows) {
        if (row.ifIndex != static_cast<uint32_t>(ifIndex_)) {
            continue;
        }
        interfaceType_ = static_cast<int32_t>(row.luid >> 48);
        auto address = std::make_shared<IPv6Address>();
        address->Init2(row, this);
        const std::string key = address->IPAddress();
        if (!Common::CollectionKeyExists(addresses, key)) {
            addresses.Add(std::move(address), key);
        }
    }
    ipv6Addresses_->Init(ifIndex_, luid_, addresses, this);

    std::vector<platform::ForwardRow2> routes;
    result = platform_.ipHelper.GetIpForwardTable2(platform::af::kInet6, routes);
    if (EmptyTable(result)) {
        routes.clear();
    } else {
        ThrowIfFailed(platform_, result, kSource);
    }
    vexav6::IPv6Gateways::List gateways;
    for (const platform::ForwardRow2& route : routes) {
        if (route.ifIndex != static_cast<uint32_t>(ifIndex_)) {
            continue;
        }
        auto gateway = std::make_shared<IPv6Gateway>();
        gateway->Init2(route, this);
        const std::string key = gateway->NextHop();
        // Routes on the link itself have no next hop; every route with one counts.
        if (key != "::" && !Common::CollectionKeyExists(gateways, key)) {
            gateways.Add(std::move(gateway), key);
        }
    }
    ipv6Gateways_->Init(ifIndex_, luid_, netCfgInstanceId_, gateways, this);
}

void AdapterInfo::GetIPv6InfoFromRegistry() {
    constexpr const char* kSource = "AdapterInfo.GetIPv6InfoFromRegistry";
    const std::string luidText = LuidText();

    Registry::CreateKey(platform_, kHklm, AdapterPaths::kNsiAddresses);
    std::vector<std::string> names;
    std::vector<uint32_t> types;
    platform::Status result =
        Registry::EnumValues(platform_, kHklm, AdapterPaths::kNsiAddresses, names, types);
    ThrowIfFailed(platform_, result, kSource);
    // Value names: the LUID text, then the 16 address bytes in hexadecimal.
    vexav6::IPv6Addresses::List addresses;
    for (const std::string& name : names) {
        if (name.size() < 16 || !text::EqualsIgnoreCase(name.substr(0, 16), luidText)) {
            continue;
        }
        std::array<uint8_t, kAddressRecordSize> record{};
        uint32_t type = 0;
        if (Registry::ReadRawValue(platform_, kHklm, AdapterPaths::kNsiAddresses, name,
                                   record.data(), static_cast<uint32_t>(record.size()),
                                   type) != status::kSuccess) {
            continue;
        }
        auto address = std::make_shared<IPv6Address>();
        address->Init(Convert::HexToBytes(name.substr(16)), record[16], ifIndex_, luid_, this);
        const std::string key = address->IPAddress();
        if (!Common::CollectionKeyExists(addresses, key)) {
            addresses.Add(std::move(address), key);
        }
    }
    ipv6Addresses_->Init(ifIndex_, luid_, addresses, this);

    Registry::CreateKey(platform_, kHklm, AdapterPaths::kNsiRoutes);
    names.clear();
    types.clear();
    result = Registry::EnumValues(platform_, kHklm, AdapterPaths::kNsiRoutes, names, types);
    ThrowIfFailed(platform_, result, kSource);
    // Value names: destination, prefix length and zeros up to 80 digits, the LUID text twice, then
    // the 16 next-hop bytes in hexadecimal.
    vexav6::IPv6Gateways::List gateways;
    for (const std::string& name : names) {
        if (name.size() < 112 || !text::EqualsIgnoreCase(name.substr(96, 16), luidText)) {
            continue;
        }
        std::array<uint8_t, kRouteRecordSize> record{};
        uint32_t type = 0;
        if (Registry::ReadRawValue(platform_, kHklm, AdapterPaths::kNsiRoutes, name, record.data(),
                                   static_cast<uint32_t>(record.size()),
                                   type) != status::kSuccess) {
            continue;
        }
        auto gateway = std::make_shared<IPv6Gateway>();
        gateway->Init(Convert::HexToBytes(name.substr(name.size() - 32)),
                      static_cast<int32_t>(LittleEndian32(&record[12])), ifIndex_, luid_, this);
        const std::string key = gateway->NextHop();
        if (!Common::CollectionKeyExists(gateways, key)) {
            gateways.Add(std::move(gateway), key);
        }
    }
    ipv6Gateways_->Init(ifIndex_, luid_, netCfgInstanceId_, gateways, this);
}

void AdapterInfo::GetIPv6NameServersFromRegistry() {
    ipv6NameServers_->Init(
        netCfgInstanceId_,
        ReadNameServers(platform_, AdapterPaths::Tcpip6InterfaceKey(netCfgInstanceId_),
                        "Dhcpv6NameServer", dhcpv6Enabled_),
        this);
}

void AdapterInfo::GetIPv6InfoFromAPIWinXP() {
    constexpr const char* kSource = "AdapterInfo.GetIPv6InfoFromAPIWinXP";
    std::vector<platform::AdapterAddresses> records;
    const platform::Status result = platform_.ipHelper.GetAdaptersAddresses(
        platform::af::kInet6, kAdaptersAddressesFlags, records);
    if (result == status::kNoData || (result == status::kSuccess && records.empty())) {
        return;  // no IPv6 interface at all
    }
    ThrowIfFailed(platform_, result, kSource);
    vexav6::IPv6Addresses::List addresses;
    for (const platform::AdapterAddresses& record : records) {
        // Before Windows 6.0 IPv6 numbers its interfaces apart from IPv4, so the record is found
        // by the adapter's name (its configuration GUID), not by the IPv4 interface index.
        if (!text::EqualsIgnoreCase(record.adapterName, netCfgInstanceId_)) {
            continue;
        }
        interfaceType_ = static_cast<int32_t>(record.ifType);
        if (record.hasLuid) {
            luid_ = record.luid;
        }
        for (const platform::AdapterUnicastAddress& entry : record.unicastAddresses) {
            auto address = std::make_shared<IPv6Address>();
            address->Init(entry.address.ipv6,
                          entry.hasOnLinkPrefixLength ? entry.onLinkPrefixLength : uint8_t{0},
                          ifIndex_, luid_, this);
            const std::string key = address->IPAddress();
            if (!Common::CollectionKeyExists(addresses, key)) {
                addresses.Add(std::move(address), key);
            }
        }
    }
    ipv6Addresses_->Init(ifIndex_, luid_, addresses, this);
}

}  // namespace vexav6
