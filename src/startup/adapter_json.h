#pragma once

#include <string>

#include "base/ole_date.h"
#include "startup/text_report.h"

// The adapter list and the text report as JSON, for PowerShell and scripts (-list json, -report
// json). The layout is described in docs/json-output.md; texts are UTF-8, and what is not known
// (the address of a connection that is off, its vendor) is null.
namespace vexav6::AdapterJson {

// An array with one object per connection, in the order of the list.
std::string ConnectionsJson(const TextReport::AdapterCollection& adapters,
                            const VendorNameLookup& vendorName);

// The report: {"program", "version", "date", "connections"}, the date in local time.
std::string ReportJson(OleDate now, const TextReport::AdapterCollection& adapters,
                       const VendorNameLookup& vendorName);

}  // namespace vexav6::AdapterJson
