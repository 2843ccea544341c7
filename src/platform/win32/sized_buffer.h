#pragma once

#include <cstdint>
#include <vector>

#include "platform/status.h"

namespace vexav6::win32 {

// The caller's buffer of the IP Helper calls that write a table into it. Kept 8-byte aligned: the
// records written there hold pointers and 64-bit fields.
class SizedBuffer {
  public:
    void Resize(uint32_t bytes) {
        storage_.assign((static_cast<size_t>(bytes) + 7) / 8, 0);
        size_ = bytes;
    }
    // No buffer at all while the size is 0, as the size-query round of the calls expects.
    void* Data() { return size_ == 0 ? nullptr : storage_.data(); }
    template <class T>
    const T* As() const {
        return size_ == 0 ? nullptr : reinterpret_cast<const T*>(storage_.data());
    }
    uint32_t Size() const { return size_; }

  private:
    std::vector<uint64_t> storage_;
    uint32_t size_ = 0;
};

// How often a table call is asked again after "buffer too small" before its answer is passed on.
inline constexpr int kMaxSizingRounds = 8;
// A larger table than this is not believed: the call answers ERROR_NOT_ENOUGH_MEMORY instead.
inline constexpr uint32_t kMaxTableBytes = 64u * 1024 * 1024;

// Runs `call(data, &size)` with a buffer of `initialSize` bytes (none for 0), and again with the
// size the call asked for while it answers "buffer too small" (ERROR_BUFFER_OVERFLOW 111 or
// ERROR_INSUFFICIENT_BUFFER 122). The table can grow between two calls, so one retry is not enough:
// the loop ends when the size is stable and the call succeeds or fails for another reason, whose
// code it returns. After kMaxSizingRounds rounds the last "too small" answer is returned. A call
// that says "too small" without asking for more than it had gets twice the room.
template <class Call>
platform::Status CallWithSizedBuffer(SizedBuffer& buffer, uint32_t initialSize, Call&& call) {
    namespace status = platform::status;
    uint32_t size = initialSize;
    platform::Status result = status::kInsufficientBuffer;
    for (int round = 0; round < kMaxSizingRounds; ++round) {
        buffer.Resize(size);
        uint32_t asked = size;
        result = call(buffer.Data(), &asked);
        if (result != status::kBufferOverflow && result != status::kInsufficientBuffer) {
            return result;
        }
        const uint64_t next = asked > size ? asked : uint64_t{size} * 2 + 256;
        if (next > kMaxTableBytes) {
            return status::kNotEnoughMemory;
        }
        size = static_cast<uint32_t>(next);
    }
    return result;
}

}  // namespace vexav6::win32
