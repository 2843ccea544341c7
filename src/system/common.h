#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/keyed_collection.h"
#include "base/ole_date.h"

// Small stateless helpers shared across the program: speed, rate and size texts, padding,
// tokenising, collection lookup, HTTP dates.
namespace vexav6::Common {

// Speed, rate and size texts: the unit is chosen first (a step up at 1000 of the current unit),
// then the value is rounded to two decimals with halves to even and written in its shortest form
// with "." as the decimal separator (docs/formatting.md). Values below 1 give "0" and the first
// unit.
std::string FormatBitRate(double bitsPerSecond);    // "1.54 kbps"
std::string FormatByteRate(double bytesPerSecond);  // "0.98 KB/s"
std::string FormatByteSize(double bytes);           // "1.5 KB"

// Pads with the first character of `pad` up to `width`; a text longer than the width fails with
// error 5 (invalid procedure call).
std::string PadLeft(std::string_view text, int16_t width, std::string_view pad);
std::string PadRight(std::string_view text, int16_t width, std::string_view pad);

// Returns the part of `text` before the first `delimiter` (one character) and leaves the rest in
// `text`; without a delimiter the whole text is returned and `text` becomes empty. An empty
// delimiter fails with error 5.
std::string NextToken(std::string& text, std::string_view delimiter);

template <class T>
bool CollectionKeyExists(const KeyedCollection<T>& list, std::string_view key) {
    return list.Contains(key);
}

// Reads an HTTP date ("Tue, 15 Nov 1994 08:12:31 GMT") by the fixed positions of its fields; a
// field that is not a number fails with error 13 (type mismatch).
OleDate ParseHttpDate(std::string_view text);

// The text of a zero-terminated string in the system's ANSI code page; empty for a null pointer.
std::string StringFromAnsiPointer(const char* text);

}  // namespace vexav6::Common
