#include "system/path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <limits>
#include <system_error>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include "base/error.h"
#include "base/ole_date.h"
#include "base/text.h"
#include "system/path_fault_injection.h"

namespace vexav6::Path {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kOtherSeparator = '/';
#else
constexpr char kOtherSeparator = '\\';
#endif

// The text form of a path turned into the file system's form: UTF-16 on Windows, the bytes as
// they are elsewhere. Windows stops at MAX_PATH (260) characters unless a full drive path carries
// the long-path prefix "\\?\", which also turns off the system's own clean-up of "." and ".."
// and of "/"; so only long drive paths get it, cleaned up here. Short paths, relative paths and
// UNC paths (which begin with two backslashes) go to the system as they are.
fs::path ToFsPath(std::string_view path) {
#ifdef _WIN32
    const std::u16string utf16 = text::Utf8ToUtf16(path);
    std::wstring wide(utf16.begin(), utf16.end());
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    constexpr size_t kMaxPath = 260;
    const bool drivePath = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
    if (wide.size() >= kMaxPath && drivePath) {
        wide = L"\\\\?\\" + fs::path(wide).lexically_normal().wstring();
    }
    return fs::path(wide);
#else
    return fs::path(std::string(path));
#endif
}

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

// One open C-library file descriptor, closed when it goes.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // Opens for reading: 0 or the errno value.
    int OpenForReading(const fs::path& path) {
#ifdef _WIN32
        fd_ = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
        return fd_ < 0 ? errno : 0;
    }
    // Creates a file that must not exist yet, for writing: 0 or the errno value (EEXIST when it
    // exists).
    int CreateNew(const fs::path& path) {
#ifdef _WIN32
        fd_ = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                       _S_IREAD | _S_IWRITE);
#else
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
        return fd_ < 0 ? errno : 0;
    }

    // The file's length, or -1 with errno set; `isFolder` tells whether it is a folder.
    int64_t Length(bool& isFolder) const {
#ifdef _WIN32
        struct _stati64 info {};
        if (::_fstati64(fd_, &info) != 0) {
            return -1;
        }
#else
        struct stat info {};
        if (::fstat(fd_, &info) != 0) {
            return -1;
        }
#endif
        isFolder = (info.st_mode & S_IFMT) == S_IFDIR;
        return static_cast<int64_t>(info.st_size);
    }

    int Seek(int64_t offset) {
#ifdef _WIN32
        return ::_lseeki64(fd_, offset, SEEK_SET) < 0 ? errno : 0;
#else
        return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0 ? errno : 0;
#endif
    }

    // Reads exactly `size` bytes: 0, EOF when the file ends first, or the errno value.
    int ReadExactly(uint8_t* data, size_t size) {
        while (size > 0) {
            const unsigned piece = static_cast<unsigned>(std::min<size_t>(size, kChunk));
#ifdef _WIN32
            const int got = ::_read(fd_, data, piece);
#else
            const ssize_t got = ::read(fd_, data, piece);
#endif
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            if (got == 0) {
                return EOF;
            }
            data += got;
            size -= static_cast<size_t>(got);
        }
        return 0;
    }

    // Writes all of `size` bytes: 0 or the errno value.
    int WriteAll(const uint8_t* data, size_t size, size_t failAfter, int failWith) {
        size_t written = 0;
        while (written < size) {
            size_t piece = std::min<size_t>(size - written, kChunk);
            if (failWith != 0) {
                if (written >= failAfter) {
                    return failWith;
                }
                piece = std::min(piece, failAfter - written);
            }
#ifdef _WIN32
            const int put = ::_write(fd_, data + written, static_cast<unsigned>(piece));
#else
            const ssize_t put = ::write(fd_, data + written, piece);
#endif
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            if (put == 0) {
                return ENOSPC;
            }
            written += static_cast<size_t>(put);
        }
        return failWith;
    }

    // Makes the system put the data on the disk before the file replaces the previous one, so a
    // power failure right after a save cannot leave an empty file in its place.
    int Flush() {
#ifdef _WIN32
        return ::_commit(fd_) != 0 ? errno : 0;
#else
        return ::fsync(fd_) != 0 ? errno : 0;
#endif
    }

    int Close() {
        if (fd_ < 0) {
            return 0;
        }
#ifdef _WIN32
        const int result = ::_close(fd_);
#else
        const int result = ::close(fd_);
#endif
        fd_ = -1;
        return result != 0 ? errno : 0;
    }

  private:
    static constexpr size_t kChunk = 1 << 20;
    int fd_ = -1;
};

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

// The failure a test asked the next write to meet (see path_fault_injection.h).
struct InjectedWriteFailure {
    size_t after = 0;
    int errnoValue = 0;
};
InjectedWriteFailure injectedWriteFailure;

std::string TwoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
           static_cast<char>('0' + value % 10);
}

int CurrentProcessId() {
#ifdef _WIN32
    return ::_getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

// Writes `bytes` to a new temporary file beside `target` and moves it over the target once all
// is written: 0 or the errno value of the step that failed. On failure the temporary file is
// gone and the target is as it was.
int WriteReplacing(const fs::path& target, std::span<const uint8_t> bytes) {
    const InjectedWriteFailure failure = std::exchange(injectedWriteFailure, {});

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

    status = file.WriteAll(bytes.data(), bytes.size(), failure.after, failure.errnoValue);
    if (status == 0) {
        status = file.Flush();
    }
    const int closeStatus = file.Close();
    if (status == 0) {
        status = closeStatus;
    }
#ifndef _WIN32
    if (status == 0 && targetExists) {
        // The new file keeps who may read the old one (a private file stays private).
        fs::permissions(temp, targetStatus.permissions(), ec);
    }
#endif
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

bool WriteAllBytes(std::string_view path, std::span<const uint8_t> bytes, bool raiseErrors) {
    const int status = WriteReplacing(ToFsPath(path), bytes);
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

namespace faults {

void FailNextWriteAfter(size_t bytes, int errnoValue) {
    injectedWriteFailure = InjectedWriteFailure{bytes, errnoValue};
}

void ClearWriteFailure() {
    injectedWriteFailure = {};
}

}  // namespace faults

}  // namespace vexav6::Path
