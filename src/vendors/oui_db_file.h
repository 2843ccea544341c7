#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/ole_date.h"
#include "vendors/oui_table.h"

// The vendor database file "oui.db": version byte 1, LastModified as an 8-byte OLE date, the record
// count as a 32-bit integer, then every record as its 32-bit OUINumber and its three texts, each a
// 16-bit byte length followed by the bytes. Integers and the date are little-endian; texts are
// UTF-8 (files written by older builds in an ANSI code page are read as Windows-1252).
namespace vexav6::OUIDatabase {

inline constexpr uint8_t kVersion = 1;

// The bytes of a database file. A text of 32,768 bytes or more cannot be stored: error 6 (Overflow)
// with `errorSource`.
std::vector<uint8_t> Encode(const OUITable& table, OleDate lastModified, const char* errorSource);

// Reads a database file's bytes. `lastModified` is set as soon as it has been read, also when a
// later part fails. Failures, all with `errorSource`: a version other than 1 (error 1, "Database
// file version not supported."), a record count below 1 (error 9), data shorter than the count
// and lengths promise (error 62, "Input past end of file"). Nothing is allocated beyond what the
// data can hold. The table keeps the file's bytes and finds its texts where they stand in them.
OUITable Decode(std::string fileBytes, OleDate& lastModified, const char* errorSource);

}  // namespace vexav6::OUIDatabase
