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
    const char* data = input_.data();
    const qsizetype size = input_.size();
    Token token;
    token.offset = start;
    position_ = start + 1;
    if (position_ >= size) { // a lone backslash at the very end
        token.type = TokenType::ControlSymbol;
        token.symbol = '\\';
        return token;
    }

    const char first = data[position_];
    if (!isLetter(first)) {
        ++position_;
        if (first == '\'') {
            const int high = position_ < size ? hexDigitValue(data[position_]) : -1;
            const int low = position_ + 1 < size ? hexDigitValue(data[position_ + 1]) : -1;
            if (high < 0 || low < 0) {
                token.type = TokenType::ControlSymbol;
                token.symbol = '\'';
                token.status = TokenStatus::BadHex;
                return token;
            }
            position_ += 2;
            token.type = TokenType::HexByte;
            token.byte = static_cast<std::uint8_t>(high * 16 + low);
            return token;
        }
        token.type = TokenType::ControlSymbol;
        // A backslash before a line end is a paragraph mark.
        token.symbol = (first == '\r' || first == '\n') ? '\n' : first;
        return token;
    }

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

    if (position_ < size && (data[position_] == '-' || isDigit(data[position_]))) {
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
        if (position_ > digitsStart) {
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
    }
    if (position_ < size && data[position_] == ' ')
        ++position_; // the delimiting blank belongs to the word

    if (token.word == "bin" && token.hasParameter) {
        const qsizetype wanted = std::max<std::int32_t>(token.parameter, 0);
        const qsizetype available = std::min(wanted, size - position_);
        if (available < wanted)
            token.status = TokenStatus::BinaryCut;
        token.type = TokenType::Binary;
        token.bytes = input_.sliced(position_, available);
        position_ += available;
    }
    return token;
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
