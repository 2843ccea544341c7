#include "system/path.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "base/error.h"
#include "platform/sim/machine.h"
#include "support/failing_disk.h"
#include "support/temp_dir.h"

namespace vexav6 {
namespace {

namespace fs = std::filesystem;
using testing::FailingDisk;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// A path written with "\" in the separator of this build.
std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', Path::kSeparator);
    return path;
}

std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<std::string> FolderContents(const TempDir& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The error a call raised, or number -1 when it raised none.
template <class Call>
Error RaisedBy(Call call) {
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    return Error(-1, "", "nothing raised");
}

TEST(PathCombine, PutsExactlyOneSeparatorAtTheSeam) {
    EXPECT_EQ(Path::CombinePath("C:\\a\\", "\\b"), Native("C:\\a\\b"));
    EXPECT_EQ(Path::CombinePath("C:\\a\\", "b"), Native("C:\\a\\b"));
    EXPECT_EQ(Path::CombinePath("C:\\a", "\\b"), Native("C:\\a\\b"));
    EXPECT_EQ(Path::CombinePath("C:\\a", "b"), Native("C:\\a\\b"));
    // Either separator becomes the build's own.
    EXPECT_EQ(Path::CombinePath("C:/a", "b/c"), Native("C:\\a\\b\\c"));
    EXPECT_EQ(Path::CombinePath("C:/a/", "/b"), Native("C:\\a\\b"));
    EXPECT_EQ(Path::CombinePath("C:\\a/", "b\\c"), Native("C:\\a\\b\\c"));
}

TEST(PathFileName, IsTheTextAfterTheLastSeparator) {
    EXPECT_EQ(Path::GetFileName(Native("C:\\presets\\home.kpf")), "home.kpf");
    EXPECT_EQ(Path::GetFileName("home.kpf"), "home.kpf");
    EXPECT_EQ(Path::GetFileName(Native("C:\\presets\\")), "");
    EXPECT_EQ(Path::GetFileName(Path::CombinePath("a.b\\c.d", "e.f")), "e.f");
}

TEST(PathFileExists, OnlyForFilesThatAreNotFolders) {
    TempDir dir;
    WriteFileBytes(dir.Path() / "oui.db", "x");
    fs::create_directory(dir.Path() / "sub.kpf");

    EXPECT_TRUE(Path::FileExists(dir.File("oui.db")));
    EXPECT_FALSE(Path::FileExists(dir.File("sub.kpf")));
    EXPECT_FALSE(Path::FileExists(dir.Str()));
    EXPECT_FALSE(Path::FileExists(dir.File("missing.db")));
    EXPECT_FALSE(Path::FileExists(""));
}

TEST(PathFiles, WorkBeyondTheClassicPathLengthLimit) {
    TempDir dir;
    std::string folder = dir.Str();
    for (char c = 'a'; c < 'g'; ++c) {
        folder = Path::CombinePath(folder, std::string(50, c));
    }
    fs::create_directories(fs::path(folder));
    const std::string file = Path::CombinePath(folder, "Default.kpf");
    ASSERT_GT(file.size(), 300u);

    ASSERT_TRUE(Path::WriteAllBytes(file, Bytes("preset"), false));
    EXPECT_TRUE(Path::FileExists(file));
    std::vector<uint8_t> read;
    EXPECT_TRUE(Path::ReadAllBytes(file, read, 0, 0, false));
    EXPECT_EQ(read, Bytes("preset"));
    Path::DeleteFileWithRetry(file, 2);
    EXPECT_FALSE(Path::FileExists(file));
}

TEST(PathDelete, RemovesReadOnlyFilesButNeverFolders) {
    TempDir dir;
    const fs::path file = dir.Path() / "old.set";
    WriteFileBytes(file, "x");
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::create_directory(dir.Path() / "folder");

    Path::DeleteFileWithRetry(file.string(), 2);
    Path::DeleteFileWithRetry(dir.File("folder"), 0);
    Path::DeleteFileWithRetry(dir.File("missing"), 0);

    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "folder"));
}

TEST(PathTempName, CounterAndTimeMakeANewNameEachCall) {
    TempDir dir;
    sim::Machine machine;
    machine.clock.SetNow(DateFromCivil(2026, 12, 7, 6, 15, 30));
    const Platform platform = machine.GetPlatform();

    const std::string first = Path::MakeTempFileName(platform, dir.Str(), "tmp");
    const std::string second = Path::MakeTempFileName(platform, dir.Str(), "tmp");

    const std::string prefix = Path::CombinePath(dir.Str(), "~TMP1207061530");
    ASSERT_EQ(first.size(), prefix.size() + 10);
    EXPECT_EQ(first.substr(0, prefix.size()), prefix);
    EXPECT_TRUE(std::all_of(first.begin() + prefix.size(), first.end() - 4, [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    }));
    EXPECT_EQ(first.substr(first.size() - 4), ".tmp");
    EXPECT_NE(first, second);  // the same second: the counter tells them apart
    EXPECT_EQ(std::stoi(second.substr(prefix.size(), 6)),
              std::stoi(first.substr(prefix.size(), 6)) % 100000 + 1);
}

TEST(PathTempName, SkipsNamesThatExist) {
    TempDir dir;
    sim::Machine machine;
    const Platform platform = machine.GetPlatform();
    const std::string first = Path::MakeTempFileName(platform, dir.Str(), "kpf");
    const std::string head = first.substr(0, first.size() - 10);  // up to the counter
    const int counter = std::stoi(first.substr(first.size() - 10, 6));
    // Take the name the next call would give.
    std::string taken = std::to_string(counter % 100000 + 1);
    taken = head + std::string(6 - taken.size(), '0') + taken + ".kpf";
    WriteFileBytes(fs::path(taken), "in use");

    const std::string next = Path::MakeTempFileName(platform, dir.Str(), "kpf");

    EXPECT_NE(next, taken);
    EXPECT_FALSE(Path::FileExists(next));
    EXPECT_EQ(ReadFileBytes(fs::path(taken)), "in use");
}

TEST(PathWriteAllBytes, WritesAndReplacesTheWholeFile) {
    TempDir dir;
    const std::string file = dir.File("vexav6.set");

    ASSERT_TRUE(Path::WriteAllBytes(file, Bytes("a longer first version"), true));
    ASSERT_TRUE(Path::WriteAllBytes(file, Bytes("short"), true));
    EXPECT_EQ(ReadFileBytes(file), "short");
    ASSERT_TRUE(Path::WriteAllBytes(file, {}, true));
    EXPECT_EQ(ReadFileBytes(file), "");
    EXPECT_THAT(FolderContents(dir), ::testing::ElementsAre("vexav6.set"));
}

TEST(PathWriteAllBytes, AWriteThatFailsPartWayKeepsThePreviousFile) {
    TempDir dir;
    const std::string file = dir.File("Default.kpf");
    WriteFileBytes(file, "the presets the user had");
    const std::vector<uint8_t> replacement(100000, 0x5A);

    FailingDisk full(4096, ENOSPC);
    EXPECT_FALSE(Path::WriteAllBytes(file, replacement, false, full));
    EXPECT_EQ(ReadFileBytes(file), "the presets the user had");
    EXPECT_THAT(FolderContents(dir), ::testing::ElementsAre("Default.kpf"));

    FailingDisk pulled(0, EIO);
    const Error error = RaisedBy([&] { Path::WriteAllBytes(file, replacement, true, pulled); });
    EXPECT_EQ(error.Number(), errnum::kPathFileAccessError);
    EXPECT_EQ(error.Source(), "WriteAllBytes");
    EXPECT_EQ(ReadFileBytes(file), "the presets the user had");
    EXPECT_THAT(FolderContents(dir), ::testing::ElementsAre("Default.kpf"));

    // On the system's own disk the write goes through.
    EXPECT_TRUE(Path::WriteAllBytes(file, replacement, false));
    EXPECT_EQ(ReadFileBytes(file).size(), replacement.size());
}

TEST(PathWriteAllBytes, FailuresBeforeWritingRaiseTheFileErrorNumbers) {
    TempDir dir;
    const std::string missingFolder = Path::CombinePath(dir.Str(), "no such folder");
    EXPECT_FALSE(Path::WriteAllBytes(Path::CombinePath(missingFolder, "x.kpf"), Bytes("x"), false));
    const Error notFound = RaisedBy(
        [&] { Path::WriteAllBytes(Path::CombinePath(missingFolder, "x.kpf"), Bytes("x"), true); });
    EXPECT_EQ(notFound.Number(), errnum::kPathNotFound);
    // The description names the file, so that the user knows which folder is missing.
    EXPECT_EQ(notFound.Description(),
              "Path not found: " + Path::CombinePath(missingFolder, "x.kpf"));

    // A folder in the way, and a file the user made read-only, stay as they are.
    fs::create_directory(dir.Path() / "folder.kpf");
    const Error folder =
        RaisedBy([&] { Path::WriteAllBytes(dir.File("folder.kpf"), Bytes("x"), true); });
    EXPECT_EQ(folder.Number(), errnum::kPathFileAccessError);
    EXPECT_TRUE(fs::is_directory(dir.Path() / "folder.kpf"));

    const fs::path readOnly = dir.Path() / "locked.kpf";
    WriteFileBytes(readOnly, "keep me");
    fs::permissions(readOnly,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const Error locked =
        RaisedBy([&] { Path::WriteAllBytes(readOnly.string(), Bytes("x"), true); });
    EXPECT_EQ(locked.Number(), errnum::kPathFileAccessError);
    EXPECT_EQ(ReadFileBytes(readOnly), "keep me");
    EXPECT_THAT(FolderContents(dir), ::testing::ElementsAre("folder.kpf", "locked.kpf"));
}

#ifndef _WIN32
TEST(PathWriteAllBytes, ARealFileSizeLimitPartWayKeepsThePreviousFile) {
    TempDir dir;
    const std::string file = dir.File("oui.db");
    WriteFileBytes(file, std::string(100, 'o'));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);

    // Past the limit the system refuses to grow any file of this process (EFBIG), like a full
    // disk would.
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const Error error =
        RaisedBy([&] { Path::WriteAllBytes(file, std::vector<uint8_t>(5000, 1), true); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(error.Number(), errnum::kDiskFull);
    EXPECT_EQ(ReadFileBytes(file), std::string(100, 'o'));
    EXPECT_THAT(FolderContents(dir), ::testing::ElementsAre("oui.db"));

    // A good write keeps the file as private as it was.
    ASSERT_TRUE(Path::WriteAllBytes(file, Bytes("new"), true));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}
#endif

TEST(PathReadAllBytes, ReadsTheWholeFileOrAPiece) {
    TempDir dir;
    const std::string file = dir.File("data.bin");
    WriteFileBytes(file, "0123456789");
    std::vector<uint8_t> bytes;

    EXPECT_TRUE(Path::ReadAllBytes(file, bytes, 0, 0, true));
    EXPECT_EQ(bytes, Bytes("0123456789"));
    EXPECT_TRUE(Path::ReadAllBytes(file, bytes, 3, 4, true));
    EXPECT_EQ(bytes, Bytes("3456"));
    EXPECT_TRUE(Path::ReadAllBytes(file, bytes, 7, -1, true));  // to the end
    EXPECT_EQ(bytes, Bytes("789"));
    EXPECT_TRUE(Path::ReadAllBytes(file, bytes, -5, 2, true));  // a negative offset is the start
    EXPECT_EQ(bytes, Bytes("01"));
}

TEST(PathReadAllBytes, ReadingNothingOrTooMuchFails) {
    TempDir dir;
    WriteFileBytes(dir.File("empty.kpf"), "");
    WriteFileBytes(dir.File("ten.bin"), "0123456789");
    std::vector<uint8_t> bytes = Bytes("stale");

    EXPECT_FALSE(Path::ReadAllBytes(dir.File("empty.kpf"), bytes, 0, 0, false));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(
        RaisedBy([&] { Path::ReadAllBytes(dir.File("empty.kpf"), bytes, 0, 0, true); }).Number(),
        errnum::kSubscriptOutOfRange);
    EXPECT_FALSE(Path::ReadAllBytes(dir.File("ten.bin"), bytes, 10, 0, false));  // at the end
    const Error pastEnd =
        RaisedBy([&] { Path::ReadAllBytes(dir.File("ten.bin"), bytes, 8, 3, true); });
    EXPECT_EQ(pastEnd.Number(), errnum::kInputPastEndOfFile);
    EXPECT_EQ(pastEnd.Source(), "ReadAllBytes");
    EXPECT_EQ(
        RaisedBy([&] { Path::ReadAllBytes(dir.File("missing"), bytes, 0, 0, true); }).Number(),
        errnum::kFileNotFound);
    EXPECT_EQ(RaisedBy([&] { Path::ReadAllBytes(dir.Str(), bytes, 0, 0, true); }).Number(),
              errnum::kPathFileAccessError);
}

}  // namespace
}  // namespace vexav6
