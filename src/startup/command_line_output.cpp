#include "startup/command_line_output.h"

#include <algorithm>
#include <cstdio>

#include "base/text.h"
#include "system/common.h"

namespace vexav6::CommandLineOutput {

namespace {

constexpr const char* kLineBreak = "\r\n";

std::string WithVendor(const std::string& address, const VendorNameLookup& vendorName) {
    if (address.empty() || !vendorName) {
        return address;
    }
    const std::string oui = text::ReplaceAll(address.substr(0, 8), "-", "");
    return address + " (" + vendorName(static_cast<int32_t>(text::LeadingHexValue(oui))) + ")";
}

// Characters as a terminal counts them: one per code point (continuation bytes do not count).
size_t DisplayWidth(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string OUIPrefixText(int32_t number) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02X-%02X-%02X", (number >> 16) & 0xFF, (number >> 8) & 0xFF,
                  number & 0xFF);
    return text;
}

}  // namespace

std::vector<std::string> ListColumns(const AdapterInfo& adapter,
                                     const VendorNameLookup& vendorName) {
    return {adapter.ConnectionName(),
            adapter.NetworkAddressChangedStatus(),
            WithVendor(adapter.DisplayNetworkAddress(), vendorName),
            adapter.LinkStatus(),
            Common::FormatBitRate(static_cast<double>(adapter.LinkSpeed())),
            WithVendor(adapter.OriginalNetworkAddress(), vendorName)};
}

std::string ListText(const TextReport::AdapterCollection& adapters,
                     const VendorNameLookup& vendorName, bool forTerminal) {
    std::vector<std::vector<std::string>> rows;
    if (forTerminal) {
        rows.push_back({"Connection", "Changed", "MAC Address", "Link Status", "Speed",
                        "Original MAC Address"});
    }
    for (const std::shared_ptr<AdapterInfo>& adapter : adapters) {
        rows.push_back(ListColumns(*adapter, vendorName));
    }

    std::vector<size_t> widths;
    if (forTerminal) {
        for (const auto& row : rows) {
            widths.resize(std::max(widths.size(), row.size()));
            for (size_t i = 0; i < row.size(); ++i) {
                widths[i] = std::max(widths[i], DisplayWidth(row[i]));
            }
        }
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0) {
                line += forTerminal ? "  " : "\t";
            }
            line += row[i];
            if (forTerminal && i + 1 < row.size()) {
                line.append(widths[i] - DisplayWidth(row[i]), ' ');
            }
        }
        if (forTerminal) {
            line = text::TrimRight(line);
        }
        text += line + kLineBreak;
    }
    return text;
}

std::vector<size_t> FindVendors(const OUITable& table, std::string_view query) {
    const std::string wanted = text::Trim(query);
    std::string digits;
    bool hexOnly = !wanted.empty();
    for (const char c : wanted) {
        if (text::IsHexDigit(c)) {
            digits += text::AsciiUpper(c);
        } else if (c != '-' && c != ':' && c != '.') {
            hexOnly = false;
        }
    }
    if (digits.size() > 6) {
        digits.resize(6);  // a whole address: the vendor of its first three octets
    }
    std::vector<size_t> found;
    for (size_t i = 0; i < table.Size(); ++i) {
        if (table.CompanyName(i).empty()) {
            continue;  // the empty record every table begins with
        }
        const std::string prefix = text::ReplaceAll(OUIPrefixText(table.Number(i)), "-", "");
        const bool byPrefix = hexOnly && !digits.empty() && prefix.starts_with(digits);
        if (byPrefix || text::ContainsIgnoreCase(table.CompanyName(i), wanted)) {
            found.push_back(i);
        }
    }
    return found;
}

std::string VendorLines(const OUITable& table, const std::vector<size_t>& found) {
    std::string text;
    for (const size_t i : found) {
        text +=
            OUIPrefixText(table.Number(i)) + "\t" + std::string(table.CompanyName(i)) + kLineBreak;
    }
    return text;
}

}  // namespace vexav6::CommandLineOutput
