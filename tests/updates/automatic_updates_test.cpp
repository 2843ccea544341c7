#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/app_info.h"
#include "platform/http_errors.h"
#include "platform/sim/machine.h"
#include "support/stream_bytes.h"
#include "support/temp_dir.h"
#include "system/common.h"
#include "system/path.h"
#include "updates/automatic_updates.h"

namespace vexav6::testing {
namespace {

constexpr const char* kDownload = "https://downloads.example/setup-6.1.0.exe";
constexpr const char* kLastModified = "Mon, 02 Mar 2026 10:20:30 GMT";
const std::string kInstaller = "MZ\x90 the new version's installer";

std::string Info(const std::string& version, const std::string& url, int32_t size,
                 char protocol = 1) {
    return protocol + bytes::Text(version) + bytes::Text(url) + bytes::Long(size);
}

sim::SimHttpResponse Answer(std::string body, std::string type = "application/octet-stream") {
    sim::SimHttpResponse response;
    response.headers = {{"Content-Type", std::move(type)}, {"Last-Modified", kLastModified}};
    response.body = std::move(body);
    return response;
}

sim::SimHttpResponse Status(int32_t status, std::string text) {
    sim::SimHttpResponse response;
    response.status = status;
    response.statusText = std::move(text);
    return response;
}

using StatusEvent = std::tuple<bool, std::string, std::string, int32_t>;
using ErrorEvent = std::pair<int32_t, std::string>;

class AutomaticUpdatesTest : public ::testing::Test {
  protected:
    AutomaticUpdatesTest() {
        machine.system.tempPath = dir.Str();
        updates.onUpdateStatus = [this](bool available, const std::string& version,
                                        const std::string& url, int32_t size, bool& download) {
            statuses.emplace_back(available, version, url, size);
            download = acceptDownload;
        };
        updates.onUpdateError = [this](int32_t number, const std::string& description) {
            errors.emplace_back(number, description);
        };
        updates.onUpdateExecuted = [this] { ++executed; };
    }

    void Check(bool automatic) {
        automatic ? updates.Timer__Timer() : updates.ManuallyUpdate();
        machine.ui.DoEvents();
    }
    // Both events of an update that is accepted, then downloaded.
    void CheckAndDownload(bool automatic) {
        Check(automatic);
        machine.ui.DoEvents();
    }
    OleDate InDays(int days) { return AddDays(machine.clock.Now(), days); }
    bool TempFolderEmpty() { return std::filesystem::is_empty(dir.Path()); }

    TempDir dir;
    sim::Machine machine;
    AutomaticUpdates updates{machine.GetPlatform()};
    bool acceptDownload = false;
    std::vector<StatusEvent> statuses;
    std::vector<ErrorEvent> errors;
    int executed = 0;
};

TEST_F(AutomaticUpdatesTest, ManualCheckAsksUnconditionallyAndAutomaticSendsTheDateBack) {
    machine.http.QueueResponse(app::kUpdateURL, Answer(Info("6.0.0", "", 0)));
    Check(false);
    ASSERT_EQ(machine.http.Requests().size(), 1u);
    const sim::SimHttpRequestRecord& manual = machine.http.Requests()[0];
    EXPECT_EQ(manual.method, "GET");
    EXPECT_TRUE(manual.async);
    EXPECT_EQ(manual.resolveTimeoutMs + manual.connectTimeoutMs + manual.sendTimeoutMs +
                  manual.receiveTimeoutMs,
              4 * 30000);
    EXPECT_EQ(manual.Header("User-Agent"), std::string(app::kTitle) + " v" + app::FullVersion() +
                                               " (" + app::kProductWebAddress + ")");
    EXPECT_EQ(manual.Header("If-Modified-Since"), "");
    EXPECT_EQ(statuses, (std::vector<StatusEvent>{{false, "", "", 0}}));
    EXPECT_EQ(updates.NextCheckDate(), InDays(30));
    EXPECT_EQ(updates.LastModified(), Common::ParseHttpDate(kLastModified));

    // An automatic check answered "not modified" moves the next check on and shows nothing.
    machine.clock.Advance(3600 * 1000);
    updates.SetCheckIntervalDays(7);
    machine.http.QueueResponse(Status(304, "Not Modified"));
    Check(true);
    EXPECT_EQ(machine.http.Requests().back().Header("If-Modified-Since"), kLastModified);
    EXPECT_EQ(statuses.size(), 1u);
    EXPECT_EQ(updates.NextCheckDate(), InDays(7));

    machine.http.QueueResponse(Status(304, "Not Modified"));
    Check(false);
    EXPECT_EQ(statuses.back(), StatusEvent(false, "", "", 0));
    EXPECT_TRUE(errors.empty());
}

TEST_F(AutomaticUpdatesTest, FailedChecksAreReportedOnlyWhenManualAndKeepTheDates) {
    updates.SetUpdateURL("https://updates.example/info");
    const std::vector<std::pair<sim::SimHttpResponse, ErrorEvent>> cases = {
        {Answer(Info("6.1.0", kDownload, 5), "text/plain"),
         {1, "Invalid content type: text/plain"}},
        {Answer(Info("6.1.0", kDownload, 5, 2)), {1, "Update protocol version not supported."}},
        {Status(404, "Not Found"), {404, "Not Found"}},
        {sim::SimHttpResponse::Failure(12007), {12007, platform::httperr::HttpErrorText(12007)}},
        {Answer("\x01" + bytes::Long(50) + "6"), {1, "Invalid update information."}},
        {Answer(""), {1, "Invalid update information."}},
        {Answer(Info("6.1.0", kDownload, 0)), {1, "Invalid update information."}},
        {Answer(Info("6.1.0", "http://downloads.example/setup.exe", 5)),
         {1, "The download address is not an HTTPS address: http://downloads.example/setup.exe"}},
    };
    const OleDate next = updates.NextCheckDate();
    for (const auto& [response, expected] : cases) {
        SCOPED_TRACE(expected.second);
        for (const bool automatic : {false, true}) {
            errors.clear();
            machine.http.QueueResponse(response);
            Check(automatic);
            EXPECT_EQ(errors, automatic ? std::vector<ErrorEvent>{} : std::vector{expected});
            EXPECT_TRUE(statuses.empty());
            EXPECT_EQ(updates.NextCheckDate(), next);
            EXPECT_EQ(updates.LastModified(), AutomaticUpdates::DefaultLastModified());
            EXPECT_FALSE(updates.Busy());
        }
    }
    EXPECT_EQ(machine.http.Requests().size(), 2 * cases.size());

    // An address without TLS is not even asked.
    updates.SetUpdateURL("http://updates.example/info");
    Check(true);
    Check(false);
    EXPECT_EQ(
        errors.back(),
        ErrorEvent(1, "The update address is not an HTTPS address: http://updates.example/info"));
    EXPECT_EQ(machine.http.Requests().size(), 2 * cases.size());
}

TEST_F(AutomaticUpdatesTest, VersionsCompareAsText) {
    EXPECT_FALSE(VersionIsGreater("6.0.10", "6.0.9"));
    EXPECT_TRUE(VersionIsGreater("6.0.9", "6.0.10"));
    EXPECT_FALSE(VersionIsGreater("6.0.0", "6.0.0"));
    EXPECT_TRUE(VersionIsGreater("6.0.0a", "6.0.0"));

    machine.http.QueueResponse(Answer(Info("10.0.0", kDownload, 5)));
    machine.http.QueueResponse(Answer(Info("6.0.1", kDownload, 5)));
    Check(false);
    Check(false);
    EXPECT_EQ(statuses,
              (std::vector<StatusEvent>{{false, "", "", 0}, {true, "6.0.1", kDownload, 5}}));
    // Declined: the next check is due after the interval.
    EXPECT_EQ(machine.http.Requests().size(), 2u);
    EXPECT_EQ(updates.NextCheckDate(), InDays(30));
}

TEST_F(AutomaticUpdatesTest, AcceptedUpdateIsDownloadedVerifiedAndStarted) {
    acceptDownload = true;
    const auto size = static_cast<int32_t>(kInstaller.size());
    machine.http.QueueResponse(app::kUpdateURL, Answer(Info("6.1.0", kDownload, size)));
    machine.http.QueueResponse(kDownload, Answer(kInstaller));
    Check(true);
    EXPECT_EQ(statuses, (std::vector<StatusEvent>{{true, "6.1.0", kDownload, size}}));
    ASSERT_EQ(machine.http.Requests().size(), 2u);
    const sim::SimHttpRequestRecord& download = machine.http.Requests()[1];
    EXPECT_EQ(download.url, kDownload);
    EXPECT_EQ(download.Header("If-Modified-Since"), "");
    EXPECT_EQ(download.Header("User-Agent"), machine.http.Requests()[0].Header("User-Agent"));
    EXPECT_EQ(executed, 0);

    machine.ui.DoEvents();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(executed, 1);
    ASSERT_EQ(machine.system.VerifiedFiles().size(), 1u);
    const std::string installer = machine.system.VerifiedFiles()[0];
    EXPECT_EQ(std::filesystem::path(installer).parent_path(), dir.Path());
    EXPECT_EQ(Path::GetFileName(installer).substr(0, 4), "~TMP");
    EXPECT_EQ(std::filesystem::path(installer).extension(), ".exe");
    EXPECT_EQ(ReadFileBytes(installer), kInstaller);
    ASSERT_EQ(machine.system.ShellCalls().size(), 1u);
    const sim::SimSystem::ShellCall& start = machine.system.ShellCalls()[0];
    EXPECT_EQ(std::tie(start.verb, start.file, start.parameters, start.directory),
              std::tie("open", installer, machine.system.programFolder, ""));
    EXPECT_EQ(start.show, platform::ShowCommand::Normal);
    EXPECT_EQ(updates.NextCheckDate(), InDays(30));
}

TEST_F(AutomaticUpdatesTest, InstallerFailingItsChecksIsNeverStartedAndTheUserIsTold) {
    acceptDownload = true;
    const auto size = static_cast<int32_t>(kInstaller.size());
    const OleDate next = updates.NextCheckDate();
    struct Case {
        std::string name;
        sim::SimHttpResponse download;
        int32_t signature;
        bool shellStarts;
        int32_t number;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"short", Answer(kInstaller.substr(1)), 0, true, 1,
         "The downloaded update is " + std::to_string(size - 1) +
             " bytes long instead of the announced " + std::to_string(size) + " bytes."},
        {"longer", Answer(kInstaller + "!"), 0, true, 1, "bytes long instead of the announced"},
        {"unsigned", Answer(kInstaller), static_cast<int32_t>(0x800B0100), true, 1,
         "digital signature could not be verified"},
        {"not started", Answer(kInstaller), 0, false, 1, "could not be started"},
        {"transport", sim::SimHttpResponse::Failure(12030), 0, true, 12030,
         "terminated abnormally"},
        {"html", Answer(kInstaller, "text/html"), 0, true, 1, "Invalid content type: text/html"},
        {"not modified", Status(304, "Not Modified"), 0, true, 304, "Not Modified"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errors.clear();
        machine.system.signatureResult = c.signature;
        machine.system.shellExecuteSucceeds = c.shellStarts;
        machine.http.QueueResponse(app::kUpdateURL, Answer(Info("6.1.0", kDownload, size)));
        machine.http.QueueResponse(kDownload, c.download);
        // Automatic: the user agreed to the download, so its failure is shown all the same.
        CheckAndDownload(true);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].first, c.number);
        EXPECT_NE(errors[0].second.find(c.error), std::string::npos) << errors[0].second;
        if (c.signature != 0) {
            EXPECT_NE(errors[0].second.find("(0x800B0100)"), std::string::npos);
        }
        EXPECT_EQ(executed, 0);
        EXPECT_TRUE(TempFolderEmpty());
        EXPECT_EQ(updates.NextCheckDate(), next);
    }
    // Only the installer whose signature held was handed to the shell (and it refused).
    EXPECT_EQ(machine.system.VerifiedFiles().size(), 2u);
    EXPECT_EQ(machine.system.ShellCalls().size(), 1u);
}

TEST_F(AutomaticUpdatesTest, AlarmFiresOnceAtNextCheckDateAndStopAbortsEverything) {
    updates.SetNextCheckDate(AddSeconds(machine.clock.Now(), 3600));
    machine.http.QueueResponse(Status(304, "Not Modified"));
    updates.StartAutomaticUpdates();
    updates.StartAutomaticUpdates();  // re-arming keeps one alarm
    EXPECT_EQ(machine.timers.ActiveCount(), 1u);
    machine.timers.AdvanceTime(3590 * 1000);
    EXPECT_TRUE(machine.http.Requests().empty());
    machine.timers.AdvanceTime(20 * 1000);
    ASSERT_EQ(machine.http.Requests().size(), 1u);
    EXPECT_NE(machine.http.Requests()[0].Header("If-Modified-Since"), "");
    machine.ui.DoEvents();
    machine.timers.AdvanceTime(40ull * 86400 * 1000);
    EXPECT_EQ(machine.http.Requests().size(), 1u);
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);

    // The alarm leaves a check the user started alone: its answer is still shown to the user.
    machine.http.QueueResponse(Answer(Info("6.0.0", "", 0)));
    updates.ManuallyUpdate();
    updates.SetNextCheckDate(machine.clock.Now());
    updates.StartAutomaticUpdates();
    machine.timers.AdvanceTime(10 * 1000);
    machine.ui.DoEvents();
    EXPECT_EQ(machine.http.Requests().size(), 2u);
    EXPECT_EQ(statuses.size(), 1u);

    // Stopping disarms the alarm and abandons the check in flight.
    statuses.clear();
    updates.ManuallyUpdate();
    updates.StartAutomaticUpdates();
    EXPECT_EQ(machine.timers.ActiveCount(), 1u);
    updates.StopAutomaticUpdates();
    EXPECT_EQ(machine.http.PendingCount(), 0u);
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);
    machine.ui.DoEvents();
    EXPECT_TRUE(statuses.empty() && errors.empty());
}

}  // namespace
}  // namespace vexav6::testing
