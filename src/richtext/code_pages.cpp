#include "richtext/code_pages.h"

#include <iconv.h>

#include <cerrno>

namespace orbeta::rtf {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr std::size_t kUtf16Units = 0x10000; // one entry for each UTF-16 code unit
constexpr std::size_t kBytePairs = 0x10000;  // one entry for each lead and trail byte
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

struct CodePageName {
    int codePage;
    const char* iconvName;
};
constexpr CodePageName kCodePageNames[] = {
    {437, "CP437"},
    {850, "CP850"},
    {852, "CP852"},
    {866, "CP866"},
    {874, "CP874"},
    {932, "CP932"},
    {936, "CP936"},
    {949, "CP949"},
    {950, "CP950"},
    {1250, "CP1250"},
    {1251, "CP1251"},
    {1252, "CP1252"},
    {1253, "CP1253"},
    {1254, "CP1254"},
    {1255, "CP1255"},
    {1256, "CP1256"},
    {1257, "CP1257"},
    {1258, "CP1258"},
    {1361, "JOHAB"},
    {10000, "MACINTOSH"},
    {10001, "CP932"},
    {10007, "MAC-CYRILLIC"},
    {10029, "MAC-CENTRALEUROPE"},
    {20127, "ASCII"},
    {20932, "EUC-JP"},
    {28591, "ISO-8859-1"},
    {65001, "UTF-8"},
};

const char* iconvName(int codePage) {
    for (const CodePageName& entry : kCodePageNames)
        if (entry.codePage == codePage)
            return entry.iconvName;
    return nullptr;
}

bool isLead(int codePage, int byte) {
    switch (codePage) {
    case 932:
    case 10001:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    case 1361:
        return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xF9);
    default:
        return false;
    }
}

bool isDoubleByteCodePage(int codePage) {
    return codePage == 932 || codePage == 10001 || codePage == 936 || codePage == 949 ||
           codePage == 950 || codePage == 1361 || codePage == 20932 || codePage == 65001;
}

// Converts `in` to UTF-16 with an open converter; undecodable bytes give U+FFFD each.
void convert(iconv_t converter, QByteArrayView in, QString& out) {
    const qsizetype start = out.size();
    out.resize(start + in.size() + 1);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = static_cast<std::size_t>(in.size());
    char* outPtr = reinterpret_cast<char*>(out.data() + start);
    std::size_t outLeft = static_cast<std::size_t>(in.size() + 1) * sizeof(char16_t);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG || outLeft < sizeof(char16_t))
            break; // cannot happen: no byte makes more than one UTF-16 unit here
        // EILSEQ or EINVAL: one byte that does not decode.
        *reinterpret_cast<char16_t*>(outPtr) = kReplacement;
        outPtr += sizeof(char16_t);
        outLeft -= sizeof(char16_t);
        ++inPtr;
        --inLeft;
    }
    out.resize((outPtr - reinterpret_cast<char*>(out.data())) /
               static_cast<qsizetype>(sizeof(char16_t)));
}

// The code page of each font character set (\fcharsetN) RTF writers use.
struct CharsetCodePage {
    int charset;
    int codePage;
};
constexpr CharsetCodePage kCharsetCodePages[] = {
    {0, 1252},   {2, 1252}, // Symbol: its glyphs sit on the Latin positions
    {77, 10000}, {78, 10001}, {89, 10007}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},
    {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
    {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850},
};

} // namespace

int codePageOfCharset(int charset) {
    for (const CharsetCodePage& entry : kCharsetCodePages)
        if (entry.charset == charset)
            return entry.codePage;
    return 0;
}

CodePageDecoder::CodePageDecoder(int codePage) : codePage_(codePage) {
    const char* name = iconvName(codePage);
    if (!name) {
        codePage_ = kWindowsLatin;
        name = "CP1252";
    }
    doubleByte_ = isDoubleByteCodePage(codePage_);
    for (int byte = 0; byte < 256; ++byte)
        leadBytes_[static_cast<std::size_t>(byte)] = isLead(codePage_, byte);

    leadTable_ = doubleByte_ && isLead(codePage_, 0x81);

    const iconv_t converter = iconv_open("UTF-16LE", name);
    for (int byte = 0; byte < 256; ++byte) {
        QString one;
        const char in = static_cast<char>(byte);
        if (converter != kNoConverter && byte >= 0x80 &&
            !leadBytes_[static_cast<std::size_t>(byte)])
            convert(converter, QByteArrayView(&in, 1), one);
        else
            one = QChar(byte);
        singleBytes_[static_cast<std::size_t>(byte)] =
            one.size() == 1 ? one.at(0).unicode() : kReplacement;
    }
    if (leadTable_)
        pairs_.assign(kBytePairs, 0);
    if (doubleByte_)
        converter_ = converter == kNoConverter ? nullptr : converter;
    else if (converter != kNoConverter)
        iconv_close(converter);
}

char16_t CodePageDecoder::pair(std::uint8_t lead, std::uint8_t trail) {
    char16_t& known = pairs_[static_cast<std::size_t>(lead) << 8 | trail];
    if (known == 0) {
        known = 0xFFFF;
        if (converter_) {
            const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char16_t out[2] = {};
            char* inPtr = const_cast<char*>(in);
            std::size_t inLeft = 2;
            char* outPtr = reinterpret_cast<char*>(out);
            std::size_t outLeft = sizeof out;
            const auto cd = static_cast<iconv_t>(converter_);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                outLeft == sizeof out - sizeof(char16_t) && out[0] != 0)
                known = out[0];
        }
    }
    return known;
}

CodePageDecoder::~CodePageDecoder() {
    if (converter_)
        iconv_close(static_cast<iconv_t>(converter_));
}

void CodePageDecoder::decode(QByteArrayView bytes, QString& out) {
    if (leadTable_) {
        const qsizetype start = out.size();
        out.resize(start + bytes.size());
        QChar* target = out.data() + start;
        qsizetype written = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<std::uint8_t>(bytes[i]);
            if (!leadBytes_[byte]) {
                target[written++] = QChar(singleBytes_[byte]);
                continue;
            }
            const char16_t character =
                i + 1 < bytes.size() ? pair(byte, static_cast<std::uint8_t>(bytes[i + 1])) : 0xFFFF;
            if (character == 0xFFFF) {
                target[written++] = QChar(kReplacement); // the next byte is read on its own
            } else {
                target[written++] = QChar(character);
                ++i;
            }
        }
        out.resize(start + written);
        return;
    }
    if (!doubleByte_) {
        const qsizetype start = out.size();
        out.resize(start + bytes.size());
        QChar* target = out.data() + start;
        for (qsizetype i = 0; i < bytes.size(); ++i)
            target[i] = QChar(singleBytes_[static_cast<std::uint8_t>(bytes[i])]);
        return;
    }
    if (!converter_) {
        out += QString(bytes.size(), QChar(kReplacement));
        return;
    }
    convert(static_cast<iconv_t>(converter_), bytes, out);
}

CodePageDecoder& CodePageDecoders::get(int codePage) {
    for (const auto& decoder : decoders_)
        if (decoder->codePage() == codePage)
            return *decoder;
    decoders_.push_back(std::make_unique<CodePageDecoder>(codePage));
    return *decoders_.back();
}

ShiftJisEncoder::ShiftJisEncoder() : known_(kUtf16Units, 0) {
    const iconv_t converter = iconv_open("CP932", "UTF-16LE");
    converter_ = converter == kNoConverter ? nullptr : converter;
}

ShiftJisEncoder::~ShiftJisEncoder() {
    if (converter_)
        iconv_close(static_cast<iconv_t>(converter_));
}

ShiftJisEncoder::Bytes ShiftJisEncoder::encode(char16_t character) {
    constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::uint32_t& known = known_[character];
    if (known == 0) {
        known = kNone;
        if (converter_ && (character < 0xD800 || character > 0xDFFF)) {
            char16_t in = character;
            char out[4] = {};
            char* inPtr = reinterpret_cast<char*>(&in);
            std::size_t inLeft = sizeof in;
            char* outPtr = out;
            std::size_t outLeft = sizeof out;
            const auto cd = static_cast<iconv_t>(converter_);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) {
                const auto length = static_cast<std::uint32_t>(outPtr - out);
                if (length == 1 || length == 2) {
                    const auto first = static_cast<std::uint8_t>(out[0]);
                    const auto second = static_cast<std::uint8_t>(out[1]);
                    known = length << 16 | static_cast<std::uint32_t>(first) << 8 |
                            (length == 2 ? second : 0u);
                }
            }
        }
    }
    Bytes bytes;
    if (known == kNone)
        return bytes;
    bytes.size = static_cast<int>(known >> 16);
    bytes.bytes[0] = static_cast<unsigned char>((known >> 8) & 0xFF);
    bytes.bytes[1] = static_cast<unsigned char>(known & 0xFF);
    return bytes;
}

} // namespace orbeta::rtf
