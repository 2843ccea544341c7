#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

namespace vexav6::sim {

using platform::KeyHandle;
namespace status = platform::status;
namespace regtype = platform::regtype;

namespace {

constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyCreateSubKey = 0x0004;
constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey;

// Path components; an empty path is the key itself. Empty components make the path invalid.
bool SplitPath(std::string_view path, std::vector<std::string>& parts) {
    parts.clear();
    if (path.empty()) {
        return true;
    }
    for (std::string& part : text::Split(path, "\\")) {
        if (part.empty()) {
            return false;
        }
        parts.push_back(std::move(part));
    }
    return true;
}

// The types whose data the system treats as text: data that is not empty and lacks a closing zero
// is stored with one, as the 8-bit RegSetValueEx stores it.
bool IsStringType(uint32_t type) {
    return type == regtype::kSz || type == regtype::kExpandSz || type == regtype::kMultiSz;
}

}  // namespace

struct SimRegistry::Key {
    std::string name;
    std::vector<std::pair<std::string, Value>> values;
    std::map<std::string, std::shared_ptr<Key>> subKeys;  // by lower-case name: alphabetical
    bool deleted = false;

    std::pair<std::string, Value>* FindValue(std::string_view valueName) {
        for (auto& entry : values) {
            if (text::EqualsIgnoreCase(entry.first, valueName)) {
                return &entry;
            }
        }
        return nullptr;
    }

    void MarkDeleted() {
        deleted = true;
        for (auto& [folded, sub] : subKeys) {
            sub->MarkDeleted();
        }
    }
};

SimRegistry::SimRegistry() {
    for (const RootKey root :
         {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine, RootKey::Users}) {
        roots_[root] = std::make_shared<Key>();
    }
}

SimRegistry::~SimRegistry() = default;

std::shared_ptr<SimRegistry::Key> SimRegistry::Root(RootKey root) const {
    return roots_.at(root);
}

std::shared_ptr<SimRegistry::Key> SimRegistry::Find(RootKey root, std::string_view path) const {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) {
        return nullptr;
    }
    std::shared_ptr<Key> key = Root(root);
    for (const std::string& part : parts) {
        const auto it = key->subKeys.find(text::ToLower(part));
        if (it == key->subKeys.end()) {
            return nullptr;
        }
        key = it->second;
    }
    return key;
}

std::shared_ptr<SimRegistry::Key> SimRegistry::FindOrCreate(RootKey root, std::string_view path) {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) {
        return nullptr;
    }
    std::shared_ptr<Key> key = Root(root);
    for (const std::string& part : parts) {
        auto& slot = key->subKeys[text::ToLower(part)];
        if (!slot) {
            slot = std::make_shared<Key>();
            slot->name = part;
        }
        key = slot;
    }
    return key;
}

SimRegistry::Handle* SimRegistry::Lookup(KeyHandle key) {
    const auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : &it->second;
}

KeyHandle SimRegistry::NewHandle(std::shared_ptr<Key> key, RootKey root, std::string path,
                                 uint32_t access) {
    const KeyHandle handle = nextHandle_++;
    handles_.emplace(handle, Handle{std::move(key), root, std::move(path), access});
    return handle;
}

bool SimRegistry::WriteRefused(RootKey root) const {
    return localMachineReadOnly && root == RootKey::LocalMachine;
}

std::optional<platform::Status> SimRegistry::Injected(Op op, RootKey root, std::string_view path,
                                                      std::string_view valueName) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->op != op || it->root != root || !text::EqualsIgnoreCase(it->path, path)) {
            continue;
        }
        if (!it->valueName.empty() && !text::EqualsIgnoreCase(it->valueName, valueName)) {
            continue;
        }
        const Status code = it->status;
        if (it->remaining > 0 && --it->remaining == 0) {
            failures_.erase(it);
        }
        return code;
    }
    return std::nullopt;
}

void SimRegistry::InjectFailure(Op op, RootKey root, std::string_view path,
                                std::string_view valueName, Status code, int times) {
    failures_.push_back(
        Failure{op, root, std::string(path), std::string(valueName), code, times < 0 ? -1 : times});
}

void SimRegistry::ClearFailures() {
    failures_.clear();
}

platform::Status SimRegistry::OpenKey(RootKey root, std::string_view path, uint32_t access,
                                      KeyHandle& key) {
    if (const auto failure = Injected(Op::Open, root, path, "")) {
        return *failure;
    }
    const std::shared_ptr<Key> found = Find(root, path);
    if (!found) {
        return status::kFileNotFound;
    }
    if ((access & kWriteRights) != 0 && WriteRefused(root)) {
        return status::kAccessDenied;
    }
    key = NewHandle(found, root, std::string(path), access);
    return status::kSuccess;
}

platform::Status SimRegistry::CreateKey(RootKey root, std::string_view path, uint32_t access,
                                        KeyHandle& key) {
    if (const auto failure = Injected(Op::Create, root, path, "")) {
        return *failure;
    }
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) {
        return status::kInvalidParameter;
    }
    std::shared_ptr<Key> found = Find(root, path);
    if (!found) {
        if (WriteRefused(root)) {
            return status::kAccessDenied;
        }
        found = FindOrCreate(root, path);
    } else if ((access & kWriteRights) != 0 && WriteRefused(root)) {
        return status::kAccessDenied;
    }
    key = NewHandle(found, root, std::string(path), access);
    return status::kSuccess;
}

platform::Status SimRegistry::CloseKey(KeyHandle key) {
    return handles_.erase(key) != 0 ? status::kSuccess : status::kInvalidHandle;
}

platform::Status SimRegistry::QueryValue(KeyHandle key, std::string_view name, uint32_t* type,
                                         uint8_t* data, uint32_t* size) {
    Handle* handle = Lookup(key);
    if (handle == nullptr) {
        return status::kInvalidHandle;
    }
    if (const auto failure = Injected(Op::Query, handle->root, handle->path, name)) {
        return *failure;
    }
    if (handle->key->deleted) {
        return status::kKeyDeleted;
    }
    if ((handle->access & kKeyQueryValue) == 0) {
        return status::kAccessDenied;
    }
    if (data != nullptr && size == nullptr) {
        return status::kInvalidParameter;
    }
    const auto* entry = handle->key->FindValue(name);
    if (entry == nullptr) {
        return status::kFileNotFound;
    }
    const Value& value = entry->second;
    const auto needed = static_cast<uint32_t>(value.data.size());
    if (type != nullptr) {
        *type = value.type;
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
    if (needed > 0) {
        std::memcpy(data, value.data.data(), needed);
    }
    *size = needed;
    return status::kSuccess;
}

platform::Status SimRegistry::SetValue(KeyHandle key, std::string_view name, uint32_t type,
                                       const uint8_t* data, uint32_t size) {
    Handle* handle = Lookup(key);
    if (handle == nullptr) {
        return status::kInvalidHandle;
    }
    if (const auto failure = Injected(Op::Set, handle->root, handle->path, name)) {
        return *failure;
    }
    if (handle->key->deleted) {
        return status::kKeyDeleted;
    }
    if ((handle->access & kKeySetValue) == 0 || WriteRefused(handle->root)) {
        return status::kAccessDenied;
    }
    if (data == nullptr && size > 0) {
        return status::kInvalidParameter;
    }
    Value value{type, std::vector<uint8_t>(data, data + size)};
    if (IsStringType(type) && !value.data.empty() && value.data.back() != 0) {
        value.data.push_back(0);
    }
    if (auto* entry = handle->key->FindValue(name)) {
        entry->second = std::move(value);
    } else {
        handle->key->values.emplace_back(std::string(name), std::move(value));
    }
    return status::kSuccess;
}

platform::Status SimRegistry::DeleteValue(KeyHandle key, std::string_view name) {
    Handle* handle = Lookup(key);
    if (handle == nullptr) {
        return status::kInvalidHandle;
    }
    if (const auto failure = Injected(Op::DeleteValue, handle->root, handle->path, name)) {
        return *failure;
    }
    if (handle->key->deleted) {
        return status::kKeyDeleted;
    }
    if ((handle->access & kKeySetValue) == 0 || WriteRefused(handle->root)) {
        return status::kAccessDenied;
    }
    auto& values = handle->key->values;
    const auto it = std::find_if(values.begin(), values.end(), [&](const auto& entry) {
        return text::EqualsIgnoreCase(entry.first, name);
    });
    if (it == values.end()) {
        return status::kFileNotFound;
    }
    values.erase(it);
    return status::kSuccess;
}

platform::Status SimRegistry::DeleteKey(KeyHandle parent, std::string_view name) {
    Handle* handle = Lookup(parent);
    if (handle == nullptr) {
        return status::kInvalidHandle;
    }
    const std::string childPath =
        handle->path.empty() ? std::string(name) : handle->path + "\\" + std::string(name);
    if (const auto failure = Injected(Op::DeleteKey, handle->root, childPath, "")) {
        return *failure;
    }
    if (handle->key->deleted) {
        return status::kKeyDeleted;
    }
    std::vector<std::string> parts;
    if (name.empty() || !SplitPath(name, parts)) {
        return status::kInvalidParameter;
    }
    // The name may be a path below the open key; the last component is the key to delete.
    std::shared_ptr<Key> holder = handle->key;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto it = holder->subKeys.find(text::ToLower(parts[i]));
        if (it == holder->subKeys.end()) {
            return status::kFileNotFound;
        }
        holder = it->second;
    }
    const auto it = holder->subKeys.find(text::ToLower(parts.back()));
    if (it == holder->subKeys.end()) {
        return status::kFileNotFound;
    }
    if (WriteRefused(handle->root) || !it->second->subKeys.empty()) {
        return status::kAccessDenied;
    }
    it->second->MarkDeleted();
    holder->subKeys.erase(it);
    return status::kSuccess;
}

platform::Status SimRegistry::QueryInfoKey(KeyHandle key, platform::KeyInfo& info) {
    Handle* handle = Lookup(key);
    if (handle == nullptr) {
        return status::kInvalidHandle;
    }
    if (const auto failure = Injected(Op::QueryInfo, handle->root, handle->path, "")) {
        return *failure;
    }
    if (handle->key->deleted) {
        return status::kKeyDeleted;
    }
    info = platform::KeyInfo{};
    info.subKeys = static_cast<uint32_t>(handle->key->subKeys.size());
    for (const auto& [folded, sub] : handle->key->subKeys) {
        info.maxSubKeyLength =
            std::max(info.maxSubKeyLength, static_cast<uint32_t>(sub->name.size()));
    }
    info.values = static_cast<uint32_t>(handle->key->values.size());
    for (const auto& [valueName, value] : handle->key->values) {
        info.maxValueNameLength =
            std::max(info.maxValueNameLength, static_cast<uint32_t>(valueName.size()));
        info.maxValueLength =
            std::max(info.maxValueLength, static_cast<uint32_t>(value.data.size()));
    }
    return status::kSuccess;
}

platform::Status SimRegistry::EnumValue(KeyHandle key, uint32_t index, uint32_t capacity,
                                        std::string& name, uint32_t* type) {
    Handle* handle = Lookup(key);
    if (handle == nullptr) {
        return status::kInvalidHandle;
    }
    if (const auto failure = Injected(Op::EnumValue, handle->root, handle->path, "")) {
        return *failure;
    }
    if (handle->key->deleted) {
        return status::kKeyDeleted;
    }
    if ((handle->access & kKeyQueryValue) == 0) {
        return status::kAccessDenied;
    }
    if (index >= handle->key->values.size()) {
        return status::kNoMoreItems;
    }
    const auto& entry = handle->key->values[index];
    if (entry.first.size() + 1 > capacity) {
        return status::kMoreData;
    }
    name = entry.first;
    if (type != nullptr) {
        *type = entry.second.type;
    }
    return status::kSuccess;
}

platform::Status SimRegistry::EnumKey(KeyHandle key, uint32_t index, uint32_t capacity,
                                      std::string& name) {
    Handle* handle = Lookup(key);
    if (handle == nullptr) {
        return status::kInvalidHandle;
    }
    if (const auto failure = Injected(Op::EnumKey, handle->root, handle->path, "")) {
        return *failure;
    }
    if (handle->key->deleted) {
        return status::kKeyDeleted;
    }
    if ((handle->access & kKeyEnumerateSubKeys) == 0) {
        return status::kAccessDenied;
    }
    if (index >= handle->key->subKeys.size()) {
        return status::kNoMoreItems;
    }
    auto it = handle->key->subKeys.begin();
    std::advance(it, index);
    if (it->second->name.size() + 1 > capacity) {
        return status::kMoreData;
    }
    name = it->second->name;
    return status::kSuccess;
}

std::string SimRegistry::SystemMessage(Status code) {
    return SystemMessageText(code);
}

// --- Direct access ---

bool SimRegistry::KeyExists(RootKey root, std::string_view path) const {
    return Find(root, path) != nullptr;
}

void SimRegistry::CreateKeyDirect(RootKey root, std::string_view path) {
    FindOrCreate(root, path);
}

void SimRegistry::Put(RootKey root, std::string_view path, std::string_view name, Value value) {
    const std::shared_ptr<Key> key = FindOrCreate(root, path);
    if (!key) {
        return;
    }
    if (auto* entry = key->FindValue(name)) {
        entry->second = std::move(value);
    } else {
        key->values.emplace_back(std::string(name), std::move(value));
    }
}

void SimRegistry::PutString(RootKey root, std::string_view path, std::string_view name,
                            std::string_view textValue, uint32_t type) {
    std::vector<uint8_t> data(textValue.begin(), textValue.end());
    data.push_back(0);
    Put(root, path, name, Value{type, std::move(data)});
}

void SimRegistry::PutMultiString(RootKey root, std::string_view path, std::string_view name,
                                 const std::vector<std::string>& entries) {
    std::vector<uint8_t> data;
    for (const std::string& entry : entries) {
        data.insert(data.end(), entry.begin(), entry.end());
        data.push_back(0);
    }
    data.push_back(0);
    Put(root, path, name, Value{regtype::kMultiSz, std::move(data)});
}

void SimRegistry::PutDword(RootKey root, std::string_view path, std::string_view name,
                           uint32_t value) {
    Put(root, path, name,
        Value{regtype::kDword,
              {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
               static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)}});
}

void SimRegistry::PutBinary(RootKey root, std::string_view path, std::string_view name,
                            std::vector<uint8_t> bytes) {
    Put(root, path, name, Value{regtype::kBinary, std::move(bytes)});
}

std::optional<SimRegistry::Value> SimRegistry::Get(RootKey root, std::string_view path,
                                                   std::string_view name) const {
    const std::shared_ptr<Key> key = Find(root, path);
    if (!key) {
        return std::nullopt;
    }
    const auto* entry = key->FindValue(name);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry->second;
}

std::optional<std::string> SimRegistry::GetString(RootKey root, std::string_view path,
                                                  std::string_view name) const {
    const auto value = Get(root, path, name);
    if (!value) {
        return std::nullopt;
    }
    std::string result(value->data.begin(), value->data.end());
    if (!result.empty() && result.back() == '\0') {
        result.pop_back();
    }
    return result;
}

std::optional<std::vector<std::string>> SimRegistry::GetMultiString(RootKey root,
                                                                    std::string_view path,
                                                                    std::string_view name) const {
    const auto value = Get(root, path, name);
    if (!value) {
        return std::nullopt;
    }
    std::vector<std::string> entries;
    std::string current;
    for (const uint8_t byte : value->data) {
        if (byte == 0) {
            if (current.empty()) {
                break;
            }
            entries.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(byte);
        }
    }
    if (!current.empty()) {
        entries.push_back(current);
    }
    return entries;
}

std::optional<uint32_t> SimRegistry::GetDword(RootKey root, std::string_view path,
                                              std::string_view name) const {
    const auto value = Get(root, path, name);
    if (!value || value->data.size() < 4) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value->data[0]) | (static_cast<uint32_t>(value->data[1]) << 8) |
           (static_cast<uint32_t>(value->data[2]) << 16) |
           (static_cast<uint32_t>(value->data[3]) << 24);
}

bool SimRegistry::RemoveValue(RootKey root, std::string_view path, std::string_view name) {
    const std::shared_ptr<Key> key = Find(root, path);
    if (!key) {
        return false;
    }
    auto& values = key->values;
    const auto it = std::find_if(values.begin(), values.end(), [&](const auto& entry) {
        return text::EqualsIgnoreCase(entry.first, name);
    });
    if (it == values.end()) {
        return false;
    }
    values.erase(it);
    return true;
}

bool SimRegistry::RemoveTree(RootKey root, std::string_view path) {
    const size_t cut = path.rfind('\\');
    const std::string_view parentPath = cut == std::string_view::npos ? "" : path.substr(0, cut);
    const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
    const std::shared_ptr<Key> parent = Find(root, parentPath);
    if (!parent || name.empty()) {
        return false;
    }
    const auto it = parent->subKeys.find(text::ToLower(name));
    if (it == parent->subKeys.end()) {
        return false;
    }
    it->second->MarkDeleted();
    parent->subKeys.erase(it);
    return true;
}

std::vector<std::string> SimRegistry::ValueNames(RootKey root, std::string_view path) const {
    std::vector<std::string> names;
    if (const std::shared_ptr<Key> key = Find(root, path)) {
        for (const auto& entry : key->values) {
            names.push_back(entry.first);
        }
    }
    return names;
}

void SimRegistry::ForEachKey(
    const std::function<void(RootKey, const std::string&,
                             const std::vector<std::pair<std::string, Value>>&)>& visit) const {
    const std::function<void(RootKey, const Key&, const std::string&)> walk =
        [&](RootKey root, const Key& key, const std::string& path) {
            if (!path.empty() && (!key.values.empty() || key.subKeys.empty())) {
                visit(root, path, key.values);
            }
            for (const auto& [folded, sub] : key.subKeys) {
                walk(root, *sub, path.empty() ? sub->name : path + "\\" + sub->name);
            }
        };
    for (const auto& [root, key] : roots_) {
        walk(root, *key, "");
    }
}

std::vector<uint8_t> StringData(std::string_view value) {
    std::vector<uint8_t> data(value.begin(), value.end());
    data.push_back(0);
    return data;
}

std::vector<uint8_t> MultiStringData(const std::vector<std::string>& values) {
    std::vector<uint8_t> data;
    for (const std::string& value : values) {
        data.insert(data.end(), value.begin(), value.end());
        data.push_back(0);
    }
    data.push_back(0);
    return data;
}

}  // namespace vexav6::sim
