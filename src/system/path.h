#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// Path and whole-file helpers shared by the whole program.
//
// Paths are UTF-8 text. The separator is the build's own: "\" in the Windows program, "/" in the
// native one; CombinePath turns the other one into it.
namespace vexav6::Path {

// The separator of this build's paths.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// Where whole-file writes put their bytes. The program writes to the system's files; a test hands
// WriteAllBytes a disk of its own to make a write fail part-way, as a full disk or a pulled USB
// stick would.
class Disk {
  public:
    virtual ~Disk() = default;
    // Writes up to `size` bytes to the open file `fd` (a C-library file descriptor): the count
    // written, or -1 with the C library's error value in `error`.
    virtual int64_t Write(int fd, const uint8_t* data, size_t size, int& error) = 0;
};
// The system's own disk.
Disk& SystemDisk();

// The user's temp folder, ending in the path separator. The system back-end asks the system once
// and keeps the answer, so these are the same for the whole run.
std::string GetTempFolder(const Platform& platform);
// The full path of the running program file.
std::string GetApplicationFile(const Platform& platform);
// The folder of the running program, where its data files live.
std::string GetProgramFolder(const Platform& platform);

// Joins a folder and a name with exactly one separator at the seam when either side has one
// there, or one added when neither has.
std::string CombinePath(std::string_view folder, std::string_view name);
// True only when the path names an existing file that is not a folder.
bool FileExists(std::string_view path);
// Tries to delete the file until it is gone or the time-out has passed; never fails, never
// deletes a folder.
void DeleteFileWithRetry(std::string_view path, int32_t timeoutSeconds);
// A full path in `folder` of the form ~TMP + MMDDHHNNSS + six-digit counter + "." + extension
// that does not exist yet.
std::string MakeTempFileName(const Platform& platform, std::string_view folder,
                             std::string_view extension);
// The text after the last separator, or the whole path when there is none.
std::string GetFileName(std::string_view path);

// Writes the whole file in one piece. Never leaves a partial file and never loses the previous
// file: the bytes go to a temporary file in the same folder that replaces the target only once it
// is complete. A read-only target is refused. On failure: false, or the error raised (75
// path/file access, 76 path not found, 70 permission denied, 61 disk full) when `raiseErrors`.
bool WriteAllBytes(std::string_view path, std::span<const uint8_t> bytes, bool raiseErrors,
                   Disk& disk = SystemDisk());
// Reads `count` bytes from `offset` (offset <= 0: from the start; count <= 0: to the end).
// Reading zero bytes fails (9), and so does asking for more bytes than the file holds after
// `offset` (62). On failure `bytes` is left empty and the result is false, or the error is
// raised when `raiseErrors`.
bool ReadAllBytes(std::string_view path, std::vector<uint8_t>& bytes, int32_t offset, int32_t count,
                  bool raiseErrors);

}  // namespace vexav6::Path
