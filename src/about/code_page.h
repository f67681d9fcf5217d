#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace orbeta {

// Conversion between the program's text (UTF-8) and the bytes of a code page.
class CodePage {
public:
    virtual ~CodePage() = default;
    virtual std::string toText(std::string_view bytes) const = 0;
    virtual std::string fromText(std::string_view text) const = 0;
};

// The user's code page: the system code page on Windows, the locale's character set elsewhere.
std::unique_ptr<CodePage> userCodePage();

} // namespace orbeta
