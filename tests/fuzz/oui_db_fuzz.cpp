// The vendor database (oui.db).
//
// - A file the reader accepts holds UTF-8 texts, is written back by the program's writer, and that
//   file reads again to the same records and date.
// - A loaded table names vendors as a scan of it would: the first record of a prefix wins.
// - A refusal is error 1 (version), 9 (record count) or 62 (cut short) from NICVendor.LoadDB, and
//   leaves the vendor object empty rather than half-loaded.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "fuzz_support.h"
#include "platform/sim/sim_net_text.h"
#include "vendors/nic_vendor.h"
#include "vendors/oui_db_file.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;

constexpr const char* kSource = "NICVendor.LoadDB";
constexpr size_t kLongestText = 32767;

const Platform& ThePlatform() {
    static sim::Machine machine;
    static const Platform platform = machine.GetPlatform();
    return platform;
}

// A vendor object with the small database loaded, as the program has one before it loads again.
NICVendor& LoadedVendor(const std::string& smallDb) {
    static NICVendor vendor(ThePlatform());
    vendor.LoadDB(smallDb);
    return vendor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string smallDb = WriteScratchFile("small.db", SmallVendorDatabase());
    OleDate lastModified;
    OUITable table;
    const auto refused = Attempt(
        [&] {
            table = OUIDatabase::Decode(std::string(AsText(std::span(data, size))), lastModified,
                                        kSource);
        },
        "reading a vendor database");

    NICVendor& vendor = LoadedVendor(smallDb);
    const std::string path = WriteScratchFile("oui.db", std::span(data, size));
    const auto vendorRefused = Attempt([&] { vendor.LoadDB(path); }, "loading a vendor database");
    Check(refused.has_value() == vendorRefused.has_value(),
          "NICVendor.LoadDB and the database reader disagree on a file");

    if (refused) {
        const int32_t number = refused->Number();
        Check((number == errnum::kOwnCheck || number == errnum::kSubscriptOutOfRange ||
               number == errnum::kInputPastEndOfFile) &&
                  refused->Source() == kSource,
              "a vendor database was refused with error " + std::to_string(number) + " from " +
                  refused->Source());
        Check(!vendor.IsLoaded() && vendor.Table().Size() == 1,
              "a refused vendor database left a table behind");
        return 0;
    }

    bool tooLong = false;
    for (size_t i = 0; i < table.Size(); ++i) {
        for (const std::string_view text :
             {table.OUIText(i), table.CompanyName(i), table.CompanyAddress(i)}) {
            Check(sim::nettext::IsValidUtf8(text), "a vendor text read is not UTF-8");
            tooLong = tooLong || text.size() > kLongestText;
        }
    }
    Check(SameTables(vendor.Table(), table), "NICVendor.LoadDB holds other records than the file");

    Bytes written;
    const auto notWritten =
        Attempt([&] { written = OUIDatabase::Encode(table, lastModified, "NICVendor.SaveDB"); },
                "writing a vendor database");
    // Only a text the database format cannot hold (a long ANSI text grown by its conversion)
    // may keep a table that was read from being saved again.
    Check(!notWritten || tooLong, "a vendor database read cannot be written back");
    if (notWritten) {
        return 0;
    }
    OleDate again;
    OUITable reread;
    const auto refusedAgain =
        Attempt([&] { reread = OUIDatabase::Decode(std::string(AsText(written)), again, kSource); },
                "reading a written vendor database");
    Check(!refusedAgain, "a written vendor database is refused");
    Check(std::bit_cast<uint64_t>(again.value) == std::bit_cast<uint64_t>(lastModified.value),
          "a vendor database reads back with another date");
    Check(SameTables(reread, table), "a vendor database reads back with other records");

    if (vendor.IsLoaded()) {
        std::map<int32_t, size_t> first;
        for (size_t i = 0; i < table.Size(); ++i) {
            first.emplace(table.Number(i), i);
        }
        for (const auto& [number, i] : first) {
            const std::string expected =
                "[" + std::string(table.OUIText(i)) + "] " + std::string(table.CompanyName(i)) +
                "  (Address: " + std::string(table.CompanyAddress(i)) + ")";
            Check(vendor.GetVendor(number, true, true) == expected,
                  "the vendor named for prefix " + std::to_string(number) +
                      " is not the first record of that prefix");
        }
    }
    return 0;
}
