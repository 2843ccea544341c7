#include "platform/sim/machine_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "base/text.h"
#include "platform/root_key_names.h"
#include "platform/sim/machine.h"
#include "platform/sim/sim_net_text.h"

namespace vexav6::sim {

namespace regtype = platform::regtype;
using Json = nlohmann::ordered_json;
using platform::RootKey;

namespace {

constexpr int kFormatVersion = 1;
constexpr const char* kClassRoot = "SYSTEM\\CurrentControlSet\\Control\\Class\\";

// --- Reading with checks ---

// Reads one file's JSON, turning every problem into a MachineFileError that says where it is.
class Reader {
  public:
    explicit Reader(std::string source) : source_(std::move(source)) {}

    [[noreturn]] void Fail(const std::string& where, const std::string& what) const {
        throw MachineFileError(source_ + ": " + (where.empty() ? "" : where + ": ") + what);
    }

    void ExpectObject(const Json& value, const std::string& where) const {
        if (!value.is_object()) {
            Fail(where, "must be an object { ... }");
        }
    }

    // Refuses entries the format does not know, so that a misspelt name does not go unnoticed.
    void OnlyKeys(const Json& object, std::initializer_list<std::string_view> allowed,
                  const std::string& where) const {
        for (const auto& [key, value] : object.items()) {
            if (std::find(allowed.begin(), allowed.end(), key) == allowed.end()) {
                std::string list;
                for (const std::string_view name : allowed) {
                    list += (list.empty() ? "" : ", ") + std::string(name);
                }
                Fail(Join(where, key), "unknown entry (known here: " + list + ")");
            }
        }
    }

    static std::string Join(const std::string& where, std::string_view key) {
        return where.empty() ? std::string(key) : where + "." + std::string(key);
    }

    const Json* Find(const Json& object, std::string_view key) const {
        const auto it = object.find(std::string(key));
        return it == object.end() || it->is_null() ? nullptr : &*it;
    }

    std::string Text(const Json& object, std::string_view key, const std::string& where,
                     std::optional<std::string> fallback = std::nullopt) const {
        const Json* value = Find(object, key);
        if (value == nullptr) {
            if (!fallback) {
                Fail(Join(where, key), "is missing");
            }
            return *fallback;
        }
        if (!value->is_string()) {
            Fail(Join(where, key), "must be text in quotes");
        }
        return value->get<std::string>();
    }

    int64_t Number(const Json& object, std::string_view key, const std::string& where, int64_t min,
                   int64_t max, std::optional<int64_t> fallback = std::nullopt) const {
        const Json* value = Find(object, key);
        if (value == nullptr) {
            if (!fallback) {
                Fail(Join(where, key), "is missing");
            }
            return *fallback;
        }
        return NumberValue(*value, Join(where, key), min, max);
    }

    int64_t NumberValue(const Json& value, const std::string& where, int64_t min,
                        int64_t max) const {
        if (!value.is_number_integer()) {
            Fail(where, "must be a whole number from " + std::to_string(min) + " to " +
                            std::to_string(max));
        }
        const int64_t number =
            value.is_number_unsigned()
                ? static_cast<int64_t>(std::min<uint64_t>(value.get<uint64_t>(), INT64_MAX))
                : value.get<int64_t>();
        if (number < min || number > max) {
            Fail(where, std::to_string(number) + " is out of range (" + std::to_string(min) +
                            " to " + std::to_string(max) + ")");
        }
        return number;
    }

    bool Flag(const Json& object, std::string_view key, const std::string& where,
              bool fallback) const {
        const Json* value = Find(object, key);
        if (value == nullptr) {
            return fallback;
        }
        if (!value->is_boolean()) {
            Fail(Join(where, key), "must be true or false");
        }
        return value->get<bool>();
    }

    std::vector<std::string> Texts(const Json& object, std::string_view key,
                                   const std::string& where) const {
        std::vector<std::string> result;
        const Json* value = Find(object, key);
        if (value == nullptr) {
            return result;
        }
        if (!value->is_array()) {
            Fail(Join(where, key), "must be a list [ ... ] of texts");
        }
        for (size_t i = 0; i < value->size(); ++i) {
            if (!(*value)[i].is_string()) {
                Fail(Join(where, key) + "[" + std::to_string(i) + "]", "must be text in quotes");
            }
            result.push_back((*value)[i].get<std::string>());
        }
        return result;
    }

    std::string Ipv4(const Json& object, std::string_view key, const std::string& where,
                     std::optional<std::string> fallback = std::nullopt) const {
        const std::string value = Text(object, key, where, fallback);
        uint32_t address = 0;
        if (!nettext::ParseIpv4(value, address)) {
            Fail(Join(where, key),
                 "\"" + value + "\" is not an IPv4 address (four numbers 0-255 joined by dots)");
        }
        return value;
    }

    uint32_t Ipv4Value(const Json& object, std::string_view key, const std::string& where) const {
        uint32_t address = 0;
        nettext::ParseIpv4(Ipv4(object, key, where), address);
        return address;
    }

    nettext::Ipv6Bytes Ipv6Value(const std::string& value, const std::string& where) const {
        nettext::Ipv6Bytes bytes{};
        if (!nettext::ParseIpv6(value, bytes)) {
            Fail(where, "\"" + value + "\" is not an IPv6 address");
        }
        return bytes;
    }

    nettext::MacBytes Mac(const Json& object, std::string_view key,
                          const std::string& where) const {
        const std::string value = Text(object, key, where);
        nettext::MacBytes mac{};
        if (!nettext::ParseMac(value, mac)) {
            Fail(
                Join(where, key),
                "\"" + value + "\" is not a MAC address (six hex pairs such as 00-1B-21-3A-4F-5C)");
        }
        return mac;
    }

  private:
    std::string source_;
};

// --- Registry values ---

const std::pair<const char*, uint32_t> kTypeNames[] = {
    {"REG_NONE", regtype::kNone},
    {"REG_SZ", regtype::kSz},
    {"REG_EXPAND_SZ", regtype::kExpandSz},
    {"REG_BINARY", regtype::kBinary},
    {"REG_DWORD", regtype::kDword},
    {"REG_DWORD_BIG_ENDIAN", 5},
    {"REG_LINK", 6},
    {"REG_MULTI_SZ", regtype::kMultiSz},
    {"REG_QWORD", regtype::kQword},
};

// A known type by its name, any other by its number.
Json TypeName(uint32_t type) {
    for (const auto& [name, value] : kTypeNames) {
        if (value == type) {
            return name;
        }
    }
    return type;
}

bool TypeFromName(const Json& value, uint32_t& type) {
    if (value.is_number_unsigned()) {
        type = value.get<uint32_t>();
        return true;
    }
    if (!value.is_string()) {
        return false;
    }
    for (const auto& [name, number] : kTypeNames) {
        if (text::EqualsIgnoreCase(value.get<std::string>(), name)) {
            type = number;
            return true;
        }
    }
    return false;
}

std::vector<uint8_t> StringBytes(const std::string& value) {
    std::vector<uint8_t> data(value.begin(), value.end());
    data.push_back(0);
    return data;
}

std::vector<uint8_t> MultiStringBytes(const std::vector<std::string>& values) {
    std::vector<uint8_t> data;
    for (const std::string& value : values) {
        data.insert(data.end(), value.begin(), value.end());
        data.push_back(0);
    }
    data.push_back(0);
    return data;
}

// The text of string data that a plain JSON text can carry exactly: one closing zero, none inside.
std::optional<std::string> CanonicalString(const std::vector<uint8_t>& data) {
    if (data.empty() || data.back() != 0) {
        return std::nullopt;
    }
    std::string value(data.begin(), data.end() - 1);
    if (value.find('\0') != std::string::npos || !nettext::IsValidUtf8(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<std::string>> CanonicalMultiString(const std::vector<uint8_t>& data) {
    std::vector<std::string> entries;
    std::string current;
    if (data.empty() || data.back() != 0) {
        return std::nullopt;
    }
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0) {
            if (current.empty()) {
                return std::nullopt;  // an empty entry inside cannot be written as a list
            }
            entries.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty()) {
        return std::nullopt;  // the last entry lacks its own zero
    }
    for (const std::string& entry : entries) {
        if (!nettext::IsValidUtf8(entry)) {
            return std::nullopt;
        }
    }
    return entries;
}

Json HexJson(const std::vector<uint8_t>& data) {
    constexpr size_t kLine = 32;
    if (data.size() <= kLine) {
        return nettext::ToHex(data.data(), data.size(), true);
    }
    Json lines = Json::array();
    for (size_t at = 0; at < data.size(); at += kLine) {
        lines.push_back(nettext::ToHex(data.data() + at, std::min(kLine, data.size() - at), true));
    }
    return lines;
}

Json ValueToJson(const SimRegistry::Value& value) {
    const auto& data = value.data;
    if (value.type == regtype::kSz) {
        if (const auto text = CanonicalString(data)) {
            return *text;
        }
    } else if (value.type == regtype::kMultiSz) {
        if (const auto entries = CanonicalMultiString(data)) {
            return *entries;
        }
    } else if (value.type == regtype::kDword && data.size() == 4) {
        const uint32_t number =
            static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
            (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
        // Values with the top bit set are written negative (ActiveTimeBias east of UTC, -1 for
        // "all").
        if (number >= 0x80000000u) {
            return static_cast<int64_t>(static_cast<int32_t>(number));
        }
        return number;
    } else if (value.type == regtype::kExpandSz) {
        if (const auto text = CanonicalString(data)) {
            return Json{{"type", "REG_EXPAND_SZ"}, {"text", *text}};
        }
    } else if (value.type == regtype::kQword && data.size() == 8) {
        uint64_t number = 0;
        for (int i = 7; i >= 0; --i) {
            number = (number << 8) | data[static_cast<size_t>(i)];
        }
        return Json{{"type", "REG_QWORD"}, {"value", number}};
    }
    return Json{{"type", TypeName(value.type)}, {"hex", HexJson(data)}};
}

SimRegistry::Value ValueFromJson(const Reader& reader, const Json& json, const std::string& where) {
    if (json.is_string()) {
        return {regtype::kSz, StringBytes(json.get<std::string>())};
    }
    if (json.is_number_integer()) {
        const int64_t number = reader.NumberValue(json, where, INT32_MIN, UINT32_MAX);
        const auto bits = static_cast<uint32_t>(number);
        return {regtype::kDword,
                {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                 static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)}};
    }
    if (json.is_array()) {
        std::vector<std::string> entries;
        for (size_t i = 0; i < json.size(); ++i) {
            if (!json[i].is_string() || json[i].get<std::string>().empty()) {
                reader.Fail(where + "[" + std::to_string(i) + "]",
                            "a multi-string entry must be non-empty text (use the \"hex\" form for "
                            "other data)");
            }
            entries.push_back(json[i].get<std::string>());
        }
        return {regtype::kMultiSz, MultiStringBytes(entries)};
    }
    if (!json.is_object()) {
        reader.Fail(where,
                    "must be text (REG_SZ), a number (REG_DWORD), a list of texts (REG_MULTI_SZ) "
                    "or an object with \"type\" and \"hex\", \"text\" or \"value\"");
    }
    reader.OnlyKeys(json, {"type", "hex", "text", "value", "strings"}, where);
    const Json* typeJson = reader.Find(json, "type");
    uint32_t type = 0;
    if (typeJson == nullptr || !TypeFromName(*typeJson, type)) {
        reader.Fail(Reader::Join(where, "type"),
                    "must be a type name such as REG_BINARY, REG_EXPAND_SZ, REG_QWORD");
    }
    const int forms = (json.contains("hex") ? 1 : 0) + (json.contains("text") ? 1 : 0) +
                      (json.contains("value") ? 1 : 0) + (json.contains("strings") ? 1 : 0);
    if (forms != 1) {
        reader.Fail(where, "give exactly one of \"hex\", \"text\", \"value\" or \"strings\"");
    }
    if (const Json* hex = reader.Find(json, "hex")) {
        std::string joined;
        if (hex->is_string()) {
            joined = hex->get<std::string>();
        } else if (hex->is_array() && std::all_of(hex->begin(), hex->end(),
                                                  [](const Json& l) { return l.is_string(); })) {
            for (const Json& line : *hex) {
                joined += line.get<std::string>() + " ";
            }
        } else {
            reader.Fail(Reader::Join(where, "hex"),
                        "must be text of hex pairs or a list of such lines");
        }
        std::vector<uint8_t> bytes;
        if (!nettext::ParseHex(joined, bytes)) {
            reader.Fail(Reader::Join(where, "hex"),
                        "must hold pairs of hex digits (blanks between pairs are allowed)");
        }
        return {type, bytes};
    }
    if (json.contains("text")) {
        return {type, StringBytes(reader.Text(json, "text", where))};
    }
    if (json.contains("strings")) {
        return {type, MultiStringBytes(reader.Texts(json, "strings", where))};
    }
    const Json& number = json["value"];
    if (!number.is_number_unsigned() && !number.is_number_integer()) {
        reader.Fail(Reader::Join(where, "value"), "must be a whole number");
    }
    const uint64_t bits = number.is_number_unsigned()
                              ? number.get<uint64_t>()
                              : static_cast<uint64_t>(number.get<int64_t>());
    std::vector<uint8_t> bytes;
    const size_t width = type == regtype::kQword ? 8 : 4;
    for (size_t i = 0; i < width; ++i) {
        bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
    return {type, bytes};
}

bool SplitRootPath(std::string_view full, RootKey& root, std::string& path) {
    const size_t cut = full.find('\\');
    const std::string rootName(full.substr(0, cut));
    path = cut == std::string_view::npos ? "" : std::string(full.substr(cut + 1));
    static const std::pair<const char*, RootKey> kShort[] = {{"HKLM", RootKey::LocalMachine},
                                                             {"HKCU", RootKey::CurrentUser},
                                                             {"HKCR", RootKey::ClassesRoot},
                                                             {"HKU", RootKey::Users}};
    for (const auto& [name, key] : kShort) {
        if (text::EqualsIgnoreCase(rootName, name)) {
            root = key;
            return true;
        }
    }
    return platform::RootKeyFromName(rootName, root);
}

// --- Dates ---

std::string FormatClock(OleDate date) {
    const CivilTime t = CivilFromDate(date);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

bool ParseClock(std::string_view value, OleDate& date) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char sep = 0;
    const std::string copy(value);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &y, &mo, &d, &sep, &h, &mi, &s) !=
            7 ||
        (sep != 'T' && sep != ' ') || copy.size() != 19 || mo < 1 || mo > 12 || d < 1 || d > 31 ||
        h > 23 || mi > 59 || s > 59 || y < 1980 || y > 2100) {
        return false;
    }
    date = DateFromCivil(y, mo, d, h, mi, s);
    return CivilFromDate(date).day == d;
}

// --- Devices ---

struct DeviceEntry {
    SimDevice device;
    bool hasIndex = false;
    std::optional<Json> live;
    std::string where;
};

NetworkSetup ReadNetwork(const Reader& reader, const Json& json, const std::string& where) {
    reader.ExpectObject(json, where);
    reader.OnlyKeys(json, {"dhcp", "dhcpv6", "router"}, where);
    NetworkSetup network;
    if (const Json* dhcp = reader.Find(json, "dhcp")) {
        const std::string at = Reader::Join(where, "dhcp");
        reader.ExpectObject(*dhcp, at);
        reader.OnlyKeys(
            *dhcp,
            {"server", "address", "mask", "gateways", "dnsServers", "domain", "leaseSeconds"}, at);
        DhcpServerAnswer answer;
        answer.server = reader.Ipv4(*dhcp, "server", at);
        answer.address = reader.Ipv4(*dhcp, "address", at);
        answer.mask = reader.Ipv4(*dhcp, "mask", at);
        uint32_t mask = 0;
        nettext::ParseIpv4(answer.mask, mask);
        if (!nettext::IsContiguousMask(mask)) {
            reader.Fail(Reader::Join(at, "mask"), "\"" + answer.mask + "\" is not a subnet mask");
        }
        answer.gateways = reader.Texts(*dhcp, "gateways", at);
        answer.dnsServers = reader.Texts(*dhcp, "dnsServers", at);
        for (const auto* list : {&answer.gateways, &answer.dnsServers}) {
            for (const std::string& entry : *list) {
                uint32_t address = 0;
                if (!nettext::ParseIpv4(entry, address)) {
                    reader.Fail(at, "\"" + entry + "\" is not an IPv4 address");
                }
            }
        }
        answer.domain = reader.Text(*dhcp, "domain", at, "");
        answer.leaseSeconds =
            static_cast<uint32_t>(reader.Number(*dhcp, "leaseSeconds", at, 60, 0x7FFFFFFF, 86400));
        network.dhcp = answer;
    }
    if (const Json* dhcpv6 = reader.Find(json, "dhcpv6")) {
        const std::string at = Reader::Join(where, "dhcpv6");
        reader.ExpectObject(*dhcpv6, at);
        reader.OnlyKeys(*dhcpv6, {"address", "dnsServers"}, at);
        Dhcpv6ServerAnswer answer;
        answer.address = reader.Text(*dhcpv6, "address", at);
        reader.Ipv6Value(answer.address, Reader::Join(at, "address"));
        answer.dnsServers = reader.Texts(*dhcpv6, "dnsServers", at);
        for (const std::string& entry : answer.dnsServers) {
            reader.Ipv6Value(entry, Reader::Join(at, "dnsServers"));
        }
        network.dhcpv6 = answer;
    }
    if (const Json* router = reader.Find(json, "router")) {
        const std::string at = Reader::Join(where, "router");
        reader.ExpectObject(*router, at);
        reader.OnlyKeys(*router,
                        {"prefix", "router", "metric", "validLifetime", "preferredLifetime"}, at);
        RouterAdvertisement answer;
        answer.prefix = reader.Text(*router, "prefix", at);
        nettext::Ipv6Bytes bytes{};
        int length = 0;
        if (!nettext::ParseIpv6Prefix(answer.prefix, bytes, length) || length != 64) {
            reader.Fail(
                Reader::Join(at, "prefix"),
                "\"" + answer.prefix + "\" is not a /64 IPv6 prefix such as 2001:db8:1::/64");
        }
        answer.router = reader.Text(*router, "router", at);
        reader.Ipv6Value(answer.router, Reader::Join(at, "router"));
        answer.metric =
            static_cast<uint32_t>(reader.Number(*router, "metric", at, 0, UINT32_MAX, 256));
        answer.validLifetime = static_cast<uint32_t>(
            reader.Number(*router, "validLifetime", at, 0, UINT32_MAX, 86400));
        answer.preferredLifetime = static_cast<uint32_t>(
            reader.Number(*router, "preferredLifetime", at, 0, UINT32_MAX, 14400));
        network.router = answer;
    }
    return network;
}

Json NetworkToJson(const NetworkSetup& network) {
    Json json = Json::object();
    if (network.dhcp) {
        const auto& d = *network.dhcp;
        json["dhcp"] = Json{{"server", d.server},
                            {"address", d.address},
                            {"mask", d.mask},
                            {"gateways", d.gateways},
                            {"dnsServers", d.dnsServers}};
        if (!d.domain.empty()) {
            json["dhcp"]["domain"] = d.domain;
        }
        json["dhcp"]["leaseSeconds"] = d.leaseSeconds;
    }
    if (network.dhcpv6) {
        json["dhcpv6"] =
            Json{{"address", network.dhcpv6->address}, {"dnsServers", network.dhcpv6->dnsServers}};
    }
    if (network.router) {
        const auto& r = *network.router;
        json["router"] = Json{{"prefix", r.prefix},
                              {"router", r.router},
                              {"metric", r.metric},
                              {"validLifetime", r.validLifetime},
                              {"preferredLifetime", r.preferredLifetime}};
    }
    return json;
}

DeviceEntry ReadDevice(const Reader& reader, const Json& json, const std::string& where) {
    reader.ExpectObject(json, where);
    reader.OnlyKeys(
        json,
        {"description", "friendlyName", "hardwareIds", "manufacturer", "driverKey", "disabled",
         "configFlags", "present", "driver", "burnedInAddress", "interface", "live"},
        where);
    DeviceEntry entry;
    entry.where = where;
    SimDevice& device = entry.device;
    device.description = reader.Text(json, "description", where);
    device.friendlyName = reader.Text(json, "friendlyName", where, "");
    device.hardwareIds = reader.Texts(json, "hardwareIds", where);
    device.manufacturer = reader.Text(json, "manufacturer", where, "");
    device.driverKey = reader.Text(json, "driverKey", where);
    const std::string classGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
    if (!text::StartsWithIgnoreCase(device.driverKey, classGuid) ||
        device.driverKey.size() != classGuid.size() + 4 ||
        !std::all_of(device.driverKey.end() - 4, device.driverKey.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        reader.Fail(Reader::Join(where, "driverKey"),
                    "\"" + device.driverKey +
                        "\" is not a network driver key such as "
                        "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001");
    }
    const auto otherFlags =
        static_cast<uint32_t>(reader.Number(json, "configFlags", where, 0, UINT32_MAX, 0));
    if (otherFlags & platform::kConfigFlagDisabled) {
        reader.Fail(Reader::Join(where, "configFlags"),
                    "bit 0 (disabled) is set with \"disabled\": true, not here");
    }
    device.configFlags =
        otherFlags |
        (reader.Flag(json, "disabled", where, false) ? platform::kConfigFlagDisabled : 0);
    device.present = reader.Flag(json, "present", where, true);
    const bool bridgeId =
        !device.hardwareIds.empty() && device.hardwareIds.front() == "ms_bridgemp";
    const std::string driver = reader.Text(json, "driver", where, bridgeId ? "bridge" : "wired");
    if (!DriverProfileFromName(driver, device.driver)) {
        reader.Fail(
            Reader::Join(where, "driver"),
            "\"" + driver +
                "\" is not a driver profile (wired, wireless, ignores-network-address, bridge)");
    }
    device.burnedInAddress = reader.Mac(json, "burnedInAddress", where);
    if (const Json* iface = reader.Find(json, "interface")) {
        const std::string at = Reader::Join(where, "interface");
        reader.ExpectObject(*iface, at);
        reader.OnlyKeys(*iface,
                        {"index", "ipv6Index", "mtu", "speed", "description", "operStatus",
                         "traffic", "network"},
                        at);
        SimIpStack::InterfaceSpec spec;
        entry.hasIndex = reader.Find(*iface, "index") != nullptr;
        spec.index = static_cast<uint32_t>(reader.Number(*iface, "index", at, 2, 0x7FFFFFFF, 0));
        spec.ipv6Index =
            static_cast<uint32_t>(reader.Number(*iface, "ipv6Index", at, 0, 0x7FFFFFFF, 0));
        spec.mtu = static_cast<uint32_t>(reader.Number(*iface, "mtu", at, 68, 65535, 1500));
        spec.speed =
            static_cast<uint32_t>(reader.Number(*iface, "speed", at, 0, UINT32_MAX, 1000000000));
        spec.description = reader.Text(*iface, "description", at, "");
        spec.operStatus = static_cast<uint32_t>(reader.Number(*iface, "operStatus", at, 0, 5, 5));
        if (const Json* traffic = reader.Find(*iface, "traffic")) {
            const std::string t = Reader::Join(at, "traffic");
            reader.ExpectObject(*traffic, t);
            reader.OnlyKeys(*traffic, {"inBytesPerSecond", "outBytesPerSecond"}, t);
            spec.inBytesPerSecond = static_cast<uint32_t>(
                reader.Number(*traffic, "inBytesPerSecond", t, 0, UINT32_MAX, 0));
            spec.outBytesPerSecond = static_cast<uint32_t>(
                reader.Number(*traffic, "outBytesPerSecond", t, 0, UINT32_MAX, 0));
        }
        if (const Json* network = reader.Find(*iface, "network")) {
            spec.network = ReadNetwork(reader, *network, Reader::Join(at, "network"));
        }
        device.interface = spec;
    }
    if (const Json* live = reader.Find(json, "live")) {
        if (!device.interface) {
            reader.Fail(Reader::Join(where, "live"),
                        "a device without \"interface\" has no live state");
        }
        reader.ExpectObject(*live, Reader::Join(where, "live"));
        entry.live = *live;
    }
    return entry;
}

Json DeviceToJson(const SimDevice& device) {
    Json json = Json::object();
    json["description"] = device.description;
    if (!device.friendlyName.empty()) {
        json["friendlyName"] = device.friendlyName;
    }
    json["hardwareIds"] = device.hardwareIds;
    if (!device.manufacturer.empty()) {
        json["manufacturer"] = device.manufacturer;
    }
    json["driverKey"] = device.driverKey;
    json["disabled"] = device.Disabled();
    if ((device.configFlags & ~platform::kConfigFlagDisabled) != 0) {
        json["configFlags"] = device.configFlags & ~platform::kConfigFlagDisabled;
    }
    json["present"] = device.present;
    json["driver"] = DriverProfileName(device.driver);
    json["burnedInAddress"] = nettext::FormatMac(device.burnedInAddress);
    if (device.interface) {
        const auto& spec = *device.interface;
        Json iface = Json::object();
        iface["index"] = spec.index;
        if (spec.ipv6Index != 0) {
            iface["ipv6Index"] = spec.ipv6Index;
        }
        iface["mtu"] = spec.mtu;
        iface["speed"] = spec.speed;
        if (!spec.description.empty()) {
            iface["description"] = spec.description;
        }
        iface["operStatus"] = spec.operStatus;
        if (spec.inBytesPerSecond != 0 || spec.outBytesPerSecond != 0) {
            iface["traffic"] = Json{{"inBytesPerSecond", spec.inBytesPerSecond},
                                    {"outBytesPerSecond", spec.outBytesPerSecond}};
        }
        const Json network = NetworkToJson(spec.network);
        if (!network.empty()) {
            iface["network"] = network;
        }
        json["interface"] = iface;
    }
    return json;
}

// --- Live state of an interface ---

Json LiveToJson(const SimIpStack& stack, const SimIpStack::Interface& iface) {
    Json json = Json::object();
    json["running"] = iface.running;
    json["macAddress"] = nettext::FormatMac(iface.mac);
    json["adminStatus"] = iface.adminStatus;
    json["operStatus"] = iface.spec.operStatus;
    json["inOctets"] = stack.InOctets(iface);
    json["outOctets"] = stack.OutOctets(iface);
    if (!iface.running) {
        return json;
    }
    json["ipv4Bound"] = iface.ipv4Bound;
    json["ipv6Bound"] = iface.ipv6Bound;
    json["interfaceMetric"] = iface.interfaceMetric;
    json["dhcpEnabled"] = iface.dhcpEnabled;
    json["dhcpv6Enabled"] = iface.dhcpv6Enabled;
    if (iface.lease) {
        json["lease"] = Json{{"server", iface.lease->server},
                             {"obtained", iface.lease->obtained},
                             {"expires", iface.lease->expires},
                             {"released", iface.lease->released}};
    }
    Json ipv4 = Json::array();
    for (const auto& a : iface.ipv4) {
        ipv4.push_back(Json{{"address", nettext::FormatIpv4(a.address)},
                            {"mask", nettext::FormatIpv4(a.mask)},
                            {"context", a.context},
                            {"dhcp", a.fromDhcp}});
    }
    json["ipv4"] = ipv4;
    Json routes4 = Json::array();
    for (const auto& r : iface.ipv4Routes) {
        routes4.push_back(Json{{"destination", nettext::FormatIpv4(r.dest)},
                               {"mask", nettext::FormatIpv4(r.mask)},
                               {"nextHop", nettext::FormatIpv4(r.nextHop)},
                               {"metric", r.metric},
                               {"protocol", r.proto},
                               {"dhcp", r.fromDhcp}});
    }
    json["ipv4Routes"] = routes4;
    Json ipv6 = Json::array();
    for (const auto& row : iface.ipv6) {
        ipv6.push_back(Json{{"address", nettext::FormatIpv6(row.address.ipv6)},
                            {"prefixLength", row.onLinkPrefixLength},
                            {"prefixOrigin", row.prefixOrigin},
                            {"suffixOrigin", row.suffixOrigin},
                            {"validLifetime", row.validLifetime},
                            {"preferredLifetime", row.preferredLifetime},
                            {"skipAsSource", row.skipAsSource},
                            {"dadState", row.dadState},
                            {"created", row.creationTimeStamp}});
    }
    json["ipv6"] = ipv6;
    Json routes6 = Json::array();
    for (const auto& r : iface.ipv6Routes) {
        routes6.push_back(
            Json{{"destination", nettext::FormatIpv6(r.destinationPrefix.prefix.ipv6) + "/" +
                                     std::to_string(r.destinationPrefix.prefixLength)},
                 {"nextHop", nettext::FormatIpv6(r.nextHop.ipv6)},
                 {"metric", r.metric},
                 {"protocol", r.protocol},
                 {"origin", r.origin},
                 {"sitePrefixLength", r.sitePrefixLength},
                 {"validLifetime", r.validLifetime},
                 {"preferredLifetime", r.preferredLifetime},
                 {"loopback", r.loopback},
                 {"autoconfigureAddress", r.autoconfigureAddress},
                 {"publish", r.publish},
                 {"immortal", r.immortal},
                 {"age", r.age}});
    }
    json["ipv6Routes"] = routes6;
    return json;
}

SimIpStack::Interface LiveFromJson(const Reader& reader, const Json& json, const std::string& where,
                                   const SimIpStack::InterfaceSpec& spec) {
    reader.OnlyKeys(json,
                    {"running", "macAddress", "adminStatus", "operStatus", "inOctets", "outOctets",
                     "ipv4Bound", "ipv6Bound", "interfaceMetric", "dhcpEnabled", "dhcpv6Enabled",
                     "lease", "ipv4", "ipv4Routes", "ipv6", "ipv6Routes"},
                    where);
    SimIpStack::Interface iface;
    iface.spec = spec;
    iface.running = reader.Flag(json, "running", where, true);
    iface.mac = reader.Mac(json, "macAddress", where);
    iface.adminStatus = static_cast<uint32_t>(
        reader.Number(json, "adminStatus", where, 1, 3, iface.running ? 1 : 2));
    iface.spec.operStatus =
        static_cast<uint32_t>(reader.Number(json, "operStatus", where, 0, 5, spec.operStatus));
    iface.inOctets =
        static_cast<uint32_t>(reader.Number(json, "inOctets", where, 0, UINT32_MAX, 0));
    iface.outOctets =
        static_cast<uint32_t>(reader.Number(json, "outOctets", where, 0, UINT32_MAX, 0));
    iface.ipv4Bound = reader.Flag(json, "ipv4Bound", where, false);
    iface.ipv6Bound = reader.Flag(json, "ipv6Bound", where, false);
    iface.interfaceMetric = static_cast<uint32_t>(reader.Number(
        json, "interfaceMetric", where, 0, UINT32_MAX, SimIpStack::AutomaticMetric(spec.speed)));
    iface.dhcpEnabled = reader.Flag(json, "dhcpEnabled", where, false);
    iface.dhcpv6Enabled = reader.Flag(json, "dhcpv6Enabled", where, false);
    if (const Json* lease = reader.Find(json, "lease")) {
        const std::string at = Reader::Join(where, "lease");
        reader.ExpectObject(*lease, at);
        reader.OnlyKeys(*lease, {"server", "obtained", "expires", "released"}, at);
        SimIpStack::Lease value;
        value.server = reader.Text(*lease, "server", at, "");
        value.obtained = reader.Number(*lease, "obtained", at, 0, UINT32_MAX);
        value.expires = reader.Number(*lease, "expires", at, 0, UINT32_MAX);
        value.released = reader.Flag(*lease, "released", at, false);
        iface.lease = value;
    }
    const auto list = [&](std::string_view key) -> const Json& {
        static const Json kEmpty = Json::array();
        const Json* value = reader.Find(json, key);
        if (value == nullptr) {
            return kEmpty;
        }
        if (!value->is_array()) {
            reader.Fail(Reader::Join(where, key), "must be a list [ ... ]");
        }
        return *value;
    };
    const Json& ipv4 = list("ipv4");
    for (size_t i = 0; i < ipv4.size(); ++i) {
        const std::string at = Reader::Join(where, "ipv4") + "[" + std::to_string(i) + "]";
        reader.ExpectObject(ipv4[i], at);
        reader.OnlyKeys(ipv4[i], {"address", "mask", "context", "dhcp"}, at);
        iface.ipv4.push_back(SimIpStack::Ipv4Address{
            reader.Ipv4Value(ipv4[i], "address", at), reader.Ipv4Value(ipv4[i], "mask", at),
            static_cast<uint32_t>(reader.Number(ipv4[i], "context", at, 1, UINT32_MAX)),
            reader.Flag(ipv4[i], "dhcp", at, false)});
    }
    const Json& routes4 = list("ipv4Routes");
    for (size_t i = 0; i < routes4.size(); ++i) {
        const std::string at = Reader::Join(where, "ipv4Routes") + "[" + std::to_string(i) + "]";
        reader.ExpectObject(routes4[i], at);
        reader.OnlyKeys(routes4[i],
                        {"destination", "mask", "nextHop", "metric", "protocol", "dhcp"}, at);
        iface.ipv4Routes.push_back(SimIpStack::Ipv4Route{
            reader.Ipv4Value(routes4[i], "destination", at),
            reader.Ipv4Value(routes4[i], "mask", at), reader.Ipv4Value(routes4[i], "nextHop", at),
            static_cast<uint32_t>(reader.Number(routes4[i], "metric", at, 0, UINT32_MAX, 0)),
            static_cast<uint32_t>(reader.Number(routes4[i], "protocol", at, 0, UINT32_MAX, 3)),
            reader.Flag(routes4[i], "dhcp", at, false)});
    }
    const uint32_t v6Index = iface.Ipv6Index();
    const Json& ipv6 = list("ipv6");
    for (size_t i = 0; i < ipv6.size(); ++i) {
        const std::string at = Reader::Join(where, "ipv6") + "[" + std::to_string(i) + "]";
        reader.ExpectObject(ipv6[i], at);
        reader.OnlyKeys(ipv6[i],
                        {"address", "prefixLength", "prefixOrigin", "suffixOrigin", "validLifetime",
                         "preferredLifetime", "skipAsSource", "dadState", "created"},
                        at);
        platform::UnicastRow row;
        row.address.family = platform::af::kInet6;
        row.address.ipv6 =
            reader.Ipv6Value(reader.Text(ipv6[i], "address", at), Reader::Join(at, "address"));
        const bool linkLocal = row.address.ipv6[0] == 0xFE && (row.address.ipv6[1] & 0xC0) == 0x80;
        row.scopeId = linkLocal ? v6Index : 0;
        row.address.scopeId = row.scopeId;
        row.luid = spec.luid;
        row.ifIndex = v6Index;
        row.onLinkPrefixLength =
            static_cast<uint8_t>(reader.Number(ipv6[i], "prefixLength", at, 0, 128));
        row.prefixOrigin =
            static_cast<uint32_t>(reader.Number(ipv6[i], "prefixOrigin", at, 0, 16, 1));
        row.suffixOrigin =
            static_cast<uint32_t>(reader.Number(ipv6[i], "suffixOrigin", at, 0, 16, 1));
        row.validLifetime = static_cast<uint32_t>(
            reader.Number(ipv6[i], "validLifetime", at, 0, UINT32_MAX, UINT32_MAX));
        row.preferredLifetime = static_cast<uint32_t>(
            reader.Number(ipv6[i], "preferredLifetime", at, 0, UINT32_MAX, UINT32_MAX));
        row.skipAsSource = reader.Flag(ipv6[i], "skipAsSource", at, false);
        row.dadState = static_cast<uint32_t>(reader.Number(ipv6[i], "dadState", at, 0, 4, 4));
        row.creationTimeStamp = reader.Number(ipv6[i], "created", at, 0, INT64_MAX, 0);
        iface.ipv6.push_back(row);
    }
    const Json& routes6 = list("ipv6Routes");
    for (size_t i = 0; i < routes6.size(); ++i) {
        const std::string at = Reader::Join(where, "ipv6Routes") + "[" + std::to_string(i) + "]";
        reader.ExpectObject(routes6[i], at);
        reader.OnlyKeys(routes6[i],
                        {"destination", "nextHop", "metric", "protocol", "origin",
                         "sitePrefixLength", "validLifetime", "preferredLifetime", "loopback",
                         "autoconfigureAddress", "publish", "immortal", "age"},
                        at);
        platform::ForwardRow2 route;
        route.luid = spec.luid;
        route.ifIndex = v6Index;
        int length = 0;
        const std::string dest = reader.Text(routes6[i], "destination", at);
        if (!nettext::ParseIpv6Prefix(dest, route.destinationPrefix.prefix.ipv6, length)) {
            reader.Fail(Reader::Join(at, "destination"),
                        "\"" + dest + "\" is not an IPv6 prefix such as ::/0");
        }
        route.destinationPrefix.prefix.family = platform::af::kInet6;
        route.destinationPrefix.prefixLength = static_cast<uint8_t>(length);
        route.nextHop.family = platform::af::kInet6;
        route.nextHop.ipv6 =
            reader.Ipv6Value(reader.Text(routes6[i], "nextHop", at), Reader::Join(at, "nextHop"));
        route.metric =
            static_cast<uint32_t>(reader.Number(routes6[i], "metric", at, 0, UINT32_MAX, 256));
        route.protocol =
            static_cast<uint32_t>(reader.Number(routes6[i], "protocol", at, 0, UINT32_MAX, 3));
        route.origin =
            static_cast<uint32_t>(reader.Number(routes6[i], "origin", at, 0, UINT32_MAX, 0));
        route.sitePrefixLength =
            static_cast<uint8_t>(reader.Number(routes6[i], "sitePrefixLength", at, 0, 255, 0));
        route.validLifetime = static_cast<uint32_t>(
            reader.Number(routes6[i], "validLifetime", at, 0, UINT32_MAX, UINT32_MAX));
        route.preferredLifetime = static_cast<uint32_t>(
            reader.Number(routes6[i], "preferredLifetime", at, 0, UINT32_MAX, UINT32_MAX));
        route.loopback = reader.Flag(routes6[i], "loopback", at, true);
        route.autoconfigureAddress = reader.Flag(routes6[i], "autoconfigureAddress", at, true);
        route.publish = reader.Flag(routes6[i], "publish", at, false);
        route.immortal = reader.Flag(routes6[i], "immortal", at, false);
        route.age = static_cast<uint32_t>(reader.Number(routes6[i], "age", at, 0, UINT32_MAX, 0));
        iface.ipv6Routes.push_back(route);
    }
    return iface;
}

}  // namespace

// --- Loading ---

void LoadMachineText(std::string_view textValue, std::string_view sourceName, Machine& machine) {
    const Reader reader{std::string(sourceName)};
    Json root;
    try {
        root = Json::parse(textValue.begin(), textValue.end());
    } catch (const Json::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." without the tag.
        std::string what = error.what();
        if (const size_t cut = what.find("] "); cut != std::string::npos) {
            what = what.substr(cut + 2);
        }
        reader.Fail("", "not valid JSON: " + what);
    }
    reader.ExpectObject(root, "the whole file");
    reader.OnlyKeys(root,
                    {"machineFile", "windows", "administrator", "clock", "folders", "ipStack",
                     "devices", "registry"},
                    "");
    const int64_t version = reader.Number(root, "machineFile", "", 1, 1000);
    if (version != kFormatVersion) {
        reader.Fail("machineFile", "version " + std::to_string(version) +
                                       " is not known (this program reads version " +
                                       std::to_string(kFormatVersion) + ")");
    }

    // The system.
    platform::OsVersionInfo os = machine.system.version;
    if (const Json* windows = reader.Find(root, "windows")) {
        reader.ExpectObject(*windows, "windows");
        reader.OnlyKeys(*windows,
                        {"version", "servicePack", "servicePackMajor", "servicePackMinor",
                         "suiteMask", "productType"},
                        "windows");
        const std::string versionText = reader.Text(*windows, "version", "windows");
        const std::vector<std::string> parts = text::Split(versionText, ".");
        unsigned numbers[3] = {0, 0, 0};
        bool valid = parts.size() == 2 || parts.size() == 3;
        for (size_t i = 0; valid && i < parts.size(); ++i) {
            const auto [end, error] =
                std::from_chars(parts[i].data(), parts[i].data() + parts[i].size(), numbers[i]);
            valid = !parts[i].empty() && error == std::errc() &&
                    end == parts[i].data() + parts[i].size();
        }
        if (!valid || numbers[0] < 5) {
            reader.Fail(
                "windows.version",
                "\"" + versionText + "\" is not a Windows version such as 5.1.2600 or 10.0.19045");
        }
        os.major = numbers[0];
        os.minor = numbers[1];
        os.build = numbers[2];
        os.servicePack = reader.Text(*windows, "servicePack", "windows", "");
        os.servicePackMajor = static_cast<uint16_t>(
            reader.Number(*windows, "servicePackMajor", "windows", 0, 65535, 0));
        os.servicePackMinor = static_cast<uint16_t>(
            reader.Number(*windows, "servicePackMinor", "windows", 0, 65535, 0));
        os.suiteMask =
            static_cast<uint16_t>(reader.Number(*windows, "suiteMask", "windows", 0, 65535, 0));
        os.productType =
            static_cast<uint8_t>(reader.Number(*windows, "productType", "windows", 1, 3, 1));
    }
    const bool admin = reader.Flag(root, "administrator", "", true);
    std::optional<OleDate> clock;
    if (reader.Find(root, "clock") != nullptr) {
        const std::string value = reader.Text(root, "clock", "");
        OleDate date;
        if (!ParseClock(value, date)) {
            reader.Fail("clock", "\"" + value +
                                     "\" is not a local date and time such as 2026-12-07T06:15:30");
        }
        clock = date;
    }
    std::string tempPath = machine.system.tempPath;
    std::string programFile = machine.system.programFile;
    std::string programFolder = machine.system.programFolder;
    if (const Json* folders = reader.Find(root, "folders")) {
        reader.ExpectObject(*folders, "folders");
        reader.OnlyKeys(*folders, {"temp", "programFile", "programFolder"}, "folders");
        tempPath = reader.Text(*folders, "temp", "folders", tempPath);
        programFile = reader.Text(*folders, "programFile", "folders", programFile);
        programFolder = reader.Text(*folders, "programFolder", "folders", programFolder);
    }
    uint32_t nextContext = machine.ipStack.nextNteContext;
    if (const Json* stack = reader.Find(root, "ipStack")) {
        reader.ExpectObject(*stack, "ipStack");
        reader.OnlyKeys(*stack, {"nextNteContext"}, "ipStack");
        nextContext = static_cast<uint32_t>(
            reader.Number(*stack, "nextNteContext", "ipStack", 2, UINT32_MAX, nextContext));
    }

    // The registry, into a scratch registry first so that a bad value changes nothing.
    std::vector<std::tuple<RootKey, std::string, std::string, SimRegistry::Value>> values;
    std::vector<std::pair<RootKey, std::string>> emptyKeys;
    SimRegistry scratch;
    if (const Json* registry = reader.Find(root, "registry")) {
        reader.ExpectObject(*registry, "registry");
        std::set<std::string> seenKeys;
        for (const auto& [fullPath, keyJson] : registry->items()) {
            const std::string where = "registry[\"" + fullPath + "\"]";
            RootKey rootKey{};
            std::string path;
            if (!SplitRootPath(fullPath, rootKey, path) || path.empty() ||
                path.find("\\\\") != std::string::npos || path.back() == '\\') {
                reader.Fail(where,
                            "a key path must start with HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "
                            "HKEY_CLASSES_ROOT "
                            "or HKEY_USERS (or HKLM, HKCU, HKCR, HKU) and name a key below it");
            }
            const std::string folded =
                std::string(platform::RootKeyName(rootKey)) + "\\" + text::ToLower(path);
            if (!seenKeys.insert(folded).second) {
                reader.Fail(where, "the key is listed twice (names of keys ignore letter case)");
            }
            reader.ExpectObject(keyJson, where);
            std::set<std::string> seenValues;
            if (keyJson.empty()) {
                emptyKeys.emplace_back(rootKey, path);
            }
            for (const auto& [name, valueJson] : keyJson.items()) {
                const std::string at = where + "[\"" + name + "\"]";
                if (!seenValues.insert(text::ToLower(name)).second) {
                    reader.Fail(at,
                                "the value is listed twice (names of values ignore letter case)");
                }
                values.emplace_back(rootKey, path, name, ValueFromJson(reader, valueJson, at));
            }
        }
    }
    for (const auto& [rootKey, path, name, value] : values) {
        scratch.Put(rootKey, path, name, value);
    }

    // The devices.
    std::vector<DeviceEntry> entries;
    if (const Json* devices = reader.Find(root, "devices")) {
        if (!devices->is_array()) {
            reader.Fail("devices", "must be a list [ ... ] of devices");
        }
        for (size_t i = 0; i < devices->size(); ++i) {
            entries.push_back(
                ReadDevice(reader, (*devices)[i], "devices[" + std::to_string(i) + "]"));
        }
    }
    std::map<std::string, std::string> driverKeys;
    std::map<uint32_t, std::string> indexes;
    uint32_t highest = 1;
    for (const DeviceEntry& entry : entries) {
        const std::string folded = text::ToLower(entry.device.driverKey);
        if (const auto [it, added] = driverKeys.emplace(folded, entry.where); !added) {
            reader.Fail(
                entry.where + ".driverKey",
                "\"" + entry.device.driverKey + "\" is also the driver key of " + it->second);
        }
        if (entry.device.interface && entry.hasIndex) {
            const uint32_t index = entry.device.interface->index;
            if (const auto [it, added] = indexes.emplace(index, entry.where); !added) {
                reader.Fail(entry.where + ".interface.index",
                            std::to_string(index) + " is also the index of " + it->second);
            }
            highest = std::max(highest, index);
        }
        if (entry.device.interface &&
            !scratch.GetString(RootKey::LocalMachine, kClassRoot + entry.device.driverKey,
                               "NetCfgInstanceId")) {
            reader.Fail(
                entry.where,
                "its class key HKEY_LOCAL_MACHINE\\" + std::string(kClassRoot) +
                    entry.device.driverKey +
                    " has no NetCfgInstanceId value in \"registry\" (needed for its interface)");
        }
    }
    for (DeviceEntry& entry : entries) {
        if (entry.device.interface && !entry.hasIndex) {
            entry.device.interface->index = ++highest;  // in device order after the given ones
        }
    }

    // Saved interfaces are read against the new registry before anything is applied.
    std::vector<std::optional<SimIpStack::Interface>> restored(entries.size());
    {
        SimDevices probe(scratch, machine.ipStack);
        for (size_t i = 0; i < entries.size(); ++i) {
            const DeviceEntry& entry = entries[i];
            if (!entry.live) {
                continue;
            }
            const auto spec = probe.InterfaceOf(entry.device);
            if (!spec) {
                reader.Fail(entry.where + ".live", "the device has no interface to restore");
            }
            SimIpStack::Interface live =
                LiveFromJson(reader, *entry.live, entry.where + ".live", *spec);
            if (live.running && (entry.device.Disabled() || !entry.device.present)) {
                reader.Fail(entry.where + ".live.running",
                            "a disabled or absent device cannot be running");
            }
            restored[i] = std::move(live);
        }
    }

    // Everything is known to be usable: apply it.
    machine.system.version = os;
    machine.system.isAdmin = admin;
    machine.registry.localMachineReadOnly = !admin;
    machine.system.tempPath = tempPath;
    machine.system.programFile = programFile;
    machine.system.programFolder = programFolder;
    if (clock) {
        machine.clock.SetNow(*clock);
    }
    machine.ipStack.nextNteContext = nextContext;
    for (const auto& [rootKey, path] : emptyKeys) {
        machine.registry.CreateKeyDirect(rootKey, path);
    }
    for (const auto& [rootKey, path, name, value] : values) {
        machine.registry.Put(rootKey, path, name, value);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool hasLive = restored[i].has_value();
        const size_t position = machine.devices.Add(entries[i].device, !hasLive);
        if (hasLive) {
            // The interface set-up's LUID default depends on the device's position: take it from
            // the device now.
            const auto spec = machine.devices.InterfaceOf(machine.devices.Devices()[position]);
            SimIpStack::Interface live = *restored[i];
            const uint32_t operStatus = live.spec.operStatus;
            live.spec = *spec;
            live.spec.operStatus = operStatus;
            for (auto& row : live.ipv6) {
                row.luid = spec->luid;
            }
            for (auto& route : live.ipv6Routes) {
                route.luid = spec->luid;
            }
            machine.ipStack.Restore(live);
            machine.devices.AdoptRestored(position, live.running);
        }
    }
}

void LoadMachineFile(const std::filesystem::path& path, Machine& machine) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw MachineFileError(path.string() + ": cannot be opened");
    }
    std::ostringstream content;
    content << in.rdbuf();
    LoadMachineText(content.str(), path.string(), machine);
}

// --- Saving ---

std::string MachineText(const Machine& machine) {
    Json root = Json::object();
    root["machineFile"] = kFormatVersion;
    const auto& os = machine.system.version;
    Json windows = Json::object();
    windows["version"] =
        std::to_string(os.major) + "." + std::to_string(os.minor) + "." + std::to_string(os.build);
    windows["servicePack"] = os.servicePack;
    windows["servicePackMajor"] = os.servicePackMajor;
    windows["servicePackMinor"] = os.servicePackMinor;
    windows["suiteMask"] = os.suiteMask;
    windows["productType"] = os.productType;
    root["windows"] = windows;
    root["administrator"] = machine.system.isAdmin;
    root["clock"] = FormatClock(machine.clock.Now());
    root["folders"] = Json{{"temp", machine.system.tempPath},
                           {"programFile", machine.system.programFile},
                           {"programFolder", machine.system.programFolder}};
    root["ipStack"] = Json{{"nextNteContext", machine.ipStack.nextNteContext}};

    Json devices = Json::array();
    for (const SimDevice& device : machine.devices.Devices()) {
        Json json = DeviceToJson(device);
        if (const auto spec = machine.devices.InterfaceOf(device)) {
            if (const SimIpStack::Interface* iface = machine.ipStack.FindInterface(spec->guid)) {
                json["live"] = LiveToJson(machine.ipStack, *iface);
            }
        }
        devices.push_back(json);
    }
    root["devices"] = devices;

    Json registry = Json::object();
    machine.registry.ForEachKey(
        [&](RootKey rootKey, const std::string& path,
            const std::vector<std::pair<std::string, SimRegistry::Value>>& keyValues) {
            Json key = Json::object();
            for (const auto& [name, value] : keyValues) {
                key[name] = ValueToJson(value);
            }
            registry[std::string(platform::RootKeyName(rootKey)) + "\\" + path] = key;
        });
    root["registry"] = registry;
    return root.dump(2) + "\n";
}

void SaveMachineFile(const Machine& machine, const std::filesystem::path& path) {
    const std::string content = MachineText(machine);
    std::filesystem::path temporary = path;
    temporary += ".partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw MachineFileError(path.string() + ": cannot be written");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        throw MachineFileError(path.string() + ": cannot be written");
    }
}

}  // namespace vexav6::sim
