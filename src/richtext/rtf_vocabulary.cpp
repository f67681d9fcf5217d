#include "richtext/rtf_vocabulary.h"

#include "richtext/rtf_units.h"

#include <cmath>
#include <cstdlib>

namespace orbeta::rtf {

namespace {

template <class Entry, class Key, class Project>
const Entry* findEntry(const auto& table, const Key& key, Project project) {
    for (const Entry& entry : table)
        if (project(entry) == key)
            return &entry;
    return nullptr;
}

struct UnderlineEntry {
    Kw word;
    QTextCharFormat::UnderlineStyle style;
};
constexpr UnderlineEntry kUnderlines[] = {
    {Kw::ul, QTextCharFormat::SingleUnderline},
    {Kw::uldash, QTextCharFormat::DashUnderline},
    {Kw::uld, QTextCharFormat::DotLine},
    {Kw::uldashd, QTextCharFormat::DashDotLine},
    {Kw::uldashdd, QTextCharFormat::DashDotDotLine},
    {Kw::ulwave, QTextCharFormat::WaveUnderline},
    // Read as the nearest style Qt draws.
    {Kw::ulw, QTextCharFormat::SingleUnderline},
    {Kw::uldb, QTextCharFormat::SingleUnderline},
    {Kw::ulth, QTextCharFormat::SingleUnderline},
    {Kw::ulldash, QTextCharFormat::DashUnderline},
    {Kw::ulhwave, QTextCharFormat::WaveUnderline},
    {Kw::ululdbwave, QTextCharFormat::WaveUnderline},
    // Written only: the editor's spelling mark is an underline to other programs.
    {Kw::ul, QTextCharFormat::SpellCheckUnderline},
};

struct AlignmentEntry {
    Kw word;
    Qt::Alignment alignment;
};
const AlignmentEntry kAlignments[] = {
    {Kw::ql, Qt::AlignLeft},    {Kw::qc, Qt::AlignHCenter}, {Kw::qr, Qt::AlignRight},
    {Kw::qj, Qt::AlignJustify}, {Kw::qd, Qt::AlignJustify}, // distributed: justified is the nearest
};

struct ListEntry {
    QTextListFormat::Style style;
    int levelFormat; // \levelnfc
    Kw oldWord;      // \pn...
};
constexpr ListEntry kLists[] = {
    {QTextListFormat::ListDisc, kLevelFormatBullet, Kw::pnlvlblt},
    {QTextListFormat::ListDecimal, 0, Kw::pndec},
    {QTextListFormat::ListUpperRoman, 1, Kw::pnucrm},
    {QTextListFormat::ListLowerRoman, 2, Kw::pnlcrm},
    {QTextListFormat::ListUpperAlpha, 3, Kw::pnucltr},
    {QTextListFormat::ListLowerAlpha, 4, Kw::pnlcltr},
    {QTextListFormat::ListStyleUndefined, kLevelFormatNone, Kw::Unknown},
    // Read as decimal numbers: ordinals and cardinals.
    {QTextListFormat::ListDecimal, 0, Kw::pnord},
    {QTextListFormat::ListDecimal, 0, Kw::pnordt},
    {QTextListFormat::ListDecimal, 0, Kw::pncard},
    // Written as bullets.
    {QTextListFormat::ListCircle, kLevelFormatBullet, Kw::pnlvlblt},
    {QTextListFormat::ListSquare, kLevelFormatBullet, Kw::pnlvlblt},
};

struct CharacterEntry {
    char16_t character;
    char symbol; // the control symbol, or 0
    Kw word;     // the control word, or Unknown
};
constexpr CharacterEntry kCharacters[] = {
    {u'\u00A0', '~', Kw::Unknown}, // no-break space
    {u'\u00AD', '-', Kw::Unknown}, // soft hyphen
    {u'\u2011', '_', Kw::Unknown}, // no-break hyphen
    {u'\t', 0, Kw::tab},           // tab
    {u'\u2028', 0, Kw::line},      // line break within the paragraph
    {u'\u2014', 0, Kw::emdash},    // —
    {u'\u2013', 0, Kw::endash},    // –
    {u'\u2022', 0, Kw::bullet},    // •
    {u'\u2018', 0, Kw::lquote},    // ‘
    {u'\u2019', 0, Kw::rquote},    // ’
    {u'\u201C', 0, Kw::ldblquote}, // “
    {u'\u201D', 0, Kw::rdblquote}, // ”
    {u'\u2003', 0, Kw::emspace},   // em space
    {u'\u2002', 0, Kw::enspace},   // en space
    {u'\u2005', 0, Kw::qmspace},   // four-per-em space
    {u'\u200D', 0, Kw::zwj},       // zero-width joiner
    {u'\u200C', 0, Kw::zwnj},      // zero-width non-joiner
    {u'\u200E', 0, Kw::ltrmark},   // left-to-right mark
    {u'\u200F', 0, Kw::rtlmark},   // right-to-left mark
};

// A line is 240 twelfths of a 12-point line in \slmult1, whatever the font.
constexpr double kMultipleUnit = 240.0;
constexpr double kProportionalSingle = 100.0; // percent

} // namespace

std::optional<QTextCharFormat::UnderlineStyle> underlineOf(Kw word) {
    const auto* entry =
        findEntry<UnderlineEntry>(kUnderlines, word, [](const auto& e) { return e.word; });
    return entry ? std::optional(entry->style) : std::nullopt;
}

Kw underlineWord(QTextCharFormat::UnderlineStyle style) {
    const auto* entry =
        findEntry<UnderlineEntry>(kUnderlines, style, [](const auto& e) { return e.style; });
    return entry ? entry->word : Kw::Unknown;
}

std::optional<Qt::Alignment> alignmentOf(Kw word) {
    const auto* entry =
        findEntry<AlignmentEntry>(kAlignments, word, [](const auto& e) { return e.word; });
    return entry ? std::optional(entry->alignment) : std::nullopt;
}

Kw alignmentWord(Qt::Alignment alignment) {
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
    for (const AlignmentEntry& entry : kAlignments)
        if (entry.alignment != Qt::AlignLeft && (horizontal & entry.alignment))
            return entry.word;
    return Kw::ql;
}

QTextListFormat::Style listStyleOfLevelFormat(int levelFormat) {
    const auto* entry =
        findEntry<ListEntry>(kLists, levelFormat, [](const auto& e) { return e.levelFormat; });
    return entry ? entry->style : QTextListFormat::ListDecimal; // other numbers: digits
}

int levelFormatOf(QTextListFormat::Style style) {
    const auto* entry = findEntry<ListEntry>(kLists, style, [](const auto& e) { return e.style; });
    return entry ? entry->levelFormat : kLevelFormatBullet;
}

std::optional<QTextListFormat::Style> listStyleOfOldWord(Kw word) {
    if (word == Kw::Unknown)
        return std::nullopt;
    const auto* entry = findEntry<ListEntry>(kLists, word, [](const auto& e) { return e.oldWord; });
    return entry ? std::optional(entry->style) : std::nullopt;
}

Kw oldListWord(QTextListFormat::Style style) {
    const auto* entry = findEntry<ListEntry>(kLists, style, [](const auto& e) { return e.style; });
    return entry && entry->oldWord != Kw::Unknown ? entry->oldWord : Kw::pndec;
}

bool isBullet(QTextListFormat::Style style) {
    return levelFormatOf(style) == kLevelFormatBullet;
}

std::optional<char16_t> characterOfSymbol(char symbol) {
    if (symbol == 0)
        return std::nullopt;
    const auto* entry =
        findEntry<CharacterEntry>(kCharacters, symbol, [](const auto& e) { return e.symbol; });
    return entry ? std::optional(entry->character) : std::nullopt;
}

std::optional<char16_t> characterOfWord(Kw word) {
    if (word == Kw::Unknown)
        return std::nullopt;
    const auto* entry =
        findEntry<CharacterEntry>(kCharacters, word, [](const auto& e) { return e.word; });
    return entry ? std::optional(entry->character) : std::nullopt;
}

std::optional<Spelling> spellingOf(char16_t character) {
    // Every character with a spelling of its own is one of these.
    // The soft hyphen is read from \- but written as the character: the rich-edit control drops
    // the control symbol.
    if (character != u'\t' && character != u'\u00A0' &&
        (character < u'\u2002' || character > u'\u2028'))
        return std::nullopt;
    const auto* entry = findEntry<CharacterEntry>(kCharacters, character,
                                                  [](const auto& e) { return e.character; });
    if (!entry)
        return std::nullopt;
    return Spelling{entry->symbol, entry->word};
}

void applyLineSpacing(const LineSpacing& spacing, QTextBlockFormat& format) {
    if (spacing.twips == 0)
        return;
    if (spacing.multiple) // the sign says nothing here: the rich-edit control writes \sl-240
        format.setLineHeight(std::abs(spacing.twips) * kProportionalSingle / kMultipleUnit,
                             QTextBlockFormat::ProportionalHeight);
    else if (spacing.twips > 0)
        format.setLineHeight(units::toExactPixels(spacing.twips), QTextBlockFormat::MinimumHeight);
    else
        format.setLineHeight(units::toExactPixels(-spacing.twips), QTextBlockFormat::FixedHeight);
}

std::optional<LineSpacing> lineSpacingOf(const QTextBlockFormat& format) {
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (format.lineHeight() == kProportionalSingle)
            return std::nullopt;
        return LineSpacing{static_cast<int>(std::lround(format.lineHeight() * kMultipleUnit /
                                                        kProportionalSingle)),
                           true};
    case QTextBlockFormat::MinimumHeight:
        return LineSpacing{units::roundedFromPixels(format.lineHeight()), false};
    case QTextBlockFormat::FixedHeight:
        return LineSpacing{-units::roundedFromPixels(format.lineHeight()), false};
    default:
        return std::nullopt;
    }
}

} // namespace orbeta::rtf
