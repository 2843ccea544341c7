#include "system/registry.h"

#include <limits>
#include <utility>

namespace vexav6::Registry {

using platform::KeyHandle;
namespace access = platform::access;
namespace status = platform::status;

namespace {

// Name buffers for enumeration grow by doubling while they stay below this many characters.
constexpr uint32_t kNameBufferLimit = 4096;
// DeleteKeyTree starts every name buffer at this size.
constexpr uint32_t kDeleteNameBuffer = 128;

// An open key that is closed when it goes out of scope, on every path out of an operation.
class ScopedKey {
  public:
    explicit ScopedKey(platform::RegistryApi& api) : api_(api) {}
    ~ScopedKey() { Close(); }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    Status Open(RootKey root, std::string_view path, uint32_t rights) {
        Close();
        return api_.OpenKey(root, path, rights, key_);
    }
    Status Create(RootKey root, std::string_view path, uint32_t rights) {
        Close();
        return api_.CreateKey(root, path, rights, key_);
    }
    void Close() {
        if (key_ != 0) {
            api_.CloseKey(key_);
            key_ = 0;
        }
    }
    KeyHandle Get() const { return key_; }

  private:
    platform::RegistryApi& api_;
    KeyHandle key_ = 0;
};

bool FitsInStatusCount(size_t size) {
    return size <= std::numeric_limits<uint32_t>::max();
}

// Reads the whole value: its size and type first, then its data. When the value grows between
// the two calls the read is repeated with the new size; the data is cut to the size the last read
// reports, so a value that shrank in between brings no stale bytes. A value of zero length gives
// empty `data` with status 0.
Status QueryWholeValue(platform::RegistryApi& api, KeyHandle key, std::string_view name,
                       std::vector<uint8_t>& data, uint32_t& type) {
    uint32_t size = 0;
    uint32_t foundType = 0;
    Status result = api.QueryValue(key, name, &foundType, nullptr, &size);
    if (result != status::kSuccess && result != status::kMoreData) {
        return result;
    }
    std::vector<uint8_t> buffer;
    while (size > 0) {
        buffer.assign(size, static_cast<uint8_t>(' '));
        uint32_t returned = size;
        result = api.QueryValue(key, name, &foundType, buffer.data(), &returned);
        if (result == status::kMoreData && returned > size) {
            size = returned;
            continue;
        }
        if (result != status::kSuccess) {
            return result;
        }
        size = returned;
        buffer.resize(size);
        break;
    }
    data = std::move(buffer);
    type = foundType;
    return status::kSuccess;
}

// Calls `enumerate(capacity)` with a name buffer that starts at `capacity` characters and doubles
// on 234 (more data) while the doubled size stays below the limit; answers the last status.
template <class Enumerate>
Status EnumerateName(uint32_t capacity, Enumerate enumerate) {
    for (;;) {
        const Status result = enumerate(capacity);
        if (result != status::kMoreData) {
            return result;
        }
        capacity *= 2;
        if (capacity >= kNameBufferLimit) {
            return result;
        }
    }
}

}  // namespace

Status ReadStringValue(const Platform& platform, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::string& value) {
    ScopedKey key(platform.registry);
    Status result = key.Open(root, keyPath, access::kKeyRead);
    if (result != status::kSuccess) {
        return result;
    }
    std::vector<uint8_t> data;
    uint32_t type = 0;
    result = QueryWholeValue(platform.registry, key.Get(), valueName, data, type);
    if (result == status::kSuccess && !data.empty()) {
        value.assign(data.begin(), data.end() - 1);
    }
    return result;
}

Status WriteStringValue(const Platform& platform, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::string_view value, uint32_t valueType) {
    if (!FitsInStatusCount(value.size())) {
        return status::kInvalidParameter;
    }
    return WriteRawValue(platform, root, keyPath, valueName, value.data(),
                         static_cast<uint32_t>(value.size()), valueType);
}

Status DeleteValue(const Platform& platform, RootKey root, std::string_view keyPath,
                   std::string_view valueName) {
    ScopedKey key(platform.registry);
    const Status result = key.Open(root, keyPath, access::kKeyWrite);
    if (result != status::kSuccess) {
        return result;
    }
    return platform.registry.DeleteValue(key.Get(), valueName);
}

Status CreateKey(const Platform& platform, RootKey root, std::string_view keyPath) {
    ScopedKey key(platform.registry);
    return key.Create(root, keyPath, access::kKeyWrite);
}

Status WriteBinaryValue(const Platform& platform, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::span<const uint8_t> bytes,
                        uint32_t valueType) {
    if (!FitsInStatusCount(bytes.size())) {
        return status::kInvalidParameter;
    }
    return WriteRawValue(platform, root, keyPath, valueName, bytes.empty() ? nullptr : bytes.data(),
                         static_cast<uint32_t>(bytes.size()), valueType);
}

Status WriteRawValue(const Platform& platform, RootKey root, std::string_view keyPath,
                     std::string_view valueName, const void* data, uint32_t byteCount,
                     uint32_t valueType) {
    ScopedKey key(platform.registry);
    const Status result = key.Open(root, keyPath, access::kKeyWrite);
    if (result != status::kSuccess) {
        return result;
    }
    return platform.registry.SetValue(key.Get(), valueName, valueType,
                                      static_cast<const uint8_t*>(data), byteCount);
}

Status ReadBinaryValue(const Platform& platform, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::vector<uint8_t>& bytes,
                       uint32_t& valueType) {
    ScopedKey key(platform.registry);
    const Status result = key.Open(root, keyPath, access::kKeyRead);
    if (result != status::kSuccess) {
        return result;
    }
    return QueryWholeValue(platform.registry, key.Get(), valueName, bytes, valueType);
}

Status ReadRawValue(const Platform& platform, RootKey root, std::string_view keyPath,
                    std::string_view valueName, void* data, uint32_t byteCount,
                    uint32_t& valueType) {
    ScopedKey key(platform.registry);
    Status result = key.Open(root, keyPath, access::kKeyRead);
    if (result != status::kSuccess) {
        return result;
    }
    uint32_t type = 0;
    uint32_t size = byteCount;
    result = platform.registry.QueryValue(key.Get(), valueName, &type, static_cast<uint8_t*>(data),
                                          &size);
    if (result == status::kSuccess) {
        valueType = type;
    }
    return result;
}

Status EnumValues(const Platform& platform, RootKey root, std::string_view keyPath,
                  std::vector<std::string>& names, std::vector<uint32_t>& types) {
    platform::RegistryApi& api = platform.registry;
    ScopedKey key(api);
    Status result = key.Open(root, keyPath, access::kKeyRead);
    if (result != status::kSuccess) {
        return result;
    }
    platform::KeyInfo info;
    result = api.QueryInfoKey(key.Get(), info);
    if (result != status::kSuccess || info.values == 0) {
        return result;
    }
    std::vector<std::string> foundNames(info.values);
    std::vector<uint32_t> foundTypes(info.values);
    for (uint32_t index = 0; index < info.values; ++index) {
        result = EnumerateName(info.maxValueNameLength + 1, [&](uint32_t capacity) {
            return api.EnumValue(key.Get(), index, capacity, foundNames[index], &foundTypes[index]);
        });
        if (result != status::kSuccess) {
            return result;
        }
    }
    names = std::move(foundNames);
    types = std::move(foundTypes);
    return status::kSuccess;
}

Status DeleteKeyTree(const Platform& platform, RootKey root, std::string_view keyPath) {
    const size_t cut = keyPath.rfind('\\');
    if (cut == std::string_view::npos || cut == 0 || cut + 1 == keyPath.size()) {
        throw Error(errnum::kOwnCheck, "DeleteKeyTree", "Invalid key path.");
    }
    const std::string_view parentPath = keyPath.substr(0, cut);
    const std::string_view keyName = keyPath.substr(cut + 1);

    platform::RegistryApi& api = platform.registry;
    ScopedKey key(api);
    Status result = key.Open(root, keyPath, access::kKeyReadWrite);
    if (result != status::kSuccess) {
        return result;
    }

    // Counting down from the last index keeps the indices still to visit valid while entries go.
    platform::KeyInfo info;
    result = api.QueryInfoKey(key.Get(), info);
    if (result != status::kSuccess) {
        return result;
    }
    for (uint32_t index = info.values; index-- > 0;) {
        std::string name;
        result = EnumerateName(kDeleteNameBuffer, [&](uint32_t capacity) {
            return api.EnumValue(key.Get(), index, capacity, name, nullptr);
        });
        if (result == status::kSuccess) {
            result = api.DeleteValue(key.Get(), name);
        }
        if (result != status::kSuccess) {
            return result;
        }
    }

    result = api.QueryInfoKey(key.Get(), info);
    if (result != status::kSuccess) {
        return result;
    }
    for (uint32_t index = info.subKeys; index-- > 0;) {
        std::string name;
        result = EnumerateName(kDeleteNameBuffer, [&](uint32_t capacity) {
            return api.EnumKey(key.Get(), index, capacity, name);
        });
        if (result == status::kSuccess && !name.empty()) {
            result = DeleteKeyTree(platform, root, std::string(keyPath) + "\\" + name);
        }
        if (result != status::kSuccess) {
            return result;
        }
    }

    key.Close();
    ScopedKey parent(api);
    result = parent.Open(root, parentPath, access::kKeyWrite);
    if (result != status::kSuccess) {
        return result;
    }
    return api.DeleteKey(parent.Get(), keyName);
}

std::string GetSystemErrorMessage(const Platform& platform, Status code) {
    if (code == status::kSuccess) {
        return "";
    }
    std::string message = platform.registry.SystemMessage(code);
    if (message.empty()) {
        return "Unknown, function call failed.";
    }
    // The system ends its texts in CR LF; only that line break is cut, never the text itself.
    if (message.ends_with("\r\n")) {
        message.resize(message.size() - 2);
    }
    return message;
}

}  // namespace vexav6::Registry
