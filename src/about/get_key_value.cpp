#include "about/get_key_value.h"

#include "about/code_page.h"

#include <array>
#include <cstdint>

namespace orbeta {

namespace {

constexpr std::uint32_t kBufferSize = 1024;

std::string dwordText(const unsigned char* bytes, std::uint32_t size) {
    std::uint32_t value = 0;
    for (std::uint32_t i = size < 4 ? size : 4; i > 0; --i) // last byte first
        value = value << 8 | bytes[i - 1];
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return "&h" + digits;
}

} // namespace

bool GetKeyValue(registry::Registry& registry, const CodePage& codePage, registry::Key KeyRoot,
                 const std::string& KeyName, const std::string& SubKeyRef, std::string& KeyVal) {
    registry::Key key = 0;
    // Read access only: asking for more than reading fails for an ordinary user under
    // HKEY_LOCAL_MACHINE although the value is there to be read.
    if (registry.OpenKey(KeyRoot, codePage.fromText(KeyName), registry::kRead, key) !=
        registry::kSuccess) {
        KeyVal.clear();
        return false;
    }
    std::array<unsigned char, kBufferSize> buffer{};
    std::uint32_t size = kBufferSize;
    std::uint32_t type = 0;
    if (registry.QueryValue(key, codePage.fromText(SubKeyRef), type, buffer.data(), size) !=
        registry::kSuccess) {
        KeyVal.clear();
        registry.CloseKey(key);
        return false;
    }
    if (size > kBufferSize)
        size = kBufferSize;
    std::uint32_t length = size;
    if (length > 0 && buffer[length - 1] == 0)
        --length; // the string's terminator
    const std::string text =
        codePage.toText(std::string_view(reinterpret_cast<const char*>(buffer.data()), length));
    switch (type) {
    case registry::kString:
        KeyVal = text;
        break;
    case registry::kDword:
        KeyVal += dwordText(buffer.data(), size);
        break;
    default:
        break;
    }
    registry.CloseKey(key);
    return true;
}

} // namespace orbeta
