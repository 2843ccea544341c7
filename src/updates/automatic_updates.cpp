#include "updates/automatic_updates.h"

#include <cmath>
#include <cstdio>
#include <span>
#include <utility>
#include <vector>

#include "base/app_info.h"
#include "base/error.h"
#include "base/text.h"
#include "platform/http_errors.h"
#include "system/common.h"
#include "system/path.h"

namespace vexav6 {
namespace {

constexpr const char* kSource = "AutomaticUpdates";
constexpr uint8_t kProtocolVersion = 1;
constexpr const char* kInvalidInformation = "Invalid update information.";

// The range of dates the calendar functions handle: 1 January 100 to 31 December 9999.
constexpr double kFirstValidDate = -657434.0;
constexpr double kEndOfValidDates = 2958466.0;

bool IsValidDate(OleDate date) {
    return std::isfinite(date.value) && date.value >= kFirstValidDate &&
           date.value < kEndOfValidDates;
}

std::string UserAgent() {
    return std::string(app::kTitle) + " v" + app::FullVersion() + " (" + app::kProductWebAddress +
           ")";
}

// "0x800B0100".
std::string HexCode(int32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

std::string TrimLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

OleDate AutomaticUpdates::DefaultLastModified() {
    return DateFromCivil(2010, 1, 1);
}

AutomaticUpdates::AutomaticUpdates(const Platform& platform)
    : platform_(platform), request_(platform.http.CreateRequest()), timer_(platform) {
    LoadDefaults();
    request_->onResponseFinished = [this] { OnResponseFinished(); };
    request_->onError = [this](int32_t number, const std::string& description) {
        OnRequestError(number, description);
    };
    timer_.onTimer = [this] { Timer__Timer(); };
}

AutomaticUpdates::~AutomaticUpdates() {
    request_->Abort();
}

void AutomaticUpdates::Init(MemoryStream& stream) {
    if (stream.ReadByte() != kRecordVersion) {
        LoadDefaults();
        return;
    }
    // Read everything before taking any of it, so that a record cut short inside its text leaves
    // the object as it was.
    const OleDate lastModified = stream.ReadDate();
    const OleDate nextCheckDate = stream.ReadDate();
    const int16_t checkIntervalDays = stream.ReadInt();
    std::string updateURL = stream.ReadString();

    // A damaged file can hold any bit pattern in a date; one outside the calendar would be turned
    // into a day and month that do not exist when the next request is made.
    lastModified_ = IsValidDate(lastModified) ? lastModified : DefaultLastModified();
    nextCheckDate_ = IsValidDate(nextCheckDate) ? nextCheckDate : platform_.system.Now();
    checkIntervalDays_ = checkIntervalDays;
    updateURL_ = std::move(updateURL);
}

void AutomaticUpdates::WriteTo(MemoryStream& stream) const {
    stream.WriteByte(kRecordVersion);
    stream.WriteDate(lastModified_);
    stream.WriteDate(nextCheckDate_);
    stream.WriteInt(checkIntervalDays_);
    stream.WriteString(updateURL_);
}

void AutomaticUpdates::LoadDefaults() {
    lastModified_ = DefaultLastModified();
    nextCheckDate_ = platform_.system.Now();
    checkIntervalDays_ = kDefaultCheckIntervalDays;
    updateURL_ = app::kUpdateURL;
}

void AutomaticUpdates::StartAutomaticUpdates() {
    if (timer_.Status()) {
        timer_.StopTimer();
    }
    timer_.StartOn(nextCheckDate_, kAlarmSampleIntervalMs);
}

void AutomaticUpdates::StopAutomaticUpdates() {
    timer_.StopTimer();
    request_->Abort();
    busy_ = false;
    download_ = false;
}

void AutomaticUpdates::ManuallyUpdate() {
    request_->Abort();
    busy_ = false;
    automatic_ = false;
    StartCheck();
}

void AutomaticUpdates::Timer__Timer() {
    // A check the user started is already under way (or its result is on the screen): it moves
    // NextCheckDate itself.
    if (busy_) {
        return;
    }
    automatic_ = true;
    StartCheck();
}

void AutomaticUpdates::StartCheck() {
    download_ = false;
    try {
        if (!IsSecureUpdateAddress(updateURL_)) {
            throw Error(errnum::kOwnCheck, kSource,
                        "The update address is not an HTTPS address: " + updateURL_);
        }
        // A manual check asks unconditionally, so that the user always gets the full answer.
        SendRequest(updateURL_, automatic_);
    } catch (...) {
        const Error error = CurrentExceptionAsError();
        Fail(error.Number(), error.Description());
    }
}

void AutomaticUpdates::SendRequest(const std::string& url, bool conditional) {
    request_->Open("GET", url, true);
    request_->SetTimeouts(kHttpTimeoutMs, kHttpTimeoutMs, kHttpTimeoutMs, kHttpTimeoutMs);
    request_->SetRequestHeader("User-Agent", UserAgent());
    if (conditional) {
        request_->SetRequestHeader("If-Modified-Since", FormatHttpDateTime(lastModified_) + " GMT");
    }
    request_->Send();
    busy_ = true;
}

void AutomaticUpdates::OnResponseFinished() {
    try {
        HandleResponse();
    } catch (...) {
        const Error error = CurrentExceptionAsError();
        Fail(error.Number(), error.Description());
    }
}

void AutomaticUpdates::OnRequestError(int32_t number, const std::string& description) {
    Fail(number, description);
}

void AutomaticUpdates::HandleResponse() {
    const int32_t status = request_->Status();
    // The installer is asked for unconditionally: "not modified" is no answer to it.
    if (status == 304 && !download_) {
        MoveNextCheckDate();
        busy_ = false;
        if (!automatic_ && onUpdateStatus) {
            bool ignored = false;
            onUpdateStatus(false, "", "", 0, ignored);
        }
        return;
    }
    if (status != 200) {
        throw Error(status, kSource, request_->StatusText());
    }
    const std::string contentType = request_->GetResponseHeader("Content-Type");
    if (!text::ContainsIgnoreCase(contentType, "application/octet-stream")) {
        throw Error(errnum::kOwnCheck, kSource, "Invalid content type: " + contentType);
    }
    if (download_) {
        StartInstaller();
    } else {
        HandleUpdateInformation();
    }
}

void AutomaticUpdates::HandleUpdateInformation() {
    // Without a Last-Modified header nothing is known about the information's age: the next
    // automatic check asks as if none had been received.
    const std::string lastModifiedHeader = request_->GetResponseHeader("Last-Modified");
    const OleDate lastModified = lastModifiedHeader.empty()
                                     ? DefaultLastModified()
                                     : Common::ParseHttpDate(lastModifiedHeader);

    const std::vector<uint8_t>& body = request_->ResponseBody();
    MemoryStream stream;
    try {
        stream.InitBuffer(body);
    } catch (const Error&) {
        // An empty answer.
        throw Error(errnum::kOwnCheck, kSource, kInvalidInformation);
    }
    if (stream.ReadByte() != kProtocolVersion) {
        throw Error(errnum::kOwnCheck, kSource, "Update protocol version not supported.");
    }
    std::string newVersion;
    std::string downloadURL;
    int32_t downloadSize = 0;
    try {
        newVersion = stream.ReadString();
        downloadURL = stream.ReadString();
        downloadSize = stream.ReadLong();
    } catch (const Error&) {
        // A text longer than the information holds.
        throw Error(errnum::kOwnCheck, kSource, kInvalidInformation);
    }

    if (!VersionIsGreater(newVersion, app::FullVersion())) {
        // The date is taken only from information that was read in full: after a damaged answer
        // the next automatic check must not be told "not modified".
        lastModified_ = lastModified;
        MoveNextCheckDate();
        busy_ = false;
        if (!automatic_ && onUpdateStatus) {
            bool ignored = false;
            onUpdateStatus(false, "", "", 0, ignored);
        }
        return;
    }
    // The installer will run with administrator rights: it must come over an authenticated
    // connection, and its size must be known to check what arrives.
    if (!IsSecureUpdateAddress(downloadURL)) {
        throw Error(errnum::kOwnCheck, kSource,
                    "The download address is not an HTTPS address: " + downloadURL);
    }
    if (downloadSize < 1) {
        throw Error(errnum::kOwnCheck, kSource, kInvalidInformation);
    }
    lastModified_ = lastModified;

    bool downloadAndInstall = false;
    if (onUpdateStatus) {
        onUpdateStatus(true, newVersion, downloadURL, downloadSize, downloadAndInstall);
    }
    if (!downloadAndInstall) {
        MoveNextCheckDate();
        busy_ = false;
        return;
    }
    download_ = true;
    downloadURL_ = downloadURL;
    downloadSize_ = downloadSize;
    SendRequest(downloadURL_, false);
}

void AutomaticUpdates::StartInstaller() {
    const std::vector<uint8_t>& body = request_->ResponseBody();
    if (body.size() != static_cast<size_t>(downloadSize_)) {
        throw Error(errnum::kOwnCheck, kSource,
                    "The downloaded update is " + std::to_string(body.size()) +
                        " bytes long instead of the announced " + std::to_string(downloadSize_) +
                        " bytes.");
    }
    const std::string path =
        Path::MakeTempFileName(platform_, Path::GetTempFolder(platform_), "exe");
    Path::WriteAllBytes(path, std::span<const uint8_t>(body), true);

    const int32_t trust = platform_.system.VerifyFileSignature(path);
    if (trust != 0) {
        Path::DeleteFileWithRetry(path, 2);
        const std::string reason =
            TrimLineEnd(platform_.registry.SystemMessage(static_cast<platform::Status>(trust)));
        throw Error(errnum::kOwnCheck, kSource,
                    "The downloaded update was not started because its digital signature could "
                    "not be verified: " +
                        (reason.empty() ? std::string("error") : reason) + " (" + HexCode(trust) +
                        ").");
    }
    // The installer's command line is its own path in quotes (ShellExecute adds them) followed by
    // the program's folder, where it installs the new version.
    if (!platform_.system.ShellExecute("open", path, Path::GetProgramFolder(platform_), "",
                                       platform::ShowCommand::Normal)) {
        Path::DeleteFileWithRetry(path, 2);
        throw Error(errnum::kOwnCheck, kSource, "The downloaded update could not be started.");
    }
    MoveNextCheckDate();
    busy_ = false;
    download_ = false;
    if (onUpdateExecuted) {
        onUpdateExecuted();
    }
}

void AutomaticUpdates::MoveNextCheckDate() {
    nextCheckDate_ = AddDays(platform_.system.Now(), checkIntervalDays_);
}

void AutomaticUpdates::Fail(int32_t number, const std::string& description) {
    const bool report = !automatic_ || download_;
    busy_ = false;
    download_ = false;
    if (report && onUpdateError) {
        onUpdateError(number, description);
    }
}

bool VersionIsGreater(std::string_view offered, std::string_view running) {
    return text::Utf8ToUtf16(offered) > text::Utf8ToUtf16(running);
}

bool IsSecureUpdateAddress(std::string_view url) {
    return text::StartsWithIgnoreCase(url, "https://") &&
           platform::httperr::CheckRequestUrl(url) == 0;
}

}  // namespace vexav6
