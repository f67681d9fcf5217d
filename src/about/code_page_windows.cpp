#include "about/code_page.h"

#include <windows.h>

namespace orbeta {

namespace {

std::wstring wide(UINT codePage, std::string_view bytes) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, out.data(), length);
    return out;
}

std::string narrow(UINT codePage, const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

class AnsiCodePage final : public CodePage {
public:
    std::string toText(std::string_view bytes) const override {
        return narrow(CP_UTF8, wide(CP_ACP, bytes));
    }
    std::string fromText(std::string_view text) const override {
        return narrow(CP_ACP, wide(CP_UTF8, text));
    }
};

} // namespace

std::unique_ptr<CodePage> userCodePage() {
    return std::make_unique<AnsiCodePage>();
}

} // namespace orbeta
