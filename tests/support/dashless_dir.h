#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

namespace vexav6::testing {

// A fresh folder whose path holds no "-": the command line splits its options at every dash, so
// a file named on it must live in such a folder. Removed with everything in it when the object
// goes.
class DashlessTempDir {
  public:
    DashlessTempDir() {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        for (;;) {
            path_ = std::filesystem::temp_directory_path() /
                    ("vexav6cli" + std::to_string(stamp) + "x" + std::to_string(counter++));
            if (std::filesystem::create_directories(path_)) {
                return;
            }
        }
    }
    ~DashlessTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    DashlessTempDir(const DashlessTempDir&) = delete;
    DashlessTempDir& operator=(const DashlessTempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Str() const { return path_.string(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

}  // namespace vexav6::testing
