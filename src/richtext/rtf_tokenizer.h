#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <string_view>

namespace orbeta::rtf {

enum class TokenType : std::uint8_t {
    GroupStart,    // {
    GroupEnd,      // }
    ControlWord,   // \word or \word-123
    ControlSymbol, // \~, \*, \\, \{ ... (the character is in `symbol`)
    HexByte,       // \'hh
    Text,          // a run of plain bytes, line ends left out
    Binary,        // the bytes after \binN
    End,
};

// What went wrong at a token; the tokenizer always goes on after it.
enum class TokenStatus : std::uint8_t {
    Ok,
    BadHex,         // \' not followed by two hexadecimal digits
    KeywordTooLong, // more than kMaxKeyword letters; the word is cut to that length
    NumberTooLong,  // a parameter beyond the 32-bit range; it is clamped
    BinaryCut,      // \binN with fewer than N bytes left
};

struct Token {
    TokenType type = TokenType::End;
    TokenStatus status = TokenStatus::Ok;
    bool hasParameter = false;
    char symbol = 0;
    std::uint8_t byte = 0;
    std::int32_t parameter = 0;
    std::string_view word; // ControlWord: its letters
    QByteArrayView bytes;  // Text and Binary
    qsizetype offset = 0;  // where the token starts in the input
};

// The value of a hexadecimal digit, or -1.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Pull tokenizer: bytes in, tokens out, nothing known of what they mean.
class Tokenizer {
public:
    static constexpr int kMaxKeyword = 32;

    // The tokenizer reads the bytes where they are; they must outlive it.
    explicit Tokenizer(QByteArrayView input) : input_(input) {}
    explicit Tokenizer(QByteArray&&) = delete;

    Token next();

    qsizetype offset() const { return position_; }
    // True when only blanks, line ends and NUL bytes are left.
    bool restIsBlank() const;
    // Line and column (both from 1) of an offset, for messages.
    std::pair<int, int> lineAndColumn(qsizetype offset) const;

private:
    Token controlSequence(qsizetype start);
    void controlSymbol(char symbol, Token& token);
    void controlWord(Token& token);
    void parameter(Token& token);
    void binaryData(Token& token);

    QByteArrayView input_;
    qsizetype position_ = 0;
};

} // namespace orbeta::rtf
