#pragma once

#include "about/registry.h"

#include <memory>
#include <optional>
#include <string>

namespace orbeta {

class CodePage;

// Where the registry keeps the system information program.
inline constexpr const char* kSysInfoPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoPathValue = "PATH";
inline constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoFolderValue = "MSINFO";
#ifdef _WIN32
inline constexpr const char* kSysInfoProgramFile = "\\MSINFO32.EXE";
#else
inline constexpr const char* kSysInfoProgramFile = "/MSINFO32.EXE";
#endif

// True for an ordinary file: not a folder, and not hidden or a system file.
class FileProbe {
public:
    virtual ~FileProbe() = default;
    virtual bool isPlainFile(const std::string& path) const;
};

// The system information program: the full path the registry gives, used as it is; else the
// program file in the folder it gives, when that is a plain file; else nothing.
std::optional<std::string> LocateSysInfo(registry::Registry& registry, const CodePage& codePage,
                                         const FileProbe& files);

// The registry this platform offers the locator: Windows' own; elsewhere one of ours in which the
// first system information program found on PATH stands as the full path.
std::unique_ptr<registry::Registry> systemRegistry();

} // namespace orbeta
