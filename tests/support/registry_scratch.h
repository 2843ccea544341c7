#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/machine.h"

namespace vexav6::testing {

// The registries a registry test can run on: the simulated one everywhere, the real one in the
// Windows suite. Running the same test on both keeps the simulation honest.
enum class RegistryBackend { Simulated, Windows };

std::vector<RegistryBackend> RegistryBackendsToTest();
std::string RegistryBackendName(RegistryBackend backend);
inline void PrintTo(RegistryBackend backend, std::ostream* out) {
    *out << RegistryBackendName(backend);
}

// A fresh key to work under on one registry, removed with everything below it when the object
// goes: HKEY_LOCAL_MACHINE\SOFTWARE\Vexav6Tests\... of a fresh simulated machine, or
// HKEY_CURRENT_USER\Software\Vexav6Tests\<process>-<counter> of the real registry. The rest of the
// Platform is the simulated machine's.
class RegistryScratch {
  public:
    explicit RegistryScratch(RegistryBackend backend);
    ~RegistryScratch();
    RegistryScratch(const RegistryScratch&) = delete;
    RegistryScratch& operator=(const RegistryScratch&) = delete;

    const Platform& GetPlatform() const { return *platform_; }
    platform::RegistryApi& Api() const { return platform_->registry; }
    platform::RootKey Root() const { return root_; }
    // The scratch key, or a path below it.
    std::string Path(std::string_view below = "") const;
    size_t OpenHandleCount() const;
    // The simulated registry, or null on the real one.
    sim::SimRegistry* Simulated() {
        return backend_ == RegistryBackend::Simulated ? &machine_.registry : nullptr;
    }

    // Direct access through the registry interface, without the program's registry layer.
    void Put(std::string_view below, std::string_view name, uint32_t type, std::string_view data);
    // The stored type and bytes, or nothing when the value is absent.
    std::optional<std::pair<uint32_t, std::string>> Stored(std::string_view below,
                                                           std::string_view name) const;
    bool KeyExists(std::string_view below) const;

  private:
    RegistryBackend backend_;
    sim::Machine machine_;
    std::unique_ptr<platform::RegistryApi> real_;
    std::optional<Platform> platform_;
    platform::RootKey root_;
    std::string base_;
};

}  // namespace vexav6::testing
