#pragma once

#include <memory>
#include <string>

#include "adapters/adapter_info.h"
#include "base/keyed_collection.h"
#include "base/ole_date.h"

// The text forms of all adapters: the text report that the main window exports and the command
// line prints, and the adapter list lines of the command line, with the main window's columns.
namespace vexav6::TextReport {

using AdapterCollection = KeyedCollection<std::shared_ptr<AdapterInfo>>;

// "Monday, December 07, 2026  09:15:30": weekday and month in full, two blanks before the time.
std::string FormatReportDate(OleDate date);

// The report: the title with the full version, the date, then one numbered block per adapter in
// collection order (AdapterInfo::ToString). Every line ends in CR LF.
std::string BuildTextReport(OleDate now, const AdapterCollection& adapters,
                            const VendorNameLookup& vendorName);

// One adapter as a row of the main window's list, the columns separated by a tab: connection
// name, changed ("Yes", "No", "Unknown"), the MAC address shown with its vendor in brackets,
// link status, speed. No line break.
std::string AdapterListLine(const AdapterInfo& adapter, const VendorNameLookup& vendorName);

}  // namespace vexav6::TextReport
