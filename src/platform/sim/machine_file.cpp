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
#include "platform/sim/machine_file_devices.h"
#include "platform/sim/machine_file_live.h"
#include "platform/sim/machine_file_reader.h"
#include "platform/sim/machine_file_registry.h"
#include "platform/sim/sim_net_text.h"

namespace vexav6::sim {

using namespace machinefile;
using platform::RootKey;

namespace {

constexpr int kFormatVersion = 1;
constexpr const char* kClassRoot = "SYSTEM\\CurrentControlSet\\Control\\Class\\";

// --- JSON errors ---

// The library's message without its tag "[json.exception.parse_error.101] ".
std::string WithoutTag(const Json::exception& error) {
    std::string what = error.what();
    if (const size_t cut = what.find("] "); cut != std::string::npos) {
        what = what.substr(cut + 2);
    }
    return what;
}

// Reads a JSON text without keeping it, only to note where the library gives up on it.
class JsonFailurePlace : public nlohmann::json_sax<Json> {
  public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string& lastToken,
                     const Json::exception&) override {
        offset = position;
        token = lastToken;
        return false;
    }

    // Bytes read up to and including the token it stopped at, and that token.
    std::size_t offset = 0;
    std::string token;
};

// The 1-based line and column of the last byte before `offset` (the end of a token).
std::pair<size_t, size_t> LineAndColumn(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const size_t line = 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
    const size_t lineStart = before.rfind('\n');
    return {line, lineStart == std::string_view::npos ? offset : offset - lineStart - 1};
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

// Everything a machine file says, checked, before any of it is applied.
struct MachineContent {
    platform::OsVersionInfo os;
    bool admin = true;
    std::optional<OleDate> clock;
    std::string tempPath;
    std::string programFile;
    std::string programFolder;
    uint32_t nextContext = 0;
    std::vector<std::tuple<RootKey, std::string, std::string, SimRegistry::Value>> values;
    std::vector<std::pair<RootKey, std::string>> emptyKeys;
    std::vector<DeviceEntry> devices;
    // The saved interface of each device that has one, in the order of `devices`.
    std::vector<std::optional<SimIpStack::Interface>> restored;
};

platform::OsVersionInfo ReadWindows(const Reader& reader, const Json& windows,
                                    platform::OsVersionInfo os) {
    reader.ExpectObject(windows, "windows");
    reader.OnlyKeys(windows,
                    {"version", "servicePack", "servicePackMajor", "servicePackMinor", "suiteMask",
                     "productType"},
                    "windows");
    const std::string versionText = reader.Text(windows, "version", "windows");
    const std::vector<std::string> parts = text::Split(versionText, ".");
    unsigned numbers[3] = {0, 0, 0};
    bool valid = parts.size() == 2 || parts.size() == 3;
    for (size_t i = 0; valid && i < parts.size(); ++i) {
        const auto [end, error] =
            std::from_chars(parts[i].data(), parts[i].data() + parts[i].size(), numbers[i]);
        valid =
            !parts[i].empty() && error == std::errc() && end == parts[i].data() + parts[i].size();
    }
    if (!valid || numbers[0] < 5) {
        reader.Fail(
            "windows.version",
            "\"" + versionText + "\" is not a Windows version such as 5.1.2600 or 10.0.19045");
    }
    os.major = numbers[0];
    os.minor = numbers[1];
    os.build = numbers[2];
    os.servicePack = reader.Text(windows, "servicePack", "windows", "");
    os.servicePackMajor =
        static_cast<uint16_t>(reader.Number(windows, "servicePackMajor", "windows", 0, 65535, 0));
    os.servicePackMinor =
        static_cast<uint16_t>(reader.Number(windows, "servicePackMinor", "windows", 0, 65535, 0));
    os.suiteMask =
        static_cast<uint16_t>(reader.Number(windows, "suiteMask", "windows", 0, 65535, 0));
    os.productType =
        static_cast<uint8_t>(reader.Number(windows, "productType", "windows", 1, 3, 1));
    return os;
}

// The system's facts: Windows version, rights, clock, folders and the IP stack's counter. What
// the file leaves out stays as the machine has it.
MachineContent ReadSystem(const Reader& reader, const Json& root, const Machine& machine) {
    MachineContent content;
    content.os = machine.system.version;
    if (const Json* windows = reader.Find(root, "windows")) {
        content.os = ReadWindows(reader, *windows, content.os);
    }
    content.admin = reader.Flag(root, "administrator", "", true);
    if (reader.Find(root, "clock") != nullptr) {
        const std::string value = reader.Text(root, "clock", "");
        OleDate date;
        if (!ParseClock(value, date)) {
            reader.Fail("clock", "\"" + value +
                                     "\" is not a local date and time such as 2026-12-07T06:15:30");
        }
        content.clock = date;
    }
    content.tempPath = machine.system.tempPath;
    content.programFile = machine.system.programFile;
    content.programFolder = machine.system.programFolder;
    if (const Json* folders = reader.Find(root, "folders")) {
        reader.ExpectObject(*folders, "folders");
        reader.OnlyKeys(*folders, {"temp", "programFile", "programFolder"}, "folders");
        content.tempPath = reader.Text(*folders, "temp", "folders", content.tempPath);
        content.programFile = reader.Text(*folders, "programFile", "folders", content.programFile);
        content.programFolder =
            reader.Text(*folders, "programFolder", "folders", content.programFolder);
    }
    content.nextContext = machine.ipStack.nextNteContext;
    if (const Json* stack = reader.Find(root, "ipStack")) {
        reader.ExpectObject(*stack, "ipStack");
        reader.OnlyKeys(*stack, {"nextNteContext"}, "ipStack");
        content.nextContext = static_cast<uint32_t>(
            reader.Number(*stack, "nextNteContext", "ipStack", 2, UINT32_MAX, content.nextContext));
    }
    return content;
}

// The registry's keys and values, also put into `scratch` so that the devices can be checked
// against them before the machine's own registry changes.
void ReadRegistry(const Reader& reader, const Json& root, MachineContent& content,
                  SimRegistry& scratch) {
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
                content.emptyKeys.emplace_back(rootKey, path);
            }
            for (const auto& [name, valueJson] : keyJson.items()) {
                const std::string at = where + "[\"" + name + "\"]";
                if (!seenValues.insert(text::ToLower(name)).second) {
                    reader.Fail(at,
                                "the value is listed twice (names of values ignore letter case)");
                }
                content.values.emplace_back(rootKey, path, name,
                                            ValueFromJson(reader, valueJson, at));
            }
        }
    }
    for (const auto& [rootKey, path, name, value] : content.values) {
        scratch.Put(rootKey, path, name, value);
    }
}

// The devices, checked against each other (driver keys, interface indexes) and against the
// registry read before; interfaces without an index get the next free ones in device order.
void ReadDevices(const Reader& reader, const Json& root, MachineContent& content,
                 const SimRegistry& scratch) {
    std::vector<DeviceEntry>& entries = content.devices;
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
}

// Saved interfaces, read against the new registry before anything is applied.
void ReadLiveStates(const Reader& reader, MachineContent& content, SimRegistry& scratch,
                    SimIpStack& ipStack) {
    content.restored.assign(content.devices.size(), std::nullopt);
    SimDevices probe(scratch, ipStack);
    for (size_t i = 0; i < content.devices.size(); ++i) {
        const DeviceEntry& entry = content.devices[i];
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
        content.restored[i] = std::move(live);
    }
}

// Everything is known to be usable: the machine takes it.
void Apply(const MachineContent& content, Machine& machine) {
    machine.system.version = content.os;
    machine.system.isAdmin = content.admin;
    machine.registry.localMachineReadOnly = !content.admin;
    machine.system.tempPath = content.tempPath;
    machine.system.programFile = content.programFile;
    machine.system.programFolder = content.programFolder;
    if (content.clock) {
        machine.clock.SetNow(*content.clock);
    }
    machine.ipStack.nextNteContext = content.nextContext;
    for (const auto& [rootKey, path] : content.emptyKeys) {
        machine.registry.CreateKeyDirect(rootKey, path);
    }
    for (const auto& [rootKey, path, name, value] : content.values) {
        machine.registry.Put(rootKey, path, name, value);
    }
    for (size_t i = 0; i < content.devices.size(); ++i) {
        const bool hasLive = content.restored[i].has_value();
        const size_t position = machine.devices.Add(content.devices[i].device, !hasLive);
        if (!hasLive) {
            continue;
        }
        // The interface set-up's LUID default depends on the device's position: take it from the
        // device now.
        const auto spec = machine.devices.InterfaceOf(machine.devices.Devices()[position]);
        SimIpStack::Interface live = *content.restored[i];
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

}  // namespace

// --- Loading ---

void LoadMachineText(std::string_view textValue, std::string_view sourceName, Machine& machine) {
    const Reader reader{std::string(sourceName)};
    Json root;
    try {
        root = Json::parse(textValue.begin(), textValue.end());
    } catch (const Json::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." without the tag.
        reader.Fail("", "not valid JSON: " + WithoutTag(error));
    } catch (const Json::exception& error) {
        // Valid JSON the library still cannot hold (a number beyond the range of a double): its
        // message names no place, so the text is read again to find where it stopped.
        JsonFailurePlace place;
        Json::sax_parse(textValue.begin(), textValue.end(), &place);
        const auto [line, column] = LineAndColumn(textValue, place.offset);
        const std::string at =
            "at line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
        if (error.id == 406) {
            reader.Fail("", "not usable JSON " + at + place.token + " is too large a number (" +
                                WithoutTag(error) + ")");
        }
        reader.Fail("", "not usable JSON " + at + WithoutTag(error));
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

    MachineContent content = ReadSystem(reader, root, machine);
    SimRegistry scratch;
    ReadRegistry(reader, root, content, scratch);
    ReadDevices(reader, root, content, scratch);
    ReadLiveStates(reader, content, scratch, machine.ipStack);
    Apply(content, machine);
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
