#include "richtext/rtf_output.h"

#include <algorithm>
#include <charconv>

namespace orbeta::rtf {

RtfOutput& RtfOutput::operator=(RtfOutput&& other) noexcept {
    if (this == &other)
        return *this;
    buffer_ = std::exchange(other.buffer_, QByteArray());
    sink_ = std::exchange(other.sink_, nullptr);
    failed_ = std::exchange(other.failed_, false);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    lineLength_ = std::exchange(other.lineLength_, 0);
    afterWord_ = std::exchange(other.afterWord_, false);
    return *this;
}

void RtfOutput::grow(qsizetype more) {
    capacity_ = std::max<qsizetype>({4096, capacity_ * 2, size_ + more});
    buffer_.resize(capacity_); // new bytes stay uninitialised; large blocks are remapped
}

bool RtfOutput::flush() {
    if (!sink_ || failed_)
        return !failed_;
    if (size_ > 0 && sink_->write(buffer_.constData(), size_) != size_)
        failed_ = true;
    size_ = 0;
    return !failed_;
}

void RtfOutput::word(Kw keyword, std::optional<int> parameter) {
    word(keywordName(keyword), parameter);
}

void RtfOutput::word(std::string_view name, std::optional<int> parameter) {
    breakIfLong();
    char text[48];
    char* end = text;
    *end++ = '\\';
    const std::size_t length = std::min<std::size_t>(name.size(), 32);
    std::memcpy(end, name.data(), length);
    end += length;
    if (parameter)
        end = std::to_chars(end, text + sizeof text, *parameter).ptr;
    raw(QByteArrayView(text, end - text));
    afterWord_ = true;
}

void RtfOutput::hexByte(unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const char text[4] = {'\\', '\'', kDigits[byte >> 4], kDigits[byte & 0xF]};
    raw(QByteArrayView(text, 4));
}

} // namespace orbeta::rtf
