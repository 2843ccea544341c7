#pragma once

// The JSON of machine files and the checked reading of it, shared by the machine_file*.cpp files.

#include <nlohmann/json.hpp>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/machine_file.h"
#include "platform/sim/sim_net_text.h"

namespace vexav6::sim::machinefile {

using Json = nlohmann::ordered_json;

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

}  // namespace vexav6::sim::machinefile
