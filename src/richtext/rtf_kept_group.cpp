#include "richtext/rtf_kept_group.h"

#include "richtext/rtf_color_table.h"
#include "richtext/rtf_font_table.h"
#include "richtext/rtf_tokenizer.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace orbeta::rtf {

namespace {

// The words whose number is a font of the font table, or a colour of the colour table.
constexpr std::array kFontWords = std::to_array<std::string_view>({"af", "f", "pnf"});
constexpr std::array kColorWords = std::to_array<std::string_view>(
    {"brdrcf", "cb", "cbpat", "cf", "cfpat", "chcbpat", "chcfpat", "clcbpat", "clcbpatraw",
     "clcfpat", "clcfpatraw", "highlight", "pncf", "trcbpat", "trcfpat", "ulc"});

enum class Reference { None, Font, Color };

Reference referenceOf(const Token& token) {
    if (token.type != TokenType::ControlWord || !token.hasParameter)
        return Reference::None;
    if (std::find(kFontWords.begin(), kFontWords.end(), token.word) != kFontWords.end())
        return Reference::Font;
    if (std::find(kColorWords.begin(), kColorWords.end(), token.word) != kColorWords.end())
        return Reference::Color;
    return Reference::None;
}

// Calls `visit` for every font and colour reference of the group, in order.
template <class Visit> void forEachReference(QByteArrayView rtf, Visit&& visit) {
    Tokenizer tokens(rtf);
    for (Token token = tokens.next(); token.type != TokenType::End; token = tokens.next()) {
        if (const Reference reference = referenceOf(token); reference != Reference::None)
            visit(reference, token, tokens.offset());
    }
}

} // namespace

KeptGroup keptGroupOf(QByteArrayView rtf, int unicodeSkip, const FontTable& fonts,
                      const ColorTable& colors) {
    KeptGroup group;
    group.rtf = rtf.toByteArray();
    group.unicodeSkip = unicodeSkip;
    forEachReference(rtf, [&](Reference reference, const Token& token, qsizetype) {
        const int number = token.parameter;
        if (reference == Reference::Font && fonts.holds(number))
            group.fonts.emplace(number,
                                KeptGroup::Font{fonts.familyOf(number), fonts.charsetOf(number)});
        else if (reference == Reference::Color)
            group.colors.emplace(number, colors.color(number));
    });
    return group;
}

QByteArray renumberedGroup(QByteArrayView rtf, const std::function<int(int)>& font,
                           const std::function<int(int)>& color) {
    QByteArray renumbered;
    renumbered.reserve(rtf.size());
    qsizetype copied = 0;
    forEachReference(rtf, [&](Reference reference, const Token& token, qsizetype end) {
        // The number runs from after the word's letters to the blank or the next token.
        const qsizetype numberStart = token.offset + 1 + static_cast<qsizetype>(token.word.size());
        qsizetype numberEnd = numberStart;
        while (numberEnd < end &&
               (rtf[numberEnd] == '-' || (rtf[numberEnd] >= '0' && rtf[numberEnd] <= '9')))
            ++numberEnd;
        const int number =
            reference == Reference::Font ? font(token.parameter) : color(token.parameter);
        renumbered.append(rtf.sliced(copied, numberStart - copied));
        renumbered.append(QByteArray::number(number));
        copied = numberEnd;
    });
    renumbered.append(rtf.sliced(copied));
    return renumbered;
}

QString fontsText(const std::map<int, KeptGroup::Font>& fonts) {
    QStringList lines;
    for (const auto& [number, font] : fonts)
        lines << QStringLiteral("%1\t%2\t%3").arg(number).arg(font.charset).arg(font.family);
    return lines.join(u'\n');
}

std::map<int, KeptGroup::Font> fontsFromText(const QString& text) {
    std::map<int, KeptGroup::Font> fonts;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u'\t');
        if (parts.size() == 3)
            fonts.emplace(parts[0].toInt(), KeptGroup::Font{parts[2], parts[1].toInt()});
    }
    return fonts;
}

QString colorsText(const std::map<int, QColor>& colors) {
    QStringList lines;
    for (const auto& [number, color] : colors)
        lines << QStringLiteral("%1\t%2").arg(number).arg(color.isValid() ? color.name()
                                                                          : QString());
    return lines.join(u'\n');
}

std::map<int, QColor> colorsFromText(const QString& text) {
    std::map<int, QColor> colors;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u'\t');
        if (parts.size() == 2)
            colors.emplace(parts[0].toInt(), parts[1].isEmpty() ? QColor() : QColor(parts[1]));
    }
    return colors;
}

} // namespace orbeta::rtf
