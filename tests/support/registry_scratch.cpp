#include "support/registry_scratch.h"

#include <atomic>
#include <stdexcept>

#ifdef _WIN32
#include "base/text.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/windows_include.h"
#endif

namespace vexav6::testing {

namespace access = platform::access;
namespace status = platform::status;

namespace {

#ifdef _WIN32
constexpr const char* kRealParent = "Software\\Vexav6Tests";

std::wstring Wide(std::string_view utf8) {
    const std::u16string utf16 = text::Utf8ToUtf16(utf8);
    return std::wstring(utf16.begin(), utf16.end());
}

// Removes the key and its tree straight through the system, so that cleaning up does not depend
// on the code under test; the shared parent goes too once no other scratch key is left in it.
void RemoveRealTree(const std::string& path) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(path).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, Wide(path).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, Wide(kRealParent).c_str());
}
#endif

}  // namespace

std::vector<RegistryBackend> RegistryBackendsToTest() {
#ifdef _WIN32
    return {RegistryBackend::Simulated, RegistryBackend::Windows};
#else
    return {RegistryBackend::Simulated};
#endif
}

std::string RegistryBackendName(RegistryBackend backend) {
    return backend == RegistryBackend::Simulated ? "Simulated" : "Windows";
}

RegistryScratch::RegistryScratch(RegistryBackend backend) : backend_(backend) {
    platform::RegistryApi* api = &machine_.registry;
    root_ = platform::RootKey::LocalMachine;
    base_ = "SOFTWARE\\Vexav6Tests\\Scratch";
    if (backend == RegistryBackend::Windows) {
#ifdef _WIN32
        static std::atomic<unsigned> counter{0};
        real_ = std::make_unique<win32::Win32Registry>();
        api = real_.get();
        root_ = platform::RootKey::CurrentUser;
        base_ = std::string(kRealParent) + "\\" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        RemoveRealTree(base_);
#else
        throw std::logic_error("the real registry exists only on Windows");
#endif
    }
    platform_.emplace(Platform{*api, machine_.devices, machine_.ipStack, machine_.system,
                               machine_.http, machine_.timers, machine_.ui});
    platform::KeyHandle key = 0;
    if (api->CreateKey(root_, base_, access::kKeyWrite, key) != status::kSuccess) {
        throw std::runtime_error("cannot create the scratch key " + base_);
    }
    api->CloseKey(key);
}

RegistryScratch::~RegistryScratch() {
#ifdef _WIN32
    if (backend_ == RegistryBackend::Windows) {
        RemoveRealTree(base_);
    }
#endif
}

std::string RegistryScratch::Path(std::string_view below) const {
    return below.empty() ? base_ : base_ + "\\" + std::string(below);
}

size_t RegistryScratch::OpenHandleCount() const {
#ifdef _WIN32
    if (backend_ == RegistryBackend::Windows) {
        return static_cast<win32::Win32Registry&>(*real_).OpenHandleCount();
    }
#endif
    return machine_.registry.OpenHandleCount();
}

void RegistryScratch::Put(std::string_view below, std::string_view name, uint32_t type,
                          std::string_view data) {
    platform::KeyHandle key = 0;
    if (Api().CreateKey(root_, Path(below), access::kKeyWrite, key) != status::kSuccess) {
        throw std::runtime_error("cannot create " + Path(below));
    }
    const platform::Status result =
        Api().SetValue(key, name, type, reinterpret_cast<const uint8_t*>(data.data()),
                       static_cast<uint32_t>(data.size()));
    Api().CloseKey(key);
    if (result != status::kSuccess) {
        throw std::runtime_error("cannot write " + std::string(name));
    }
}

std::optional<std::pair<uint32_t, std::string>> RegistryScratch::Stored(
    std::string_view below, std::string_view name) const {
    platform::KeyHandle key = 0;
    if (Api().OpenKey(root_, Path(below), access::kKeyRead, key) != status::kSuccess) {
        return std::nullopt;
    }
    uint32_t type = 0;
    uint32_t size = 0;
    std::optional<std::pair<uint32_t, std::string>> found;
    if (Api().QueryValue(key, name, &type, nullptr, &size) == status::kSuccess) {
        std::string data(size, '\0');
        if (Api().QueryValue(key, name, &type, reinterpret_cast<uint8_t*>(data.data()), &size) ==
            status::kSuccess) {
            data.resize(size);
            found.emplace(type, std::move(data));
        }
    }
    Api().CloseKey(key);
    return found;
}

bool RegistryScratch::KeyExists(std::string_view below) const {
    platform::KeyHandle key = 0;
    if (Api().OpenKey(root_, Path(below), access::kKeyRead, key) != status::kSuccess) {
        return false;
    }
    Api().CloseKey(key);
    return true;
}

}  // namespace vexav6::testing
