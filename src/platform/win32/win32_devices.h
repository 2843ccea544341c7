#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/device_api.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/windows_include.h"

#include <setupapi.h>

namespace vexav6::win32 {

// Owner of a device information set.
struct DevInfoTraits {
    using Handle = HDEVINFO;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::SetupDiDestroyDeviceInfoList(h); }
};
using ScopedDevInfo = ScopedHandle<DevInfoTraits>;

// The device installer (SetupAPI) calls, wide versions.
//
// A set is the HDEVINFO itself (the invalid handle is kInvalidDevInfoSet); whoever gets one from
// GetClassDevs releases it with DestroyDeviceInfoList. A device record carries SP_DEVINFO_DATA's
// class GUID, device instance and the set's private pointer (`reserved`), by which the set finds
// the device again. The record's size field holds the 28 of the 32-bit structure; it stands for
// sizeof(SP_DEVINFO_DATA) of this build (32 in 64-bit code), any other value is passed on as it is,
// so that the system refuses it like a wrong cbSize.
//
// Properties come as the interface promises them: strings and multi-strings as UTF-8 with their
// zero terminators, other types as the system's bytes. The required size is counted in those bytes,
// so the sizing round trip works: asked without a buffer, the call fails with 122 and the size;
// asked again with that size, it succeeds. (The property is read whole from the system on every
// call and converted; the system's own UTF-16 size is never shown.)
//
// After a failure GetLastError() gives the system's code; a call that fails without setting one (as
// some of Wine's unfinished calls do) reports ERROR_GEN_FAILURE (31). ChangeState under Wine, where
// SetupDiChangeState ends the process, fails with ERROR_CALL_NOT_IMPLEMENTED (120) without calling
// it.
class Win32Devices final : public platform::DeviceApi {
  public:
    platform::DevInfoSet GetClassDevs(const platform::Guid& classGuid, uint32_t flags) override;
    bool EnumDeviceInfo(platform::DevInfoSet set, uint32_t index,
                        platform::DevInfoData& device) override;
    bool GetDeviceRegistryProperty(platform::DevInfoSet set, const platform::DevInfoData& device,
                                   uint32_t property, uint32_t* regType, uint8_t* buffer,
                                   uint32_t bufferSize, uint32_t* requiredSize) override;
    bool SetClassInstallParams(platform::DevInfoSet set, const platform::DevInfoData& device,
                               const platform::PropChangeParams& params) override;
    bool ChangeState(platform::DevInfoSet set, const platform::DevInfoData& device) override;
    bool DestroyDeviceInfoList(platform::DevInfoSet set) override;
    platform::Status GetLastError() override { return lastError_; }

  private:
    bool Fail();
    bool Fail(platform::Status code);
    bool Succeed();

    platform::Status lastError_ = 0;
};

// The bytes a property of registry type `regType` has in the interface's form: REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ and REG_LINK data (UTF-16LE) as UTF-8, every zero kept; an odd last
// byte, which is no character, is dropped. Other types are returned unchanged.
std::string PropertyDataToUtf8(uint32_t regType, const uint8_t* data, size_t size);

// The handle and record forms of the interface and the system, both ways.
HDEVINFO ToSystem(platform::DevInfoSet set);
platform::DevInfoSet ToDevInfoSet(HDEVINFO set);
SP_DEVINFO_DATA ToSystem(const platform::DevInfoData& device);
platform::DevInfoData ToRecord(const SP_DEVINFO_DATA& device);

}  // namespace vexav6::win32
