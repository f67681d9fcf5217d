// The registry and files as Windows has them: advapi32's registry calls, and file attributes.
#include "about/sysinfo_locator.h"

#include <windows.h>

#include <string>

namespace orbeta {

namespace {

class WindowsRegistry final : public registry::Registry {
public:
    long OpenKey(registry::Key root, const std::string& subKey, std::uint32_t access,
                 registry::Key& opened) override {
        HKEY key = nullptr;
        const LONG status =
            RegOpenKeyExA(reinterpret_cast<HKEY>(root), subKey.c_str(), 0, access, &key);
        opened = reinterpret_cast<registry::Key>(key);
        return status;
    }
    long QueryValue(registry::Key key, const std::string& valueName, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& size) override {
        DWORD valueType = 0;
        DWORD length = size;
        const LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.c_str(),
                                             nullptr, &valueType, data, &length);
        type = valueType;
        size = length;
        return status;
    }
    long CloseKey(registry::Key key) override { return RegCloseKey(reinterpret_cast<HKEY>(key)); }
};

} // namespace

bool FileProbe::isPlainFile(const std::string& path) const {
    // The path is UTF-8 text.
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return (attributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

std::unique_ptr<registry::Registry> systemRegistry() {
    return std::make_unique<WindowsRegistry>();
}

} // namespace orbeta
