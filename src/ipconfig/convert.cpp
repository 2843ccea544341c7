#include "ipconfig/convert.h"

#include "base/text.h"

namespace vexav6::Convert {

std::string BytesToHex(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const uint8_t b : bytes) {
        out += ByteToHex(b);
    }
    return out;
}

std::string ByteToHex(uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string{kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::vector<uint8_t> HexToBytes(std::string_view text) {
    std::vector<uint8_t> bytes(text.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(text::LeadingHexValue(text.substr(2 * i, 2)));
    }
    return bytes;
}

}  // namespace vexav6::Convert
