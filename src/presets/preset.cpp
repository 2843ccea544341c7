#include "presets/preset.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>
#include <vector>

#include "adapters/adapter_info.h"
#include "base/error.h"
#include "base/text.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"
#include "presets/ie_proxy.h"
#include "vendors/nic_vendor.h"

namespace vexav6 {

namespace {

constexpr uint8_t kRecordVersion = 1;
constexpr int16_t kAbsentList = -1;
constexpr size_t kIPv6Size = 16;

// ---- Writing ----

// Counts are stored as 16-bit numbers.
void CheckCount(int32_t count, const char* source) {
    if (count > std::numeric_limits<int16_t>::max()) {
        throw Error::Overflow(source);
    }
}

template <class List>
void CheckList(const std::optional<List>& list, const char* source) {
    if (list) {
        CheckCount(list->Count(), source);
    }
}

// The count, or -1 for an absent list; true when entries follow.
template <class List>
bool WriteCount(MemoryStream& stream, const std::optional<List>& list) {
    stream.WriteInt(list ? static_cast<int16_t>(list->Count()) : kAbsentList);
    return list.has_value();
}

void WriteIPv6Bytes(MemoryStream& stream, const std::array<uint8_t, kIPv6Size>& bytes) {
    stream.WriteBytes(bytes);
}

// ---- Reading ----

constexpr const char* kReadSource = "Preset.ReadFrom";

[[noreturn]] void Incomplete() {
    throw Error(errnum::kOwnCheck, kReadSource, "The preset record is incomplete.");
}

// A record that ends early is refused instead of being read as zeros and empty texts: such a
// preset would look valid and then silently lose its settings on the next save.
void Need(const MemoryStream& stream, int64_t bytes) {
    if (static_cast<int64_t>(stream.Length()) - stream.Position() < bytes) {
        Incomplete();
    }
}

uint8_t ReadByte(MemoryStream& stream) {
    Need(stream, 1);
    return stream.ReadByte();
}

bool ReadBoolean(MemoryStream& stream) {
    Need(stream, 1);
    return stream.ReadBoolean();
}

int16_t ReadInt(MemoryStream& stream) {
    Need(stream, 2);
    return stream.ReadInt();
}

int32_t ReadLong(MemoryStream& stream) {
    Need(stream, 4);
    return stream.ReadLong();
}

std::string ReadText(MemoryStream& stream) {
    const int32_t byteCount = ReadLong(stream);
    if (byteCount > 0) {
        Need(stream, byteCount);
    }
    // The length was only looked at: the stream reads the whole text itself.
    stream.SetPosition(stream.Position() - 4);
    return stream.ReadString();
}

std::vector<uint8_t> ReadIPv6Bytes(MemoryStream& stream) {
    Need(stream, kIPv6Size);
    return stream.ReadBytes3(kIPv6Size);
}

// A list: a negative count leaves it absent, otherwise `count` entries follow, each at least
// `minEntrySize` bytes long (checked up front, so a damaged count fails at once).
template <class List, class ReadEntry>
std::optional<List> ReadList(MemoryStream& stream, int32_t minEntrySize, ReadEntry readEntry) {
    const int16_t count = ReadInt(stream);
    if (count < 0) {
        return std::nullopt;
    }
    Need(stream, static_cast<int64_t>(count) * minEntrySize);
    List list;
    for (int16_t i = 0; i < count; ++i) {
        readEntry(list);
    }
    return list;
}

std::string Decimal(int64_t value) {
    return std::to_string(value);
}

// ---- Applying ----

// A random unicast address from the vendor table. Without a table, or with one that is not loaded,
// the table's answer for no vendor at all.
std::string RandomMACAddress(const NICVendor* vendor) {
    std::string address = "00-00-00-00-00-00";
    if (vendor != nullptr) {
        std::string company;
        vendor->GetRandomMACAddress(address, company, false);
    }
    return address;
}

// Removes, live and stored, the items of an adapter's collection that `isStatic` picks; the others
// (what the system configured itself) stay.
template <class Collection, class IsStatic>
void RemoveStatic(Collection& collection, IsStatic isStatic) {
    const auto& items = collection.Items();
    std::vector<std::string> keys;
    for (int32_t i = 1; i <= items.Count(); ++i) {
        if (isStatic(items.Item(i))) {
            keys.push_back(items.Key(i));
        }
    }
    if (static_cast<int32_t>(keys.size()) == items.Count()) {
        collection.RemoveAll(true);
        return;
    }
    for (const std::string& key : keys) {
        collection.Remove(key, true);
    }
}

// The static part of one IP version: with DHCP on (after switching it as the preset says) the
// static addresses and gateways go whatever the preset holds; otherwise each list the preset holds
// replaces the adapter's static items. `isStaticAddress` and `isStaticGateway` tell them from the
// items the system configured itself, which stay. The DNS servers the preset holds replace the
// adapter's in both cases.
template <class Addresses, class Gateways, class NameServers, class AddressList, class GatewayList,
          class StaticAddress, class StaticGateway>
void ApplyIP(bool dhcpEnabled, Addresses& addresses, Gateways& gateways, NameServers& servers,
             const std::optional<AddressList>& presetAddresses,
             const std::optional<GatewayList>& presetGateways,
             const std::optional<NameServerList>& presetServers, StaticAddress isStaticAddress,
             StaticGateway isStaticGateway) {
    if (dhcpEnabled) {
        RemoveStatic(addresses, isStaticAddress);
        RemoveStatic(gateways, isStaticGateway);
    } else {
        if (presetAddresses) {
            RemoveStatic(addresses, isStaticAddress);
            addresses.AddRange(*presetAddresses, true);
        }
        if (presetGateways) {
            RemoveStatic(gateways, isStaticGateway);
            gateways.AddRange(*presetGateways, true);
        }
    }
    if (presetServers) {
        servers.RemoveAll();
        // Adding an empty list would store the "no server" placeholder 0.0.0.0, which is then
        // read back as a server: an empty list only removes.
        if (!presetServers->Empty()) {
            servers.AddRange(*presetServers);
        }
    }
}

// IPv6 addresses and routes the user configured: prefix origin "manual" (NL_PREFIX_ORIGIN 1),
// route origin "manual" (NL_ROUTE_ORIGIN 0). Link-local addresses, those made from router
// advertisements or DHCPv6, and the routes they bring belong to the system.
constexpr uint32_t kIPv6PrefixOriginManual = 1;
constexpr uint32_t kIPv6RouteOriginManual = 0;

// ---- Scoring ----

// Adds 4 per entry of the preset's list found on the adapter; false (a stop) when the counts differ
// or an entry is missing. An absent list neither scores nor stops.
template <class List, class Found>
bool ScoreList(const std::optional<List>& presetList, int32_t adapterCount, Found found,
               int32_t& score) {
    if (!presetList) {
        return true;
    }
    if (presetList->Count() != adapterCount) {
        return false;
    }
    for (const auto& entry : *presetList) {
        if (!found(entry)) {
            return false;
        }
        score += 4;
    }
    return true;
}

}  // namespace

namespace PresetLists {

void AddIPv4Address(IPv4AddressList& list, const std::string& address, const std::string& mask) {
    auto entry = std::make_shared<IPv4Address>();
    entry->Init(address, mask, 0, 0, "", nullptr);
    std::string key = entry->IPAddress();
    list.Add(std::move(entry), std::move(key));
}

void AddIPv4Gateway(IPv4GatewayList& list, const std::string& gateway, int32_t metric) {
    auto entry = std::make_shared<IPv4Gateway>();
    entry->Init(gateway, metric, 0, "", 0, nullptr);
    std::string key = entry->Gateway();
    list.Add(std::move(entry), std::move(key));
}

void AddIPv6Address(IPv6AddressList& list, std::span<const uint8_t> address,
                    uint8_t onLinkPrefixLength) {
    auto entry = std::make_shared<IPv6Address>();
    entry->Init(address, onLinkPrefixLength, 0, 0, nullptr);
    std::string key = entry->IPAddress();
    list.Add(std::move(entry), std::move(key));
}

void AddIPv6Gateway(IPv6GatewayList& list, std::span<const uint8_t> nextHop, int32_t metric) {
    auto entry = std::make_shared<IPv6Gateway>();
    entry->Init(nextHop, metric, 0, 0, nullptr);
    std::string key = entry->NextHop();
    list.Add(std::move(entry), std::move(key));
}

void AddNameServer(NameServerList& list, const std::string& server) {
    list.Add(server, server);
}

}  // namespace PresetLists

void Preset::SetCustomMACAddress(std::string_view value) {
    // Counted in characters as the user typed them, not in bytes.
    const size_t length = text::Utf8ToUtf16(value).size();
    if (length != 17 && length != 0) {
        throw Error(errnum::kOwnCheck, "Preset.CustomMACAddress",
                    "Invalid MAC address format: " + std::string(value));
    }
    customMACAddress_ = text::ReplaceAll(value, ":", "-");
}

void Preset::WriteTo(MemoryStream& stream) const {
    constexpr const char* kSource = "Preset.WriteTo";
    // Everything that cannot be stored is refused before the first byte goes out, so a refused
    // record leaves no partial record in the stream.
    const auto macAction = static_cast<int32_t>(macAddress_);
    if (macAction < 0 || macAction > std::numeric_limits<uint8_t>::max()) {
        throw Error::Overflow(kSource);
    }
    CheckList(ipv4Addresses_, kSource);
    CheckList(ipv4Gateways_, kSource);
    CheckList(ipv4NameServers_, kSource);
    CheckList(ipv6Addresses_, kSource);
    CheckList(ipv6Gateways_, kSource);
    CheckList(ipv6NameServers_, kSource);

    stream.WriteByte(kRecordVersion);
    stream.WriteString(presetName_);
    stream.WriteByte(static_cast<uint8_t>(macAction));
    stream.WriteString(customMACAddress_);
    stream.WriteBoolean(ipv4Selected_);
    stream.WriteBoolean(ipv4DHCPEnabled_);
    if (WriteCount(stream, ipv4Addresses_)) {
        for (const auto& address : *ipv4Addresses_) {
            stream.WriteString(address->IPAddress());
            stream.WriteString(address->SubnetMask());
        }
    }
    if (WriteCount(stream, ipv4Gateways_)) {
        for (const auto& gateway : *ipv4Gateways_) {
            stream.WriteString(gateway->Gateway());
            stream.WriteLong(gateway->Metric());
        }
    }
    if (WriteCount(stream, ipv4NameServers_)) {
        for (const auto& server : *ipv4NameServers_) {
            stream.WriteString(server);
        }
    }
    stream.WriteBoolean(ipv6Selected_);
    stream.WriteBoolean(ipv6DHCPEnabled_);
    if (WriteCount(stream, ipv6Addresses_)) {
        for (const auto& address : *ipv6Addresses_) {
            WriteIPv6Bytes(stream, address->IPAddressBytes());
            stream.WriteLong(address->OnLinkPrefixLength());
        }
    }
    if (WriteCount(stream, ipv6Gateways_)) {
        for (const auto& gateway : *ipv6Gateways_) {
            WriteIPv6Bytes(stream, gateway->NextHopBytes());
            stream.WriteLong(gateway->Metric());
        }
    }
    if (WriteCount(stream, ipv6NameServers_)) {
        for (const auto& server : *ipv6NameServers_) {
            stream.WriteString(server);
        }
    }
    stream.WriteBoolean(ieProxySelected_);
    stream.WriteBoolean(ieProxyEnabled_);
    stream.WriteString(ieProxyServer_);
    stream.WriteLong(ieProxyPort_);
}

void Preset::ReadFrom(MemoryStream& stream) {
    if (ReadByte(stream) != kRecordVersion) {
        throw Error(errnum::kOwnCheck, kReadSource, "Invalid preset format.");
    }
    Preset read;
    read.presetName_ = ReadText(stream);
    read.macAddress_ = static_cast<MacAction>(ReadByte(stream));
    // Taken as stored: the length rule of CustomMACAddress is for what users type.
    read.customMACAddress_ = ReadText(stream);
    read.ipv4Selected_ = ReadBoolean(stream);
    read.ipv4DHCPEnabled_ = ReadBoolean(stream);
    read.ipv4Addresses_ = ReadList<IPv4AddressList>(stream, 8, [&](IPv4AddressList& list) {
        const std::string address = ReadText(stream);
        const std::string mask = ReadText(stream);
        PresetLists::AddIPv4Address(list, address, mask);
    });
    read.ipv4Gateways_ = ReadList<IPv4GatewayList>(stream, 8, [&](IPv4GatewayList& list) {
        const std::string gateway = ReadText(stream);
        PresetLists::AddIPv4Gateway(list, gateway, ReadLong(stream));
    });
    read.ipv4NameServers_ = ReadList<NameServerList>(stream, 4, [&](NameServerList& list) {
        PresetLists::AddNameServer(list, ReadText(stream));
    });
    read.ipv6Selected_ = ReadBoolean(stream);
    read.ipv6DHCPEnabled_ = ReadBoolean(stream);
    read.ipv6Addresses_ = ReadList<IPv6AddressList>(stream, 20, [&](IPv6AddressList& list) {
        const std::vector<uint8_t> address = ReadIPv6Bytes(stream);
        const int32_t prefixLength = ReadLong(stream);
        if (prefixLength < 0 || prefixLength > std::numeric_limits<uint8_t>::max()) {
            throw Error(errnum::kOwnCheck, kReadSource, "Invalid preset format.");
        }
        PresetLists::AddIPv6Address(list, address, static_cast<uint8_t>(prefixLength));
    });
    read.ipv6Gateways_ = ReadList<IPv6GatewayList>(stream, 20, [&](IPv6GatewayList& list) {
        const std::vector<uint8_t> nextHop = ReadIPv6Bytes(stream);
        PresetLists::AddIPv6Gateway(list, nextHop, ReadLong(stream));
    });
    read.ipv6NameServers_ = ReadList<NameServerList>(stream, 4, [&](NameServerList& list) {
        PresetLists::AddNameServer(list, ReadText(stream));
    });
    read.ieProxySelected_ = ReadBoolean(stream);
    read.ieProxyEnabled_ = ReadBoolean(stream);
    read.ieProxyServer_ = ReadText(stream);
    read.ieProxyPort_ = ReadLong(stream);
    *this = std::move(read);
}

void Preset::PopulateList(PropertyList& list) const {
    list.Clear();
    list.AddColumn("Property", 2000);
    list.AddColumn("Value", 2900);

    constexpr const char* kMAC = "MAC Address";
    switch (macAddress_) {
        case MacAction::Leave:
            break;
        case MacAction::Random:
            list.AddRow(kMAC, "Use Random");
            break;
        case MacAction::Original:
            list.AddRow(kMAC, "Use Original");
            break;
        case MacAction::Custom:
            list.AddRow(kMAC, "Use Custom: " + customMACAddress_);
            break;
        case MacAction::Random02:
            list.AddRow(kMAC, "Use Random (with 0x02 as first octet)");
            break;
        default:
            list.AddRow(kMAC, "Invalid type");
            break;
    }

    // One row per entry, or "None" for a present but empty list; an absent list shows nothing.
    auto rows = [&list](const char* property, const auto& entries, auto describe) {
        if (!entries) {
            return;
        }
        if (entries->Empty()) {
            list.AddRow(property, "None");
        }
        for (const auto& entry : *entries) {
            list.AddRow(property, describe(entry));
        }
    };
    auto server = [](const std::string& entry) { return entry; };

    if (ipv4Selected_) {
        if (ipv4DHCPEnabled_) {
            list.AddRow("IPv4", "DHCPv4 Enabled");
        } else {
            rows("IPv4 Address", ipv4Addresses_, [](const std::shared_ptr<IPv4Address>& entry) {
                return entry->IPAddress() + " (" + entry->SubnetMask() + ")";
            });
            rows("IPv4 Default Gateway", ipv4Gateways_,
                 [](const std::shared_ptr<IPv4Gateway>& entry) {
                     return entry->Gateway() + " (" + Decimal(entry->Metric()) + ")";
                 });
        }
        rows("IPv4 DNS Server", ipv4NameServers_, server);
    }
    if (ipv6Selected_) {
        if (ipv6DHCPEnabled_) {
            list.AddRow("IPv6", "DHCPv6 Enabled");
        } else {
            rows("IPv6 Address", ipv6Addresses_, [](const std::shared_ptr<IPv6Address>& entry) {
                return entry->IPAddress() + "/" + Decimal(entry->OnLinkPrefixLength());
            });
            rows("IPv6 Default Gateway", ipv6Gateways_,
                 [](const std::shared_ptr<IPv6Gateway>& entry) {
                     return entry->NextHop() + " (" + Decimal(entry->Metric()) + ")";
                 });
        }
        rows("IPv6 DNS Server", ipv6NameServers_, server);
    }
    if (ieProxySelected_) {
        if (ieProxyEnabled_) {
            list.AddRow("Internet Explorer HTTP Proxy", "Enabled");
            list.AddRow("HTTP Proxy Server", ieProxyServer_);
            list.AddRow("HTTP Proxy Port", Decimal(ieProxyPort_));
        } else {
            list.AddRow("Internet Explorer HTTP Proxy", "Disabled");
        }
    }
}

const char* ApplyStepText(ApplyStep step) {
    switch (step) {
        case ApplyStep::DisableDevice:
            return "disabling the network connection";
        case ApplyStep::ReadSettings:
            return "reading the settings of the network connection";
        case ApplyStep::MACAddress:
            return "setting the MAC address";
        case ApplyStep::IPv4:
            return "setting the IPv4 configuration";
        case ApplyStep::IPv6:
            return "setting the IPv6 configuration";
        case ApplyStep::Proxy:
            return "setting the Internet Explorer HTTP proxy";
        case ApplyStep::EnableDevice:
            return "enabling the network connection again";
    }
    return "";
}

void Preset::ApplyPreset(AdapterInfo& adapter, const NICVendor* vendor, bool resetAdapter,
                         const ApplyProgress& progress) const {
    const auto begin = [&progress](ApplyStep step) {
        if (progress) {
            progress(step);
        }
    };
    const bool disableHere = resetAdapter && adapter.State();
    if (disableHere) {
        begin(ApplyStep::DisableDevice);
        adapter.SetState(false);
    }
    try {
        ApplySettings(adapter, vendor, begin);
    } catch (...) {
        // What was changed stays changed, but a device this call switched off is not left off:
        // that would take the connection down for good over a failed setting. The first error
        // is the one reported.
        if (disableHere) {
            try {
                adapter.SetState(true);
            } catch (...) {
            }
        }
        throw;
    }
    if (disableHere) {
        begin(ApplyStep::EnableDevice);
        adapter.SetState(true);
    }
}

void Preset::ApplySettings(AdapterInfo& adapter, const NICVendor* vendor,
                           const ApplyProgress& begin) const {
    begin(ApplyStep::ReadSettings);
    adapter.Refresh(true);

    begin(ApplyStep::MACAddress);
    switch (macAddress_) {
        case MacAction::Leave:
            break;
        case MacAction::Random:
            adapter.ChangeNetworkAddress(RandomMACAddress(vendor));
            break;
        case MacAction::Original:
            adapter.ChangeNetworkAddress("");
            break;
        case MacAction::Custom:
            adapter.ChangeNetworkAddress(customMACAddress_);
            break;
        case MacAction::Random02:
            adapter.ChangeNetworkAddress("02" + RandomMACAddress(vendor).substr(2));
            break;
        default:
            throw Error(errnum::kOwnCheck, "Preset.ApplyPreset",
                        RuntimeErrorText(errnum::kOwnCheck));
    }

    if (ipv4Selected_) {
        begin(ApplyStep::IPv4);
        const bool wasOnDHCP = adapter.DHCPv4Enabled();
        if (ipv4DHCPEnabled_ != wasOnDHCP) {
            adapter.EnableDHCPv4(ipv4DHCPEnabled_);
        }
        // An adapter that stays on DHCP runs with its lease: the leased address and gateways are
        // not static, and taking them away would leave the connection without an address.
        AdapterInfo::DHCPv4LeaseInfo lease;
        if (wasOnDHCP && adapter.DHCPv4Enabled()) {
            lease = adapter.DHCPv4Lease();
        }
        ApplyIP(
            adapter.DHCPv4Enabled(), *adapter.IPv4Addresses(), *adapter.IPv4Gateways(),
            *adapter.IPv4NameServers(), ipv4Addresses_, ipv4Gateways_, ipv4NameServers_,
            [&lease](const std::shared_ptr<IPv4Address>& address) {
                return address->IPAddress() != lease.address;
            },
            [&lease](const std::shared_ptr<IPv4Gateway>& gateway) {
                return std::find(lease.gateways.begin(), lease.gateways.end(),
                                 gateway->Gateway()) == lease.gateways.end();
            });
    }
    if (ipv6Selected_) {
        begin(ApplyStep::IPv6);
        if (ipv6DHCPEnabled_ != adapter.DHCPv6Enabled()) {
            adapter.EnableDHCPv6(ipv6DHCPEnabled_);
        }
        ApplyIP(
            adapter.DHCPv6Enabled(), *adapter.IPv6Addresses(), *adapter.IPv6Gateways(),
            *adapter.IPv6NameServers(), ipv6Addresses_, ipv6Gateways_, ipv6NameServers_,
            [](const std::shared_ptr<IPv6Address>& address) {
                return address->Row().prefixOrigin == kIPv6PrefixOriginManual;
            },
            [](const std::shared_ptr<IPv6Gateway>& gateway) {
                return gateway->Row().origin == kIPv6RouteOriginManual;
            });
    }
    if (ieProxySelected_) {
        begin(ApplyStep::Proxy);
        IEProxy::SetProxySettings(adapter.GetPlatform(), ieProxyEnabled_, ieProxyServer_,
                                  ieProxyPort_);
    }
}

int32_t Preset::IsThisSet(AdapterInfo& adapter) const {
    int32_t score = 0;
    const bool changed = adapter.HasNetworkAddressChanged() == 1;
    const std::string& active = adapter.ActiveNetworkAddress();
    const std::string& original = adapter.OriginalNetworkAddress();
    switch (macAddress_) {
        case MacAction::Leave:
            score = 1;
            break;
        case MacAction::Random:
            if (!changed) {
                return 0;
            }
            score = 2;
            break;
        case MacAction::Original:
            if (original.empty() ? changed : active != original) {
                return 0;
            }
            score = 4;
            break;
        case MacAction::Custom:
            // The active address is shown in upper case; a custom address may have been typed in
            // lower case and still be the one in force.
            if (!text::EqualsIgnoreCase(active, customMACAddress_)) {
                return 0;
            }
            score = 4;
            break;
        case MacAction::Random02:
            if (!changed || !active.starts_with("02")) {
                return 0;
            }
            score = 4;
            break;
        default:
            break;  // no score, and the settings are still compared
    }

    if (!ipv4Selected_) {
        score += 1;
    } else {
        if (ipv4DHCPEnabled_ != adapter.DHCPv4Enabled()) {
            return score;
        }
        score += 1;
        const auto& addresses = *adapter.IPv4Addresses();
        const auto& gateways = *adapter.IPv4Gateways();
        const auto& servers = *adapter.IPv4NameServers();
        if (!ScoreList(
                ipv4Addresses_, addresses.Count(),
                [&](const auto& a) { return addresses.Exists(a->IPAddress(), a->SubnetMask()); },
                score) ||
            !ScoreList(
                ipv4Gateways_, gateways.Count(),
                [&](const auto& g) { return gateways.Exists(g->Gateway(), g->Metric()); }, score) ||
            !ScoreList(
                ipv4NameServers_, servers.Count(),
                [&](const std::string& server) { return servers.Exists(server); }, score)) {
            return score;
        }
    }

    if (!ipv6Selected_) {
        score += 1;
    } else {
        if (ipv6DHCPEnabled_ != adapter.DHCPv6Enabled()) {
            return score;
        }
        score += 1;
        const auto& addresses = *adapter.IPv6Addresses();
        const auto& gateways = *adapter.IPv6Gateways();
        const auto& servers = *adapter.IPv6NameServers();
        if (!ScoreList(
                ipv6Addresses_, addresses.Count(),
                [&](const auto& a) {
                    return addresses.Exists(a->IPAddress(), a->OnLinkPrefixLength());
                },
                score) ||
            !ScoreList(
                ipv6Gateways_, gateways.Count(),
                [&](const auto& g) { return gateways.Exists(g->NextHop(), g->Metric()); }, score) ||
            !ScoreList(
                ipv6NameServers_, servers.Count(),
                [&](const std::string& server) { return servers.Exists(server); }, score)) {
            return score;
        }
    }
    return score;
}

}  // namespace vexav6
