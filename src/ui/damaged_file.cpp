#include "ui/damaged_file.h"

#include <filesystem>
#include <system_error>

#include "system/path.h"

namespace vexav6::ui {

namespace {

std::filesystem::path FsPath(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

}  // namespace

std::string KeepDamagedFileAside(std::string_view path) {
    for (int attempt = 1; attempt < 1000; ++attempt) {
        std::string aside = std::string(path) + ".damaged";
        if (attempt > 1) {
            aside += std::to_string(attempt);
        }
        std::error_code ec;
        if (std::filesystem::exists(FsPath(aside), ec) || ec) {
            continue;  // an earlier damaged copy: keep that one too
        }
        std::filesystem::rename(FsPath(path), FsPath(aside), ec);
        return ec ? std::string() : aside;
    }
    return {};
}

Error DamagedFileError(const Error& error, std::string_view keptAs, std::string_view instead) {
    std::string description = error.Description();
    if (!keptAs.empty()) {
        description += "\r\n\r\nThe file was kept as \"" + Path::GetFileName(keptAs) + "\". " +
                       std::string(instead);
    } else {
        description += "\r\n\r\nThe file could not be renamed and was left as it is.";
    }
    return Error(error.Number(), error.Source(), description);
}

}  // namespace vexav6::ui
