#pragma once

#include <algorithm>
#include <cstddef>

#include "system/path.h"

namespace vexav6::testing {

// A disk that fails once `capacity` bytes have reached it, as a full disk (ENOSPC) or a pulled USB
// stick (EIO) would: what fits is written to the real file, every later write fails with
// `errnoValue`.
class FailingDisk final : public Path::Disk {
  public:
    FailingDisk(size_t capacity, int errnoValue) : capacity_(capacity), errnoValue_(errnoValue) {}

    int64_t Write(int fd, const uint8_t* data, size_t size, int& error) override {
        if (written_ >= capacity_) {
            error = errnoValue_;
            return -1;
        }
        const int64_t put =
            Path::SystemDisk().Write(fd, data, std::min(size, capacity_ - written_), error);
        if (put > 0) {
            written_ += static_cast<size_t>(put);
        }
        return put;
    }

  private:
    size_t capacity_;
    int errnoValue_;
    size_t written_ = 0;
};

}  // namespace vexav6::testing
