#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/ole_date.h"
#include "platform/platform.h"
#include "vendors/oui_record.h"
#include "vendors/oui_table.h"
#include "vendors/vendor_index.h"

namespace vexav6 {

// What every lookup answers when it knows no vendor.
inline constexpr const char* kUnknownVendor = "Unknown Vendor";
// Where the IEEE publishes its OUI (MA-L) listing.
inline constexpr const char* kOUIListingURL = "https://standards-oui.ieee.org/oui/oui.txt";
// The database's file name in the program folder.
inline constexpr const char* kOUIDatabaseFileName = "oui.db";

// A list that vendor descriptions are appended to: the vendor drop-down of the MAC change panel,
// or a recorder in tests.
class VendorList {
  public:
    virtual ~VendorList() = default;
    virtual void AddItem(const std::string& item) = 0;
};

// The table of registered MAC address prefixes (OUIs) with the name and address of their owners:
// names the vendor of an address, fills the vendor drop-down, makes random addresses with a real
// vendor's prefix, and keeps itself in "oui.db", rebuilt from the IEEE listing on request.
//
// A new object holds one empty record; the table counts as loaded only with two or more records,
// and every lookup treats a one-record table as empty. Texts are UTF-8.
class NICVendor {
  public:
    explicit NICVendor(const Platform& platform);
    ~NICVendor();
    NICVendor(const NICVendor&) = delete;
    NICVendor& operator=(const NICVendor&) = delete;

    // Replaces the table with the entries of the listing file. LastModified stays; nothing is
    // saved. On failure the table is left as it was.
    void ParseOUI(std::string_view OUIFile);
    // Writes the table and LastModified to the database file, replacing any existing file only
    // once the new one is complete.
    void SaveDB(std::string_view OutDBFile) const;
    // Replaces the table and LastModified with the database file's content. On failure the table
    // is empty (one record) and LastModified keeps what was read before the failure.
    void LoadDB(std::string_view InDBFile);

    // The vendor description of a prefix (the first three octets of a MAC address as a number):
    // "[00-1A-2B] " when IncludeNumber, the name, and "  (Address: ...)" when IncludeAddress.
    std::string GetVendor(int32_t VendorNumber, bool IncludeAddress, bool IncludeNumber) const;
    // Appends every record's description (always with its prefix) to the list, reporting progress
    // and letting pending user-interface work run every 128 records.
    void PopulateCombo(VendorList& ComboBox, bool IncludeAddress);
    // A random unicast MAC address "XX-XX-XX-XX-XX-XX" that begins with the prefix of one of the
    // first 10,001 records, and that record's description (with its prefix).
    void GetRandomMACAddress(std::string& MACAddress, std::string& Company,
                             bool IncludeAddress) const;

    // Starts downloading the listing and returns at once; the outcome arrives as onDBUpdated or
    // onDBUpdateError, on the user-interface thread. The rebuilt database is saved to OutDBFile.
    void OnlineUpdateDBAsync(std::string_view OutDBFile, std::string_view HttpOUIFileURL);

    // The listing's last-modified time as the web server gave it (GMT); 0 until a database was
    // loaded or downloaded.
    OleDate LastModified() const { return lastModified_; }
    // The records, in listing order.
    const OUITable& Table() const { return table_; }
    bool IsLoaded() const { return table_.Size() >= 2; }

    // 0: the database was downloaded, rebuilt and saved; 1: the listing is unchanged.
    std::function<void(int32_t Result)> onDBUpdated;
    std::function<void(int32_t ErrorNumber, const std::string& ErrorDescription)> onDBUpdateError;
    std::function<void(int16_t Percent)> onPopulateComboProgress;

  private:
    int32_t OnlineUpdateDB();
    void OnResponseFinished();
    void OnRequestError(int32_t number, const std::string& description);
    void SetTable(OUITable table);
    void WriteDB(std::string_view path, OleDate lastModified) const;

    Platform platform_;
    OUITable table_;
    VendorIndex index_;
    // Whether GetRandomMACAddress has a record to start an address with.
    bool hasDrawableRecord_ = false;
    OleDate lastModified_;
    std::string outDBFile_;
    std::unique_ptr<platform::HttpRequest> request_;
};

}  // namespace vexav6
