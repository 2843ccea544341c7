#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "ipconfig/ipv4_address.h"
#include "ipconfig/ipv4_gateway.h"
#include "ipconfig/ipv6_address.h"
#include "ipconfig/ipv6_gateway.h"
#include "presets/property_list.h"
#include "system/memory_stream.h"

namespace vexav6 {

class AdapterInfo;
class NICVendor;

// The lists a preset holds. Entries are keyed by their text (address, gateway or next hop, server)
// and carry values only: they are made without an adapter.
using IPv4AddressList = KeyedCollection<std::shared_ptr<IPv4Address>>;
using IPv4GatewayList = KeyedCollection<std::shared_ptr<IPv4Gateway>>;
using IPv6AddressList = KeyedCollection<std::shared_ptr<IPv6Address>>;
using IPv6GatewayList = KeyedCollection<std::shared_ptr<IPv6Gateway>>;
using NameServerList = KeyedCollection<std::string>;

// Helpers that make a value-only entry and add it under its key (a duplicate fails with error 457
// and leaves the list as it was).
namespace PresetLists {
void AddIPv4Address(IPv4AddressList& list, const std::string& address, const std::string& mask);
void AddIPv4Gateway(IPv4GatewayList& list, const std::string& gateway, int32_t metric);
void AddIPv6Address(IPv6AddressList& list, std::span<const uint8_t> address,
                    uint8_t onLinkPrefixLength);
void AddIPv6Gateway(IPv6GatewayList& list, std::span<const uint8_t> nextHop, int32_t metric);
void AddNameServer(NameServerList& list, const std::string& server);
}  // namespace PresetLists

// What applying a preset does with the MAC address (Preset::MACAddress). The preset file stores the
// number in one byte; a number read from a file that is none of these is kept as it is (applying it
// fails, and the preset's description says "Invalid type").
enum class MacAction : int32_t {
    Leave = 0,
    Random = 1,  // a random address of a random vendor
    Original = 2,
    Custom = 3,
    Random02 = 4,  // a random address with 02 as first octet
};

// The steps of Preset::ApplyPreset, in the order they run.
enum class ApplyStep {
    DisableDevice,  // only when the device is reset for the changes
    ReadSettings,
    MACAddress,
    IPv4,
    IPv6,
    Proxy,
    EnableDevice,  // only when the device was disabled for the changes
};
// What a step does, for a sentence that says where an apply stopped ("setting the IPv4
// configuration").
const char* ApplyStepText(ApplyStep step);
// Told of each step as it begins.
using ApplyProgress = std::function<void(ApplyStep step)>;

// One named configuration of a network connection: what to do with the MAC address, the IPv4 and
// IPv6 settings and the Internet Explorer proxy. Each list is either absent (applying the preset
// leaves that part of the adapter alone) or present, possibly empty (applying it replaces that part
// of the adapter, an empty list just removing what is there); both states survive a save and a
// load. A new preset has every number 0, every flag false, every text empty and every list absent.
class Preset {
  public:
    const std::string& PresetName() const { return presetName_; }
    void SetPresetName(std::string value) { presetName_ = std::move(value); }
    // Stored in one byte, so only the numbers 0 to 255 can be saved.
    MacAction MACAddress() const { return macAddress_; }
    void SetMACAddress(MacAction value) { macAddress_ = value; }

    bool IPv4Selected() const { return ipv4Selected_; }
    void SetIPv4Selected(bool value) { ipv4Selected_ = value; }
    bool IPv4DHCPEnabled() const { return ipv4DHCPEnabled_; }
    void SetIPv4DHCPEnabled(bool value) { ipv4DHCPEnabled_ = value; }
    const std::optional<IPv4AddressList>& IPv4Addresses() const { return ipv4Addresses_; }
    void SetIPv4Addresses(std::optional<IPv4AddressList> value) {
        ipv4Addresses_ = std::move(value);
    }
    const std::optional<IPv4GatewayList>& IPv4Gateways() const { return ipv4Gateways_; }
    void SetIPv4Gateways(std::optional<IPv4GatewayList> value) { ipv4Gateways_ = std::move(value); }
    const std::optional<NameServerList>& IPv4NameServers() const { return ipv4NameServers_; }
    void SetIPv4NameServers(std::optional<NameServerList> value) {
        ipv4NameServers_ = std::move(value);
    }

    bool IPv6Selected() const { return ipv6Selected_; }
    void SetIPv6Selected(bool value) { ipv6Selected_ = value; }
    bool IPv6DHCPEnabled() const { return ipv6DHCPEnabled_; }
    void SetIPv6DHCPEnabled(bool value) { ipv6DHCPEnabled_ = value; }
    const std::optional<IPv6AddressList>& IPv6Addresses() const { return ipv6Addresses_; }
    void SetIPv6Addresses(std::optional<IPv6AddressList> value) {
        ipv6Addresses_ = std::move(value);
    }
    const std::optional<IPv6GatewayList>& IPv6Gateways() const { return ipv6Gateways_; }
    void SetIPv6Gateways(std::optional<IPv6GatewayList> value) { ipv6Gateways_ = std::move(value); }
    const std::optional<NameServerList>& IPv6NameServers() const { return ipv6NameServers_; }
    void SetIPv6NameServers(std::optional<NameServerList> value) {
        ipv6NameServers_ = std::move(value);
    }

    bool IEProxySelected() const { return ieProxySelected_; }
    void SetIEProxySelected(bool value) { ieProxySelected_ = value; }
    bool IEProxyEnabled() const { return ieProxyEnabled_; }
    void SetIEProxyEnabled(bool value) { ieProxyEnabled_ = value; }
    const std::string& IEProxyServer() const { return ieProxyServer_; }
    void SetIEProxyServer(std::string value) { ieProxyServer_ = std::move(value); }
    int32_t IEProxyPort() const { return ieProxyPort_; }
    void SetIEProxyPort(int32_t value) { ieProxyPort_ = value; }

    // The address set by MACAddress 3. Setting takes a text of exactly 17 characters, with every
    // ":" turned into "-", or the empty text; any other length fails with error 1 "Invalid MAC
    // address format: " and the text. The characters themselves are checked when it is applied.
    const std::string& CustomMACAddress() const { return customMACAddress_; }
    void SetCustomMACAddress(std::string_view value);

    // Appends the preset's record (version 1) at the stream's position. A record that cannot be
    // stored (MACAddress outside 0 to 255, a list of more than 32,767 entries) fails with error 6
    // before anything is written.
    void WriteTo(MemoryStream& stream) const;
    // Reads one record at the stream's position and, once all of it was read, takes its values in
    // place of every member. A record of another version fails with error 1 "Invalid preset
    // format."; a record cut short or holding values no writer makes fails with error 1 as well,
    // and the preset is left as it was.
    void ReadFrom(MemoryStream& stream);

    // Makes the adapter's configuration what the preset says: MAC address, IPv4, IPv6, proxy, in
    // that order. With `resetAdapter` an enabled device is disabled for the changes and enabled
    // again afterwards, also when a change fails. There is no rollback: the first failing step
    // raises its error and the changes before it stay done. `vendor` makes the random addresses;
    // without one (or with one not loaded) they are 00-00-00-00-00-00 (02-00-00-00-00-00).
    // `progress` hears of each step as it begins, so a caller can tell where a failure came.
    void ApplyPreset(AdapterInfo& adapter, const NICVendor* vendor, bool resetAdapter,
                     const ApplyProgress& progress = {}) const;
    // How well the adapter's configuration matches the preset: 0 for no match, otherwise higher for
    // more matching items.
    int32_t IsThisSet(AdapterInfo& adapter) const;
    // Describes the preset in two columns, "Property" and "Value", one row per item.
    void PopulateList(PropertyList& list) const;

  private:
    // ApplyPreset from the refresh on: MAC address, IPv4, IPv6, proxy.
    void ApplySettings(AdapterInfo& adapter, const NICVendor* vendor,
                       const ApplyProgress& progress) const;

    std::string presetName_;
    MacAction macAddress_ = MacAction::Leave;
    bool ipv4Selected_ = false;
    bool ipv4DHCPEnabled_ = false;
    std::optional<IPv4AddressList> ipv4Addresses_;
    std::optional<IPv4GatewayList> ipv4Gateways_;
    std::optional<NameServerList> ipv4NameServers_;
    bool ipv6Selected_ = false;
    bool ipv6DHCPEnabled_ = false;
    std::optional<IPv6AddressList> ipv6Addresses_;
    std::optional<IPv6GatewayList> ipv6Gateways_;
    std::optional<NameServerList> ipv6NameServers_;
    bool ieProxySelected_ = false;
    bool ieProxyEnabled_ = false;
    std::string ieProxyServer_;
    int32_t ieProxyPort_ = 0;
    std::string customMACAddress_;
};

// A preset file's presets in file order, keyed by PresetName (without regard to case).
using PresetCollection = KeyedCollection<std::shared_ptr<Preset>>;

}  // namespace vexav6
