#include "platform/win32/win32_registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/text.h"
#include "platform/win32/system_message.h"
#include "platform/win32/windows_include.h"

namespace vexav6::win32 {

using platform::KeyHandle;
namespace regtype = platform::regtype;
namespace status = platform::status;

namespace {

// Names longer than this are refused by the system anyway (value names stop at 16383 characters).
constexpr DWORD kLongestName = 32768;

std::wstring Wide(std::string_view utf8) {
    const std::u16string utf16 = text::Utf8ToUtf16(utf8);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string Narrow(const wchar_t* utf16, size_t length) {
    return text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16), length));
}

bool IsStringType(DWORD type) {
    return type == regtype::kSz || type == regtype::kExpandSz || type == regtype::kMultiSz;
}

HKEY RootHandle(platform::RootKey root) {
    switch (root) {
        case platform::RootKey::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case platform::RootKey::CurrentUser:
            return HKEY_CURRENT_USER;
        case platform::RootKey::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case platform::RootKey::Users:
            return HKEY_USERS;
    }
    return nullptr;
}

HKEY AsHkey(void* handle) {
    return static_cast<HKEY>(handle);
}

// Reads a whole value as the system stores it, repeating the read while the value grows.
LSTATUS ReadStoredValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<uint8_t>& data) {
    DWORD size = 0;
    LSTATUS result = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    data.clear();
    while (result == ERROR_SUCCESS && size > 0) {
        data.resize(size);
        DWORD returned = size;
        result = ::RegQueryValueExW(key, name, nullptr, &type, data.data(), &returned);
        if (result == ERROR_MORE_DATA) {
            size = returned;
            result = ERROR_SUCCESS;
            continue;
        }
        data.resize(returned);
        break;
    }
    return result;
}

// Stored UTF-16 string data as UTF-8 bytes, zeros included. An odd last byte is no character and
// is dropped.
std::vector<uint8_t> StoredStringToUtf8(const std::vector<uint8_t>& stored) {
    std::u16string utf16(stored.size() / 2, u'\0');
    std::memcpy(utf16.data(), stored.data(), utf16.size() * 2);
    const std::string utf8 = text::Utf16ToUtf8(utf16);
    return std::vector<uint8_t>(utf8.begin(), utf8.end());
}

// The name of value `index`, with a buffer that grows until the name fits.
LSTATUS EnumStoredValueName(HKEY key, DWORD index, std::wstring& name, DWORD* type) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LSTATUS result =
            ::RegEnumValueW(key, index, buffer.data(), &length, nullptr, type, nullptr, nullptr);
        if (result == ERROR_MORE_DATA && buffer.size() < kLongestName) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (result == ERROR_SUCCESS) {
            name.assign(buffer.data(), length);
        }
        return result;
    }
}

LSTATUS EnumStoredKeyName(HKEY key, DWORD index, std::wstring& name) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LSTATUS result =
            ::RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA && buffer.size() < kLongestName) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (result == ERROR_SUCCESS) {
            name.assign(buffer.data(), length);
        }
        return result;
    }
}

}  // namespace

Win32Registry::~Win32Registry() {
    for (const KeyHandle key : open_) {
        ::RegCloseKey(AsHkey(reinterpret_cast<void*>(static_cast<uintptr_t>(key))));
    }
}

size_t Win32Registry::OpenHandleCount() const {
    const std::lock_guard lock(mutex_);
    return open_.size();
}

void* Win32Registry::Lookup(KeyHandle key) const {
    const std::lock_guard lock(mutex_);
    if (open_.count(key) == 0) {
        return nullptr;
    }
    return reinterpret_cast<void*>(static_cast<uintptr_t>(key));
}

KeyHandle Win32Registry::Register(void* hkey) {
    const auto key = static_cast<KeyHandle>(reinterpret_cast<uintptr_t>(hkey));
    const std::lock_guard lock(mutex_);
    open_.insert(key);
    return key;
}

platform::Status Win32Registry::OpenKey(RootKey root, std::string_view path, uint32_t access,
                                        KeyHandle& key) {
    const HKEY rootKey = RootHandle(root);
    if (rootKey == nullptr) {
        return status::kInvalidHandle;
    }
    HKEY opened = nullptr;
    const LSTATUS result = ::RegOpenKeyExW(rootKey, Wide(path).c_str(), 0, access, &opened);
    if (result != ERROR_SUCCESS) {
        return static_cast<Status>(result);
    }
    key = Register(opened);
    return status::kSuccess;
}

platform::Status Win32Registry::CreateKey(RootKey root, std::string_view path, uint32_t access,
                                          KeyHandle& key) {
    const HKEY rootKey = RootHandle(root);
    if (rootKey == nullptr) {
        return status::kInvalidHandle;
    }
    HKEY opened = nullptr;
    const LSTATUS result =
        ::RegCreateKeyExW(rootKey, Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                          nullptr, &opened, nullptr);
    if (result != ERROR_SUCCESS) {
        return static_cast<Status>(result);
    }
    key = Register(opened);
    return status::kSuccess;
}

platform::Status Win32Registry::CloseKey(KeyHandle key) {
    {
        const std::lock_guard lock(mutex_);
        const auto it = open_.find(key);
        if (it == open_.end()) {
            return status::kInvalidHandle;
        }
        open_.erase(it);
    }
    return static_cast<Status>(
        ::RegCloseKey(AsHkey(reinterpret_cast<void*>(static_cast<uintptr_t>(key)))));
}

platform::Status Win32Registry::QueryValue(KeyHandle key, std::string_view name, uint32_t* type,
                                           uint8_t* data, uint32_t* size) {
    const HKEY hkey = AsHkey(Lookup(key));
    if (hkey == nullptr) {
        return status::kInvalidHandle;
    }
    if (data != nullptr && size == nullptr) {
        return status::kInvalidParameter;
    }
    // The whole value is read and converted first: string sizes are only known in UTF-8 then.
    DWORD storedType = REG_NONE;
    std::vector<uint8_t> stored;
    const LSTATUS result = ReadStoredValue(hkey, Wide(name).c_str(), storedType, stored);
    if (result != ERROR_SUCCESS) {
        return static_cast<Status>(result);
    }
    if (IsStringType(storedType)) {
        stored = StoredStringToUtf8(stored);
    }
    const auto needed = static_cast<uint32_t>(stored.size());
    if (type != nullptr) {
        *type = storedType;
    }
    if (data == nullptr) {
        if (size != nullptr) {
            *size = needed;
        }
        return status::kSuccess;
    }
    if (*size < needed) {
        *size = needed;
        return status::kMoreData;
    }
    std::copy(stored.begin(), stored.end(), data);
    *size = needed;
    return status::kSuccess;
}

platform::Status Win32Registry::SetValue(KeyHandle key, std::string_view name, uint32_t type,
                                         const uint8_t* data, uint32_t size) {
    const HKEY hkey = AsHkey(Lookup(key));
    if (hkey == nullptr) {
        return status::kInvalidHandle;
    }
    if (data == nullptr && size > 0) {
        return status::kInvalidParameter;
    }
    static const uint8_t kNoData = 0;
    const BYTE* bytes = size > 0 ? data : &kNoData;
    DWORD byteCount = size;
    std::u16string utf16;
    if (IsStringType(type) && size > 0) {
        // Stored the way the 8-bit call stores it: with a closing zero when the data has none
        // (chosen here rather than left to the system, which decides by what lies past the data).
        std::string utf8(reinterpret_cast<const char*>(data), size);
        if (utf8.back() != '\0') {
            utf8.push_back('\0');
        }
        utf16 = text::Utf8ToUtf16(utf8);
        bytes = reinterpret_cast<const BYTE*>(utf16.data());
        byteCount = static_cast<DWORD>(utf16.size() * sizeof(char16_t));
    }
    return static_cast<Status>(
        ::RegSetValueExW(hkey, Wide(name).c_str(), 0, type, bytes, byteCount));
}

platform::Status Win32Registry::DeleteValue(KeyHandle key, std::string_view name) {
    const HKEY hkey = AsHkey(Lookup(key));
    if (hkey == nullptr) {
        return status::kInvalidHandle;
    }
    return static_cast<Status>(::RegDeleteValueW(hkey, Wide(name).c_str()));
}

platform::Status Win32Registry::DeleteKey(KeyHandle parent, std::string_view name) {
    const HKEY hkey = AsHkey(Lookup(parent));
    if (hkey == nullptr) {
        return status::kInvalidHandle;
    }
    // An empty name would delete the open key itself.
    if (name.empty()) {
        return status::kInvalidParameter;
    }
    return static_cast<Status>(::RegDeleteKeyW(hkey, Wide(name).c_str()));
}

platform::Status Win32Registry::QueryInfoKey(KeyHandle key, platform::KeyInfo& info) {
    const HKEY hkey = AsHkey(Lookup(key));
    if (hkey == nullptr) {
        return status::kInvalidHandle;
    }
    DWORD subKeys = 0;
    DWORD values = 0;
    const LSTATUS result = ::RegQueryInfoKeyW(hkey, nullptr, nullptr, nullptr, &subKeys, nullptr,
                                              nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
        return static_cast<Status>(result);
    }
    // The system measures names in UTF-16 units; ours are UTF-8 bytes, so every name and string
    // is measured again. A key that changes meanwhile leaves the lengths of what was seen.
    platform::KeyInfo measured;
    measured.subKeys = subKeys;
    measured.values = values;
    std::wstring name;
    for (DWORD index = 0; index < subKeys; ++index) {
        if (EnumStoredKeyName(hkey, index, name) != ERROR_SUCCESS) {
            break;
        }
        measured.maxSubKeyLength =
            std::max(measured.maxSubKeyLength,
                     static_cast<uint32_t>(Narrow(name.data(), name.size()).size()));
    }
    for (DWORD index = 0; index < values; ++index) {
        DWORD type = REG_NONE;
        if (EnumStoredValueName(hkey, index, name, &type) != ERROR_SUCCESS) {
            break;
        }
        measured.maxValueNameLength =
            std::max(measured.maxValueNameLength,
                     static_cast<uint32_t>(Narrow(name.data(), name.size()).size()));
        std::vector<uint8_t> stored;
        if (ReadStoredValue(hkey, name.c_str(), type, stored) != ERROR_SUCCESS) {
            continue;
        }
        const size_t length =
            IsStringType(type) ? StoredStringToUtf8(stored).size() : stored.size();
        measured.maxValueLength = std::max(measured.maxValueLength, static_cast<uint32_t>(length));
    }
    info = measured;
    return status::kSuccess;
}

platform::Status Win32Registry::EnumValue(KeyHandle key, uint32_t index, uint32_t capacity,
                                          std::string& name, uint32_t* type) {
    const HKEY hkey = AsHkey(Lookup(key));
    if (hkey == nullptr) {
        return status::kInvalidHandle;
    }
    std::wstring stored;
    DWORD storedType = REG_NONE;
    const LSTATUS result = EnumStoredValueName(hkey, index, stored, &storedType);
    if (result != ERROR_SUCCESS) {
        return static_cast<Status>(result);
    }
    std::string utf8 = Narrow(stored.data(), stored.size());
    if (utf8.size() + 1 > capacity) {
        return status::kMoreData;
    }
    name = std::move(utf8);
    if (type != nullptr) {
        *type = storedType;
    }
    return status::kSuccess;
}

platform::Status Win32Registry::EnumKey(KeyHandle key, uint32_t index, uint32_t capacity,
                                        std::string& name) {
    const HKEY hkey = AsHkey(Lookup(key));
    if (hkey == nullptr) {
        return status::kInvalidHandle;
    }
    std::wstring stored;
    const LSTATUS result = EnumStoredKeyName(hkey, index, stored);
    if (result != ERROR_SUCCESS) {
        return static_cast<Status>(result);
    }
    std::string utf8 = Narrow(stored.data(), stored.size());
    if (utf8.size() + 1 > capacity) {
        return status::kMoreData;
    }
    name = std::move(utf8);
    return status::kSuccess;
}

std::string Win32Registry::SystemMessage(Status code) {
    return win32::SystemMessage(code);
}

}  // namespace vexav6::win32
