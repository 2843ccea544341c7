#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// Path and whole-file helpers shared by the whole program.
namespace vexav6::Path {

// Records the temp folder and the application file of the running program.
void InitPaths(const Platform& platform);
// The user's temp folder, ending in the path separator.
std::string GetTempFolder(const Platform& platform);
// The full path of the running program file.
std::string GetApplicationFile(const Platform& platform);
// The folder of the running program, where its data files live.
std::string GetProgramFolder(const Platform& platform);

std::string CombinePath(std::string_view folder, std::string_view name);
// True only when the path names an existing file that is not a folder.
bool FileExists(std::string_view path);
// Tries to delete the file until it is gone or the time-out has passed; never fails.
void DeleteFileWithRetry(std::string_view path, int32_t timeoutSeconds);
// A full path in `folder` of the form ~TMP + MMDDHHNNSS + six-digit counter + "." + extension
// that does not exist yet.
std::string MakeTempFileName(const Platform& platform, std::string_view folder,
                             std::string_view extension);
// The text after the last separator, or the whole path when there is none.
std::string GetFileName(std::string_view path);

// Writes the whole file in one piece. Never leaves a partial file and never loses the previous
// file: the bytes go to a temporary file in the same folder that replaces the target only once it
// is complete. On failure: false, or the error raised when `raiseErrors` is true.
bool WriteAllBytes(std::string_view path, std::span<const uint8_t> bytes, bool raiseErrors);
// Reads `count` bytes from `offset` (count <= 0: to the end). Reading zero bytes fails.
bool ReadAllBytes(std::string_view path, std::vector<uint8_t>& bytes, int32_t offset,
                  int32_t count, bool raiseErrors);

}  // namespace vexav6::Path
