#pragma once

#include <cstddef>

// A way for tests to make a whole-file write fail part-way, as a full disk or a pulled USB stick
// would, on every build. Nothing in the program calls it.
namespace vexav6::Path::faults {

// The next WriteAllBytes stops once `bytes` bytes have reached the disk and fails with the C
// library error `errnoValue` (ENOSPC, EIO ...). The injection is used up by that one write.
void FailNextWriteAfter(size_t bytes, int errnoValue);
// Withdraws an injection that no write has used.
void ClearWriteFailure();

}  // namespace vexav6::Path::faults
