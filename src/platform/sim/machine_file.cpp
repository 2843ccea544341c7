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
