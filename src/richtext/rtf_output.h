#pragma once

#include "richtext/rtf_keywords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <cstring>
#include <memory>
#include <optional>
#include <utility>

namespace orbeta::rtf {

// Builds RTF text token by token: puts the blank after a control word only where the next byte
// needs it, and starts a new line between tokens once a line is long, never inside a token.
// Memos are written byte by byte, so the buffer is a plain one that the hot calls fill inline.
class RtfOutput {
public:
    RtfOutput() = default;
    // Hands its bytes to `sink` as they pile up, so a large document is never held whole.
    explicit RtfOutput(QIODevice* sink) : sink_(sink) {}
    // A moved-from output is empty, with no sink, as a new one.
    RtfOutput(RtfOutput&& other) noexcept { *this = std::move(other); }
    RtfOutput& operator=(RtfOutput&& other) noexcept;
    RtfOutput(const RtfOutput&) = delete;
    RtfOutput& operator=(const RtfOutput&) = delete;
    // Writes what is held to the sink; false once the sink has failed.
    bool flush();
    void flushIfLarge() {
        if (sink_ && size_ >= kFlushSize)
            flush();
    }
    bool failed() const { return failed_; }

    static constexpr int kLineLength = 200;
    static constexpr int kPadded = 24;

    void word(Kw keyword, std::optional<int> parameter = std::nullopt);
    void word(std::string_view name, std::optional<int> parameter = std::nullopt);
    void open() {
        breakIfLong();
        put('{');
    }
    void close() { put('}'); }
    void hexByte(unsigned char byte);
    void plain(char c) { // printable ASCII other than \ { }
        if (afterWord_ && needsDelimiter(c))
            put(' ');
        put(c);
    }
    void escaped(char c) { // \ { } as control symbols
        const char text[2] = {'\\', c};
        raw(QByteArrayView(text, 2));
    }
    void symbol(char c) { escaped(c); } // \~, \-, \_, \*
    void raw(QByteArrayView bytes) {    // already valid RTF that needs no blank before it
        reserve(bytes.size());
        std::memcpy(buffer_.data() + size_, bytes.data(), static_cast<std::size_t>(bytes.size()));
        size_ += bytes.size();
        lineLength_ += static_cast<int>(bytes.size());
        afterWord_ = false;
    }
    // Copies a fixed kPadded bytes from `text`, of which `size` count: a copy the compiler does
    // without a call.
    void rawPadded(const char* text, int size) {
        reserve(kPadded);
        std::memcpy(buffer_.data() + size_, text, kPadded);
        size_ += size;
        lineLength_ += size;
        afterWord_ = false;
    }
    // Whole lines of RTF made elsewhere.
    void lines(QByteArrayView text) {
        raw(text);
        const qsizetype lastEnd = text.lastIndexOf('\n');
        if (lastEnd >= 0)
            lineLength_ = static_cast<int>(text.size() - lastEnd - 1);
    }
    // Control words written before and kept for later.
    void words(QByteArrayView text) {
        if (text.isEmpty())
            return;
        breakIfLong();
        raw(text);
        afterWord_ = true;
    }
    void lineBreak() {
        afterWord_ = false; // the line end itself ends a control word
        raw("\r\n");
        lineLength_ = 0;
    }
    void breakIfLong() {
        if (lineLength_ >= kLineLength)
            lineBreak();
    }

    QByteArray take() {
        buffer_.truncate(size_);
        QByteArray bytes = std::move(buffer_);
        buffer_ = QByteArray();
        size_ = 0;
        capacity_ = 0;
        lineLength_ = 0;
        afterWord_ = false;
        return bytes;
    }

    // Writing without per-byte calls: direct() reserves room for up to `bytes` bytes, the
    // Direct writes into it, finish() takes its bytes into the output.
    class Direct {
    public:
        void plain(char c) {
            if (afterWord_ && needsDelimiter(c))
                *at_++ = ' ';
            afterWord_ = false;
            *at_++ = c;
            if (++lineLength_ >= kLineLength)
                lineEnd();
        }
        void padded(const char* text, int size) {
            std::memcpy(at_, text, kPadded);
            at_ += size;
            afterWord_ = false;
            lineLength_ += size;
            if (lineLength_ >= kLineLength)
                lineEnd();
        }

    private:
        friend class RtfOutput;
        void lineEnd() {
            *at_++ = '\r';
            *at_++ = '\n';
            lineLength_ = 0;
        }
        char* at_ = nullptr;
        int lineLength_ = 0;
        bool afterWord_ = false;
    };
    Direct direct(qsizetype bytes) {
        reserve(bytes + kPadded);
        Direct out;
        out.at_ = buffer_.data() + size_;
        out.lineLength_ = lineLength_;
        out.afterWord_ = afterWord_;
        return out;
    }
    void finish(const Direct& out) {
        size_ = out.at_ - buffer_.data();
        lineLength_ = out.lineLength_;
        afterWord_ = out.afterWord_;
    }

    static bool needsDelimiter(char next) {
        return (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') ||
               (next >= '0' && next <= '9') || next == ' ' || next == '-';
    }

private:
    void put(char c) {
        reserve(1);
        buffer_.data()[size_++] = c;
        ++lineLength_;
        afterWord_ = false;
    }
    void reserve(qsizetype more) {
        if (size_ + more > capacity_)
            grow(more);
    }
    void grow(qsizetype more);

    static constexpr qsizetype kFlushSize = 256 * 1024;

    QByteArray buffer_; // its size is the capacity; size_ bytes are written
    QIODevice* sink_ = nullptr;
    bool failed_ = false;
    qsizetype size_ = 0;
    qsizetype capacity_ = 0;
    int lineLength_ = 0;
    bool afterWord_ = false;
};

} // namespace orbeta::rtf
