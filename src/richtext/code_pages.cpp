#include "richtext/code_pages.h"

#include <iconv.h>

#include <cerrno>

namespace orbeta::rtf {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

const char* iconvName(int codePage) {
    switch (codePage) {
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 852:
        return "CP852";
    case 866:
        return "CP866";
    case 874:
        return "CP874";
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1252:
        return "CP1252";
    case 1253:
        return "CP1253";
    case 1254:
        return "CP1254";
    case 1255:
        return "CP1255";
    case 1256:
        return "CP1256";
    case 1257:
        return "CP1257";
    case 1258:
        return "CP1258";
    case 1361:
        return "JOHAB";
    case 10000:
        return "MACINTOSH";
    case 10001:
        return "CP932";
    case 10007:
        return "MAC-CYRILLIC";
    case 10029:
        return "MAC-CENTRALEUROPE";
    case 20127:
        return "ASCII";
    case 20932:
        return "EUC-JP";
    case 28591:
        return "ISO-8859-1";
    case 65001:
        return "UTF-8";
    default:
        return nullptr;
    }
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

} // namespace

int codePageOfCharset(int charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return 1252; // Symbol: its glyphs sit on the Latin positions
    case 77:
        return 10000;
    case 78:
        return 10001;
    case 89:
        return 10007;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

CodePageDecoder::CodePageDecoder(int codePage) : codePage_(codePage) {
    const char* name = iconvName(codePage);
    if (!name) {
        codePage_ = 1252;
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
        pairs_.assign(0x10000, 0);
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

ShiftJisEncoder::ShiftJisEncoder() : known_(0x10000, 0) {
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
