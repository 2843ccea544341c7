#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/error.h"
#include "base/ole_date.h"
#include "platform/sim/machine.h"
#include "support/temp_dir.h"
#include "vendor_test_support.h"
#include "vendors/nic_vendor.h"

namespace vexav6::testing {
namespace {

// Database bytes written field by field as the file format lays them out.
class DbBytes {
  public:
    DbBytes& Byte(uint8_t v) {
        bytes += static_cast<char>(v);
        return *this;
    }
    DbBytes& Int16(uint16_t v) { return Little(v, 2); }
    DbBytes& Int32(int32_t v) { return Little(static_cast<uint32_t>(v), 4); }
    DbBytes& Date(double v) {
        uint64_t raw;
        std::memcpy(&raw, &v, sizeof raw);
        return Little(raw, 8);
    }
    DbBytes& Text(const std::string& s) {
        Int16(static_cast<uint16_t>(s.size()));
        bytes += s;
        return *this;
    }
    DbBytes& Record(int32_t number, const std::string& oui, const std::string& name,
                    const std::string& address) {
        return Int32(number).Text(oui).Text(name).Text(address);
    }
    std::string bytes;

  private:
    DbBytes& Little(uint64_t v, int size) {
        for (int i = 0; i < size; ++i) {
            bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
        }
        return *this;
    }
};

class OUIDatabaseTest : public ::testing::Test {
  protected:
    Error LoadFailure(const std::string& bytes) {
        WriteFileBytes(dir.File("oui.db"), bytes);
        try {
            vendor.LoadDB(dir.File("oui.db"));
        } catch (const Error& e) {
            return e;
        }
        ADD_FAILURE() << "the file was loaded";
        return Error(0, "", "");
    }

    TempDir dir;
    sim::Machine machine;
    NICVendor vendor{machine.GetPlatform()};
    const OleDate modified = DateFromCivil(2022, 8, 27, 10, 11, 12);
};

TEST_F(OUIDatabaseTest, FileLayoutReadsAndWritesFieldByField) {
    const std::string file =
        DbBytes()
            .Byte(1)
            .Date(modified.value)
            .Int32(2)
            .Record(0x002272, "00-22-72", "American Micro-Fuel Device Corp.", "Ferndale, US")
            .Record(0x98BA39, "98-BA-39", "Doro AB", "Malm\xC3\xB6")
            .bytes;
    WriteFileBytes(dir.File("in.db"), file);
    vendor.LoadDB(dir.File("in.db"));
    EXPECT_EQ(vendor.LastModified(), modified);
    EXPECT_EQ(Records(vendor),
              (std::vector<OUIRecord>{
                  {0x002272, "00-22-72", "American Micro-Fuel Device Corp.", "Ferndale, US"},
                  {0x98BA39, "98-BA-39", "Doro AB", "Malm\xC3\xB6"}}));
    EXPECT_EQ(vendor.GetVendor(0x98BA39, false, true), "[98-BA-39] Doro AB");

    vendor.SaveDB(dir.File("out.db"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.db")), file);
}

TEST_F(OUIDatabaseTest, NeverLoadedTableIsSavedAsItsOneBlankRecord) {
    vendor.SaveDB(dir.File("blank.db"));
    EXPECT_EQ(ReadFileBytes(dir.File("blank.db")),
              DbBytes().Byte(1).Date(0.0).Int32(1).Record(0, "", "", "").bytes);
    NICVendor other(machine.GetPlatform());
    other.LoadDB(dir.File("blank.db"));
    EXPECT_FALSE(other.IsLoaded());
}

TEST_F(OUIDatabaseTest, TextOfAnAnsiFileIsReadAsWindows1252) {
    WriteFileBytes(dir.File("ansi.db"), DbBytes()
                                            .Byte(1)
                                            .Date(0)
                                            .Int32(2)
                                            .Record(1, "00-00-01", "Caf\xE9", "Malm\xF6")
                                            .Record(2, "00-00-02", "Two", "")
                                            .bytes);
    vendor.LoadDB(dir.File("ansi.db"));
    EXPECT_EQ(vendor.GetVendor(1, true, false), "Caf\xC3\xA9  (Address: Malm\xC3\xB6)");
}

TEST_F(OUIDatabaseTest, RealListingSurvivesSaveAndLoad) {
    vendor.ParseOUI(kRealListing);
    vendor.SaveDB(dir.File("oui.db"));
    NICVendor loaded(machine.GetPlatform());
    loaded.LoadDB(dir.File("oui.db"));
    EXPECT_EQ(Records(loaded), Records(vendor));
    EXPECT_EQ(loaded.LastModified(), vendor.LastModified());
    EXPECT_EQ(loaded.GetVendor(0x002272, true, false),
              "American Micro-Fuel Device Corp.  (Address: 2181 Buchanan Loop, Ferndale  WA  "
              "98248, US)");
}

TEST_F(OUIDatabaseTest, DamagedFilesFailAndLeaveAnEmptyTable) {
    const DbBytes header = DbBytes().Byte(1).Date(modified.value);
    const std::string good = DbBytes(header)
                                 .Int32(2)
                                 .Record(1, "00-00-01", "One", "A")
                                 .Record(2, "00-00-02", "Two", "B")
                                 .bytes;
    const struct {
        const char* what;
        std::string bytes;
        int32_t number;
    } cases[] = {
        {"version 2", DbBytes().Byte(2).bytes + good.substr(1), 1},
        {"empty file", "", 1},
        {"count of 0", DbBytes(header).Int32(0).bytes, errnum::kSubscriptOutOfRange},
        {"negative count", DbBytes(header).Int32(-5).bytes, errnum::kSubscriptOutOfRange},
        {"count far beyond the data",
         DbBytes(header).Int32(0x7FFFFFFF).Record(1, "a", "b", "c").bytes,
         errnum::kInputPastEndOfFile},
        {"text longer than the data",
         DbBytes(header).Int32(2).Record(1, "a", "b", "c").Int32(2).Int16(60000).bytes,
         errnum::kInputPastEndOfFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(dir.File("good.db"), good);
        vendor.LoadDB(dir.File("good.db"));
        ASSERT_TRUE(vendor.IsLoaded());

        const Error error = LoadFailure(c.bytes);
        EXPECT_EQ(error.Number(), c.number);
        EXPECT_EQ(error.Source(), "NICVendor.LoadDB");
        if (c.number == 1) {
            EXPECT_EQ(error.Description(), "Database file version not supported.");
        }
        EXPECT_EQ(Records(vendor).size(), 1u);
        EXPECT_EQ(vendor.GetVendor(1, false, false), kUnknownVendor);
    }

    try {
        vendor.LoadDB(dir.File("none.db"));
        ADD_FAILURE() << "a missing file was loaded";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errnum::kFileNotFound);
    }

    // Cut anywhere, a good file fails; what was read before the cut stays read.
    for (size_t length = 1; length < good.size(); ++length) {
        SCOPED_TRACE(length);
        WriteFileBytes(dir.File("cut.db"), good.substr(0, length));
        NICVendor fresh(machine.GetPlatform());
        try {
            fresh.LoadDB(dir.File("cut.db"));
            ADD_FAILURE() << "a cut file was loaded";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), errnum::kInputPastEndOfFile);
        }
        EXPECT_FALSE(fresh.IsLoaded());
        EXPECT_EQ(fresh.LastModified(), length >= 9 ? modified : OleDate{});
    }
}

TEST_F(OUIDatabaseTest, FailedSaveKeepsThePreviousFile) {
    WriteFileBytes(dir.File("oui.txt"), MakeListing(3));
    vendor.ParseOUI(dir.File("oui.txt"));
    vendor.SaveDB(dir.File("oui.db"));
    const std::string previous = ReadFileBytes(dir.File("oui.db"));

    // A name too long for the file's 16-bit text length.
    WriteFileBytes(dir.File("oui.txt"),
                   MakeListing(2) + ListingEntry(7, std::string(40000, 'N'), {}));
    vendor.ParseOUI(dir.File("oui.txt"));
    try {
        vendor.SaveDB(dir.File("oui.db"));
        FAIL() << "a text of 40,000 bytes was saved";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errnum::kOverflow);
        EXPECT_EQ(e.Source(), "NICVendor.SaveDB");
    }
    EXPECT_EQ(ReadFileBytes(dir.File("oui.db")), previous);

    // A folder that does not exist: an error, and no file anywhere.
    EXPECT_THROW(vendor.SaveDB(dir.File("missing/oui.db")), Error);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing"));
}

}  // namespace
}  // namespace vexav6::testing
