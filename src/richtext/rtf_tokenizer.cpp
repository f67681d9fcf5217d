#include "richtext/rtf_tokenizer.h"

#include <algorithm>
#include <limits>

namespace orbeta::rtf {

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes that end a run of text.
constexpr bool endsText(char c) {
    return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n';
}

} // namespace

Token Tokenizer::next() {
    const char* data = input_.data();
    const qsizetype size = input_.size();
    while (position_ < size && (data[position_] == '\r' || data[position_] == '\n'))
        ++position_;
    Token token;
    token.offset = position_;
    if (position_ >= size)
        return token;

    const char c = data[position_];
    if (c == '{') {
        ++position_;
        token.type = TokenType::GroupStart;
    } else if (c == '}') {
        ++position_;
        token.type = TokenType::GroupEnd;
    } else if (c == '\\') {
        return controlSequence(position_);
    } else {
        const qsizetype start = position_;
        while (position_ < size && !endsText(data[position_]))
            ++position_;
        token.type = TokenType::Text;
        token.bytes = input_.sliced(start, position_ - start);
    }
    return token;
}

Token Tokenizer::controlSequence(qsizetype start) {
    Token token;
    token.offset = start;
    position_ = start + 1;
    if (position_ >= input_.size()) { // a lone backslash at the very end
        token.type = TokenType::ControlSymbol;
        token.symbol = '\\';
        return token;
    }
    const char first = input_[position_];
    if (first == '\'' && position_ + 2 < input_.size()) {
        // \'hh, the commonest token of Japanese memos, read here without a call.
        const int high = hexDigitValue(input_[position_ + 1]);
        const int low = hexDigitValue(input_[position_ + 2]);
        if (high >= 0 && low >= 0) {
            position_ += 3;
            token.type = TokenType::HexByte;
            token.byte = static_cast<std::uint8_t>(high * 16 + low);
            return token;
        }
    }
    if (!isLetter(first)) {
        ++position_;
        controlSymbol(first, token);
        return token;
    }
    controlWord(token);
    if (position_ < input_.size() && input_[position_] == ' ')
        ++position_; // the delimiting blank belongs to the word
    if (token.word == "bin" && token.hasParameter)
        binaryData(token);
    return token;
}

void Tokenizer::controlSymbol(char symbol, Token& token) {
    token.type = TokenType::ControlSymbol;
    if (symbol == '\'') {
        const qsizetype size = input_.size();
        const int high = position_ < size ? hexDigitValue(input_[position_]) : -1;
        const int low = position_ + 1 < size ? hexDigitValue(input_[position_ + 1]) : -1;
        if (high < 0 || low < 0) {
            token.symbol = '\'';
            token.status = TokenStatus::BadHex;
            return;
        }
        position_ += 2;
        token.type = TokenType::HexByte;
        token.byte = static_cast<std::uint8_t>(high * 16 + low);
        return;
    }
    // A backslash before a line end is a paragraph mark.
    token.symbol = (symbol == '\r' || symbol == '\n') ? '\n' : symbol;
}

void Tokenizer::controlWord(Token& token) {
    const char* data = input_.data();
    const qsizetype size = input_.size();
    const qsizetype wordStart = position_;
    while (position_ < size && isLetter(data[position_]))
        ++position_;
    qsizetype wordLength = position_ - wordStart;
    if (wordLength > kMaxKeyword) {
        token.status = TokenStatus::KeywordTooLong;
        wordLength = kMaxKeyword;
    }
    token.type = TokenType::ControlWord;
    token.word = std::string_view(data + wordStart, static_cast<std::size_t>(wordLength));
    if (position_ < size && (data[position_] == '-' || isDigit(data[position_])))
        parameter(token);
}

void Tokenizer::parameter(Token& token) {
    const char* data = input_.data();
    const qsizetype size = input_.size();
    const bool negative = data[position_] == '-';
    if (negative)
        ++position_;
    std::int64_t value = 0;
    bool clamped = false;
    const qsizetype digitsStart = position_;
    while (position_ < size && isDigit(data[position_])) {
        if (value <= std::numeric_limits<std::int32_t>::max())
            value = value * 10 + (data[position_] - '0');
        else
            clamped = true;
        ++position_;
    }
    if (position_ == digitsStart)
        return; // a lone minus sign
    value = negative ? -value : value;
    const std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    const std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    if (clamped || value < lowest || value > highest) {
        token.status = TokenStatus::NumberTooLong;
        value = std::clamp(value, lowest, highest);
    }
    token.hasParameter = true;
    token.parameter = static_cast<std::int32_t>(value);
}

// \binN: the next N bytes are data, whatever they are.
void Tokenizer::binaryData(Token& token) {
    const qsizetype wanted = std::max<std::int32_t>(token.parameter, 0);
    const qsizetype available = std::min(wanted, input_.size() - position_);
    if (available < wanted)
        token.status = TokenStatus::BinaryCut;
    token.type = TokenType::Binary;
    token.bytes = input_.sliced(position_, available);
    position_ += available;
}

bool Tokenizer::restIsBlank() const {
    for (qsizetype i = position_; i < input_.size(); ++i) {
        const char c = input_[i];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\0')
            return false;
    }
    return true;
}

std::pair<int, int> Tokenizer::lineAndColumn(qsizetype offset) const {
    int line = 1;
    qsizetype lineStart = 0;
    const qsizetype end = std::min(offset, input_.size());
    for (qsizetype i = 0; i < end; ++i) {
        if (input_[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return {line, static_cast<int>(end - lineStart + 1)};
}

} // namespace orbeta::rtf
