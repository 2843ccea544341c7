#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/ip_helper_api.h"

namespace vexav6::win32 {

// The IP Helper interface over iphlpapi.dll.
//
// Tables. A call answers 0 with the whole table, or the system's code for the failure; the
// size-query round of the real calls never reaches the caller:
// - GetAdaptersInfo, GetAdaptersAddresses: the first round (no buffer) answers
// ERROR_BUFFER_OVERFLOW
//   (111) with the size; GetIpForwardTable, GetInterfaceInfo answer ERROR_INSUFFICIENT_BUFFER
//   (122). Both codes are taken as "ask again with the size given", for as long as the table keeps
//   growing between two calls (at most kMaxSizingRounds rounds). GetAdaptersAddresses starts with
//   16 KB, as the system's documentation recommends, so that it normally runs once.
// - ERROR_NO_DATA (232), which the first round gives when there is no adapter or no route at all,
// is
//   passed on as the answer.
// - GetUnicastIpAddressTable and GetIpForwardTable2 allocate their table themselves; it is
// converted
//   and freed with FreeMibTable before the call returns, whatever happens. Their own codes are
//   passed on (ERROR_NOT_FOUND 1168 when the family has no entry at all).
// Records keep every field and the order of the system's list.
//
// Windows 2000 and XP. The calls that came with Windows XP (GetAdaptersAddresses) and Windows Vista
// (ConvertInterfaceIndexToLuid, the unicast and route-2 tables, FreeMibTable, Initialize*, Create*
// and Delete* of the rows) are not imported: the program must start on systems without them. They
// are looked up in the module on first use. A call that the system lacks answers what looking it
// up answered, ERROR_PROC_NOT_FOUND (127), on Windows and Wine alike (the simulated machine answers
// the same). The two Initialize* calls cannot fail: without the system's initialiser they give the
// documented default row (see DefaultUnicastRow, DefaultForwardRow2). Under Wine, whose exports of
// InitializeUnicastIpAddressEntry, InitializeIpForwardEntry and the Create/Delete calls of those
// rows are stubs that end the process, they are not called: the Create/Delete calls answer
// ERROR_CALL_NOT_IMPLEMENTED (120).
class Win32IpHelper final : public platform::IpHelperApi {
  public:
    using Status = platform::Status;

    // `module` supplies the calls of XP and Vista; another module than iphlpapi.dll (one without
    // those exports) makes the object behave as on Windows 2000.
    explicit Win32IpHelper(std::wstring module = L"iphlpapi.dll");
    ~Win32IpHelper() override;
    Win32IpHelper(const Win32IpHelper&) = delete;
    Win32IpHelper& operator=(const Win32IpHelper&) = delete;

    Status GetAdapterIndex(std::u16string_view adapterName, uint32_t& index) override;
    Status ConvertInterfaceIndexToLuid(uint32_t index, uint64_t& luid) override;
    Status GetIfEntry(platform::MibIfRow& row) override;
    Status GetAdaptersInfo(std::vector<platform::IpAdapterInfo>& adapters) override;
    Status GetIpForwardTable(std::vector<platform::MibIpForwardRow>& rows) override;
    Status GetUnicastIpAddressTable(uint16_t family,
                                    std::vector<platform::UnicastRow>& rows) override;
    Status GetIpForwardTable2(uint16_t family, std::vector<platform::ForwardRow2>& rows) override;
    Status GetAdaptersAddresses(uint32_t family, uint32_t flags,
                                std::vector<platform::AdapterAddresses>& adapters) override;
    Status GetInterfaceInfo(std::vector<platform::IpAdapterIndexMap>& adapters) override;
    // A name longer than the structure holds (127 characters) answers ERROR_INVALID_PARAMETER.
    Status IpReleaseAddress(const platform::IpAdapterIndexMap& adapter) override;
    Status IpRenewAddress(const platform::IpAdapterIndexMap& adapter) override;
    Status AddIPAddress(uint32_t address, uint32_t mask, uint32_t ifIndex, uint32_t& nteContext,
                        uint32_t& nteInstance) override;
    Status DeleteIPAddress(uint32_t nteContext) override;
    Status CreateIpForwardEntry(const platform::MibIpForwardRow& row) override;
    Status DeleteIpForwardEntry(const platform::MibIpForwardRow& row) override;
    void InitializeUnicastIpAddressEntry(platform::UnicastRow& row) override;
    Status CreateUnicastIpAddressEntry(const platform::UnicastRow& row) override;
    Status DeleteUnicastIpAddressEntry(const platform::UnicastRow& row) override;
    void InitializeIpForwardEntry(platform::ForwardRow2& row) override;
    Status CreateIpForwardEntry2(const platform::ForwardRow2& row) override;
    Status DeleteIpForwardEntry2(const platform::ForwardRow2& row) override;

  private:
    struct LateCalls;
    const LateCalls& Late();

    std::wstring moduleName_;
    std::once_flag resolved_;
    std::unique_ptr<LateCalls> late_;
};

}  // namespace vexav6::win32
