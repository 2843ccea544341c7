#include "platform/win32/ip_helper_records.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "base/text.h"

namespace vexav6::win32 {
namespace {

// Enumerations of the structures (origins, states, route protocols) are copied as the 32-bit values
// they hold: a value outside the enumeration's own list must come through unchanged as well.
template <class Field>
uint32_t GetRaw(const Field& field) {
    static_assert(sizeof(Field) == sizeof(uint32_t));
    uint32_t value = 0;
    std::memcpy(&value, &field, sizeof value);
    return value;
}

template <class Field>
void SetRaw(Field& field, uint32_t value) {
    static_assert(sizeof(Field) == sizeof(uint32_t));
    std::memcpy(&field, &value, sizeof value);
}

// Length of a text in a fixed array, up to its first zero or the end of the array.
template <class Char>
size_t FixedLength(const Char* text, size_t capacity) {
    size_t length = 0;
    while (length < capacity && text[length] != 0) {
        ++length;
    }
    return length;
}

std::u16string FixedWide(const WCHAR* text, size_t capacity) {
    const size_t length = FixedLength(text, capacity);
    std::u16string out(length, u'\0');
    for (size_t i = 0; i < length; ++i) {
        out[i] = static_cast<char16_t>(text[i]);
    }
    return out;
}

// Copies as much of `text` as fits before the terminating zero that always ends the array.
void CopyFixedWide(WCHAR* out, size_t capacity, std::u16string_view text) {
    const size_t length = std::min(text.size(), capacity - 1);
    for (size_t i = 0; i < length; ++i) {
        out[i] = static_cast<WCHAR>(text[i]);
    }
    out[length] = 0;
}

// A text of the system's ANSI code page as UTF-8.
std::string AnsiToUtf8(const char* text, size_t capacity) {
    const int length = static_cast<int>(FixedLength(text, capacity));
    if (length == 0) {
        return {};
    }
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (wide <= 0) {
        return std::string(text, static_cast<size_t>(length));
    }
    std::u16string utf16(static_cast<size_t>(wide), u'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<wchar_t*>(utf16.data()), wide);
    return text::Utf16ToUtf8(utf16);
}

platform::IpAddrString ToRecord(const IP_ADDR_STRING& entry) {
    platform::IpAddrString out;
    out.ipAddress = AnsiToUtf8(entry.IpAddress.String, sizeof entry.IpAddress.String);
    out.ipMask = AnsiToUtf8(entry.IpMask.String, sizeof entry.IpMask.String);
    out.context = entry.Context;
    return out;
}

std::vector<platform::IpAddrString> ToRecords(const IP_ADDR_STRING& head) {
    std::vector<platform::IpAddrString> out;
    for (const IP_ADDR_STRING* entry = &head; entry != nullptr; entry = entry->Next) {
        out.push_back(ToRecord(*entry));
    }
    return out;
}

// Whether a record of `length` bytes reaches past the field at `offset` of `size` bytes.
constexpr bool Holds(ULONG length, size_t offset, size_t size) {
    return length >= offset + size;
}

}  // namespace

platform::SockAddrInet ToRecord(const SOCKADDR_INET& address) {
    platform::SockAddrInet out;
    out.family = address.si_family;
    if (address.si_family == AF_INET) {
        out.port = address.Ipv4.sin_port;
        out.ipv4 = address.Ipv4.sin_addr.s_addr;
    } else {
        out.port = address.Ipv6.sin6_port;
        out.flowInfo = address.Ipv6.sin6_flowinfo;
        std::memcpy(out.ipv6.data(), address.Ipv6.sin6_addr.s6_addr, out.ipv6.size());
        out.scopeId = address.Ipv6.sin6_scope_id;
    }
    return out;
}

SOCKADDR_INET ToSystem(const platform::SockAddrInet& address) {
    SOCKADDR_INET out;
    std::memset(&out, 0, sizeof out);
    if (address.family == AF_INET) {
        out.Ipv4.sin_family = AF_INET;
        out.Ipv4.sin_port = address.port;
        out.Ipv4.sin_addr.s_addr = address.ipv4;
    } else {
        out.Ipv6.sin6_family = address.family;
        out.Ipv6.sin6_port = address.port;
        out.Ipv6.sin6_flowinfo = address.flowInfo;
        std::memcpy(out.Ipv6.sin6_addr.s6_addr, address.ipv6.data(), address.ipv6.size());
        out.Ipv6.sin6_scope_id = address.scopeId;
    }
    return out;
}

platform::SockAddrInet ToRecord(const SOCKADDR* address, int length) {
    platform::SockAddrInet out;
    if (address == nullptr || length < static_cast<int>(sizeof address->sa_family)) {
        return out;
    }
    out.family = address->sa_family;
    SOCKADDR_INET full;
    std::memset(&full, 0, sizeof full);
    if (address->sa_family == AF_INET && length >= static_cast<int>(sizeof(SOCKADDR_IN))) {
        std::memcpy(&full.Ipv4, address, sizeof(SOCKADDR_IN));
        return ToRecord(full);
    }
    if (address->sa_family == AF_INET6 && length >= static_cast<int>(sizeof(SOCKADDR_IN6))) {
        std::memcpy(&full.Ipv6, address, sizeof(SOCKADDR_IN6));
        return ToRecord(full);
    }
    return out;
}

platform::MibIfRow ToRecord(const MIB_IFROW& row) {
    platform::MibIfRow out;
    out.name = FixedWide(row.wszName, MAX_INTERFACE_NAME_LEN);
    out.index = row.dwIndex;
    out.type = GetRaw(row.dwType);
    out.mtu = row.dwMtu;
    out.speed = row.dwSpeed;
    out.physAddrLength = row.dwPhysAddrLen;
    std::memcpy(out.physAddr.data(), row.bPhysAddr, out.physAddr.size());
    out.adminStatus = row.dwAdminStatus;
    out.operStatus = GetRaw(row.dwOperStatus);
    out.lastChange = row.dwLastChange;
    out.inOctets = row.dwInOctets;
    out.inUcastPkts = row.dwInUcastPkts;
    out.inNUcastPkts = row.dwInNUcastPkts;
    out.inDiscards = row.dwInDiscards;
    out.inErrors = row.dwInErrors;
    out.inUnknownProtos = row.dwInUnknownProtos;
    out.outOctets = row.dwOutOctets;
    out.outUcastPkts = row.dwOutUcastPkts;
    out.outNUcastPkts = row.dwOutNUcastPkts;
    out.outDiscards = row.dwOutDiscards;
    out.outErrors = row.dwOutErrors;
    out.outQLen = row.dwOutQLen;
    // The length counts the terminating zero; a length without one, or past the array, is not
    // trusted beyond the text that is there.
    const size_t limit = std::min<size_t>(row.dwDescrLen, MAXLEN_IFDESCR);
    out.description.assign(reinterpret_cast<const char*>(row.bDescr),
                           FixedLength(row.bDescr, limit));
    // The record's length counts the terminating zero, as Windows gives it. Wine leaves the zero
    // out of the count; such a length, followed by the zero, is counted with it.
    out.descriptionLength = row.dwDescrLen;
    if (row.dwDescrLen > 0 && row.dwDescrLen < MAXLEN_IFDESCR &&
        row.bDescr[row.dwDescrLen - 1] != 0 && row.bDescr[row.dwDescrLen] == 0) {
        out.descriptionLength = row.dwDescrLen + 1;
    }
    return out;
}

MIB_IFROW ToSystem(const platform::MibIfRow& row) {
    MIB_IFROW out;
    std::memset(&out, 0, sizeof out);
    CopyFixedWide(out.wszName, MAX_INTERFACE_NAME_LEN, row.name);
    out.dwIndex = row.index;
    SetRaw(out.dwType, row.type);
    out.dwMtu = row.mtu;
    out.dwSpeed = row.speed;
    out.dwPhysAddrLen = row.physAddrLength;
    std::memcpy(out.bPhysAddr, row.physAddr.data(), row.physAddr.size());
    out.dwAdminStatus = row.adminStatus;
    SetRaw(out.dwOperStatus, row.operStatus);
    out.dwLastChange = row.lastChange;
    out.dwInOctets = row.inOctets;
    out.dwInUcastPkts = row.inUcastPkts;
    out.dwInNUcastPkts = row.inNUcastPkts;
    out.dwInDiscards = row.inDiscards;
    out.dwInErrors = row.inErrors;
    out.dwInUnknownProtos = row.inUnknownProtos;
    out.dwOutOctets = row.outOctets;
    out.dwOutUcastPkts = row.outUcastPkts;
    out.dwOutNUcastPkts = row.outNUcastPkts;
    out.dwOutDiscards = row.outDiscards;
    out.dwOutErrors = row.outErrors;
    out.dwOutQLen = row.outQLen;
    const size_t length = std::min<size_t>(row.description.size(), MAXLEN_IFDESCR - 1);
    std::memcpy(out.bDescr, row.description.data(), length);
    out.dwDescrLen = row.descriptionLength;
    return out;
}

platform::MibIpForwardRow ToRecord(const MIB_IPFORWARDROW& row) {
    platform::MibIpForwardRow out;
    out.dest = row.dwForwardDest;
    out.mask = row.dwForwardMask;
    out.policy = row.dwForwardPolicy;
    out.nextHop = row.dwForwardNextHop;
    out.ifIndex = row.dwForwardIfIndex;
    out.type = GetRaw(row.dwForwardType);
    out.proto = GetRaw(row.dwForwardProto);
    out.age = row.dwForwardAge;
    out.nextHopAS = row.dwForwardNextHopAS;
    out.metric1 = row.dwForwardMetric1;
    out.metric2 = row.dwForwardMetric2;
    out.metric3 = row.dwForwardMetric3;
    out.metric4 = row.dwForwardMetric4;
    out.metric5 = row.dwForwardMetric5;
    return out;
}

MIB_IPFORWARDROW ToSystem(const platform::MibIpForwardRow& row) {
    MIB_IPFORWARDROW out;
    std::memset(&out, 0, sizeof out);
    out.dwForwardDest = row.dest;
    out.dwForwardMask = row.mask;
    out.dwForwardPolicy = row.policy;
    out.dwForwardNextHop = row.nextHop;
    out.dwForwardIfIndex = row.ifIndex;
    SetRaw(out.dwForwardType, row.type);
    SetRaw(out.dwForwardProto, row.proto);
    out.dwForwardAge = row.age;
    out.dwForwardNextHopAS = row.nextHopAS;
    out.dwForwardMetric1 = row.metric1;
    out.dwForwardMetric2 = row.metric2;
    out.dwForwardMetric3 = row.metric3;
    out.dwForwardMetric4 = row.metric4;
    out.dwForwardMetric5 = row.metric5;
    return out;
}

platform::UnicastRow ToRecord(const MIB_UNICASTIPADDRESS_ROW& row) {
    platform::UnicastRow out;
    out.address = ToRecord(row.Address);
    out.luid = row.InterfaceLuid.Value;
    out.ifIndex = row.InterfaceIndex;
    out.prefixOrigin = GetRaw(row.PrefixOrigin);
    out.suffixOrigin = GetRaw(row.SuffixOrigin);
    out.validLifetime = row.ValidLifetime;
    out.preferredLifetime = row.PreferredLifetime;
    out.onLinkPrefixLength = row.OnLinkPrefixLength;
    out.skipAsSource = row.SkipAsSource != FALSE;
    out.dadState = GetRaw(row.DadState);
    out.scopeId = row.ScopeId.Value;
    out.creationTimeStamp = row.CreationTimeStamp.QuadPart;
    return out;
}

MIB_UNICASTIPADDRESS_ROW ToSystem(const platform::UnicastRow& row) {
    MIB_UNICASTIPADDRESS_ROW out;
    std::memset(&out, 0, sizeof out);
    out.Address = ToSystem(row.address);
    out.InterfaceLuid.Value = row.luid;
    out.InterfaceIndex = row.ifIndex;
    SetRaw(out.PrefixOrigin, row.prefixOrigin);
    SetRaw(out.SuffixOrigin, row.suffixOrigin);
    out.ValidLifetime = row.validLifetime;
    out.PreferredLifetime = row.preferredLifetime;
    out.OnLinkPrefixLength = row.onLinkPrefixLength;
    out.SkipAsSource = row.skipAsSource ? TRUE : FALSE;
    SetRaw(out.DadState, row.dadState);
    out.ScopeId.Value = row.scopeId;
    out.CreationTimeStamp.QuadPart = row.creationTimeStamp;
    return out;
}

platform::ForwardRow2 ToRecord(const MIB_IPFORWARD_ROW2& row) {
    platform::ForwardRow2 out;
    out.luid = row.InterfaceLuid.Value;
    out.ifIndex = row.InterfaceIndex;
    out.destinationPrefix.prefix = ToRecord(row.DestinationPrefix.Prefix);
    out.destinationPrefix.prefixLength = row.DestinationPrefix.PrefixLength;
    out.nextHop = ToRecord(row.NextHop);
    out.sitePrefixLength = row.SitePrefixLength;
    out.validLifetime = row.ValidLifetime;
    out.preferredLifetime = row.PreferredLifetime;
    out.metric = row.Metric;
    out.protocol = GetRaw(row.Protocol);
    out.loopback = row.Loopback != FALSE;
    out.autoconfigureAddress = row.AutoconfigureAddress != FALSE;
    out.publish = row.Publish != FALSE;
    out.immortal = row.Immortal != FALSE;
    out.age = row.Age;
    out.origin = GetRaw(row.Origin);
    return out;
}

MIB_IPFORWARD_ROW2 ToSystem(const platform::ForwardRow2& row) {
    MIB_IPFORWARD_ROW2 out;
    std::memset(&out, 0, sizeof out);
    out.InterfaceLuid.Value = row.luid;
    out.InterfaceIndex = row.ifIndex;
    out.DestinationPrefix.Prefix = ToSystem(row.destinationPrefix.prefix);
    out.DestinationPrefix.PrefixLength = row.destinationPrefix.prefixLength;
    out.NextHop = ToSystem(row.nextHop);
    out.SitePrefixLength = row.sitePrefixLength;
    out.ValidLifetime = row.validLifetime;
    out.PreferredLifetime = row.preferredLifetime;
    out.Metric = row.metric;
    SetRaw(out.Protocol, row.protocol);
    out.Loopback = row.loopback ? TRUE : FALSE;
    out.AutoconfigureAddress = row.autoconfigureAddress ? TRUE : FALSE;
    out.Publish = row.publish ? TRUE : FALSE;
    out.Immortal = row.immortal ? TRUE : FALSE;
    out.Age = row.age;
    SetRaw(out.Origin, row.origin);
    return out;
}

platform::IpAdapterIndexMap ToRecord(const IP_ADAPTER_INDEX_MAP& entry) {
    platform::IpAdapterIndexMap out;
    out.index = entry.Index;
    out.name = FixedWide(entry.Name, MAX_ADAPTER_NAME);
    return out;
}

bool ToSystem(const platform::IpAdapterIndexMap& entry, IP_ADAPTER_INDEX_MAP& out) {
    std::memset(&out, 0, sizeof out);
    if (entry.name.size() >= MAX_ADAPTER_NAME) {
        return false;
    }
    out.Index = entry.index;
    CopyFixedWide(out.Name, MAX_ADAPTER_NAME, entry.name);
    return true;
}

std::vector<platform::IpAdapterInfo> ToRecords(const IP_ADAPTER_INFO* first) {
    std::vector<platform::IpAdapterInfo> out;
    for (const IP_ADAPTER_INFO* adapter = first; adapter != nullptr; adapter = adapter->Next) {
        platform::IpAdapterInfo& info = out.emplace_back();
        info.comboIndex = adapter->ComboIndex;
        info.adapterName = AnsiToUtf8(adapter->AdapterName, sizeof adapter->AdapterName);
        info.description = AnsiToUtf8(adapter->Description, sizeof adapter->Description);
        info.addressLength = adapter->AddressLength;
        std::memcpy(info.address.data(), adapter->Address, info.address.size());
        info.index = adapter->Index;
        info.type = adapter->Type;
        info.dhcpEnabled = adapter->DhcpEnabled != 0;
        info.ipAddressList = ToRecords(adapter->IpAddressList);
        info.gatewayList = ToRecords(adapter->GatewayList);
        info.dhcpServer = ToRecord(adapter->DhcpServer);
        info.leaseObtained = static_cast<int64_t>(adapter->LeaseObtained);
        info.leaseExpires = static_cast<int64_t>(adapter->LeaseExpires);
    }
    return out;
}

std::vector<platform::AdapterAddresses> ToRecords(const IP_ADAPTER_ADDRESSES* first) {
    using Record = IP_ADAPTER_ADDRESSES;
    using Unicast = IP_ADAPTER_UNICAST_ADDRESS;
    std::vector<platform::AdapterAddresses> out;
    for (const Record* adapter = first; adapter != nullptr; adapter = adapter->Next) {
        const ULONG length = adapter->Length;
        platform::AdapterAddresses& record = out.emplace_back();
        record.ifIndex = adapter->IfIndex;
        if (adapter->AdapterName != nullptr) {
            record.adapterName = AnsiToUtf8(adapter->AdapterName, MAX_ADAPTER_NAME_LENGTH + 4);
        }
        if (Holds(length, offsetof(Record, IfType), sizeof adapter->IfType)) {
            record.ifType = adapter->IfType;
        }
        if (Holds(length, offsetof(Record, Ipv6IfIndex), sizeof adapter->Ipv6IfIndex)) {
            record.ipv6IfIndex = adapter->Ipv6IfIndex;
        }
        if (Holds(length, offsetof(Record, Luid), sizeof adapter->Luid)) {
            record.hasLuid = true;
            record.luid = adapter->Luid.Value;
        }
        for (const Unicast* entry = adapter->FirstUnicastAddress; entry != nullptr;
             entry = entry->Next) {
            platform::AdapterUnicastAddress& address = record.unicastAddresses.emplace_back();
            address.address = ToRecord(entry->Address.lpSockaddr, entry->Address.iSockaddrLength);
            if (Holds(entry->Length, offsetof(Unicast, OnLinkPrefixLength),
                      sizeof entry->OnLinkPrefixLength)) {
                address.hasOnLinkPrefixLength = true;
                address.onLinkPrefixLength = entry->OnLinkPrefixLength;
            }
        }
    }
    return out;
}

MIB_UNICASTIPADDRESS_ROW DefaultUnicastRow() {
    MIB_UNICASTIPADDRESS_ROW row;
    std::memset(&row, 0, sizeof row);
    SetRaw(row.PrefixOrigin, IpPrefixOriginUnchanged);
    SetRaw(row.SuffixOrigin, IpSuffixOriginUnchanged);
    row.ValidLifetime = 0xFFFFFFFF;
    row.PreferredLifetime = 0xFFFFFFFF;
    row.OnLinkPrefixLength = 0xFF;
    row.SkipAsSource = FALSE;
    return row;
}

MIB_IPFORWARD_ROW2 DefaultForwardRow2() {
    MIB_IPFORWARD_ROW2 row;
    std::memset(&row, 0, sizeof row);
    row.ValidLifetime = 0xFFFFFFFF;
    row.PreferredLifetime = 0xFFFFFFFF;
    row.Loopback = TRUE;
    row.AutoconfigureAddress = TRUE;
    row.Publish = TRUE;
    row.Immortal = TRUE;
    row.SitePrefixLength = 0xFF;
    row.Metric = 0xFFFFFFFF;
    SetRaw(row.Protocol, 0xFFFFFFFF);
    return row;
}

}  // namespace vexav6::win32
