#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry_api.h"

namespace vexav6::sim {

// The data of a REG_SZ value: the text and its terminating NUL.
std::vector<uint8_t> StringData(std::string_view value);
// The data of a REG_MULTI_SZ value: each text with its NUL, then the closing NUL.
std::vector<uint8_t> MultiStringData(const std::vector<std::string>& values);

// The simulated registry: keys and value names compare without regard to case, values are typed
// byte strings, every call answers the status code Windows would (2 not found, 5 access denied, 234
// more data, 259 no more items, 1018 key deleted), keys opened for reading refuse writes, and tests
// can make chosen calls fail.
class SimRegistry : public platform::RegistryApi {
  public:
    using RootKey = platform::RootKey;
    using Status = platform::Status;

    struct Value {
        uint32_t type = platform::regtype::kNone;
        std::vector<uint8_t> data;

        friend bool operator==(const Value&, const Value&) = default;
    };

    // The kinds of call a failure can be injected into.
    enum class Op {
        Open,
        Create,
        Query,
        Set,
        DeleteValue,
        DeleteKey,
        QueryInfo,
        EnumValue,
        EnumKey
    };

    SimRegistry();
    ~SimRegistry() override;

    // --- RegistryApi ---
    Status OpenKey(RootKey root, std::string_view path, uint32_t access,
                   platform::KeyHandle& key) override;
    Status CreateKey(RootKey root, std::string_view path, uint32_t access,
                     platform::KeyHandle& key) override;
    Status CloseKey(platform::KeyHandle key) override;
    Status QueryValue(platform::KeyHandle key, std::string_view name, uint32_t* type, uint8_t* data,
                      uint32_t* size) override;
    Status SetValue(platform::KeyHandle key, std::string_view name, uint32_t type,
                    const uint8_t* data, uint32_t size) override;
    Status DeleteValue(platform::KeyHandle key, std::string_view name) override;
    Status DeleteKey(platform::KeyHandle parent, std::string_view name) override;
    Status QueryInfoKey(platform::KeyHandle key, platform::KeyInfo& info) override;
    Status EnumValue(platform::KeyHandle key, uint32_t index, uint32_t capacity, std::string& name,
                     uint32_t* type) override;
    Status EnumKey(platform::KeyHandle key, uint32_t index, uint32_t capacity,
                   std::string& name) override;
    std::string SystemMessage(Status code) override;

    // --- Direct access for tests and machine files: no handles, rights or injected failures ---
    bool KeyExists(RootKey root, std::string_view path) const;
    void CreateKeyDirect(RootKey root, std::string_view path);
    void Put(RootKey root, std::string_view path, std::string_view name, Value value);
    // A REG_SZ (or other string type) value with its terminating zero, as Windows stores it.
    void PutString(RootKey root, std::string_view path, std::string_view name,
                   std::string_view text, uint32_t type = platform::regtype::kSz);
    // A REG_MULTI_SZ of the given entries: each followed by a zero, then the closing zero.
    void PutMultiString(RootKey root, std::string_view path, std::string_view name,
                        const std::vector<std::string>& entries);
    void PutDword(RootKey root, std::string_view path, std::string_view name, uint32_t value);
    void PutBinary(RootKey root, std::string_view path, std::string_view name,
                   std::vector<uint8_t> bytes);
    std::optional<Value> Get(RootKey root, std::string_view path, std::string_view name) const;
    // A string value without its terminating zero (data that has none is returned whole).
    std::optional<std::string> GetString(RootKey root, std::string_view path,
                                         std::string_view name) const;
    // A multi-string's entries (the data split at zeros, the closing empty entries dropped).
    std::optional<std::vector<std::string>> GetMultiString(RootKey root, std::string_view path,
                                                           std::string_view name) const;
    std::optional<uint32_t> GetDword(RootKey root, std::string_view path,
                                     std::string_view name) const;
    bool RemoveValue(RootKey root, std::string_view path, std::string_view name);
    bool RemoveTree(RootKey root, std::string_view path);
    // Names as stored, in creation order.
    std::vector<std::string> ValueNames(RootKey root, std::string_view path) const;
    // Walks every key that holds values or has no subkeys, depth first, with its full path.
    void ForEachKey(
        const std::function<void(RootKey, const std::string& path,
                                 const std::vector<std::pair<std::string, Value>>&)>& visit) const;

    // --- Rights and failures ---
    // When set, HKEY_LOCAL_MACHINE refuses every change (and opening for write) with 5, as it does
    // for a user without administrator rights.
    bool localMachineReadOnly = false;
    // The next `times` calls of kind `op` on the key `path` (and, when `valueName` is given, on
    // that value) answer `status`. `times` < 0 fails them all until ClearFailures.
    void InjectFailure(Op op, RootKey root, std::string_view path, std::string_view valueName,
                       Status status, int times = 1);
    void ClearFailures();
    size_t OpenHandleCount() const { return handles_.size(); }

  private:
    struct Key;
    struct Handle {
        std::shared_ptr<Key> key;
        RootKey root;
        std::string path;
        uint32_t access;
    };
    struct Failure {
        Op op;
        RootKey root;
        std::string path;
        std::string valueName;
        Status status;
        int remaining;
    };

    std::shared_ptr<Key> Root(RootKey root) const;
    std::shared_ptr<Key> Find(RootKey root, std::string_view path) const;
    std::shared_ptr<Key> FindOrCreate(RootKey root, std::string_view path);
    Handle* Lookup(platform::KeyHandle key);
    std::optional<Status> Injected(Op op, RootKey root, std::string_view path,
                                   std::string_view valueName);
    bool WriteRefused(RootKey root) const;
    platform::KeyHandle NewHandle(std::shared_ptr<Key> key, RootKey root, std::string path,
                                  uint32_t access);

    std::map<RootKey, std::shared_ptr<Key>> roots_;
    std::map<platform::KeyHandle, Handle> handles_;
    platform::KeyHandle nextHandle_ = 0x1000;
    std::vector<Failure> failures_;
};

// The system's message text for a Win32 status code, as FormatMessage returns it (with CR LF), or
// the empty text for a code the table does not know. Shared by the simulated back-ends.
std::string SystemMessageText(platform::Status code);

}  // namespace vexav6::sim
