// The registry reader against the real Windows registry calls (advapi32, run under Wine), with
// values tests/about/wine_registry.sh wrote first. Standard library and Windows only.
#include "about/code_page.h"
#include "about/get_key_value.h"
#include "about/sysinfo_locator.h"

#include <windows.h>

#include <cstdio>
#include <string>

using namespace orbeta;

namespace {

int failures = 0;

void check(bool passed, const char* what) {
    std::printf("%s %s\n", passed ? "ok  " : "FAIL", what);
    if (!passed)
        ++failures;
}

bool read(registry::Registry& registry, const CodePage& codePage, const char* key,
          const char* value, std::string& keyVal) {
    keyVal = "old";
    return GetKeyValue(registry, codePage, registry::kLocalMachine, key, value, keyVal);
}

} // namespace

int main() {
    const auto registry = systemRegistry();
    const auto codePage = userCodePage();
    std::string keyVal;

    check(GetACP() == 932, "the user's code page is 932 (Japanese)");
    check(read(*registry, *codePage, "Software\\OrbetaTest", "Japanese", keyVal) &&
              keyVal == "日本語テキスト ｶﾀｶﾅ ～①",
          "REG_SZ with Japanese text");
    check(read(*registry, *codePage, "Software\\OrbetaTest", "Dword", keyVal) &&
              keyVal == "old&h1000",
          "REG_DWORD 4096");
    check(read(*registry, *codePage, "Software\\OrbetaTest", "Fits", keyVal) &&
              keyVal == std::string(1023, 'y'),
          "REG_SZ of 1024 bytes with its zero");
    check(!read(*registry, *codePage, "Software\\OrbetaTest", "Long", keyVal) && keyVal.empty(),
          "REG_SZ of 1025 bytes fails");
    check(!read(*registry, *codePage, "Software\\OrbetaTest", "Missing", keyVal) && keyVal.empty(),
          "missing value");
    check(!read(*registry, *codePage, "Software\\OrbetaMissing", "Japanese", keyVal) &&
              keyVal.empty(),
          "missing key");
    check(read(*registry, *codePage, "Software\\OrbetaTest", "Binary", keyVal) && keyVal == "old",
          "other types leave KeyVal alone");

    // The folder value: the program file counts only when it is a plain file.
    const std::string folder = "C:\\orbeta-sysinfo";
    const std::string program = folder + "\\MSINFO32.EXE";
    CreateDirectoryA(folder.c_str(), nullptr);
    HANDLE file = CreateFileA(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
    SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_HIDDEN);
    FileProbe files;
    check(!LocateSysInfo(*registry, *codePage, files), "a hidden program file does not count");
    SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_SYSTEM);
    check(!LocateSysInfo(*registry, *codePage, files), "a system file does not count");
    SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_NORMAL);
    const auto found = LocateSysInfo(*registry, *codePage, files);
    check(found && *found == program, "the program file in the folder");
    DeleteFileA(program.c_str());
    CreateDirectoryA(program.c_str(), nullptr);
    check(!LocateSysInfo(*registry, *codePage, files), "a folder of that name does not count");
    RemoveDirectoryA(program.c_str());
    RemoveDirectoryA(folder.c_str());

    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
