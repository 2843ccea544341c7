#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ipconfig/ip_config_owner.h"

// What the IPv4 and IPv6 configuration objects share: where Windows stores the TCP/IP settings,
// the stored lists, and the checks every object makes.
namespace vexav6::IpConfigSupport {

// The TCP/IP interface key of an adapter ("...\Tcpip\Parameters\Interfaces\{GUID}").
std::string Ipv4InterfaceKey(std::string_view netCfgInstanceId);
// The TCP/IPv6 interface key, which keeps its lower-case "services".
std::string Ipv6InterfaceKey(std::string_view netCfgInstanceId);
// Machine-wide persistent IPv4 routes.
inline constexpr const char* kPersistentRoutesKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\PersistentRoutes";
// The IPv6 network store: unicast addresses and routes.
inline constexpr const char* kIpv6AddressesKey =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\10";
inline constexpr const char* kIpv6RoutesKey =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\16";

// The machine behind an object's adapter. An object made without one (a preset's) cannot change
// anything: error 1 with `source`.
const Platform& OwnerPlatform(IpConfigOwner* owner, std::string_view source);

// Fails with error 1 "Init already done" and `source` when `initDone` is set.
void CheckNotInitialised(bool initDone, std::string_view source);

// A stored list as it is read: the text split at every zero character (empty text is one empty
// entry, and the usual closing zero leaves an empty entry at the end).
std::vector<std::string> SplitList(std::string_view text);
// Cuts or extends `list` with empty entries to `size` entries.
void FitList(std::vector<std::string>& list, size_t size);
// The text a list is written back as: the entries joined by zeros, every pair of zeros made one
// (a single pass from the left), then two closing zeros.
std::string MultiStringText(const std::vector<std::string>& list);

// Stores the pair (key, value) in two parallel stored lists: in the entry that already holds `key`
// (later copies of it are blanked with their values), else in the first empty slot (the values of
// later empty slots are blanked), else at the end. With a `placeholder`, an entry equal to it means
// the list holds nothing yet: both lists become the single pair.
void PlacePair(std::vector<std::string>& keys, std::vector<std::string>& values,
               const std::string& key, const std::string& value, std::string_view placeholder = {});

// The texts two parallel stored lists are written back as after every entry equal to `key` is
// dropped with its value: each remaining entry followed by one zero (nothing left: empty texts).
struct PairTexts {
    std::string keys;
    std::string values;
};
PairTexts DropPair(const std::vector<std::string>& keys, const std::vector<std::string>& values,
                   const std::string& key);

// The 8 bytes of a LUID in memory order (least significant first).
std::array<uint8_t, 8> LuidBytes(uint64_t luid);
// Little-endian 32-bit value at `offset` of `data`.
void PutUint32(std::vector<uint8_t>& data, size_t offset, uint32_t value);

}  // namespace vexav6::IpConfigSupport
