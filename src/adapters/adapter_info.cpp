#include "adapters/adapter_info.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "adapters/adapter_paths.h"
#include "adapters/device_manager.h"
#include "base/error.h"
#include "base/text.h"
#include "ipconfig/convert.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"
#include "system/common.h"
#include "system/registry.h"
#include "system/system_error.h"
#include "system/win_ver.h"

namespace vexav6 {

using platform::RootKey;
namespace status = platform::status;
namespace regtype = platform::regtype;

namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr const char* kBridgeHardwareId = "ms_bridgemp";
constexpr int16_t kDefaultChartRows = 120;
constexpr int32_t kTrafficIntervalMs = 1000;
constexpr double kSmallestSpeed = 0.01;

// 0A1B2C3D4E5F -> 0A-1B-2C-3D-4E-5F.
std::string RegistryFormToDisplayForm(std::string_view mac) {
    std::string display;
    for (size_t i = 0; i < mac.size(); i += 2) {
        if (i != 0) {
            display += '-';
        }
        display += mac.substr(i, 2);
    }
    return display;
}

std::string PhysicalAddressToDisplayForm(std::span<const uint8_t> bytes) {
    std::string display;
    for (size_t i = 0; i < 6 && i < bytes.size(); ++i) {
        if (i != 0) {
            display += '-';
        }
        display += Convert::ByteToHex(bytes[i]);
    }
    return display;
}

std::string ReportLine(std::string_view label, std::string_view value) {
    return Common::PadRight(label, 40, ".") + std::string(value) + "\r\n";
}

const char* TrueFalse(bool value) {
    return value ? "True" : "False";
}

}  // namespace

AdapterInfo::AdapterInfo(const Platform& platform, ErrorReporter reportError)
    : platform_(platform),
      reportError_(std::move(reportError)),
      networkTrafficTimer_(platform_),
      ipv4Addresses_(std::make_shared<vexav6::IPv4Addresses>()),
      ipv4Gateways_(std::make_shared<vexav6::IPv4Gateways>()),
      ipv4NameServers_(std::make_shared<vexav6::IPv4NameServers>()),
      ipv6Addresses_(std::make_shared<vexav6::IPv6Addresses>()),
      ipv6Gateways_(std::make_shared<vexav6::IPv6Gateways>()),
      ipv6NameServers_(std::make_shared<vexav6::IPv6NameServers>()) {
    networkTrafficTimer_.onTimer = [this] { NetworkTrafficTimer__Timer(); };
    SetNetworkTrafficChartRows(kDefaultChartRows);
}

AdapterInfo::~AdapterInfo() {
    networkTrafficTimer_.StopTimer();
}

void AdapterInfo::ShowError(bool showErrorMsg) const {
    if (showErrorMsg) {
        if (reportError_) {
            reportError_(CurrentExceptionAsError());
        }
    }
}

void AdapterInfo::Init(const std::string& netCfgInstanceId, const std::string& driverRegistryPath,
                       const std::string& ipConfigRegistryPath,
                       const std::string& deviceDescription, const std::string& deviceHardwareID,
                       const std::string& deviceManufacturer, bool state,
                       int32_t timeZoneActiveBias) {
    if (initDone_) {
        throw Error(errnum::kOwnCheck, "AdapterInfo.Init", "Init already done");
    }
    initDone_ = true;
    netCfgInstanceId_ = netCfgInstanceId;
    driverRegistryPath_ = driverRegistryPath;
    ipConfigRegistryPath_ = ipConfigRegistryPath;
    deviceDescription_ = deviceDescription;
    deviceHardwareID_ = deviceHardwareID;
    deviceManufacturer_ = deviceManufacturer;
    state_ = state;
    timeZoneActiveBias_ = timeZoneActiveBias;
    Refresh(true);
}

void AdapterInfo::Refresh(bool showErrorMsg) {
    try {
        uint32_t index = 0;
        const platform::Status indexResult = platform_.ipHelper.GetAdapterIndex(
            text::Utf8ToUtf16(AdapterPaths::kAdapterNamePrefix + netCfgInstanceId_), index);
        // No such interface now; with no interface at all on the machine the system answers
        // "no data" instead, which means the same.
        if (indexResult == status::kDevNotExist || indexResult == status::kNoData) {
            ifIndex_ = 0;
        } else {
            ThrowIfFailed(platform_, indexResult, "AdapterInfo.Refresh");
            ifIndex_ = static_cast<int32_t>(index);
        }

        if (WinVer::IsVistaOrLater(platform_)) {
            // An adapter without an interface has no LUID; asking the system for the LUID of
            // index 0 would only fail and stop the refresh before the registry was read.
            uint64_t luid = 0;
            if (ifIndex_ != 0) {
                ThrowIfFailed(platform_,
                              platform_.ipHelper.ConvertInterfaceIndexToLuid(
                                  static_cast<uint32_t>(ifIndex_), luid),
                              "AdapterInfo.Refresh");
            }
            luid_ = luid;
        }

        GetAdapterInfoFromRegistry(showErrorMsg);
        GetInterfaceInfoFromAPI(showErrorMsg);
        GetIPInfo(showErrorMsg);

        // The first time the adapter is seen running with its own address, that address is
        // recorded as its original one.
        if (originalNetworkAddress_.empty() && !activeNetworkAddress_.empty() &&
            HasNetworkAddressChanged() == 2) {
            originalNetworkAddress_ = activeNetworkAddress_;
            Registry::WriteStringValue(
                platform_, kHklm, AdapterPaths::ClassKey(driverRegistryPath_),
                "OriginalNetworkAddress", originalNetworkAddress_, regtype::kSz);
        }
    } catch (...) {
        ShowError(showErrorMsg);
    }
}

void AdapterInfo::GetAdapterInfoFromRegistry(bool showErrorMsg) {
    try {
        std::string name;
        if (Registry::ReadStringValue(platform_, kHklm,
                                      AdapterPaths::ConnectionKey(netCfgInstanceId_), "Name",
                                      name) == status::kSuccess) {
            connectionName_ = name;
        }

        const std::string classKey = AdapterPaths::ClassKey(driverRegistryPath_);
        std::string networkAddress;
        if (Registry::ReadStringValue(platform_, kHklm, classKey, "NetworkAddress",
                                      networkAddress) == status::kSuccess &&
            networkAddress.size() == 12) {
            changedNetworkAddress_ = RegistryFormToDisplayForm(text::ToUpper(networkAddress));
        }

        std::string original;
        if (Registry::ReadStringValue(platform_, kHklm, classKey, "OriginalNetworkAddress",
                                      original) == status::kSuccess &&
            original.size() == 17) {
            originalNetworkAddress_ = text::ToUpper(original);
        }

        const std::string deviceName = "\\Device\\" + netCfgInstanceId_;
        std::string bind;
        if (Registry::ReadStringValue(platform_, kHklm, AdapterPaths::kTcpipLinkage, "Bind",
                                      bind) == status::kSuccess &&
            bind.find(deviceName) != std::string::npos) {
            ipv4Binding_ = true;
        }
        bind.clear();
        if (Registry::ReadStringValue(platform_, kHklm, AdapterPaths::kTcpip6Linkage, "Bind",
                                      bind) == status::kSuccess &&
            bind.find(deviceName) != std::string::npos) {
            ipv6Binding_ = true;
        }
    } catch (...) {
        ShowError(showErrorMsg);
    }
}

void AdapterInfo::GetInterfaceInfoFromAPI(bool showErrorMsg) {
    try {
        if (state_ && ifIndex_ != 0) {
            platform::MibIfRow row;
            row.index = static_cast<uint32_t>(ifIndex_);
            ThrowIfFailed(platform_, platform_.ipHelper.GetIfEntry(row),
                          "AdapterInfo.GetInterfaceInfoFromAPI");
            // The length counts the closing zero; a length of 0 leaves nothing to show.
            const size_t length = row.descriptionLength > 0 ? row.descriptionLength - 1 : 0;
            deviceDescription_ =
                text::AnsiToUtf8(std::string_view(row.description).substr(0, length));
            activeNetworkAddress_ = PhysicalAddressToDisplayForm(row.physAddr);
            adminStatus_ = static_cast<int32_t>(row.adminStatus);
            operationalStatus_ = static_cast<int32_t>(row.operStatus);
            linkSpeed_ = row.speed;
        } else {
            activeNetworkAddress_.clear();
            linkSpeed_ = 0;
            operationalStatus_ = 0;
            adminStatus_ = state_ ? 1 : 2;
        }
    } catch (...) {
        ShowError(showErrorMsg);
    }
}

const char* const AdapterInfo::kNetworkBridgeMessage =
    "MAC Address of windows Network Bridge cannot be changed. Network Bridge will use original MAC "
    "address (assigned by the manufacturer) of the first network adapter added in the bridge, "
    "with the first octet of MAC address as value 0x02.";

bool AdapterInfo::IsNetworkBridge() const {
    return deviceHardwareID_ == kBridgeHardwareId;
}

std::optional<std::string> AdapterInfo::NetworkAddressProblem(std::string_view networkAddress) {
    const std::string mac = text::ToUpper(text::ReplaceAll(networkAddress, "-", ""));
    // Drivers take exactly twelve hex digits; anything else would be stored and then ignored or
    // refused at the next start while the change looked successful.
    if (mac.size() != 12 ||
        !std::all_of(mac.begin(), mac.end(), [](char c) { return text::IsHexDigit(c); })) {
        return "Invalid MAC address format.";
    }
    const std::string display = RegistryFormToDisplayForm(mac);
    // A group address (first octet odd) names many adapters at once, and no adapter is all
    // zeros: drivers refuse both at their next start.
    if (mac == "FFFFFFFFFFFF") {
        return "Invalid MAC address: " + display + " is the broadcast address.";
    }
    if ((text::LeadingHexValue(mac.substr(0, 2)) & 1) != 0) {
        return "Invalid MAC address: " + display +
               " is a multicast address (its first octet is odd).";
    }
    if (mac == "000000000000") {
        return "Invalid MAC address: " + display + " is all zeros.";
    }
    return std::nullopt;
}

void AdapterInfo::ChangeNetworkAddress(std::string_view networkAddress) {
    constexpr const char* kSource = "AdapterInfo.ChangeNetworkAddress";
    if (IsNetworkBridge()) {
        throw Error(errnum::kOwnCheck, kSource, kNetworkBridgeMessage);
    }
    const std::string classKey = AdapterPaths::ClassKey(driverRegistryPath_);
    if (!networkAddress.empty()) {
        if (const std::optional<std::string> problem = NetworkAddressProblem(networkAddress)) {
            throw Error(errnum::kOwnCheck, kSource, *problem);
        }
        const std::string mac = text::ToUpper(text::ReplaceAll(networkAddress, "-", ""));
        ThrowIfFailed(platform_,
                      Registry::WriteStringValue(platform_, kHklm, classKey, "NetworkAddress", mac,
                                                 regtype::kSz),
                      kSource);
        changedNetworkAddress_ = RegistryFormToDisplayForm(mac);
        return;
    }

    std::string stored;
    if (Registry::ReadStringValue(platform_, kHklm, classKey, "NetworkAddress", stored) !=
        status::kSuccess) {
        return;  // nothing stored, nothing to remove
    }
    ThrowIfFailed(platform_, Registry::DeleteValue(platform_, kHklm, classKey, "NetworkAddress"),
                  kSource);
    changedNetworkAddress_.clear();
}

void AdapterInfo::ResetOriginalNetworkAddress() {
    ThrowIfFailed(
        platform_,
        Registry::DeleteValue(platform_, kHklm, AdapterPaths::ClassKey(driverRegistryPath_),
                              "OriginalNetworkAddress"),
        "AdapterInfo.ResetOriginalNetworkAddress");
    originalNetworkAddress_.clear();
    ChangeNetworkAddress("");
}

int32_t AdapterInfo::HasNetworkAddressChanged() const {
    if (adminStatus_ == 1) {
        if (originalNetworkAddress_.empty() || originalNetworkAddress_ == activeNetworkAddress_) {
            return 2;
        }
        return activeNetworkAddress_.empty() ? 0 : 1;
    }
    if (changedNetworkAddress_.empty()) {
        return 2;
    }
    if (originalNetworkAddress_.empty()) {
        return 0;
    }
    return originalNetworkAddress_ == changedNetworkAddress_ ? 2 : 1;
}

std::string AdapterInfo::NetworkAddressChangedStatus() const {
    switch (HasNetworkAddressChanged()) {
        case 1:
            return "Yes";
        case 2:
            return "No";
        default:
            return "Unknown";
    }
}

std::string AdapterInfo::DisplayNetworkAddress() const {
    const int32_t changed = HasNetworkAddressChanged();
    if (adminStatus_ == 1) {
        return changed == 0 ? originalNetworkAddress_ : activeNetworkAddress_;
    }
    return changed == 1 ? changedNetworkAddress_ : originalNetworkAddress_;
}

std::string AdapterInfo::LinkStatus() const {
    std::string textOut;
    switch (adminStatus_) {
        case 1:
            textOut = "Up";
            break;
        case 2:
            textOut = "Down";
            break;
        case 3:
            textOut = "Testing";
            break;
        default:
            textOut = "Unknown";
            break;
    }
    switch (operationalStatus_) {
        case 0:
            return textOut + ", Non Operational";
        case 1:
            return textOut + ", Unreachable";
        case 2:
            return textOut + ", Disconnected";
        case 3:
            return textOut + ", Connecting";
        case 4:
            return textOut + ", Connected";
        case 5:
            return textOut + ", Operational";
        default:
            return textOut + ", Unknown";
    }
}

bool AdapterInfo::State() {
    state_ = DeviceManager::IsAdapterDeviceEnabled(platform_, driverRegistryPath_);
    return state_;
}

void AdapterInfo::SetState(bool deviceState) {
    DeviceManager::SetAdapterDeviceEnabled(platform_, driverRegistryPath_, deviceState);
    state_ = deviceState;
}

std::string AdapterInfo::LuidText() const {
    std::array<uint8_t, 8> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(luid_ >> (8 * i));
    }
    return Convert::BytesToHex(bytes);
}

// --- Report and deletion ---

std::string AdapterInfo::ToString(const VendorNameLookup& vendorName) const {
    // A disabled connection has no active address, and so no vendor: OUI 000000 belongs to a
    // real company whose name must not appear for it.
    std::string vendor;
    if (!activeNetworkAddress_.empty() && vendorName) {
        const std::string oui = text::ReplaceAll(activeNetworkAddress_.substr(0, 8), "-", "");
        vendor = vendorName(static_cast<int32_t>(text::LeadingHexValue(oui)));
    }

    std::string report;
    report += ReportLine("Connection Name", connectionName_);
    report += ReportLine("Device Name", deviceDescription_);
    report += ReportLine("Device Manufacturer", deviceManufacturer_);
    report += ReportLine("Hardware ID", deviceHardwareID_);
    report += ReportLine("Configuration ID", netCfgInstanceId_);
    report += ReportLine("Active MAC Address", activeNetworkAddress_);
    report += ReportLine("Active MAC Address Vendor", vendor);
    report += ReportLine("Link Speed", Common::FormatBitRate(static_cast<double>(linkSpeed_)));
    report += ReportLine("Link Status", LinkStatus());
    report += ReportLine("TCP/IPv4", TrueFalse(ipv4Binding_));
    report += ReportLine("TCP/IPv6", TrueFalse(ipv6Binding_));

    if (ipv4Binding_) {
        report += ReportLine("DHCPv4 Enabled", TrueFalse(dhcpv4Enabled_));
        for (const auto& address : ipv4Addresses_->Items()) {
            report += ReportLine("IPv4 Address",
                                 address->IPAddress() + " (" + address->SubnetMask() + ")");
        }
        for (const auto& gateway : ipv4Gateways_->Items()) {
            report +=
                ReportLine("IPv4 Default Gateway",
                           gateway->Gateway() + " (" + std::to_string(gateway->Metric()) + ")");
        }
        for (const auto& server : ipv4NameServers_->Items()) {
            report += ReportLine("IPv4 DNS Server", server);
        }
    }
    if (ipv6Binding_) {
        report += ReportLine("DHCPv6 Enabled", TrueFalse(dhcpv6Enabled_));
        for (const auto& address : ipv6Addresses_->Items()) {
            report += ReportLine("IPv6 Address", address->IPAddress() + "/" +
                                                     std::to_string(address->OnLinkPrefixLength()));
        }
        for (const auto& gateway : ipv6Gateways_->Items()) {
            report +=
                ReportLine("IPv6 Default Gateway",
                           gateway->NextHop() + " (" + std::to_string(gateway->Metric()) + ")");
        }
        for (const auto& server : ipv6NameServers_->Items()) {
            report += ReportLine("IPv6 DNS Server", server);
        }
    }
    return report;
}

void AdapterInfo::DeleteAdapter() {
    constexpr const char* kSource = "AdapterInfo.DeleteAdapter";
    const auto deleteTree = [&](const std::string& path) {
        ThrowIfFailed(platform_, Registry::DeleteKeyTree(platform_, kHklm, path), kSource);
    };
    deleteTree(AdapterPaths::TcpipAdaptersKey(netCfgInstanceId_));
    deleteTree(AdapterPaths::NetworkKey(netCfgInstanceId_));
    deleteTree(AdapterPaths::ClassKey(driverRegistryPath_));
    deleteTree(AdapterPaths::TcpipInterfaceKey(netCfgInstanceId_));

    for (const char* valueName : {"Bind", "Export", "Route"}) {
        std::string list;
        platform::Status result = Registry::ReadStringValue(
            platform_, kHklm, AdapterPaths::kTcpipLinkage, valueName, list);
        ThrowIfFailed(platform_, result, kSource);
        if (list.empty()) {
            continue;
        }
        // Every entry that does not name this adapter stays, each followed by its zero; the empty
        // last entry of the list stays too, so the list keeps its closing double zero.
        std::string kept;
        for (const std::string& entry : text::Split(list, std::string_view("\0", 1))) {
            if (entry.find(netCfgInstanceId_) == std::string::npos) {
                kept += entry;
                kept += '\0';
            }
        }
        result = Registry::WriteStringValue(platform_, kHklm, AdapterPaths::kTcpipLinkage,
                                            valueName, kept, regtype::kMultiSz);
        ThrowIfFailed(platform_, result, kSource);
    }
}

// --- Traffic ---

bool AdapterInfo::NetworkTrafficMonitor() const {
    return networkTrafficTimer_.Status();
}

void AdapterInfo::SetNetworkTrafficMonitor(bool monitor) {
    if (monitor) {
        networkTrafficTimer_.StartTimer(kTrafficIntervalMs);
    } else {
        networkTrafficTimer_.StopTimer();
    }
}

void AdapterInfo::SetNetworkTrafficChartRows(int16_t rows) {
    if (rows < 1) {
        throw Error::SubscriptOutOfRange("AdapterInfo.NetworkTrafficChartRows");
    }
    networkTrafficChartRows_ = rows;
    networkTrafficChart_.assign(static_cast<size_t>(rows), {});
}

void AdapterInfo::NetworkTrafficTimer__Timer() {
    platform::MibIfRow row;
    row.index = static_cast<uint32_t>(ifIndex_);
    if (platform_.ipHelper.GetIfEntry(row) != status::kSuccess) {
        return;  // no sample this time
    }
    const double sent = static_cast<double>(row.outOctets);
    const double received = static_cast<double>(row.inOctets);
    // The counters wrap at 2^32: the second of a wrap gives a negative count (and a 0 speed).
    const double sentLastSecond = lastSentBytes_ > 0 ? sent - lastSentBytes_ : 0;
    const double receivedLastSecond = lastReceivedBytes_ > 0 ? received - lastReceivedBytes_ : 0;
    lastSentBytes_ = sent;
    lastReceivedBytes_ = received;

    std::rotate(networkTrafficChart_.begin(), networkTrafficChart_.begin() + 1,
                networkTrafficChart_.end());
    const auto kilobits = [](double bytes) {
        const double speed = bytes * 8 / 1000;
        return speed < kSmallestSpeed ? 0.0 : speed;
    };
    networkTrafficChart_.back() = {kilobits(receivedLastSecond), kilobits(sentLastSecond)};

    if (onNetworkTraffic) {
        onNetworkTraffic(sent, received, sentLastSecond, receivedLastSecond, networkTrafficChart_);
    }
}

}  // namespace vexav6
