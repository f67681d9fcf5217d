#include "richtext/rtf_char_formats.h"

#include "richtext/code_pages.h"
#include "richtext/rtf_color_table.h"
#include "richtext/rtf_fields.h"
#include "richtext/rtf_font_table.h"
#include "richtext/rtf_format_properties.h"

namespace orbeta::rtf {

namespace {

constexpr double kRtfDefaultPoints = 12; // text without \fs
constexpr int kRtfDefaultHalfPoints = 24;
constexpr double kPercent = 100.0;

void setFontFormat(const CharState& chr, QTextCharFormat& format) {
    if (chr.bold)
        format.setFontWeight(QFont::Bold);
    if (chr.italic)
        format.setFontItalic(true);
    if (chr.underline != QTextCharFormat::NoUnderline)
        format.setUnderlineStyle(chr.underline);
    if (chr.strike)
        format.setFontStrikeOut(true);
    if (chr.caps)
        format.setFontCapitalization(QFont::AllUppercase);
    else if (chr.smallCaps)
        format.setFontCapitalization(QFont::SmallCaps);
    if (chr.verticalAlignment != QTextCharFormat::AlignNormal)
        format.setVerticalAlignment(chr.verticalAlignment);
}

} // namespace

QTextCharFormat CharFormats::format(const CharState& chr) const {
    for (const std::optional<Made>& made : made_)
        if (made && made->chr == chr)
            return made->format;
    std::optional<Made>& slot = made_[next_];
    next_ = (next_ + 1) % kKept;
    slot = Made{chr, make(chr)};
    return slot->format;
}

QTextCharFormat CharFormats::make(const CharState& given) const {
    const CharState chr = given.effective();
    QTextCharFormat format;
    setFontFormat(chr, format);
    const int font = chr.font >= 0 ? chr.font : (pasting_ ? codePages_.defaultFont : -1);
    if (const QString family = fonts_.familyOf(font); !family.isEmpty()) {
        format.setFontFamilies(QStringList{family});
        format.setProperty(kHashKeyProperty, static_cast<int>(qHash(family)));
        // Qt keeps no character set; the writer puts it back into the font table.
        format.setProperty(kFontCharsetProperty, fonts_.charsetOf(font));
    }
    // A document's text at RTF's default size takes it from the document's default font.
    if (chr.halfPoints > 0 && (pasting_ || chr.halfPoints != kRtfDefaultHalfPoints))
        format.setFontPointSize(chr.halfPoints / 2.0);
    else if (pasting_)
        format.setFontPointSize(kRtfDefaultPoints);
    if (chr.raised != 0 && chr.verticalAlignment == QTextCharFormat::AlignNormal) {
        const int size = chr.halfPoints > 0 ? chr.halfPoints : kRtfDefaultHalfPoints;
        format.setBaselineOffset(chr.raised * kPercent / size);
    }
    if (const QColor color = colors_.color(chr.color); color.isValid())
        format.setForeground(color);
    if (const QColor color = colors_.color(chr.background); color.isValid())
        format.setBackground(color);
    if (const QString target = fields_.link(chr.link); !target.isEmpty()) {
        format.setAnchor(true);
        format.setAnchorHref(target);
    }
    return format;
}

} // namespace orbeta::rtf
