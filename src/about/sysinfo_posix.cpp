// The registry and files as seen from Linux: no Windows registry, so a small one of our own
// names the system information program found on PATH.
#include "about/memory_registry.h"
#include "about/sysinfo_locator.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace orbeta {

namespace {

// System information programs of Linux desktops, most complete first.
constexpr std::string_view kSysInfoPrograms[] = {"hardinfo2", "hardinfo", "kinfocenter", "cpu-x",
                                                 "lshw-gtk"};

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    using std::filesystem::perms;
    return !error && std::filesystem::is_regular_file(status) &&
           (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) !=
               perms::none;
}

std::string findOnPath(std::string_view program) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        if (folder.empty())
            continue;
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (isExecutableFile(candidate))
            return candidate.string();
    }
    return {};
}

} // namespace

bool FileProbe::isPlainFile(const std::string& path) const {
    std::error_code error;
    const std::filesystem::path file(path);
    const std::string name = file.filename().string();
    return std::filesystem::is_regular_file(file, error) && !name.empty() && name.front() != '.';
}

std::unique_ptr<registry::Registry> systemRegistry() {
    auto registry = std::make_unique<registry::MemoryRegistry>();
    for (const std::string_view program : kSysInfoPrograms) {
        const std::string found = findOnPath(program);
        if (!found.empty()) {
            registry->setString(registry::kLocalMachine, kSysInfoPathKey, kSysInfoPathValue, found);
            break;
        }
    }
    return registry;
}

} // namespace orbeta
