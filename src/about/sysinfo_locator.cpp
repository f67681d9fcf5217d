#include "about/sysinfo_locator.h"

#include "about/get_key_value.h"

namespace orbeta {

std::optional<std::string> LocateSysInfo(registry::Registry& registry, const CodePage& codePage,
                                         const FileProbe& files) {
    std::string path;
    if (GetKeyValue(registry, codePage, registry::kLocalMachine, kSysInfoPathKey, kSysInfoPathValue,
                    path))
        return path;
    if (!GetKeyValue(registry, codePage, registry::kLocalMachine, kSysInfoFolderKey,
                     kSysInfoFolderValue, path))
        return std::nullopt;
    path += kSysInfoProgramFile;
    if (files.isPlainFile(path))
        return path;
    return std::nullopt;
}

} // namespace orbeta
