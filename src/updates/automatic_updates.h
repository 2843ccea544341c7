#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/ole_date.h"
#include "platform/platform.h"
#include "system/memory_stream.h"
#include "system/timer.h"

namespace vexav6 {

// The check for a newer version of the program: automatically once `NextCheckDate` is reached, or
// when the user asks. The update information is fetched over HTTPS; when a newer version is offered
// and the receiver of UpdateStatus asks for it, the installer is downloaded, checked (its size
// against the announced one, its digital signature) and started.
//
// Everything runs on the user-interface thread; results arrive as the events below. An automatic
// check never shows anything: its failures are silent and leave NextCheckDate as it was. Once the
// user has agreed to a download, its failures are always reported, as they would be for a manual
// check, since the user is waiting for it.
class AutomaticUpdates {
  public:
    // The version of the record in the settings file that this class reads and writes.
    static constexpr uint8_t kRecordVersion = 1;
    static constexpr int16_t kDefaultCheckIntervalDays = 30;
    // How often the alarm timer looks at the clock while it waits for NextCheckDate.
    static constexpr int32_t kAlarmSampleIntervalMs = 10000;
    static constexpr int32_t kHttpTimeoutMs = 30000;

    // LastModified before any update information was received: 1 January 2010 00:00.
    static OleDate DefaultLastModified();

    // The defaults are in place until Init reads a record.
    explicit AutomaticUpdates(const Platform& platform);
    ~AutomaticUpdates();
    AutomaticUpdates(const AutomaticUpdates&) = delete;
    AutomaticUpdates& operator=(const AutomaticUpdates&) = delete;

    // Reads the update record at the stream's position. A record of another version than 1 gives
    // the defaults. A date that no calendar holds (a damaged file) is replaced by its default.
    // Errors of the stream (a text cut short) are passed on.
    void Init(MemoryStream& stream);
    // Writes the record (always version 1) at the stream's position.
    void WriteTo(MemoryStream& stream) const;
    // LastModified 2010-01-01, NextCheckDate now, 30 days, the product's update address.
    void LoadDefaults();

    // Arms the alarm for NextCheckDate (re-arming it when it was armed). The alarm fires once: the
    // check it starts does not arm it again.
    void StartAutomaticUpdates();
    // Disarms the alarm and abandons any request in flight; no event follows.
    void StopAutomaticUpdates();
    // Starts a check for the user, abandoning an automatic one that may be in flight.
    void ManuallyUpdate();

    OleDate LastModified() const { return lastModified_; }
    OleDate NextCheckDate() const { return nextCheckDate_; }
    void SetNextCheckDate(OleDate value) { nextCheckDate_ = value; }
    int16_t CheckIntervalDays() const { return checkIntervalDays_; }
    void SetCheckIntervalDays(int16_t value) { checkIntervalDays_ = value; }
    const std::string& UpdateURL() const { return updateURL_; }
    void SetUpdateURL(std::string_view value) { updateURL_ = value; }

    // Whether the alarm is armed, and whether a check or download is under way.
    bool AlarmArmed() const { return timer_.Status(); }
    bool Busy() const { return busy_; }

    // A check has a result to show. For "no update" the texts are empty and the size 0. The
    // receiver sets `downloadAndInstall` to have the offered installer downloaded and started.
    std::function<void(bool newVersionAvailable, const std::string& newVersion,
                       const std::string& downloadURL, int32_t downloadSize,
                       bool& downloadAndInstall)>
        onUpdateStatus;
    // A manual check, or a download the user asked for, failed.
    std::function<void(int32_t errorNumber, const std::string& errorDescription)> onUpdateError;
    // The installer was started; the program should now end.
    std::function<void()> onUpdateExecuted;

    // The alarm's event: an automatic check, unless a check is already under way.
    void Timer__Timer();

  private:
    void StartCheck();
    void SendRequest(const std::string& url, bool conditional);
    void OnResponseFinished();
    void OnRequestError(int32_t number, const std::string& description);
    void HandleResponse();
    void HandleUpdateInformation();
    void StartInstaller();
    void MoveNextCheckDate();
    // Reports a failure as the rules above say, and ends the check.
    void Fail(int32_t number, const std::string& description);

    Platform platform_;
    OleDate lastModified_;
    OleDate nextCheckDate_;
    int16_t checkIntervalDays_ = kDefaultCheckIntervalDays;
    std::string updateURL_;

    std::unique_ptr<platform::HttpRequest> request_;
    Timer timer_;
    bool automatic_ = false;
    bool download_ = false;
    bool busy_ = false;
    // The offered installer while it downloads.
    std::string downloadURL_;
    int32_t downloadSize_ = 0;
};

// Whether `offered` is greater than `running`, comparing the texts code unit by code unit as the
// update service has always been compared: "6.0.10" is not greater than "6.0.9".
bool VersionIsGreater(std::string_view offered, std::string_view running);

// Whether the address may be used by the update check: an https:// address with a host.
bool IsSecureUpdateAddress(std::string_view url);

}  // namespace vexav6
