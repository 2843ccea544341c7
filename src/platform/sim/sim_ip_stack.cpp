#include "platform/sim/sim_ip_stack.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/sim_ip_stack_internal.h"
#include "platform/sim/virtual_clock.h"

namespace vexav6::sim {

using namespace ipstack;

SimIpStack::SimIpStack(SimRegistry& registry, VirtualClock& clock,
                       const platform::OsVersionInfo& version)
    : registry_(registry), clock_(clock), version_(version) {
    AddLoopback();
}

bool SimIpStack::Vista() const {
    return version_.major >= 6;
}

bool SimIpStack::HasIpv6() const {
    return version_.major > 5 || (version_.major == 5 && version_.minor >= 1);
}

uint32_t SimIpStack::AutomaticMetric(uint64_t speed) {
    if (speed >= 2000000000ull) {
        return 5;
    }
    if (speed >= 200000000ull) {
        return 10;
    }
    if (speed >= 80000000ull) {
        return 20;
    }
    if (speed >= 20000000ull) {
        return 25;
    }
    if (speed >= 4000000ull) {
        return 30;
    }
    if (speed >= 500000ull) {
        return 40;
    }
    return 50;
}

void SimIpStack::AddLoopback() {
    Interface loop;
    loop.loopback = true;
    loop.running = true;
    loop.spec.guid = "{00000000-0000-0000-0000-000000000001}";
    loop.spec.index = 1;
    loop.spec.luid = uint64_t{platform::iftype::kSoftwareLoopback} << 48;
    loop.spec.type = platform::iftype::kSoftwareLoopback;
    loop.spec.speed = 1073741824;
    loop.spec.description = "Software Loopback Interface 1";
    loop.ipv4Bound = true;
    loop.ipv6Bound = true;
    loop.interfaceMetric = 75;
    uint32_t address = 0;
    nettext::ParseIpv4("127.0.0.1", address);
    loop.ipv4.push_back(Ipv4Address{address, nettext::PrefixToMask(8), 1, false});
    Ipv6Bytes one{};
    one[15] = 1;
    loop.ipv6.push_back(
        MakeIpv6Row(loop, one, 128, kOriginWellKnown, kOriginWellKnown, kInfinite, kInfinite));
    interfaces_.push_back(std::move(loop));
}

std::optional<Status> SimIpStack::Injected(Call call) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->call != call) {
            continue;
        }
        if (it->passing > 0) {
            --it->passing;
            return std::nullopt;
        }
        const Status code = it->status;
        if (it->remaining > 0 && --it->remaining == 0) {
            failures_.erase(it);
        }
        return code;
    }
    return std::nullopt;
}

std::optional<Status> SimIpStack::Preamble(Call call, bool available, Status denied) {
    if (const auto failure = Injected(call)) {
        return failure;
    }
    if (!available) {
        return status::kProcNotFound;
    }
    if (denied != status::kSuccess && !Admin()) {
        return denied;
    }
    return std::nullopt;
}

void SimIpStack::InjectFailure(Call call, Status code, int times, int after) {
    failures_.push_back(Failure{call, code, times < 0 ? -1 : times, after});
}

void SimIpStack::ClearFailures() {
    failures_.clear();
}

int64_t SimIpStack::UtcNow() const {
    // ActiveTimeBias: UTC = local time + bias (minutes).
    const auto bias =
        static_cast<int32_t>(registry_.GetDword(kHklm, kTimeZone, "ActiveTimeBias").value_or(0));
    const double days = clock_.Now().Linear() + bias / 1440.0;
    return static_cast<int64_t>(std::llround((days - 25569.0) * 86400.0));
}

uint32_t SimIpStack::NewContext() {
    return nextNteContext++;
}

uint32_t SimIpStack::ReportedType(uint32_t type) const {
    // Before Windows 6.0 a wireless interface reports itself as Ethernet.
    return !Vista() && type == platform::iftype::kIeee80211 ? platform::iftype::kEthernet : type;
}

// --- Lookups ---

const SimIpStack::Interface* SimIpStack::FindInterface(std::string_view guid) const {
    for (const Interface& iface : interfaces_) {
        if (!iface.loopback && text::EqualsIgnoreCase(iface.spec.guid, guid)) {
            return &iface;
        }
    }
    return nullptr;
}

SimIpStack::Interface* SimIpStack::FindInterface(std::string_view guid) {
    return const_cast<Interface*>(std::as_const(*this).FindInterface(guid));
}

const SimIpStack::Interface* SimIpStack::FindByIndex(uint32_t index) const {
    for (const Interface& iface : interfaces_) {
        if (iface.spec.index == index) {
            return &iface;
        }
    }
    return nullptr;
}

SimIpStack::Interface* SimIpStack::FindRunningByIndex(uint32_t index) {
    for (Interface& iface : interfaces_) {
        if (iface.running && iface.spec.index == index) {
            return &iface;
        }
    }
    return nullptr;
}

SimIpStack::Interface* SimIpStack::FindRunningByIpv6Index(uint32_t index) {
    for (Interface& iface : interfaces_) {
        if (iface.running && iface.Ipv6Index() == index) {
            return &iface;
        }
    }
    return nullptr;
}

SimIpStack::Interface* SimIpStack::FindRunningByLuidOrIndex(uint64_t luid, uint32_t index,
                                                            bool ipv6) {
    // The LUID decides when it is given; the index only otherwise.
    Interface* found = nullptr;
    if (luid != 0) {
        for (Interface& iface : interfaces_) {
            if (iface.running && iface.spec.luid == luid) {
                found = &iface;
            }
        }
    } else {
        found = ipv6 ? FindRunningByIpv6Index(index) : FindRunningByIndex(index);
    }
    if (found != nullptr && !(ipv6 ? found->ipv6Bound : found->ipv4Bound)) {
        return nullptr;
    }
    return found;
}

SimIpStack::Interface* SimIpStack::FindRunningByName(std::u16string_view name) {
    const std::string text8 = text::Utf16ToUtf8(name);
    if (!text::StartsWithIgnoreCase(text8, kAdapterNamePrefix)) {
        return nullptr;
    }
    Interface* iface =
        FindInterface(std::string_view(text8).substr(std::string_view(kAdapterNamePrefix).size()));
    return iface != nullptr && iface->running && iface->ipv4Bound ? iface : nullptr;
}

std::vector<const SimIpStack::Interface*> SimIpStack::Interfaces() const {
    std::vector<const Interface*> result;
    for (const Interface& iface : interfaces_) {
        if (!iface.loopback) {
            result.push_back(&iface);
        }
    }
    std::sort(result.begin(), result.end(),
              [](const Interface* a, const Interface* b) { return a->spec.index < b->spec.index; });
    return result;
}

// --- Counters ---

uint32_t SimIpStack::InOctets(const Interface& iface) const {
    if (!iface.running || clock_.Milliseconds() < iface.countersSinceMs) {
        return iface.inOctets;
    }
    const uint64_t gained =
        iface.spec.inBytesPerSecond * (clock_.Milliseconds() - iface.countersSinceMs) / 1000;
    return static_cast<uint32_t>(iface.inOctets + gained);
}

uint32_t SimIpStack::OutOctets(const Interface& iface) const {
    if (!iface.running || clock_.Milliseconds() < iface.countersSinceMs) {
        return iface.outOctets;
    }
    const uint64_t gained =
        iface.spec.outBytesPerSecond * (clock_.Milliseconds() - iface.countersSinceMs) / 1000;
    return static_cast<uint32_t>(iface.outOctets + gained);
}

void SimIpStack::AddTraffic(std::string_view guid, uint32_t inBytes, uint32_t outBytes) {
    Interface* iface = FindInterface(guid);
    if (iface == nullptr) {
        return;
    }
    iface->inOctets = InOctets(*iface) + inBytes;
    iface->outOctets = OutOctets(*iface) + outBytes;
    iface->countersSinceMs = clock_.Milliseconds();
}

void SimIpStack::SetOperStatus(std::string_view guid, uint32_t operStatus) {
    if (Interface* iface = FindInterface(guid)) {
        iface->spec.operStatus = operStatus;
    }
}

// --- Interfaces coming and going ---

void SimIpStack::Register(const InterfaceSpec& spec, const Mac& permanentAddress) {
    if (!Vista() || FindInterface(spec.guid) != nullptr) {
        return;
    }
    Interface iface;
    iface.spec = spec;
    iface.mac = permanentAddress;
    iface.adminStatus = 2;
    iface.countersSinceMs = clock_.Milliseconds();
    interfaces_.push_back(std::move(iface));
}

void SimIpStack::BringUp(const InterfaceSpec& spec, const Mac& mac) {
    Interface* iface = FindInterface(spec.guid);
    if (iface == nullptr) {
        interfaces_.emplace_back();
        iface = &interfaces_.back();
    } else {
        // Keep the counters where they stood.
        iface->inOctets = InOctets(*iface);
        iface->outOctets = OutOctets(*iface);
    }
    const uint32_t inOctets = iface->inOctets;
    const uint32_t outOctets = iface->outOctets;
    *iface = Interface{};
    iface->spec = spec;
    iface->running = true;
    iface->mac = mac;
    iface->adminStatus = 1;
    iface->inOctets = inOctets;
    iface->outOctets = outOctets;
    iface->countersSinceMs = clock_.Milliseconds();
    ApplyStoredIpv4(*iface);
    ApplyStoredIpv6(*iface);
}

void SimIpStack::TakeDown(std::string_view guid) {
    Interface* iface = FindInterface(guid);
    if (iface == nullptr) {
        return;
    }
    if (!Vista()) {
        Unregister(guid);
        return;
    }
    iface->inOctets = InOctets(*iface);
    iface->outOctets = OutOctets(*iface);
    iface->countersSinceMs = clock_.Milliseconds();
    iface->running = false;
    iface->adminStatus = 2;
    iface->ipv4Bound = false;
    iface->ipv6Bound = false;
    iface->dhcpEnabled = false;
    iface->dhcpv6Enabled = false;
    iface->lease.reset();
    iface->ipv4.clear();
    iface->ipv4Routes.clear();
    iface->ipv6.clear();
    iface->ipv6Routes.clear();
}

void SimIpStack::Unregister(std::string_view guid) {
    interfaces_.erase(std::remove_if(interfaces_.begin(), interfaces_.end(),
                                     [&](const Interface& iface) {
                                         return !iface.loopback &&
                                                text::EqualsIgnoreCase(iface.spec.guid, guid);
                                     }),
                      interfaces_.end());
}

void SimIpStack::Restore(const Interface& saved) {
    if (Interface* iface = FindInterface(saved.spec.guid)) {
        *iface = saved;
    } else {
        interfaces_.push_back(saved);
    }
    FindInterface(saved.spec.guid)->countersSinceMs = clock_.Milliseconds();
}

}  // namespace vexav6::sim
