#include "richtext/rtf_char_formats.h"

#include "richtext/code_pages.h"
#include "richtext/rtf_color_table.h"
#include "richtext/rtf_fields.h"
#include "richtext/rtf_font_table.h"

namespace orbeta::rtf {

namespace {

constexpr double kRtfDefaultPoints = 12; // text without \fs

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

QTextCharFormat CharFormats::format(const CharState& given) const {
    const CharState chr = given.effective();
    QTextCharFormat format;
    setFontFormat(chr, format);
    const int font = chr.font >= 0 ? chr.font : (pasting_ ? codePages_.defaultFont : -1);
    if (const QString family = fonts_.familyOf(font); !family.isEmpty())
        format.setFontFamilies(QStringList{family});
    if (chr.halfPoints > 0)
        format.setFontPointSize(chr.halfPoints / 2.0);
    else if (pasting_)
        format.setFontPointSize(kRtfDefaultPoints);
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
