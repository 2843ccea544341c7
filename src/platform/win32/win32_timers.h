#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "base/error.h"
#include "platform/timer_api.h"
#include "platform/win32/windows_include.h"

namespace vexav6::win32 {

// Windowless system timers (SetTimer without a window). They belong to the thread that starts
// them and fire while that thread runs its messages (the message loop, DoEvents, a modal box).
// Identifiers are this object's own (1, 2, ...), mapped to the system's.
class Win32Timers : public platform::TimerApi {
  public:
    Win32Timers() = default;
    ~Win32Timers() override;
    Win32Timers(const Win32Timers&) = delete;
    Win32Timers& operator=(const Win32Timers&) = delete;

    uint32_t SetTimer(uint32_t periodMs, std::function<void(uint32_t id)> callback) override;
    bool KillTimer(uint32_t id) override;

    // Receives what a callback threw: no exception may cross the system's timer call. Without a
    // handler such an error is dropped.
    void SetErrorHandler(std::function<void(const Error&)> handler) {
        errorHandler_ = std::move(handler);
    }

  private:
    struct Entry {
        UINT_PTR systemId = 0;
        std::function<void(uint32_t)> callback;
    };

    static void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR systemId,
                                   DWORD time) noexcept;
    void Fire(uint32_t id) noexcept;

    std::map<uint32_t, Entry> timers_;
    uint32_t lastId_ = 0;
    std::function<void(const Error&)> errorHandler_;
};

}  // namespace vexav6::win32
