#include "ipconfig/ip_config_support.h"

#include "base/error.h"
#include "base/text.h"

namespace vexav6::IpConfigSupport {

std::string Ipv4InterfaceKey(std::string_view netCfgInstanceId) {
    return "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" +
           std::string(netCfgInstanceId);
}

std::string Ipv6InterfaceKey(std::string_view netCfgInstanceId) {
    return "SYSTEM\\CurrentControlSet\\services\\TCPIP6\\Parameters\\Interfaces\\" +
           std::string(netCfgInstanceId);
}

const Platform& OwnerPlatform(IpConfigOwner* owner, std::string_view source) {
    if (owner == nullptr) {
        throw Error(errnum::kOwnCheck, std::string(source), "No network adapter is attached.");
    }
    return owner->GetPlatform();
}

void CheckNotInitialised(bool initDone, std::string_view source) {
    if (initDone) {
        throw Error(errnum::kOwnCheck, std::string(source), "Init already done");
    }
}

std::vector<std::string> SplitList(std::string_view text) {
    return text::Split(text, std::string_view("\0", 1));
}

void FitList(std::vector<std::string>& list, size_t size) {
    list.resize(size);
}

std::string MultiStringText(const std::vector<std::string>& list) {
    const std::string_view zero("\0", 1);
    std::string joined =
        text::ReplaceAll(text::Join(list, zero), std::string_view("\0\0", 2), zero);
    joined.append(2, '\0');
    return joined;
}

void PlacePair(std::vector<std::string>& keys, std::vector<std::string>& values,
               const std::string& key, const std::string& value, std::string_view placeholder) {
    bool placed = false;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            if (!placed) {
                values[i] = value;
                placed = true;
            } else {
                keys[i].clear();
                values[i].clear();
            }
        } else if (!placeholder.empty() && keys[i] == placeholder) {
            keys = {key};
            values = {value};
            return;
        } else if (keys[i].empty()) {
            if (!placed) {
                keys[i] = key;
                values[i] = value;
                placed = true;
            } else {
                values[i].clear();
            }
        }
    }
    if (!placed) {
        keys.push_back(key);
        values.push_back(value);
    }
}

PairTexts DropPair(const std::vector<std::string>& keys, const std::vector<std::string>& values,
                   const std::string& key) {
    PairTexts texts;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != key) {
            texts.keys += keys[i];
            texts.keys += '\0';
            texts.values += values[i];
            texts.values += '\0';
        }
    }
    return texts;
}

std::array<uint8_t, 8> LuidBytes(uint64_t luid) {
    std::array<uint8_t, 8> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(luid >> (8 * i));
    }
    return bytes;
}

void PutUint32(std::vector<uint8_t>& data, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        data[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace vexav6::IpConfigSupport
