#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "vendors/nic_vendor.h"

namespace vexav6::testing {

// Where Debian's ieee-data package puts the IEEE listing; under Wine drive Z: is the Linux root.
#ifdef _WIN32
inline constexpr const char* kRealListing = "Z:/usr/share/ieee-data/oui.txt";
#else
inline constexpr const char* kRealListing = "/usr/share/ieee-data/oui.txt";
#endif

// The vendor table's records as values.
inline std::vector<OUIRecord> Records(const NICVendor& vendor) {
    std::vector<OUIRecord> records;
    for (size_t i = 0; i < vendor.Table().Size(); ++i) {
        records.push_back(vendor.Table().Record(i));
    }
    return records;
}

// Records every item appended to it.
class RecordingVendorList : public VendorList {
  public:
    void AddItem(const std::string& item) override { items.push_back(item); }
    std::vector<std::string> items;
};

// One listing entry in the IEEE form, CR LF line ends.
inline std::string ListingEntry(int number, const std::string& name,
                                const std::vector<std::string>& addressLines) {
    char hex[16];
    char base16[16];
    std::snprintf(hex, sizeof hex, "%02X-%02X-%02X", (number >> 16) & 0xFF, (number >> 8) & 0xFF,
                  number & 0xFF);
    std::snprintf(base16, sizeof base16, "%06X", number);
    std::string entry = std::string(hex) + "   (hex)\t\t" + name + "\r\n" + base16 +
                        "     (base 16)\t\t" + name + "\r\n";
    for (const std::string& line : addressLines) {
        entry += "\t\t\t\t" + line + "\r\n";
    }
    return entry + "\r\n";
}

// A listing file of `count` entries numbered from `first` upward, vendor names "Vendor <i>".
inline std::string MakeListing(int count, int first = 0x001000) {
    std::string listing =
        "OUI/MA-L                      Organization\r\n"
        "company_id                    Organization\r\n"
        "                              Address\r\n\r\n";
    for (int i = 0; i < count; ++i) {
        listing += ListingEntry(first + i, "Vendor " + std::to_string(i),
                                {"Street " + std::to_string(i), "US"});
    }
    return listing;
}

}  // namespace vexav6::testing
