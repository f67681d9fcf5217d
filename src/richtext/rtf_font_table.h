#pragma once

#include "richtext/code_pages.h"
#include "richtext/rtf_keywords.h"

#include <QByteArray>
#include <QString>

#include <map>

namespace orbeta::rtf {

// The font table (\fonttbl) as it is read: each font's number, name and code page. Names are
// bytes in the font's own code page until the name ends.
class FontTable {
public:
    explicit FontTable(CodePages& codePages) : codePages_(codePages) {}

    void word(Kw word, int value);   // \f starts a font; \fcharset, \cpg give its code page
    void text(QByteArrayView bytes); // a ";" ends the font
    void byte(char byte);            // a byte of the name given as \'hh
    void character(char16_t unit);   // a \uN in a name
    void groupEnded() { finishFont(); }

    // The code page of a font's text; 0 when the font names none.
    int codePageOf(int font) const;
    // The character set (\fcharsetN) a font states, or kCharsetNotStated.
    int charsetOf(int font) const;
    bool holds(int font) const { return fonts_.count(font) > 0; }
    // The font's name; empty for a font the table does not hold.
    QString familyOf(int font) const;

private:
    struct Font {
        int codePage = 0; // 0: the document's
        int charset = kCharsetNotStated;
        QByteArray nameBytes;
        QString name;
    };

    void decodeNameBytes();
    void finishFont();

    CodePages& codePages_;
    std::map<int, Font> fonts_;
    Font* current_ = nullptr;
};

} // namespace orbeta::rtf
