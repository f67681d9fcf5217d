#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace orbeta::rtf {

inline constexpr int kShiftJis = 932;      // Windows-31J: Shift_JIS with Microsoft's and NEC's rows
inline constexpr int kWindowsLatin = 1252; // \ansi, and the fallback for what is unknown
inline constexpr int kMacRoman = 10000;    // \mac
inline constexpr int kDosUnitedStates = 437;
inline constexpr int kDosLatin = 850;
inline constexpr int kHighestCodePage = 65535;

// Font character sets (\fcharsetN).
inline constexpr int kCharsetNotStated = -1; // a font without \fcharset
inline constexpr int kCharsetAnsi = 0;
inline constexpr int kCharsetDefault = 1; // "the system's", which says nothing about the bytes
inline constexpr int kCharsetSymbol = 2;
inline constexpr int kCharsetShiftJis = 128;
inline constexpr int kCharsetHangul = 129;
inline constexpr int kCharsetGreek = 161;
inline constexpr int kCharsetHebrew = 177;
inline constexpr int kCharsetArabic = 178;
inline constexpr int kCharsetRussian = 204;
inline constexpr int kCharsetThai = 222;

// Windows language identifiers, as \deflangN writes them.
inline constexpr int kLanguageEnglishUs = 1033;
inline constexpr int kLanguageJapanese = 1041;

constexpr bool isCodePageNumber(int value) {
    return value > 0 && value <= kHighestCodePage;
}

// The Windows code page of an RTF font character set (\fcharsetN); 0 when the set names none.
int codePageOfCharset(int charset);

// The scripts a text is written in, as bits for charsetOfScripts; 0 for plain ASCII.
int scriptsOf(QStringView text);
// The character set a font needs for text in these scripts: Japanese wherever there is any, since
// code page 932 also holds Greek and Cyrillic letters; otherwise the script's own; ANSI for Latin.
int charsetOfScripts(int scripts);

struct CodePageTable;

// Turns bytes of one Windows code page into text. Double-byte code pages (932, 936, 949, 950,
// 1361) know their lead bytes; bytes that do not decode give U+FFFD. A code page the program does
// not know is read as 1252.
class CodePageDecoder {
public:
    explicit CodePageDecoder(int codePage);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    int codePage() const;
    bool isDoubleByte() const { return doubleByte_; }
    bool isLeadByte(std::uint8_t byte) const { return doubleByte_ && leadBytes_[byte]; }
    void decode(QByteArrayView bytes, QString& out);

private:
    char16_t pair(std::uint8_t lead, std::uint8_t trail);
    static void* openConverter(const char* iconvName);

    const CodePageTable& table_;
    const bool doubleByte_;
    const bool* leadBytes_; // of the table, 256 of them
    // Two-byte characters met so far, by lead byte, then trail byte: 0 not yet met, 0xFFFF none.
    using PairRow = std::array<char16_t, 256>;
    std::array<std::unique_ptr<PairRow>, 256> pairs_;
    void* converter_ = nullptr; // iconv_t, for double-byte code pages, opened when first needed
};

// Decoders made on first use, one per code page, for one reading.
class CodePageDecoders {
public:
    CodePageDecoder& get(int codePage);

private:
    std::vector<std::unique_ptr<CodePageDecoder>> decoders_;
};

// What decoding text of one reading needs: the decoders, the document's code page and its
// default font (\deff), whose code page holds for text without a font of its own.
struct CodePages {
    CodePageDecoders decoders;
    int documentCodePage = kWindowsLatin;
    int defaultFont = 0; // as readers take it where \deff is missing
};

// The bytes of a character in one code page, for writers that want a fallback beside Unicode.
// Answers are remembered for one writing.
class CodePageEncoder {
public:
    explicit CodePageEncoder(int codePage);
    ~CodePageEncoder();
    CodePageEncoder(const CodePageEncoder&) = delete;
    CodePageEncoder& operator=(const CodePageEncoder&) = delete;

    struct Bytes {
        int size = 0; // 0: the code page has no such character
        unsigned char bytes[2] = {};
        QByteArray toByteArray() const {
            return QByteArray(reinterpret_cast<const char*>(bytes), size);
        }
    };
    int codePage() const { return codePage_; }
    Bytes encode(char16_t character);

private:
    int codePage_;
    void* converter_ = nullptr;
    std::vector<std::uint32_t> known_; // per BMP character: 0 unknown, else length << 16 | bytes
};

} // namespace orbeta::rtf
