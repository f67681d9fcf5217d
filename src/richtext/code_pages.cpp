#include "richtext/code_pages.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <iterator>
#include <mutex>

namespace orbeta::rtf {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr std::size_t kUtf16Units = 0x10000; // one entry for each UTF-16 code unit
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

// Converts `in` to UTF-16 with an open converter; undecodable bytes give U+FFFD each. Some
// converters (code pages 1255 and 1258) hold a base letter back until they see whether a
// combining mark follows; the end of the input lets it go.
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
    iconv(converter, nullptr, nullptr, &outPtr, &outLeft);
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

// Scripts, each with its character set, strongest first.
struct ScriptRange {
    char16_t first;
    char16_t last;
    int charset;
};
constexpr ScriptRange kScriptRanges[] = {
    {0x3000, 0x30FF, kCharsetShiftJis}, // CJK punctuation, hiragana, katakana
    {0x31F0, 0x31FF, kCharsetShiftJis}, // katakana extensions
    {0x3400, 0x4DBF, kCharsetShiftJis}, // CJK ideographs
    {0x4E00, 0x9FFF, kCharsetShiftJis}, {0xF900, 0xFAFF, kCharsetShiftJis},
    {0xFF00, 0xFFEF, kCharsetShiftJis}, // full-width forms and half-width katakana
    {0x2460, 0x24FF, kCharsetShiftJis}, // circled numbers
    {0x1100, 0x11FF, kCharsetHangul},   {0x3130, 0x318F, kCharsetHangul},
    {0xAC00, 0xD7AF, kCharsetHangul},   {0x0400, 0x04FF, kCharsetRussian},
    {0x0370, 0x03FF, kCharsetGreek},    {0x0590, 0x05FF, kCharsetHebrew},
    {0x0600, 0x06FF, kCharsetArabic},   {0x0E00, 0x0E7F, kCharsetThai},
};

} // namespace

int scriptsOf(QStringView text) {
    int scripts = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80)
            continue;
        for (std::size_t i = 0; i < std::size(kScriptRanges); ++i) {
            if (unit >= kScriptRanges[i].first && unit <= kScriptRanges[i].last) {
                if (kScriptRanges[i].charset == kCharsetShiftJis)
                    return scripts | 1 << i; // nothing outweighs Japanese
                scripts |= 1 << i;
                break;
            }
        }
    }
    return scripts;
}

int charsetOfScripts(int scripts) {
    for (std::size_t i = 0; i < std::size(kScriptRanges); ++i)
        if (scripts & 1 << i)
            return kScriptRanges[i].charset;
    return kCharsetAnsi;
}

int codePageOfCharset(int charset) {
    for (const CharsetCodePage& entry : kCharsetCodePages)
        if (entry.charset == charset)
            return entry.codePage;
    return 0;
}

// What is known of a code page once, for the whole run of the program: its lead bytes and the
// characters of its single bytes. Building it keeps a converter of the code page open for good,
// so that the C library does not unload and load the converter's module for every reading.
struct CodePageTable {
    int codePage = kWindowsLatin;
    const char* iconvName = "CP1252";
    bool doubleByte = false;
    bool leadTable = false; // a double-byte code page whose lead bytes are known
    std::array<bool, 256> leadBytes{};
    std::array<char16_t, 256> singleBytes{};
    void* openConverter = nullptr; // iconv_t, never closed
};

namespace {

void fillTable(CodePageTable& table, int codePage, const char* name) {
    table.codePage = codePage;
    table.iconvName = name;
    table.doubleByte = isDoubleByteCodePage(codePage);
    for (int byte = 0; byte < 256; ++byte)
        table.leadBytes[static_cast<std::size_t>(byte)] = isLead(codePage, byte);
    table.leadTable = table.doubleByte && isLead(codePage, 0x81);
    const iconv_t converter = iconv_open("UTF-16LE", name);
    table.openConverter = converter == kNoConverter ? nullptr : converter;
    for (int byte = 0; byte < 256; ++byte) {
        QString one;
        const char in = static_cast<char>(byte);
        if (converter != kNoConverter && byte >= 0x80 &&
            !table.leadBytes[static_cast<std::size_t>(byte)])
            convert(converter, QByteArrayView(&in, 1), one);
        else
            one = QChar(byte);
        table.singleBytes[static_cast<std::size_t>(byte)] =
            one.size() == 1 ? one.at(0).unicode() : kReplacement;
    }
}

const CodePageTable& tableOf(int codePage) {
    constexpr std::size_t kKnown = std::size(kCodePageNames);
    static std::array<CodePageTable, kKnown> tables;
    static std::array<std::once_flag, kKnown> built;
    std::size_t index = 0;
    while (index < kKnown && kCodePageNames[index].codePage != codePage)
        ++index;
    if (index == kKnown)
        return tableOf(kWindowsLatin);
    std::call_once(built[index], [index] {
        fillTable(tables[index], kCodePageNames[index].codePage, kCodePageNames[index].iconvName);
    });
    return tables[index];
}

} // namespace

CodePageDecoder::CodePageDecoder(int codePage)
    : table_(tableOf(codePage)), doubleByte_(table_.doubleByte),
      leadBytes_(table_.leadBytes.data()) {}

int CodePageDecoder::codePage() const {
    return table_.codePage;
}

char16_t CodePageDecoder::pair(std::uint8_t lead, std::uint8_t trail) {
    auto& row = pairs_[lead];
    if (!row)
        row = std::make_unique<PairRow>(); // zeros: nothing met yet
    char16_t& known = (*row)[trail];
    if (known == 0) {
        known = 0xFFFF;
        if (!converter_)
            converter_ = openConverter(table_.iconvName);
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

void* CodePageDecoder::openConverter(const char* iconvName) {
    const iconv_t converter = iconv_open("UTF-16LE", iconvName);
    return converter == kNoConverter ? nullptr : converter;
}

void CodePageDecoder::decode(QByteArrayView bytes, QString& out) {
    const auto& singleBytes = table_.singleBytes;
    if (table_.leadTable) {
        const qsizetype start = out.size();
        out.resize(start + bytes.size());
        QChar* target = out.data() + start;
        qsizetype written = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<std::uint8_t>(bytes[i]);
            if (!table_.leadBytes[byte]) {
                target[written++] = QChar(singleBytes[byte]);
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
    if (!table_.doubleByte) {
        const qsizetype start = out.size();
        out.resize(start + bytes.size());
        QChar* target = out.data() + start;
        for (qsizetype i = 0; i < bytes.size(); ++i)
            target[i] = QChar(singleBytes[static_cast<std::uint8_t>(bytes[i])]);
        return;
    }
    if (!converter_)
        converter_ = openConverter(table_.iconvName);
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

CodePageEncoder::CodePageEncoder(int codePage)
    : codePage_(tableOf(codePage).codePage), known_(kUtf16Units, 0) {
    const iconv_t converter = iconv_open(tableOf(codePage).iconvName, "UTF-16LE");
    converter_ = converter == kNoConverter ? nullptr : converter;
}

CodePageEncoder::~CodePageEncoder() {
    if (converter_)
        iconv_close(static_cast<iconv_t>(converter_));
}

CodePageEncoder::Bytes CodePageEncoder::encode(char16_t character) {
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
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) {
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
