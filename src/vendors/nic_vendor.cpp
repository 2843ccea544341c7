#include "vendors/nic_vendor.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <span>
#include <system_error>
#include <utility>

#include "base/app_info.h"
#include "base/error.h"
#include "base/text.h"
#include "system/common.h"
#include "system/path.h"
#include "vendors/oui_db_file.h"
#include "vendors/oui_listing.h"

namespace vexav6 {
namespace {

constexpr const char* kParseSource = "NICVendor.ParseOUI";
constexpr const char* kSaveSource = "NICVendor.SaveDB";
constexpr const char* kLoadSource = "NICVendor.LoadDB";
constexpr const char* kUpdateSource = "NICVendor.OnlineUpdateDB";

constexpr int32_t kHttpTimeoutMs = 30000;
// Random addresses start with one of the first 10,001 records: indices are drawn as
// round(r * 10000).
constexpr int32_t kHighestDrawnIndex = 10000;

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double x) {
    const double down = std::floor(x);
    const double rest = x - down;
    if (rest > 0.5) {
        return down + 1;
    }
    if (rest < 0.5) {
        return down;
    }
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1;
}

std::filesystem::path FilePath(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

// The bytes of a whole file: a missing file is error 53, any other failure to read it error 75.
std::string ReadWholeFile(std::string_view path, const char* source) {
    const std::filesystem::path file = FilePath(path);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        throw Error::FileError(errnum::kFileNotFound, source, path);
    }
    std::ifstream in(file, std::ios::binary);
    const auto size = std::filesystem::file_size(file, ec);
    if (in && !ec) {
        std::string bytes(static_cast<size_t>(size), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(size));
        if (in.gcount() == static_cast<std::streamsize>(size)) {
            return bytes;
        }
    }
    throw Error::FileError(errnum::kPathFileAccessError, source, path);
}

// "[00-1A-2B] Name  (Address: ...)", with the parts asked for.
std::string Describe(const OUITable& table, size_t i, bool includeAddress, bool includeNumber) {
    const std::string_view oui = table.OUIText(i);
    const std::string_view name = table.CompanyName(i);
    const std::string_view address = table.CompanyAddress(i);
    std::string out;
    out.reserve(oui.size() + name.size() + address.size() + 16);
    if (includeNumber) {
        out += '[';
        out += oui;
        out += "] ";
    }
    out += name;
    if (includeAddress) {
        out += "  (Address: ";
        out += address;
        out += ')';
    }
    return out;
}

// A random address must not have the group (multicast) bit of its first octet set: no adapter
// takes such an address. The listing holds a few such prefixes (11-11-11 ...).
bool CanStartAddress(std::string_view ouiText) {
    size_t digits = 0;
    const unsigned long long firstOctet = text::LeadingHexValue(ouiText.substr(0, 2), &digits);
    return digits == 2 && (firstOctet & 1) == 0;
}

OUITable OneBlankRecord() {
    OUITable table;
    table.Add(0, "", "", "");
    return table;
}

std::string UserAgent() {
    return std::string(app::kTitle) + " v" + app::FullVersion() + " (" + app::kProductWebAddress +
           ")";
}

}  // namespace

NICVendor::NICVendor(const Platform& platform)
    : platform_(platform), table_(OneBlankRecord()), request_(platform.http.CreateRequest()) {
    index_.Build(table_);
    request_->onResponseFinished = [this] { OnResponseFinished(); };
    request_->onError = [this](int32_t number, const std::string& description) {
        OnRequestError(number, description);
    };
}

NICVendor::~NICVendor() {
    request_->Abort();
}

void NICVendor::SetTable(OUITable table) {
    table_ = std::move(table);
    index_.Build(table_);
    hasDrawableRecord_ = false;
    const size_t drawable = std::min(table_.Size(), static_cast<size_t>(kHighestDrawnIndex) + 1);
    for (size_t i = 0; i < drawable && !hasDrawableRecord_; ++i) {
        hasDrawableRecord_ = CanStartAddress(table_.OUIText(i));
    }
}

void NICVendor::ParseOUI(std::string_view OUIFile) {
    SetTable(ParseOUIListing(ReadWholeFile(OUIFile, kParseSource), kParseSource));
}

void NICVendor::WriteDB(std::string_view path, OleDate lastModified) const {
    const std::vector<uint8_t> bytes = OUIDatabase::Encode(table_, lastModified, kSaveSource);
    Path::WriteAllBytes(path, bytes, true);
}

void NICVendor::SaveDB(std::string_view OutDBFile) const {
    WriteDB(OutDBFile, lastModified_);
}

void NICVendor::LoadDB(std::string_view InDBFile) {
    try {
        SetTable(
            OUIDatabase::Decode(ReadWholeFile(InDBFile, kLoadSource), lastModified_, kLoadSource));
    } catch (...) {
        SetTable(OneBlankRecord());
        throw;
    }
}

std::string NICVendor::GetVendor(int32_t VendorNumber, bool IncludeAddress,
                                 bool IncludeNumber) const {
    if (!IsLoaded()) {
        return kUnknownVendor;
    }
    const int32_t position = index_.Find(VendorNumber);
    if (position < 0) {
        return kUnknownVendor;
    }
    return Describe(table_, static_cast<size_t>(position), IncludeAddress, IncludeNumber);
}

void NICVendor::PopulateCombo(VendorList& ComboBox, bool IncludeAddress) {
    if (!IsLoaded()) {
        return;
    }
    const auto progress = [this](int16_t percent) {
        if (onPopulateComboProgress) {
            onPopulateComboProgress(percent);
        }
    };
    progress(0);
    const size_t count = table_.Size();
    for (size_t i = 0; i < count; ++i) {
        if (i % 128 == 0) {
            progress(static_cast<int16_t>(
                RoundHalfEven(static_cast<double>(i) * 100.0 / static_cast<double>(count))));
            platform_.ui.DoEvents();
        }
        // Pending work may have replaced the table (a finished download): stop at its end.
        if (i >= table_.Size()) {
            break;
        }
        ComboBox.AddItem(Describe(table_, i, IncludeAddress, true));
    }
    progress(100);
}

void NICVendor::GetRandomMACAddress(std::string& MACAddress, std::string& Company,
                                    bool IncludeAddress) const {
    if (!IsLoaded() || !hasDrawableRecord_) {
        MACAddress = "00-00-00-00-00-00";
        Company = kUnknownVendor;
        return;
    }
    // A fresh seed from the clock on every call. The wall clock alone can repeat within one tick
    // on Windows, so the monotonic counter is mixed in.
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto steady = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<uint32_t>(wall), static_cast<uint32_t>(wall >> 32),
                       static_cast<uint32_t>(steady), static_cast<uint32_t>(steady >> 32)};
    std::mt19937_64 generator(seed);
    const auto draw = [&generator] {
        const double r = static_cast<double>(generator() >> 11) * 0x1.0p-53;  // [0, 1)
        return static_cast<int32_t>(RoundHalfEven(r * kHighestDrawnIndex));
    };

    const auto last = static_cast<int32_t>(table_.Size()) - 1;
    int32_t index = draw();
    while (index > last || !CanStartAddress(table_.OUIText(static_cast<size_t>(index)))) {
        index = draw();
    }
    const auto chosen = static_cast<size_t>(index);
    MACAddress = table_.OUIText(chosen);
    Company = Describe(table_, chosen, IncludeAddress, true);
    for (int octet = 0; octet < 3; ++octet) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(draw() & 0xFF));
        MACAddress += '-';
        MACAddress += digits;
    }
}

void NICVendor::OnlineUpdateDBAsync(std::string_view OutDBFile, std::string_view HttpOUIFileURL) {
    outDBFile_ = OutDBFile;
    request_->Open("GET", HttpOUIFileURL, true);
    request_->SetTimeouts(kHttpTimeoutMs, kHttpTimeoutMs, kHttpTimeoutMs, kHttpTimeoutMs);
    request_->SetRequestHeader("User-Agent", UserAgent());
    request_->SetRequestHeader("If-Modified-Since", FormatHttpDateTime(lastModified_) + " GMT");
    request_->Send();
}

int32_t NICVendor::OnlineUpdateDB() {
    const int32_t status = request_->Status();
    if (status == 304) {
        return 1;
    }
    if (status != 200) {
        throw Error(status, kUpdateSource, request_->StatusText());
    }
    const std::string contentType = request_->GetResponseHeader("Content-Type");
    if (!text::ContainsIgnoreCase(contentType, "text/plain")) {
        throw Error(errnum::kOwnCheck, kUpdateSource, "Invalid content type: " + contentType);
    }
    // The body is parsed where it is, as the listing file would be: no temporary copy on disk.
    const std::vector<uint8_t>& body = request_->ResponseBody();
    SetTable(ParseOUIListing(
        std::string_view(reinterpret_cast<const char*>(body.data()), body.size()), kParseSource));

    // A server that does not say when the listing changed leaves the date unknown (0), so that
    // the next download asks for the full listing again.
    const std::string lastModifiedHeader = request_->GetResponseHeader("Last-Modified");
    const OleDate modified =
        lastModifiedHeader.empty() ? OleDate{} : Common::ParseHttpDate(lastModifiedHeader);
    // The new date counts only once it is in the file: after a failed save the next download
    // must not be answered "unchanged" while oui.db still holds the old table.
    WriteDB(outDBFile_, modified);
    lastModified_ = modified;
    return 0;
}

void NICVendor::OnResponseFinished() {
    int32_t result = 0;
    try {
        result = OnlineUpdateDB();
    } catch (...) {
        const Error error = CurrentExceptionAsError();
        OnRequestError(error.Number(), error.Description());
        return;
    }
    if (onDBUpdated) {
        onDBUpdated(result);
    }
}

void NICVendor::OnRequestError(int32_t number, const std::string& description) {
    if (onDBUpdateError) {
        onDBUpdateError(number, description);
    }
}

}  // namespace vexav6
