#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "base/app_info.h"
#include "base/ole_date.h"
#include "platform/sim/machine.h"
#include "support/temp_dir.h"
#include "vendor_test_support.h"
#include "vendors/nic_vendor.h"

namespace vexav6::testing {
namespace {

constexpr const char* kUrl = "https://standards.example/oui/oui.txt";
constexpr const char* kLastModified = "Sat, 27 Aug 2022 10:11:12 GMT";

sim::SimHttpResponse Listing(const std::string& body, const std::string& contentType = "text/plain",
                             const std::string& lastModified = kLastModified) {
    sim::SimHttpResponse response;
    response.headers = {{"Content-Type", contentType}};
    if (!lastModified.empty()) {
        response.headers.emplace_back("Last-Modified", lastModified);
    }
    response.body = body;
    return response;
}

sim::SimHttpResponse Status(int32_t status, const std::string& text) {
    sim::SimHttpResponse response;
    response.status = status;
    response.statusText = text;
    return response;
}

class VendorDownloadTest : public ::testing::Test {
  protected:
    VendorDownloadTest() {
        vendor.onDBUpdated = [this](int32_t result) { updated = result; };
        vendor.onDBUpdateError = [this](int32_t number, const std::string& description) {
            error = std::make_pair(number, description);
        };
    }

    // Starts a download and lets the user interface service its pending work once.
    void Download() {
        updated.reset();
        error.reset();
        vendor.OnlineUpdateDBAsync(db, kUrl);
        machine.ui.DoEvents();
    }

    void ExpectError(int32_t number, const std::string& description) {
        EXPECT_FALSE(updated.has_value());
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->first, number);
        EXPECT_EQ(error->second, description);
    }

    TempDir dir;
    sim::Machine machine;
    NICVendor vendor{machine.GetPlatform()};
    std::string db = dir.File("oui.db");
    std::optional<int32_t> updated;
    std::optional<std::pair<int32_t, std::string>> error;
};

TEST_F(VendorDownloadTest, FirstDownloadAsksForAnyListingThenSavesIt) {
    machine.http.QueueResponse(kUrl, Listing(MakeListing(5), "text/plain; charset=utf-8"));
    vendor.OnlineUpdateDBAsync(db, kUrl);

    // Nothing happens until the user interface services its pending work.
    EXPECT_FALSE(updated.has_value());
    ASSERT_EQ(machine.http.Requests().size(), 1u);
    const sim::SimHttpRequestRecord& request = machine.http.Requests()[0];
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.url, kUrl);
    EXPECT_TRUE(request.async);
    EXPECT_EQ(request.resolveTimeoutMs, 30000);
    EXPECT_EQ(request.connectTimeoutMs, 30000);
    EXPECT_EQ(request.sendTimeoutMs, 30000);
    EXPECT_EQ(request.receiveTimeoutMs, 30000);
    EXPECT_EQ(request.Header("User-Agent"), std::string(app::kTitle) + " v" + app::FullVersion() +
                                                " (" + app::kProductWebAddress + ")");
    EXPECT_EQ(request.Header("If-Modified-Since"), "Sat, 30 Dec 1899 00:00:00 GMT");

    machine.ui.DoEvents();
    EXPECT_EQ(updated, 0);
    EXPECT_FALSE(error.has_value());
    EXPECT_EQ(Records(vendor).size(), 5u);
    EXPECT_EQ(vendor.LastModified(), DateFromCivil(2022, 8, 27, 10, 11, 12));

    NICVendor saved(machine.GetPlatform());
    saved.LoadDB(db);
    EXPECT_EQ(Records(saved), Records(vendor));
    EXPECT_EQ(saved.LastModified(), vendor.LastModified());
}

TEST_F(VendorDownloadTest, UnchangedListingLeavesTableDateAndFileAlone) {
    machine.http.QueueResponse(Listing(MakeListing(5)));
    Download();
    ASSERT_EQ(updated, 0);
    const std::string file = ReadFileBytes(db);

    machine.http.QueueResponse(Status(304, "Not Modified"));
    Download();
    EXPECT_EQ(updated, 1);
    // The date sent back is the one received, in the same form.
    EXPECT_EQ(machine.http.Requests().back().Header("If-Modified-Since"), kLastModified);
    EXPECT_EQ(ReadFileBytes(db), file);
    EXPECT_EQ(Records(vendor).size(), 5u);
    EXPECT_EQ(vendor.LastModified(), DateFromCivil(2022, 8, 27, 10, 11, 12));
}

TEST_F(VendorDownloadTest, ContentTypeMustBePlainTextInAnyCase) {
    machine.http.QueueResponse(Listing(MakeListing(3), "TEXT/PLAIN"));
    Download();
    EXPECT_EQ(updated, 0);

    machine.http.QueueResponse(Listing(MakeListing(4), "text/html"));
    Download();
    ExpectError(1, "Invalid content type: text/html");
    EXPECT_EQ(Records(vendor).size(), 3u);

    machine.http.QueueResponse(Listing(MakeListing(4), ""));
    Download();
    ExpectError(1, "Invalid content type: ");
}

TEST_F(VendorDownloadTest, FailuresReachTheOwnerAsErrorEvents) {
    machine.http.QueueResponse(Status(404, "Not Found"));
    Download();
    ExpectError(404, "Not Found");

    machine.http.QueueResponse(sim::SimHttpResponse::Failure(12029));
    Download();
    ExpectError(12029, "A connection with the server could not be established");

    // No answer at all: the offline machine cannot resolve the server's name.
    Download();
    ExpectError(12007, "The server name or address could not be resolved");
    EXPECT_FALSE(std::filesystem::exists(db));
}

TEST_F(VendorDownloadTest, BadListingKeepsTableDateAndFile) {
    machine.http.QueueResponse(Listing(MakeListing(5)));
    Download();
    const std::string file = ReadFileBytes(db);

    machine.http.QueueResponse(
        Listing("<html>not a listing</html>", "text/plain", "Sun, 06 Nov 2022 08:49:37 GMT"));
    Download();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->first, 1);
    EXPECT_NE(error->second.find("Invalid vendor list (OUI) file"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(db), file);
    EXPECT_EQ(Records(vendor).size(), 5u);
    EXPECT_EQ(vendor.LastModified(), DateFromCivil(2022, 8, 27, 10, 11, 12));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(VendorDownloadTest, FailedSaveKeepsTheOldDateSoTheNextDownloadFetchesAgain) {
    db = dir.File("missing-folder/oui.db");
    machine.http.QueueResponse(Listing(MakeListing(5)));
    Download();
    EXPECT_TRUE(error.has_value());
    EXPECT_EQ(vendor.LastModified(), OleDate{});

    db = dir.File("oui.db");
    machine.http.QueueResponse(Listing(MakeListing(5)));
    Download();
    EXPECT_EQ(machine.http.Requests().back().Header("If-Modified-Since"),
              "Sat, 30 Dec 1899 00:00:00 GMT");
    EXPECT_EQ(updated, 0);
}

TEST_F(VendorDownloadTest, ListingWithoutLastModifiedIsSavedWithAnUnknownDate) {
    machine.http.QueueResponse(Listing(MakeListing(5), "text/plain", ""));
    Download();
    EXPECT_EQ(updated, 0);
    EXPECT_EQ(vendor.LastModified(), OleDate{});
    EXPECT_TRUE(std::filesystem::exists(db));
}

TEST_F(VendorDownloadTest, DestroyedVendorHearsNothingOfItsPendingRequest) {
    machine.http.QueueResponse(Listing(MakeListing(5)));
    {
        NICVendor shortLived(machine.GetPlatform());
        shortLived.onDBUpdated = [](int32_t) { ADD_FAILURE() << "notified after destruction"; };
        shortLived.OnlineUpdateDBAsync(db, kUrl);
        EXPECT_EQ(machine.http.PendingCount(), 1u);
    }
    EXPECT_EQ(machine.http.PendingCount(), 0u);
    machine.ui.DoEvents();
    EXPECT_FALSE(std::filesystem::exists(db));
}

}  // namespace
}  // namespace vexav6::testing
