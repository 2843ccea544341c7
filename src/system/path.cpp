#include "system/path.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>
#include <thread>
#include <utility>

#include "base/error.h"
#include "base/ole_date.h"
#include "base/text.h"

namespace vexav6::Path {
namespace {

namespace fs = std::filesystem;

constexpr char kOtherSeparator = kSeparator == '/' ? '\\' : '/';

// --- What each platform's file code supplies (path_win32.inc, path_posix.inc, at the end) ---

// The text form of a path turned into the file system's form.
fs::path ToFsPath(std::string_view path);
int CurrentProcessId();
// Gives a new file the permissions of the one it replaces (where the system has them).
void KeepPermissions(const fs::path& file, fs::perms permissions);

// One open C-library file descriptor, closed when it goes. Each step answers 0 or the C library's
// error value.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int OpenForReading(const fs::path& path);
    // Creates a file that must not exist yet, for writing (EEXIST when it exists).
    int CreateNew(const fs::path& path);
    // The file's length, or -1 with errno set; `isFolder` tells whether it is a folder.
    int64_t Length(bool& isFolder) const;
    int Seek(int64_t offset);
    // Reads exactly `size` bytes: 0, EOF when the file ends first, or the error value.
    int ReadExactly(uint8_t* data, size_t size);
    // Writes all of `size` bytes through `disk`.
    int WriteAll(Disk& disk, const uint8_t* data, size_t size);
    // Makes the system put the data on the disk before the file replaces the previous one, so a
    // power failure right after a save cannot leave an empty file in its place.
    int Flush();
    int Close();

  private:
    static constexpr size_t kChunk = 1 << 20;
    int fd_ = -1;
};

// --- Portable ---

bool IsExistingFile(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

// Another program (a virus scanner, the indexer) may hold the file for a moment. Between tries
// the thread sleeps a little instead of spinning; the time-out runs on a steady clock, which
// neither midnight nor a change of the system time can upset.
void DeleteWithRetry(const fs::path& target, int32_t timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        if (!IsExistingFile(target)) {
            return;
        }
        std::error_code ignored;
        fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove(target, ignored);
        if (!IsExistingFile(target) || std::chrono::steady_clock::now() >= deadline) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The C library's error values as the program's file error numbers.
int32_t FileErrorNumber(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
            return errnum::kPathNotFound;
        case ENOSPC:
        case EFBIG:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return errnum::kDiskFull;
        case EPERM:
        case EBUSY:
#ifdef ETXTBSY
        case ETXTBSY:
#endif
            return errnum::kPermissionDenied;
        default:
            return errnum::kPathFileAccessError;  // EACCES, EROFS, EISDIR, EIO ...
    }
}

int ErrnoOf(const std::error_code& ec) {
    const std::error_condition condition = ec.default_error_condition();
    return condition.category() == std::generic_category() ? condition.value() : EIO;
}

// The counter of MakeTempFileName: 1 .. 100000, then 1 again.
std::atomic<int32_t> tempNameCounter{0};

int32_t NextTempNameCounter() {
    int32_t current = tempNameCounter.load();
    int32_t next = 0;
    do {
        next = current >= 100000 ? 1 : current + 1;
    } while (!tempNameCounter.compare_exchange_weak(current, next));
    return next;
}

std::string TwoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
           static_cast<char>('0' + value % 10);
}

int FileDescriptor::WriteAll(Disk& disk, const uint8_t* data, size_t size) {
    size_t written = 0;
    while (written < size) {
        int error = 0;
        const int64_t put =
            disk.Write(fd_, data + written, std::min<size_t>(size - written, kChunk), error);
        if (put < 0) {
            if (error == EINTR) {
                continue;
            }
            return error;
        }
        if (put == 0) {
            return ENOSPC;
        }
        written += static_cast<size_t>(put);
    }
    return 0;
}

// Writes `bytes` to a new temporary file beside `target` and moves it over the target once all
// is written: 0 or the errno value of the step that failed. On failure the temporary file is
// gone and the target is as it was.
int WriteReplacing(const fs::path& target, std::span<const uint8_t> bytes, Disk& disk) {
    std::error_code ec;
    const fs::file_status targetStatus = fs::status(target, ec);
    const bool targetExists = !ec && fs::exists(targetStatus);
    if (targetExists) {
        if (fs::is_directory(targetStatus)) {
            return EISDIR;
        }
        // Replacing the file would get round its read-only flag: refuse, as opening it would.
        if ((targetStatus.permissions() & fs::perms::owner_write) == fs::perms::none) {
            return EACCES;
        }
    }

    // "~vexav6-<process>-<n>.tmp" in the target's folder, so that the final move stays inside
    // one volume and is atomic.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    static std::atomic<unsigned> attempt{0};
    fs::path temp;
    FileDescriptor file;
    int status = EEXIST;
    for (int tries = 0; status == EEXIST && tries < 100; ++tries) {
        temp = folder / ("~vexav6-" + std::to_string(CurrentProcessId()) + "-" +
                         std::to_string(++attempt) + ".tmp");
        status = file.CreateNew(temp);
    }
    if (status != 0) {
        return status;
    }

    status = file.WriteAll(disk, bytes.data(), bytes.size());
    if (status == 0) {
        status = file.Flush();
    }
    const int closeStatus = file.Close();
    if (status == 0) {
        status = closeStatus;
    }
    if (status == 0 && targetExists) {
        // The new file keeps who may read the old one (a private file stays private).
        KeepPermissions(temp, targetStatus.permissions());
    }
    if (status == 0) {
        fs::rename(temp, target, ec);
        if (ec) {
            status = ErrnoOf(ec);
        }
    }
    if (status != 0) {
        DeleteWithRetry(temp, 2);
    }
    return status;
}

}  // namespace

std::string GetTempFolder(const Platform& platform) {
    std::string folder = platform.system.GetTempPath();
    if (folder.empty() || (folder.back() != kSeparator && folder.back() != kOtherSeparator)) {
        folder += kSeparator;
    }
    return folder;
}

std::string GetApplicationFile(const Platform& platform) {
    return platform.system.GetProgramFile();
}

std::string GetProgramFolder(const Platform& platform) {
    return platform.system.GetProgramFolder();
}

std::string CombinePath(std::string_view folder, std::string_view name) {
    std::string left(folder);
    std::string right(name);
    std::replace(left.begin(), left.end(), kOtherSeparator, kSeparator);
    std::replace(right.begin(), right.end(), kOtherSeparator, kSeparator);
    const bool leftHas = !left.empty() && left.back() == kSeparator;
    const bool rightHas = !right.empty() && right.front() == kSeparator;
    if (leftHas && rightHas) {
        return left + right.substr(1);
    }
    if (leftHas || rightHas) {
        return left + right;
    }
    return left + kSeparator + right;
}

bool FileExists(std::string_view path) {
    return IsExistingFile(ToFsPath(path));
}

void DeleteFileWithRetry(std::string_view path, int32_t timeoutSeconds) {
    DeleteWithRetry(ToFsPath(path), timeoutSeconds);
}

std::string MakeTempFileName(const Platform& platform, std::string_view folder,
                             std::string_view extension) {
    for (;;) {
        const int32_t counter = NextTempNameCounter();
        const CivilTime now = CivilFromDate(platform.system.Now());
        std::string digits = std::to_string(counter);
        digits.insert(0, digits.size() < 6 ? 6 - digits.size() : 0, '0');
        const std::string name = "~TMP" + TwoDigits(now.month) + TwoDigits(now.day) +
                                 TwoDigits(now.hour) + TwoDigits(now.minute) +
                                 TwoDigits(now.second) + digits + "." + std::string(extension);
        std::string path = CombinePath(folder, name);
        if (!FileExists(path)) {
            return path;
        }
    }
}

std::string GetFileName(std::string_view path) {
    const size_t last = path.rfind(kSeparator);
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool WriteAllBytes(std::string_view path, std::span<const uint8_t> bytes, bool raiseErrors,
                   Disk& disk) {
    const int status = WriteReplacing(ToFsPath(path), bytes, disk);
    if (status == 0) {
        return true;
    }
    if (raiseErrors) {
        const int32_t number = FileErrorNumber(status);
        throw Error::FileError(number, "WriteAllBytes", path);
    }
    return false;
}

bool ReadAllBytes(std::string_view path, std::vector<uint8_t>& bytes, int32_t offset, int32_t count,
                  bool raiseErrors) {
    bytes.clear();
    int32_t number = 0;
    FileDescriptor file;
    if (const int status = file.OpenForReading(ToFsPath(path)); status != 0) {
        number = status == ENOENT ? errnum::kFileNotFound : FileErrorNumber(status);
    } else {
        bool isFolder = false;
        const int64_t length = file.Length(isFolder);
        const int64_t start = offset > 0 ? offset : 0;
        const int64_t wanted = count > 0 ? count : length - start;
        if (length < 0) {
            number = FileErrorNumber(errno);
        } else if (isFolder) {
            number = errnum::kPathFileAccessError;
        } else if (wanted <= 0) {
            number = errnum::kSubscriptOutOfRange;  // nothing to read: no array of zero length
        } else if (wanted > std::numeric_limits<int32_t>::max()) {
            number = errnum::kOverflow;
        } else if (start + wanted > length) {
            number = errnum::kInputPastEndOfFile;
        } else if (const int seek = file.Seek(start); seek != 0) {
            number = FileErrorNumber(seek);
        } else {
            bytes.resize(static_cast<size_t>(wanted));
            const int read = file.ReadExactly(bytes.data(), bytes.size());
            if (read != 0) {
                bytes.clear();
                number = read == EOF ? errnum::kInputPastEndOfFile : FileErrorNumber(read);
            }
        }
    }
    if (number == 0) {
        return true;
    }
    if (raiseErrors) {
        throw Error::FileError(number, "ReadAllBytes", path);
    }
    return false;
}

}  // namespace vexav6::Path

// The file code of each platform.
#ifdef _WIN32
#include "system/path_win32.inc"
#else
#include "system/path_posix.inc"
#endif
