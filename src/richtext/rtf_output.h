#pragma once

#include "richtext/rtf_keywords.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace orbeta::rtf {

// Builds RTF text token by token: puts the blank after a control word only where the next byte
// needs it, and starts a new line between tokens once a line is long, never inside a token.
class RtfOutput {
public:
    static constexpr int kLineLength = 200;

    void word(Kw keyword, std::optional<int> parameter = std::nullopt);
    void word(std::string_view name, std::optional<int> parameter = std::nullopt);
    void open();
    void close();
    void hexByte(unsigned char byte);
    void plain(char c);             // printable ASCII other than \ { }
    void escaped(char c);           // \ { } as control symbols
    void symbol(char c);            // \~, \-, \_, \*
    void raw(QByteArrayView bytes); // already valid RTF, such as picture data
    void lineBreak();               // ends the line here
    void breakIfLong();

    QByteArray take() { return std::move(out_); }
    const QByteArray& bytes() const { return out_; }

private:
    void append(QByteArrayView bytes);

    QByteArray out_;
    int lineLength_ = 0;
    bool afterWord_ = false;
};

} // namespace orbeta::rtf
