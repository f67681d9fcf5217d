#include "about/code_page_posix.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>

namespace orbeta {

namespace {

std::string convert(const std::string& to, const std::string& from, std::string_view in,
                    std::string_view replacement) {
    if (to == from)
        return std::string(in);
    const iconv_t converter = iconv_open(to.c_str(), from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    std::string out;
    char buffer[256];
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out.append(replacement); // EILSEQ or EINVAL: one byte that does not convert
            ++inPtr;
            --inLeft;
        }
    }
    iconv_close(converter);
    return out;
}

} // namespace

std::string IconvCodePage::toText(std::string_view bytes) const {
    return convert("UTF-8", charset_, bytes, "\xEF\xBF\xBD");
}

std::string IconvCodePage::fromText(std::string_view text) const {
    return convert(charset_, "UTF-8", text, "?");
}

std::unique_ptr<CodePage> userCodePage() {
    const char* charset = nl_langinfo(CODESET);
    return std::make_unique<IconvCodePage>(charset && *charset ? charset : "UTF-8");
}

} // namespace orbeta
