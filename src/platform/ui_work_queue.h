#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace vexav6::platform {

// Work handed to the user-interface thread from any other thread: back-ends that finish work on
// their own threads (an HTTP transfer) post the notification here, and the user interface runs it
// when it services its pending work (its DoEvents and its main loop). Nothing else is locked, so
// every callback of the program still runs on the one user-interface thread.
class UiWorkQueue {
  public:
    // Any thread.
    void Post(std::function<void()> work);

    // User-interface thread: runs the work posted before the call, in order; work posted while it
    // runs waits for the next call. Returns how many items ran. Work should not throw; if it does,
    // the items not yet run stay queued and the exception goes to the caller.
    size_t RunPending();

    // Blocks until work is pending or the time-out has passed; true when work is pending. For a
    // loop that has nothing else to wait for (a console front end, a test).
    bool WaitForWork(std::chrono::milliseconds timeout);

  private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> items_;
};

}  // namespace vexav6::platform
