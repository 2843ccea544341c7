#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexav6::testing {

// Writes 8-bit RGB pixels (rows top to bottom, 3 bytes a pixel) as a PNG file. The image data is
// stored uncompressed: the files are for looking at, not for shipping. False when the file could
// not be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace vexav6::testing
