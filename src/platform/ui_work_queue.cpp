#include "platform/ui_work_queue.h"

#include <utility>

namespace vexav6::platform {

void UiWorkQueue::Post(std::function<void()> work) {
    {
        const std::lock_guard lock(mutex_);
        items_.push_back(std::move(work));
    }
    posted_.notify_all();
}

size_t UiWorkQueue::RunPending() {
    std::deque<std::function<void()>> batch;
    {
        const std::lock_guard lock(mutex_);
        batch.swap(items_);
    }
    size_t ran = 0;
    while (!batch.empty()) {
        std::function<void()> work = std::move(batch.front());
        batch.pop_front();
        try {
            work();
        } catch (...) {
            const std::lock_guard lock(mutex_);
            items_.insert(items_.begin(), std::make_move_iterator(batch.begin()),
                          std::make_move_iterator(batch.end()));
            throw;
        }
        ++ran;
    }
    return ran;
}

bool UiWorkQueue::WaitForWork(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, timeout, [this] { return !items_.empty(); });
}

}  // namespace vexav6::platform
