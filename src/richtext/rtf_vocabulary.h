#pragma once

#include "richtext/rtf_keywords.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextListFormat>

#include <optional>

// What RTF words mean in the document's terms, for reading and for writing alike: each concept in
// one table that serves both directions, so a new entry cannot reach only one of them. Where
// several words read as one thing, the first of them is the one written.
namespace orbeta::rtf {

// List levels are indented in steps of this many twips, as office programs lay them out.
inline constexpr int kListIndentStep = 600;
// The hanging indent of a list item's mark, in twips.
inline constexpr int kListMarkIndent = -360;

// Underline styles: \ul, \uldash, ...
std::optional<QTextCharFormat::UnderlineStyle> underlineOf(Kw word);
Kw underlineWord(QTextCharFormat::UnderlineStyle style); // Kw::Unknown: no underline

// Paragraph alignment: \ql, \qc, \qr, \qj.
std::optional<Qt::Alignment> alignmentOf(Kw word);
Kw alignmentWord(Qt::Alignment alignment); // Kw::ql for left, the default

// List numbering, in the list table's \levelnfcN numbers and in old-style \pn words.
inline constexpr int kLevelFormatBullet = 23;
inline constexpr int kLevelFormatNone = 255;
QTextListFormat::Style listStyleOfLevelFormat(int levelFormat);
int levelFormatOf(QTextListFormat::Style style);
std::optional<QTextListFormat::Style> listStyleOfOldWord(Kw word);
Kw oldListWord(QTextListFormat::Style style); // \pnlvlblt for bullets
bool isBullet(QTextListFormat::Style style);

// Characters that RTF spells as a control symbol (\~) or a control word (\tab, \emdash).
std::optional<char16_t> characterOfSymbol(char symbol);
std::optional<char16_t> characterOfWord(Kw word);
// How the writer spells a character: a control symbol or word, or nothing for plain text.
struct Spelling {
    char symbol = 0;
    Kw word = Kw::Unknown;
};
std::optional<Spelling> spellingOf(char16_t character);

// Line spacing as \slN\slmultM states it.
struct LineSpacing {
    int twips = 0;         // \sl: 0 single; > 0 at least; < 0 exactly
    bool multiple = false; // \slmult1: |\sl| is in 240ths of a line

    bool operator==(const LineSpacing&) const = default;
};
void applyLineSpacing(const LineSpacing& spacing, QTextBlockFormat& format);
std::optional<LineSpacing> lineSpacingOf(const QTextBlockFormat& format);

} // namespace orbeta::rtf
