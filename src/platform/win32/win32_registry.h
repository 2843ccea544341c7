#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "platform/registry_api.h"

namespace vexav6::win32 {

// The real registry, through the wide registry functions so that names and data outside the
// system code page (a connection named in Cyrillic, say) survive. Names and string data are UTF-8
// on our side and UTF-16 at the call; string data sizes count UTF-8 bytes, and the maximum name
// and data lengths of QueryInfoKey are measured in UTF-8 too, so that a name buffer sized from
// them is large enough for EnumValue and EnumKey.
//
// A KeyHandle is an HKEY this object opened and has not closed yet; any other handle (0, a
// predefined root, a closed or made-up number) answers 6 (invalid handle) and never reaches the
// system. Keys still open when the object goes are closed then.
class Win32Registry : public platform::RegistryApi {
  public:
    using Status = platform::Status;
    using RootKey = platform::RootKey;

    Win32Registry() = default;
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

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

    // Keys opened through this object and not closed yet.
    size_t OpenHandleCount() const;

  private:
    // The handle as the system knows it, or null when this object did not hand it out.
    void* Lookup(platform::KeyHandle key) const;
    platform::KeyHandle Register(void* hkey);

    mutable std::mutex mutex_;
    // A multiset: opening a root with an empty path gives the root's own predefined handle, which
    // may be handed out more than once.
    std::multiset<platform::KeyHandle> open_;
};

}  // namespace vexav6::win32
