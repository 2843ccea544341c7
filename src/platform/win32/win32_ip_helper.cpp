#include "platform/win32/win32_ip_helper.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "platform/win32/ip_helper_include.h"
#include "platform/win32/ip_helper_records.h"
#include "platform/win32/sized_buffer.h"
#include "platform/win32/wine_host.h"

namespace vexav6::win32 {

namespace status = platform::status;
using platform::Status;

namespace {

// Only the types of the late calls are taken from the headers; naming the functions themselves
// would import them, and the program would not start on a system without them.
using GetAdaptersAddressesFn = decltype(&::GetAdaptersAddresses);
using ConvertInterfaceIndexToLuidFn = decltype(&::ConvertInterfaceIndexToLuid);
using GetUnicastIpAddressTableFn = decltype(&::GetUnicastIpAddressTable);
using GetIpForwardTable2Fn = decltype(&::GetIpForwardTable2);
using FreeMibTableFn = decltype(&::FreeMibTable);
using InitializeUnicastIpAddressEntryFn = decltype(&::InitializeUnicastIpAddressEntry);
using UnicastIpAddressEntryFn = decltype(&::CreateUnicastIpAddressEntry);
using InitializeIpForwardEntryFn = decltype(&::InitializeIpForwardEntry);
using IpForwardEntry2Fn = decltype(&::CreateIpForwardEntry2);

// Exports that Wine provides only as stubs which end the process when called.
constexpr std::string_view kWineStubs[] = {
    "InitializeUnicastIpAddressEntry", "CreateUnicastIpAddressEntry", "DeleteUnicastIpAddressEntry",
    "InitializeIpForwardEntry",        "CreateIpForwardEntry2",       "DeleteIpForwardEntry2",
};

// A call that came after Windows 2000: the function found in the module, or what calling it
// answers instead. That is ERROR_PROC_NOT_FOUND (127) when the module lacks it, as looking it up
// answers on Windows and Wine alike, and ERROR_CALL_NOT_IMPLEMENTED (120) for one of Wine's stubs.
// It converts to the function pointer, null when there is none.
template <class Fn>
struct LateCall {
    Fn call = nullptr;
    Status absent = status::kProcNotFound;

    operator Fn() const { return call; }
};

template <class Fn>
void Resolve(HMODULE module, const char* name, LateCall<Fn>& slot) {
    slot = LateCall<Fn>{};
    if (module == nullptr) {
        return;
    }
    // Through the generic function pointer type, which every function pointer converts from and to.
    const auto generic = reinterpret_cast<void (*)()>(::GetProcAddress(module, name));
    if (generic != nullptr && RunningUnderWine() &&
        std::find(std::begin(kWineStubs), std::end(kWineStubs), name) != std::end(kWineStubs)) {
        slot.absent = status::kCallNotImplemented;
        return;
    }
    slot.call = reinterpret_cast<Fn>(generic);
}

// A table that a call of the Vista family allocated, freed with FreeMibTable. FreeMibTable itself
// is found at run time, so the owner carries it instead of naming it in a traits struct.
template <class Table>
class MibTable {
  public:
    explicit MibTable(FreeMibTableFn free) : free_(free) {}
    ~MibTable() {
        if (table_ != nullptr) {
            free_(table_);
        }
    }
    MibTable(const MibTable&) = delete;
    MibTable& operator=(const MibTable&) = delete;

    Table** Put() { return &table_; }
    const Table* Get() const { return table_; }

  private:
    FreeMibTableFn free_;
    Table* table_ = nullptr;
};

// Entries of a table written into our buffer: the count it gives, but never more than the buffer
// holds.
template <class Entry>
size_t EntriesInBuffer(size_t count, const SizedBuffer& buffer, size_t offset) {
    if (buffer.Size() < offset) {
        return 0;
    }
    return std::min(count, (buffer.Size() - offset) / sizeof(Entry));
}

}  // namespace

struct Win32IpHelper::LateCalls {
    HMODULE loaded = nullptr;  // set when this object loaded the module and must free it
    LateCall<GetAdaptersAddressesFn> getAdaptersAddresses;
    LateCall<ConvertInterfaceIndexToLuidFn> convertInterfaceIndexToLuid;
    LateCall<GetUnicastIpAddressTableFn> getUnicastIpAddressTable;
    LateCall<GetIpForwardTable2Fn> getIpForwardTable2;
    LateCall<FreeMibTableFn> freeMibTable;
    LateCall<InitializeUnicastIpAddressEntryFn> initializeUnicastIpAddressEntry;
    LateCall<UnicastIpAddressEntryFn> createUnicastIpAddressEntry;
    LateCall<UnicastIpAddressEntryFn> deleteUnicastIpAddressEntry;
    LateCall<InitializeIpForwardEntryFn> initializeIpForwardEntry;
    LateCall<IpForwardEntry2Fn> createIpForwardEntry2;
    LateCall<IpForwardEntry2Fn> deleteIpForwardEntry2;

    ~LateCalls() {
        if (loaded != nullptr) {
            ::FreeLibrary(loaded);
        }
    }
};

Win32IpHelper::Win32IpHelper(std::wstring module) : moduleName_(std::move(module)) {}

Win32IpHelper::~Win32IpHelper() = default;

const Win32IpHelper::LateCalls& Win32IpHelper::Late() {
    std::call_once(resolved_, [this] {
        auto calls = std::make_unique<LateCalls>();
        HMODULE module = ::GetModuleHandleW(moduleName_.c_str());
        if (module == nullptr) {
            module = ::LoadLibraryW(moduleName_.c_str());
            calls->loaded = module;
        }
        Resolve(module, "GetAdaptersAddresses", calls->getAdaptersAddresses);
        Resolve(module, "ConvertInterfaceIndexToLuid", calls->convertInterfaceIndexToLuid);
        Resolve(module, "GetUnicastIpAddressTable", calls->getUnicastIpAddressTable);
        Resolve(module, "GetIpForwardTable2", calls->getIpForwardTable2);
        Resolve(module, "FreeMibTable", calls->freeMibTable);
        Resolve(module, "InitializeUnicastIpAddressEntry", calls->initializeUnicastIpAddressEntry);
        Resolve(module, "CreateUnicastIpAddressEntry", calls->createUnicastIpAddressEntry);
        Resolve(module, "DeleteUnicastIpAddressEntry", calls->deleteUnicastIpAddressEntry);
        Resolve(module, "InitializeIpForwardEntry", calls->initializeIpForwardEntry);
        Resolve(module, "CreateIpForwardEntry2", calls->createIpForwardEntry2);
        Resolve(module, "DeleteIpForwardEntry2", calls->deleteIpForwardEntry2);
        // A table that could not be freed is not fetched.
        if (calls->freeMibTable == nullptr) {
            calls->getUnicastIpAddressTable = {};
            calls->getIpForwardTable2 = {};
        }
        late_ = std::move(calls);
    });
    return *late_;
}

Status Win32IpHelper::GetAdapterIndex(std::u16string_view adapterName, uint32_t& index) {
    std::wstring name(adapterName.begin(), adapterName.end());
    ULONG found = 0;
    const Status result = ::GetAdapterIndex(name.data(), &found);
    if (result == status::kSuccess) {
        index = found;
    }
    return result;
}

Status Win32IpHelper::ConvertInterfaceIndexToLuid(uint32_t index, uint64_t& luid) {
    const auto convert = Late().convertInterfaceIndexToLuid;
    if (convert == nullptr) {
        return convert.absent;
    }
    NET_LUID found{};
    const Status result = convert(index, &found);
    if (result == status::kSuccess) {
        luid = found.Value;
    }
    return result;
}

Status Win32IpHelper::GetIfEntry(platform::MibIfRow& row) {
    MIB_IFROW entry{};
    entry.dwIndex = row.index;
    const Status result = ::GetIfEntry(&entry);
    if (result == status::kSuccess) {
        row = ToRecord(entry);
    }
    return result;
}

Status Win32IpHelper::GetAdaptersInfo(std::vector<platform::IpAdapterInfo>& adapters) {
    SizedBuffer buffer;
    const Status result = CallWithSizedBuffer(buffer, 0, [](void* data, uint32_t* size) {
        ULONG length = *size;
        const Status answer = ::GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(data), &length);
        *size = length;
        return answer;
    });
    if (result != status::kSuccess) {
        return result;
    }
    adapters = ToRecords(buffer.As<IP_ADAPTER_INFO>());
    return status::kSuccess;
}

Status Win32IpHelper::GetIpForwardTable(std::vector<platform::MibIpForwardRow>& rows) {
    SizedBuffer buffer;
    const Status result = CallWithSizedBuffer(buffer, 0, [](void* data, uint32_t* size) {
        ULONG length = *size;
        const Status answer =
            ::GetIpForwardTable(static_cast<MIB_IPFORWARDTABLE*>(data), &length, FALSE);
        *size = length;
        return answer;
    });
    if (result != status::kSuccess) {
        return result;
    }
    rows.clear();
    if (const auto* table = buffer.As<MIB_IPFORWARDTABLE>()) {
        const size_t count = EntriesInBuffer<MIB_IPFORWARDROW>(table->dwNumEntries, buffer,
                                                               offsetof(MIB_IPFORWARDTABLE, table));
        for (size_t i = 0; i < count; ++i) {
            rows.push_back(ToRecord(table->table[i]));
        }
    }
    return status::kSuccess;
}

Status Win32IpHelper::GetUnicastIpAddressTable(uint16_t family,
                                               std::vector<platform::UnicastRow>& rows) {
    const LateCalls& late = Late();
    if (late.getUnicastIpAddressTable == nullptr) {
        return late.getUnicastIpAddressTable.absent;
    }
    MibTable<MIB_UNICASTIPADDRESS_TABLE> table(late.freeMibTable);
    const Status result = late.getUnicastIpAddressTable(family, table.Put());
    if (result != status::kSuccess) {
        return result;
    }
    rows.clear();
    if (table.Get() != nullptr) {
        for (ULONG i = 0; i < table.Get()->NumEntries; ++i) {
            rows.push_back(ToRecord(table.Get()->Table[i]));
        }
    }
    return status::kSuccess;
}

Status Win32IpHelper::GetIpForwardTable2(uint16_t family,
                                         std::vector<platform::ForwardRow2>& rows) {
    const LateCalls& late = Late();
    if (late.getIpForwardTable2 == nullptr) {
        return late.getIpForwardTable2.absent;
    }
    MibTable<MIB_IPFORWARD_TABLE2> table(late.freeMibTable);
    const Status result = late.getIpForwardTable2(family, table.Put());
    if (result != status::kSuccess) {
        return result;
    }
    rows.clear();
    if (table.Get() != nullptr) {
        for (ULONG i = 0; i < table.Get()->NumEntries; ++i) {
            rows.push_back(ToRecord(table.Get()->Table[i]));
        }
    }
    return status::kSuccess;
}

Status Win32IpHelper::GetAdaptersAddresses(uint32_t family, uint32_t flags,
                                           std::vector<platform::AdapterAddresses>& adapters) {
    const auto get = Late().getAdaptersAddresses;
    if (get == nullptr) {
        return get.absent;
    }
    SizedBuffer buffer;
    constexpr uint32_t kFirstSize = 16 * 1024;
    const Status result = CallWithSizedBuffer(buffer, kFirstSize, [&](void* data, uint32_t* size) {
        ULONG length = *size;
        const Status answer =
            get(family, flags, nullptr, static_cast<IP_ADAPTER_ADDRESSES*>(data), &length);
        *size = length;
        return answer;
    });
    if (result != status::kSuccess) {
        return result;
    }
    adapters = ToRecords(buffer.As<IP_ADAPTER_ADDRESSES>());
    return status::kSuccess;
}

Status Win32IpHelper::GetInterfaceInfo(std::vector<platform::IpAdapterIndexMap>& adapters) {
    SizedBuffer buffer;
    const Status result = CallWithSizedBuffer(buffer, 0, [](void* data, uint32_t* size) {
        ULONG length = *size;
        const Status answer = ::GetInterfaceInfo(static_cast<IP_INTERFACE_INFO*>(data), &length);
        *size = length;
        return answer;
    });
    if (result != status::kSuccess) {
        return result;
    }
    adapters.clear();
    if (const auto* info = buffer.As<IP_INTERFACE_INFO>()) {
        const size_t count = EntriesInBuffer<IP_ADAPTER_INDEX_MAP>(
            static_cast<size_t>(std::max<LONG>(info->NumAdapters, 0)), buffer,
            offsetof(IP_INTERFACE_INFO, Adapter));
        for (size_t i = 0; i < count; ++i) {
            adapters.push_back(ToRecord(info->Adapter[i]));
        }
    }
    return status::kSuccess;
}

Status Win32IpHelper::IpReleaseAddress(const platform::IpAdapterIndexMap& adapter) {
    IP_ADAPTER_INDEX_MAP entry;
    if (!ToSystem(adapter, entry)) {
        return status::kInvalidParameter;
    }
    return ::IpReleaseAddress(&entry);
}

Status Win32IpHelper::IpRenewAddress(const platform::IpAdapterIndexMap& adapter) {
    IP_ADAPTER_INDEX_MAP entry;
    if (!ToSystem(adapter, entry)) {
        return status::kInvalidParameter;
    }
    return ::IpRenewAddress(&entry);
}

Status Win32IpHelper::AddIPAddress(uint32_t address, uint32_t mask, uint32_t ifIndex,
                                   uint32_t& nteContext, uint32_t& nteInstance) {
    ULONG context = 0;
    ULONG instance = 0;
    const Status result = ::AddIPAddress(address, mask, ifIndex, &context, &instance);
    if (result == status::kSuccess) {
        nteContext = context;
        nteInstance = instance;
    }
    return result;
}

Status Win32IpHelper::DeleteIPAddress(uint32_t nteContext) {
    return ::DeleteIPAddress(nteContext);
}

Status Win32IpHelper::CreateIpForwardEntry(const platform::MibIpForwardRow& row) {
    MIB_IPFORWARDROW entry = ToSystem(row);
    return ::CreateIpForwardEntry(&entry);
}

Status Win32IpHelper::DeleteIpForwardEntry(const platform::MibIpForwardRow& row) {
    MIB_IPFORWARDROW entry = ToSystem(row);
    return ::DeleteIpForwardEntry(&entry);
}

void Win32IpHelper::InitializeUnicastIpAddressEntry(platform::UnicastRow& row) {
    MIB_UNICASTIPADDRESS_ROW entry = DefaultUnicastRow();
    if (const auto initialize = Late().initializeUnicastIpAddressEntry) {
        initialize(&entry);
    }
    row = ToRecord(entry);
}

Status Win32IpHelper::CreateUnicastIpAddressEntry(const platform::UnicastRow& row) {
    const auto create = Late().createUnicastIpAddressEntry;
    if (create == nullptr) {
        return create.absent;
    }
    const MIB_UNICASTIPADDRESS_ROW entry = ToSystem(row);
    return create(&entry);
}

Status Win32IpHelper::DeleteUnicastIpAddressEntry(const platform::UnicastRow& row) {
    const auto remove = Late().deleteUnicastIpAddressEntry;
    if (remove == nullptr) {
        return remove.absent;
    }
    const MIB_UNICASTIPADDRESS_ROW entry = ToSystem(row);
    return remove(&entry);
}

void Win32IpHelper::InitializeIpForwardEntry(platform::ForwardRow2& row) {
    MIB_IPFORWARD_ROW2 entry = DefaultForwardRow2();
    if (const auto initialize = Late().initializeIpForwardEntry) {
        initialize(&entry);
    }
    row = ToRecord(entry);
}

Status Win32IpHelper::CreateIpForwardEntry2(const platform::ForwardRow2& row) {
    const auto create = Late().createIpForwardEntry2;
    if (create == nullptr) {
        return create.absent;
    }
    const MIB_IPFORWARD_ROW2 entry = ToSystem(row);
    return create(&entry);
}

Status Win32IpHelper::DeleteIpForwardEntry2(const platform::ForwardRow2& row) {
    const auto remove = Late().deleteIpForwardEntry2;
    if (remove == nullptr) {
        return remove.absent;
    }
    const MIB_IPFORWARD_ROW2 entry = ToSystem(row);
    return remove(&entry);
}

}  // namespace vexav6::win32
