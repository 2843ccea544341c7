#include "platform/win32/win32_timers.h"

#include <utility>

namespace vexav6::win32 {
namespace {

struct Owner {
    Win32Timers* timers;
    uint32_t id;
};

// System timer identifier -> its owner, for the timers of this thread (the system calls the
// timer procedure on the thread that set the timer).
thread_local std::map<UINT_PTR, Owner> owners;

}  // namespace

Win32Timers::~Win32Timers() {
    for (const auto& [id, entry] : timers_) {
        ::KillTimer(nullptr, entry.systemId);
        owners.erase(entry.systemId);
    }
}

uint32_t Win32Timers::SetTimer(uint32_t periodMs, std::function<void(uint32_t id)> callback) {
    const UINT_PTR systemId = ::SetTimer(nullptr, 0, periodMs, &Win32Timers::TimerProc);
    if (systemId == 0) {
        return 0;
    }
    const uint32_t id = ++lastId_;
    timers_[id] = Entry{systemId, std::move(callback)};
    owners[systemId] = Owner{this, id};
    return id;
}

bool Win32Timers::KillTimer(uint32_t id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) {
        return false;
    }
    const UINT_PTR systemId = found->second.systemId;
    timers_.erase(found);
    owners.erase(systemId);
    return ::KillTimer(nullptr, systemId) != FALSE;
}

void CALLBACK Win32Timers::TimerProc(HWND, UINT, UINT_PTR systemId, DWORD) noexcept {
    const auto found = owners.find(systemId);
    if (found != owners.end()) {
        found->second.timers->Fire(found->second.id);
    }
}

void Win32Timers::Fire(uint32_t id) noexcept {
    try {
        const auto found = timers_.find(id);
        if (found == timers_.end()) {
            return;
        }
        // A copy: the callback may kill its own timer.
        const std::function<void(uint32_t)> callback = found->second.callback;
        callback(id);
    } catch (...) {
        try {
            if (errorHandler_) {
                errorHandler_(CurrentExceptionAsError());
            }
        } catch (...) {
            // The report itself failed: nothing more can be done here.
        }
    }
}

}  // namespace vexav6::win32
