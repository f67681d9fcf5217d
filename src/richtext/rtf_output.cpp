#include "richtext/rtf_output.h"

namespace orbeta::rtf {

namespace {
bool needsDelimiter(char next) {
    return (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') ||
           (next >= '0' && next <= '9') || next == ' ' || next == '-';
}
} // namespace

void RtfOutput::append(QByteArrayView bytes) {
    if (afterWord_ && !bytes.isEmpty() && needsDelimiter(bytes.front()))
        out_.append(' ');
    afterWord_ = false;
    out_.append(bytes);
    lineLength_ += static_cast<int>(bytes.size());
}

void RtfOutput::word(Kw keyword, std::optional<int> parameter) {
    word(keywordName(keyword), parameter);
}

void RtfOutput::word(std::string_view name, std::optional<int> parameter) {
    breakIfLong();
    QByteArray text = "\\" + QByteArray(name.data(), static_cast<qsizetype>(name.size()));
    if (parameter)
        text += QByteArray::number(*parameter);
    append(text);
    afterWord_ = true;
}

void RtfOutput::open() {
    breakIfLong();
    append("{");
}

void RtfOutput::close() {
    append("}");
}

void RtfOutput::hexByte(unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const char text[4] = {'\\', '\'', kDigits[byte >> 4], kDigits[byte & 0xF]};
    append(QByteArrayView(text, 4));
}

void RtfOutput::plain(char c) {
    append(QByteArrayView(&c, 1));
}

void RtfOutput::escaped(char c) {
    const char text[2] = {'\\', c};
    append(QByteArrayView(text, 2));
}

void RtfOutput::symbol(char c) {
    escaped(c);
}

void RtfOutput::raw(QByteArrayView bytes) {
    append(bytes);
}

void RtfOutput::lineBreak() {
    afterWord_ = false; // the line end itself ends a control word
    out_.append("\r\n");
    lineLength_ = 0;
}

void RtfOutput::breakIfLong() {
    if (lineLength_ >= kLineLength)
        lineBreak();
}

} // namespace orbeta::rtf
