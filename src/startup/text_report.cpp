#include "startup/text_report.h"

#include <array>

#include "base/app_info.h"
#include "base/text.h"
#include "system/common.h"

namespace vexav6::TextReport {

namespace {

constexpr const char* kLineBreak = "\r\n";

std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

std::string FormatReportDate(OleDate date) {
    static constexpr std::array<const char*, 7> kWeekdays = {
        "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    static constexpr std::array<const char*, 12> kMonths = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    const CivilTime t = CivilFromDate(date);
    return std::string(kWeekdays[static_cast<size_t>(Weekday(date))]) + ", " +
           kMonths[static_cast<size_t>(t.month - 1)] + " " + TwoDigits(t.day) + ", " +
           std::to_string(t.year) + "  " + TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" +
           TwoDigits(t.second);
}

std::string BuildTextReport(OleDate now, const AdapterCollection& adapters,
                            const VendorNameLookup& vendorName) {
    std::string report;
    report += std::string(app::kTitle) + " v" + app::FullVersion() + kLineBreak;
    report += std::string(51, '=') + kLineBreak + kLineBreak;
    report += "Date: " + FormatReportDate(now) + kLineBreak + kLineBreak;
    report += std::string("Text Report") + kLineBreak;
    report += std::string(11, '=') + kLineBreak + kLineBreak;
    int number = 0;
    for (const std::shared_ptr<AdapterInfo>& adapter : adapters) {
        ++number;
        report += "Interface #" + std::to_string(number) + kLineBreak;
        report += std::string(13, '=') + kLineBreak;
        report += adapter->ToString(vendorName);
        report += kLineBreak;
    }
    return report;
}

std::string AdapterListLine(const AdapterInfo& adapter, const VendorNameLookup& vendorName) {
    std::string address = adapter.DisplayNetworkAddress();
    if (!address.empty() && vendorName) {
        const std::string oui = text::ReplaceAll(address.substr(0, 8), "-", "");
        address += " (" + vendorName(static_cast<int32_t>(text::LeadingHexValue(oui))) + ")";
    }
    return adapter.ConnectionName() + "\t" + adapter.NetworkAddressChangedStatus() + "\t" +
           address + "\t" + adapter.LinkStatus() + "\t" +
           Common::FormatBitRate(static_cast<double>(adapter.LinkSpeed()));
}

}  // namespace vexav6::TextReport
