// The text forms of MAC, IPv4 and IPv6 addresses, as users type them and other programs write
// them. Every input is given to every reader.
//
// - What a reader accepts, the program's writer of that form writes, and the reader reads that
//   back to the same value. Where two readers accept the same canonical text they agree.
// - A MAC address the adapter refuses leaves its stored address as it was; one it takes is stored
//   as twelve upper-case hex digits of a unicast address, and its display form is taken again.
// - Only the program's own errors are raised.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "adapters/adapter_info.h"
#include "adapters/adapter_paths.h"
#include "adapters/device_manager.h"
#include "fuzz_support.h"
#include "ipconfig/convert.h"
#include "ipconfig/ipv4_support.h"
#include "ipconfig/ipv6_support.h"
#include "ipconfig/mask_rules.h"
#include "startup/command_line_items.h"
#include "system/registry.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;
using platform::RootKey;

uint32_t Swapped(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

void CheckIPv4(const std::string& text) {
    const uint32_t number = IPv4Support::InetAddr(text);
    if (number != IPv4Support::kInaddrNone) {
        const std::string written = IPv4Support::InetNtoa(number);
        Check(IPv4Support::InetAddr(written) == number, "an IPv4 address does not read back");
        Check(IPv4Support::IPv4AddressToText(number) == written, "the two IPv4 writers disagree");
    }
    if (const auto strict = CommandLineItems::ParseIPv4(text)) {
        const std::string written = CommandLineItems::IPv4Text(*strict);
        Check(CommandLineItems::ParseIPv4(written) == strict,
              "a command-line IPv4 address does not read back");
        if (written == text) {
            Check(number == Swapped(*strict), "the IPv4 readers disagree on " + text);
        }
    }

    const MaskRules::MaskPrefix prefix = MaskRules::SubnetMaskToPrefixLength(text);
    Check(prefix.prefixLength >= 0, "a mask has a negative prefix length");
    if (const auto mask = MaskRules::PrefixLengthToSubnetMask(text)) {
        const MaskRules::MaskPrefix back = MaskRules::SubnetMaskToPrefixLength(*mask);
        Check(!back.stoppedAtUnknownOctet && back.prefixLength >= 0 && back.prefixLength <= 32,
              "the mask of a prefix length is not a mask");
        Check(MaskRules::PrefixLengthToSubnetMask(std::to_string(back.prefixLength)) == mask,
              "a prefix length and its mask do not read back");
    }
}

void CheckIPv6(const std::string& text) {
    std::string full;
    if (Attempt([&] { full = IPv6Support::ExpandIPv6Text(text); }, "expanding IPv6 text")) {
        return;
    }
    std::array<uint8_t, 16> bytes{};
    if (!Attempt([&] { bytes = IPv6Support::IPv6TextToBytes(full); }, "reading IPv6 text")) {
        const std::string written = IPv6Support::IPv6BytesToText(bytes);
        Check(written.size() == 39, "full IPv6 text is not 39 characters");
        std::string shortText;
        const auto refused =
            Attempt([&] { shortText = IPv6Support::CompressIPv6Text(written); }, "compressing");
        Check(!refused, "the full text of IPv6 bytes cannot be compressed");
        Check(IPv6Support::ExpandIPv6Text(shortText) == written,
              "short IPv6 text does not expand to its full text");
        Check(IPv6Support::IPv6TextToBytes(written) == bytes, "IPv6 text does not read back");
        const auto strict = CommandLineItems::ParseIPv6(shortText);
        Check(strict && *strict == bytes,
              "the command line does not read the program's short IPv6 text " + shortText);
    }
}

void CheckStrictIPv6(const std::string& text) {
    const auto strict = CommandLineItems::ParseIPv6(text);
    if (!strict) {
        return;
    }
    const std::string written = IPv6Support::IPv6BytesToText(*strict);
    const std::string shortText = IPv6Support::CompressIPv6Text(written);
    Check(IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text(shortText)) == *strict,
          "an IPv6 address the command line reads does not read back");
    // Plain hex groups (no IPv4 tail): the program's own IPv6 reader takes it the same way.
    if (text.find('.') == std::string::npos) {
        std::array<uint8_t, 16> bytes{};
        const auto refused = Attempt(
            [&] { bytes = IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text(text)); },
            "reading IPv6 text the command line takes");
        Check(!refused && bytes == *strict, "the IPv6 readers disagree on " + text);
    }
}

void CheckHex(const std::string& text) {
    const std::vector<uint8_t> bytes = Convert::HexToBytes(text);
    Check(bytes.size() == text.size() / 2, "hex text gives another number of bytes");
    const std::string written = Convert::BytesToHex(bytes);
    Check(Convert::HexToBytes(written) == bytes, "hex text does not read back");
}

void CheckCustomMAC(const std::string& text) {
    Preset preset;
    preset.SetCustomMACAddress("02-00-00-00-00-01");
    const auto refused =
        Attempt([&] { preset.SetCustomMACAddress(text); }, "setting a custom MAC address");
    if (refused) {
        Check(refused->Number() == errnum::kOwnCheck,
              "a custom MAC address refused with error " + std::to_string(refused->Number()));
        Check(preset.CustomMACAddress() == "02-00-00-00-00-01",
              "a refused custom MAC address changed the preset");
        return;
    }
    const std::string stored = preset.CustomMACAddress();
    Check(stored.find(':') == std::string::npos, "a custom MAC address is stored with colons");
    preset.SetCustomMACAddress(stored);
    Check(preset.CustomMACAddress() == stored, "a stored custom MAC address does not read back");
}

// The Ethernet adapter of the demo machine, kept for the whole run.
struct Adapter {
    Adapter() : machine(LoadDemoMachine()), platform(machine->GetPlatform()) {
        DeviceManager::GetNetworkAdapters(platform, adapters);
        for (const std::shared_ptr<AdapterInfo>& candidate : adapters) {
            if (candidate->DeviceHardwareID() != "ms_bridgemp" && candidate->State()) {
                adapter = candidate;
                break;
            }
        }
        Check(adapter != nullptr, "the demo machine has no enabled adapter");
        classKey = AdapterPaths::ClassKey(adapter->DriverRegistryPath());
    }
    std::optional<std::string> Stored() const {
        return machine->registry.GetString(RootKey::LocalMachine, classKey, "NetworkAddress");
    }

    std::unique_ptr<sim::Machine> machine;
    Platform platform;
    KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
    std::shared_ptr<AdapterInfo> adapter;
    std::string classKey;
};

bool IsHexDigits(std::string_view s) {
    return s.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

void CheckAdapterMAC(const std::string& text) {
    static Adapter a;
    AdapterInfo& adapter = *a.adapter;
    Check(!Attempt([&] { adapter.ChangeNetworkAddress("02-AA-BB-CC-DD-EE"); }, "a MAC address"),
          "the adapter refuses a good MAC address");
    const auto before = a.Stored();
    const std::string changedBefore = adapter.ChangedNetworkAddress();

    const auto refused =
        Attempt([&] { adapter.ChangeNetworkAddress(text); }, "changing the MAC address");
    if (refused) {
        Check(refused->Number() == errnum::kOwnCheck &&
                  refused->Source() == "AdapterInfo.ChangeNetworkAddress",
              "a MAC address refused with error " + std::to_string(refused->Number()));
        Check(a.Stored() == before && adapter.ChangedNetworkAddress() == changedBefore,
              "a refused MAC address changed the stored one");
    } else if (!text.empty()) {
        const auto stored = a.Stored();
        Check(stored && stored->size() == 12 && IsHexDigits(*stored) && *stored != "FFFFFFFFFFFF" &&
                  (std::stoi(stored->substr(0, 2), nullptr, 16) & 1) == 0,
              "a MAC address was stored that is not twelve hex digits of a unicast address");
        const std::string display = adapter.ChangedNetworkAddress();
        Check(!Attempt([&] { adapter.ChangeNetworkAddress(display); }, "a display form"),
              "the display form of a stored MAC address is refused");
        Check(a.Stored() == stored && adapter.ChangedNetworkAddress() == display,
              "the display form of a MAC address does not read back");
        adapter.Refresh(false);
        Check(adapter.ChangedNetworkAddress() == display,
              "a stored MAC address reads back another way");
    }

    // The same text written into the registry by another program: a refresh reads it without
    // raising anything.
    a.machine->registry.PutString(RootKey::LocalMachine, a.classKey, "NetworkAddress", text);
    Check(!Attempt([&] { adapter.Refresh(false); }, "refreshing an adapter"),
          "refreshing an adapter raised an error");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256) {
        return -1;  // no address text is longer; long inputs only slow the run
    }
    const std::string text(AsText(std::span(data, size)));
    CheckIPv4(text);
    CheckIPv6(text);
    CheckStrictIPv6(text);
    CheckHex(text);
    CheckCustomMAC(text);
    CheckAdapterMAC(text);
    return 0;
}
