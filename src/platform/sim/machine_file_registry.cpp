#include "platform/sim/machine_file_registry.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/text.h"
#include "platform/root_key_names.h"
#include "platform/sim/sim_registry.h"

namespace vexav6::sim::machinefile {

namespace regtype = platform::regtype;
using platform::RootKey;

namespace {

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

}  // namespace

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
        return {regtype::kSz, StringData(json.get<std::string>())};
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
        return {regtype::kMultiSz, MultiStringData(entries)};
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
        return {type, StringData(reader.Text(json, "text", where))};
    }
    if (json.contains("strings")) {
        return {type, MultiStringData(reader.Texts(json, "strings", where))};
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

}  // namespace vexav6::sim::machinefile
