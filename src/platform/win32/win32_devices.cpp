#include "platform/win32/win32_devices.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/text.h"
#include "platform/win32/sized_buffer.h"
#include "platform/win32/wine_host.h"

namespace vexav6::win32 {

namespace status = platform::status;
using platform::Status;

namespace {

constexpr uint32_t kRecordSize = platform::DevInfoData{}.size;

GUID ToSystem(const platform::Guid& guid) {
    GUID out;
    out.Data1 = guid.data1;
    out.Data2 = guid.data2;
    out.Data3 = guid.data3;
    std::memcpy(out.Data4, guid.data4.data(), guid.data4.size());
    return out;
}

platform::Guid ToRecord(const GUID& guid) {
    platform::Guid out;
    out.data1 = guid.Data1;
    out.data2 = guid.Data2;
    out.data3 = guid.Data3;
    std::memcpy(out.data4.data(), guid.Data4, out.data4.size());
    return out;
}

Status LastErrorOfFailure() {
    const Status code = ::GetLastError();
    return code != status::kSuccess ? code : status::kGenFailure;
}

// The whole property as the system stores it, asking again while it does not fit (it may change
// between two calls).
Status ReadProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, DWORD& type,
                    std::vector<BYTE>& data) {
    data.assign(256, 0);
    for (int round = 0; round < kMaxSizingRounds; ++round) {
        DWORD required = 0;
        ::SetLastError(ERROR_SUCCESS);
        if (::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, data.data(),
                                                static_cast<DWORD>(data.size()), &required)) {
            data.resize(std::min<size_t>(required, data.size()));
            return status::kSuccess;
        }
        const Status code = LastErrorOfFailure();
        if (code != status::kInsufficientBuffer) {
            return code;
        }
        const size_t next = required > data.size() ? required : data.size() * 2;
        if (next > kMaxTableBytes) {
            return status::kNotEnoughMemory;
        }
        data.assign(next, 0);
    }
    return status::kInsufficientBuffer;
}

}  // namespace

std::string PropertyDataToUtf8(uint32_t regType, const uint8_t* data, size_t size) {
    if (size == 0) {
        return {};
    }
    switch (regType) {
        case REG_SZ:
        case REG_EXPAND_SZ:
        case REG_MULTI_SZ:
        case REG_LINK: {
            std::u16string units(size / 2, u'\0');
            for (size_t i = 0; i < units.size(); ++i) {
                units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
            }
            return text::Utf16ToUtf8(units);
        }
        default:
            return std::string(reinterpret_cast<const char*>(data), size);
    }
}

HDEVINFO ToSystem(platform::DevInfoSet set) {
    if (set == platform::kInvalidDevInfoSet) {
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HDEVINFO>(static_cast<uintptr_t>(set));
}

platform::DevInfoSet ToDevInfoSet(HDEVINFO set) {
    if (set == INVALID_HANDLE_VALUE) {
        return platform::kInvalidDevInfoSet;
    }
    return static_cast<platform::DevInfoSet>(reinterpret_cast<uintptr_t>(set));
}

SP_DEVINFO_DATA ToSystem(const platform::DevInfoData& device) {
    SP_DEVINFO_DATA out;
    std::memset(&out, 0, sizeof out);
    out.cbSize = device.size == kRecordSize ? sizeof(SP_DEVINFO_DATA) : device.size;
    out.ClassGuid = ToSystem(device.classGuid);
    out.DevInst = device.devInst;
    out.Reserved = static_cast<ULONG_PTR>(device.reserved);
    return out;
}

platform::DevInfoData ToRecord(const SP_DEVINFO_DATA& device) {
    platform::DevInfoData out;
    out.size = device.cbSize == sizeof(SP_DEVINFO_DATA) ? kRecordSize : device.cbSize;
    out.classGuid = ToRecord(device.ClassGuid);
    out.devInst = device.DevInst;
    out.reserved = static_cast<uint64_t>(device.Reserved);
    return out;
}

bool Win32Devices::Fail() {
    return Fail(LastErrorOfFailure());
}

bool Win32Devices::Fail(Status code) {
    lastError_ = code;
    return false;
}

bool Win32Devices::Succeed() {
    lastError_ = status::kSuccess;
    return true;
}

platform::DevInfoSet Win32Devices::GetClassDevs(const platform::Guid& classGuid, uint32_t flags) {
    const GUID guid = ToSystem(classGuid);
    ::SetLastError(ERROR_SUCCESS);
    const HDEVINFO set = ::SetupDiGetClassDevsW(&guid, nullptr, nullptr, flags);
    if (set == INVALID_HANDLE_VALUE) {
        Fail();
        return platform::kInvalidDevInfoSet;
    }
    Succeed();
    return ToDevInfoSet(set);
}

bool Win32Devices::EnumDeviceInfo(platform::DevInfoSet set, uint32_t index,
                                  platform::DevInfoData& device) {
    SP_DEVINFO_DATA data = ToSystem(device);
    ::SetLastError(ERROR_SUCCESS);
    if (!::SetupDiEnumDeviceInfo(ToSystem(set), index, &data)) {
        return Fail();
    }
    device = ToRecord(data);
    return Succeed();
}

bool Win32Devices::GetDeviceRegistryProperty(platform::DevInfoSet set,
                                             const platform::DevInfoData& device, uint32_t property,
                                             uint32_t* regType, uint8_t* buffer,
                                             uint32_t bufferSize, uint32_t* requiredSize) {
    SP_DEVINFO_DATA data = ToSystem(device);
    DWORD type = REG_NONE;
    std::vector<BYTE> raw;
    const Status result = ReadProperty(ToSystem(set), data, property, type, raw);
    if (result != status::kSuccess) {
        return Fail(result);
    }
    const std::string converted = PropertyDataToUtf8(type, raw.data(), raw.size());
    if (regType != nullptr) {
        *regType = type;
    }
    if (requiredSize != nullptr) {
        *requiredSize = static_cast<uint32_t>(converted.size());
    }
    if (converted.size() > bufferSize || (buffer == nullptr && !converted.empty())) {
        return Fail(status::kInsufficientBuffer);
    }
    if (!converted.empty()) {
        std::memcpy(buffer, converted.data(), converted.size());
    }
    return Succeed();
}

bool Win32Devices::SetClassInstallParams(platform::DevInfoSet set,
                                         const platform::DevInfoData& device,
                                         const platform::PropChangeParams& params) {
    SP_DEVINFO_DATA data = ToSystem(device);
    SP_PROPCHANGE_PARAMS change;
    std::memset(&change, 0, sizeof change);
    change.ClassInstallHeader.cbSize = params.headerSize;
    change.ClassInstallHeader.InstallFunction = params.installFunction;
    change.StateChange = params.stateChange;
    change.Scope = params.scope;
    change.HwProfile = params.hwProfile;
    ::SetLastError(ERROR_SUCCESS);
    if (!::SetupDiSetClassInstallParamsW(ToSystem(set), &data, &change.ClassInstallHeader,
                                         sizeof change)) {
        return Fail();
    }
    return Succeed();
}

bool Win32Devices::ChangeState(platform::DevInfoSet set, const platform::DevInfoData& device) {
    if (RunningUnderWine()) {
        return Fail(status::kCallNotImplemented);
    }
    SP_DEVINFO_DATA data = ToSystem(device);
    ::SetLastError(ERROR_SUCCESS);
    if (!::SetupDiChangeState(ToSystem(set), &data)) {
        return Fail();
    }
    return Succeed();
}

bool Win32Devices::DestroyDeviceInfoList(platform::DevInfoSet set) {
    if (set == platform::kInvalidDevInfoSet) {
        return Fail(status::kInvalidHandle);
    }
    ::SetLastError(ERROR_SUCCESS);
    if (!::SetupDiDestroyDeviceInfoList(ToSystem(set))) {
        return Fail();
    }
    return Succeed();
}

}  // namespace vexav6::win32
