// The IEEE OUI listing (oui.txt), which the program turns into its vendor database.
//
// - A listing the reader accepts gives UTF-8 records with six-digit prefixes, which the database
//   writer keeps exactly: written and read again, they are the same records.
// - NICVendor.ParseOUI reads the file to the same records; a listing it refuses (error 1 naming
//   the line) leaves the vendor object's table as it was.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz_support.h"
#include "platform/sim/sim_net_text.h"
#include "vendors/nic_vendor.h"
#include "vendors/oui_db_file.h"
#include "vendors/oui_listing.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;

constexpr const char* kSource = "NICVendor.ParseOUI";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sim::Machine machine;
    static NICVendor vendor(machine.GetPlatform());
    static const std::string smallDb = WriteScratchFile("small.db", SmallVendorDatabase());

    OUITable table;
    const auto refused =
        Attempt([&] { table = ParseOUIListing(AsText(std::span(data, size)), kSource); },
                "reading a vendor listing");

    vendor.LoadDB(smallDb);
    const OUITable previous = vendor.Table();
    const std::string path = WriteScratchFile("oui.txt", std::span(data, size));
    const auto vendorRefused = Attempt([&] { vendor.ParseOUI(path); }, "NICVendor.ParseOUI");
    Check(refused.has_value() == vendorRefused.has_value(),
          "NICVendor.ParseOUI and the listing reader disagree on a file");

    if (refused) {
        Check(refused->Number() == errnum::kOwnCheck && refused->Source() == kSource,
              "a vendor listing was refused with error " + std::to_string(refused->Number()) +
                  " from " + refused->Source());
        Check(SameTables(vendor.Table(), previous), "a refused vendor listing changed the table");
        return 0;
    }
    Check(SameTables(vendor.Table(), table), "NICVendor.ParseOUI holds other records");

    for (size_t i = 0; i < table.Size(); ++i) {
        Check(table.Number(i) >= 0 && table.Number(i) <= 0xFFFFFF,
              "a vendor prefix is not a 24-bit number");
        for (const std::string_view text :
             {table.OUIText(i), table.CompanyName(i), table.CompanyAddress(i)}) {
            Check(sim::nettext::IsValidUtf8(text),
                  "a vendor text read from a listing is not UTF-8");
        }
    }

    Bytes written;
    const auto notWritten =
        Attempt([&] { written = OUIDatabase::Encode(table, OleDate{}, "NICVendor.SaveDB"); },
                "writing the database of a listing");
    if (notWritten) {
        // Only a text longer than the database holds may refuse; a listing line is that long
        // only when damaged.
        bool tooLong = false;
        for (size_t i = 0; i < table.Size(); ++i) {
            tooLong = tooLong || table.CompanyName(i).size() > 32767 ||
                      table.CompanyAddress(i).size() > 32767 || table.OUIText(i).size() > 32767;
        }
        Check(tooLong, "the records of an accepted listing cannot be saved");
        return 0;
    }
    OleDate date;
    OUITable reread;
    const auto refusedAgain = Attempt(
        [&] {
            reread = OUIDatabase::Decode(std::string(AsText(written)), date, "NICVendor.LoadDB");
        },
        "reading the database of a listing");
    Check(!refusedAgain, "the database made from a listing is refused");
    Check(SameTables(reread, table), "the database made from a listing holds other records");
    return 0;
}
