#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "startup/text_report.h"
#include "vendors/oui_table.h"

// What the command line prints for scripts and people: the adapter list and the vendor search.
namespace vexav6::CommandLineOutput {

// The list's columns for one connection: name, MAC address changed (Yes/No/Unknown), the MAC
// address shown with its vendor in brackets, link status, speed, and the original (burned-in)
// address with its vendor. New columns go at the end, so scripts that read the first ones by
// position keep working.
std::vector<std::string> ListColumns(const AdapterInfo& adapter,
                                     const VendorNameLookup& vendorName);

// The list: for a terminal a header line and the columns lined up with blanks; otherwise one line
// per connection with the columns separated by a tab and no header. CR LF after every line.
std::string ListText(const TextReport::AdapterCollection& adapters,
                     const VendorNameLookup& vendorName, bool forTerminal);

// The records of the vendor table that `query` finds: those whose company name holds it (case
// ignored), and, when it is written as hex digits (with "-", ":" or "." between them), those whose
// prefix begins with them; an address of six digits or more finds its own vendor. Table order.
std::vector<size_t> FindVendors(const OUITable& table, std::string_view query);

// "00-1A-2B<TAB>Company" for each record found, CR LF after each line.
std::string VendorLines(const OUITable& table, const std::vector<size_t>& found);

}  // namespace vexav6::CommandLineOutput
