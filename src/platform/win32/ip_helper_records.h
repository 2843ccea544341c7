#pragma once

#include <vector>

#include "platform/ip_helper_api.h"
#include "platform/win32/ip_helper_include.h"

// Conversions between the structures of the IP Helper calls and the typed records of the platform
// interface. Every field of a record is carried over in both directions, so that a row read from a
// table and handed back (to delete the entry it names) reaches the system unchanged. Texts of the
// ANSI code page become UTF-8, except the interface description of MIB_IFROW, which the record
// keeps as the system's bytes.
namespace vexav6::win32 {

// SOCKADDR_INET. An IPv4 address fills `port` and `ipv4` (both as stored, network byte order); any
// other family is read in the IPv6 layout, so that an unspecified address keeps its bytes too.
platform::SockAddrInet ToRecord(const SOCKADDR_INET& address);
SOCKADDR_INET ToSystem(const platform::SockAddrInet& address);
// The socket address a SOCKET_ADDRESS points to (AF_INET or AF_INET6); anything else, or a length
// too short for its family, gives an address with the family alone.
platform::SockAddrInet ToRecord(const SOCKADDR* address, int length);

platform::MibIfRow ToRecord(const MIB_IFROW& row);
MIB_IFROW ToSystem(const platform::MibIfRow& row);

platform::MibIpForwardRow ToRecord(const MIB_IPFORWARDROW& row);
MIB_IPFORWARDROW ToSystem(const platform::MibIpForwardRow& row);

platform::UnicastRow ToRecord(const MIB_UNICASTIPADDRESS_ROW& row);
MIB_UNICASTIPADDRESS_ROW ToSystem(const platform::UnicastRow& row);

platform::ForwardRow2 ToRecord(const MIB_IPFORWARD_ROW2& row);
MIB_IPFORWARD_ROW2 ToSystem(const platform::ForwardRow2& row);

platform::IpAdapterIndexMap ToRecord(const IP_ADAPTER_INDEX_MAP& entry);
// False when the name does not fit the 128 characters of the structure (with its terminating zero):
// such a name names no adapter, and a shortened one might name another.
bool ToSystem(const platform::IpAdapterIndexMap& entry, IP_ADAPTER_INDEX_MAP& out);

// The adapter list of GetAdaptersInfo, in its order, with every address and gateway entry.
std::vector<platform::IpAdapterInfo> ToRecords(const IP_ADAPTER_INFO* first);

// The adapter list of GetAdaptersAddresses. Older systems write shorter records (and shorter
// unicast entries); each is read only as far as its own Length field says, and what lies beyond
// stays at the record's defaults (`hasLuid`, `hasOnLinkPrefixLength` false).
std::vector<platform::AdapterAddresses> ToRecords(const IP_ADAPTER_ADDRESSES* first);

// The rows InitializeUnicastIpAddressEntry and InitializeIpForwardEntry give on systems that have
// them, built here for systems that do not: infinite lifetimes; for an address "unchanged" origins
// and no on-link prefix length (255); for a route the illegal site prefix length, metric and
// protocol (255, 0xFFFFFFFF, 0xFFFFFFFF) and the loopback, autoconfigure, publish and immortal
// flags set; everything else zero.
MIB_UNICASTIPADDRESS_ROW DefaultUnicastRow();
MIB_IPFORWARD_ROW2 DefaultForwardRow2();

}  // namespace vexav6::win32
