#pragma once

#include "about/code_page.h"

namespace orbeta {

// A character set by its iconv name ("CP932", "UTF-8"); bytes that do not convert become U+FFFD
// one way and "?" the other.
class IconvCodePage final : public CodePage {
public:
    explicit IconvCodePage(std::string charset) : charset_(std::move(charset)) {}
    std::string toText(std::string_view bytes) const override;
    std::string fromText(std::string_view text) const override;

private:
    std::string charset_;
};

} // namespace orbeta
