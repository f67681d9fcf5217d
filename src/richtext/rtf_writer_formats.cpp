// The writer's paragraph and character properties, list marks, pictures and links.
#include "richtext/rtf_fields.h"
#include "richtext/rtf_format_properties.h"
#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_pictures.h"
#include "richtext/rtf_units.h"
#include "richtext/rtf_vocabulary.h"
#include "richtext/rtf_writer_core.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <cmath>

namespace orbeta::rtf {

namespace {

constexpr unsigned char kSymbolBullet = 0xB7; // the bullet of the Symbol font
constexpr int kHexLineLength = 128;

QString familyOf(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

} // namespace

void Writer::writeParagraphProperties(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    if (const Kw alignment = alignmentWord(format.alignment()); alignment != Kw::ql)
        out_.word(alignment);
    if (block.textList()) {
        // An item's own indents where it came with them; those of its level otherwise.
        const bool own = format.hasProperty(kListItemLeftIndentProperty);
        out_.word(Kw::fi, own ? format.intProperty(kListItemFirstIndentProperty) : kListMarkIndent);
        out_.word(Kw::li, own ? format.intProperty(kListItemLeftIndentProperty)
                              : block.textList()->format().indent() * kListIndentStep);
    } else {
        if (format.textIndent() != 0)
            out_.word(Kw::fi, units::roundedFromPixels(format.textIndent()));
        if (format.leftMargin() != 0)
            out_.word(Kw::li, units::roundedFromPixels(format.leftMargin()));
    }
    if (format.rightMargin() != 0)
        out_.word(Kw::ri, units::roundedFromPixels(format.rightMargin()));
    if (format.topMargin() != 0)
        out_.word(Kw::sb, units::roundedFromPixels(format.topMargin()));
    if (format.bottomMargin() != 0)
        out_.word(Kw::sa, units::roundedFromPixels(format.bottomMargin()));
    if (const std::optional<LineSpacing> spacing = lineSpacingOf(format)) {
        out_.word(Kw::sl, spacing->twips);
        out_.word(Kw::slmult, spacing->multiple ? 1 : 0);
    }
}

// What readers without list support show, then the list itself.
void Writer::writeListMark(const QTextBlock& block) {
    const bool bullet = isBullet(block.textList()->format().style());
    group([&] {
        out_.word(Kw::pntext);
        if (bullet) {
            out_.word(Kw::f, symbolFont());
            out_.hexByte(kSymbolBullet);
        } else {
            out_.word(Kw::f, 0);
            escapes_ = &escapesFor(fallbackCodePage(fonts_[0].charset));
            writeText(block.textList()->itemText(block));
        }
        out_.word(Kw::tab);
    });
    writeOldStyleNumbering(block);
}

void Writer::writeOldStyleNumbering(const QTextBlock& block) {
    const QTextListFormat::Style style = block.textList()->format().style();
    out_.open();
    out_.symbol('*');
    out_.word(Kw::pn);
    if (isBullet(style)) {
        out_.word(Kw::pnlvlblt);
        out_.word(Kw::pnf, symbolFont());
        out_.word(Kw::pnindent, 0);
        out_.open();
        out_.word(Kw::pntxtb);
        out_.hexByte(kSymbolBullet);
        out_.close();
    } else {
        out_.word(Kw::pnlvlbody);
        out_.word(Kw::pnf, 0);
        out_.word(Kw::pnindent, 0);
        out_.word(Kw::pnstart, 1);
        out_.word(oldListWord(style));
        out_.open();
        out_.word(Kw::pntxta);
        out_.plain('.');
        out_.close();
    }
    out_.close();
}

const Writer::RunFormat& Writer::runFormat(const QTextFragment& fragment) {
    const auto index = static_cast<std::size_t>(fragment.charFormatIndex());
    if (index >= runFormats_.size())
        runFormats_.resize(index + 1);
    std::unique_ptr<RunFormat>& known = runFormats_[index];
    if (!known) {
        const QTextCharFormat format = fragment.charFormat();
        RunFormat run;
        if (format.isImageFormat())
            run.kind = RunFormat::Image;
        else if (isEmbeddedObject(format))
            run.kind = RunFormat::Embedded;
        else if (isHiddenText(format))
            run.kind = RunFormat::Hidden;
        if (format.isAnchor())
            run.link = format.anchorHref();
        const int font = formatFontIndex(fragment.charFormatIndex());
        run.escapes = &escapesFor(fallbackCodePage(fonts_[static_cast<std::size_t>(font)].charset));
        if (run.kind == RunFormat::Embedded) {
            run.words = objectGroup(format, fragment.charFormatIndex());
            run.unicodeSkip = embeddedObjectGroup(format).unicodeSkip;
        } else {
            run.words = aside([&] { writeCharProperties(format, font); });
        }
        known = std::make_unique<RunFormat>(std::move(run));
    }
    return *known;
}

// An object's group as read, with the fonts and colours it names renumbered into this document's
// tables.
QByteArray Writer::objectGroup(const QTextCharFormat& format, int formatIndex) const {
    const KeptGroup group = embeddedObjectGroup(format);
    const auto index = static_cast<std::size_t>(formatIndex);
    if (index >= formatFonts_.size() || (group.fonts.empty() && group.colors.empty()))
        return group.rtf;
    const FormatFont& font = formatFonts_[index];
    return renumberedGroup(
        group.rtf,
        [&](int number) {
            const auto entry = font.groupFontEntries.find(number);
            return entry == font.groupFontEntries.end() ? 0 : entry->second;
        },
        [&](int number) {
            const auto entry = font.groupColorEntries.find(number);
            return entry == font.groupColorEntries.end() ? 0 : entry->second;
        });
}

void Writer::writeCharProperties(const QTextCharFormat& format, int font) {
    if (format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() >= QFont::DemiBold)
        out_.word(Kw::b);
    if (format.fontItalic())
        out_.word(Kw::i);
    if (const Kw underline = underlineWord(format.underlineStyle()); underline != Kw::Unknown)
        out_.word(underline);
    if (format.fontStrikeOut())
        out_.word(Kw::strike);
    if (format.fontCapitalization() == QFont::AllUppercase)
        out_.word(Kw::caps);
    else if (format.fontCapitalization() == QFont::SmallCaps)
        out_.word(Kw::scaps);
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        out_.word(Kw::super);
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        out_.word(Kw::sub);
    if (font > 0 || !familyOf(format).isEmpty())
        out_.word(Kw::f, font);
    writeRaised(format, writeFontSize(format));
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        out_.word(Kw::cf, colorIndex(format.foreground().color()));
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        out_.word(Kw::highlight, colorIndex(format.background().color()));
}

// Every run says its size: the rich-edit control does not take RTF's default of 12 points.
int Writer::writeFontSize(const QTextCharFormat& format) {
    double points = 0;
    if (format.hasProperty(QTextFormat::FontPointSize))
        points = format.fontPointSize();
    else if (format.hasProperty(QTextFormat::FontPixelSize))
        points = format.intProperty(QTextFormat::FontPixelSize) * units::kPointsPerPixel;
    const int halfPoints =
        points > 0 ? static_cast<int>(std::lround(points * 2)) : defaultHalfPoints_;
    out_.word(Kw::fs, halfPoints);
    return halfPoints;
}

// Text raised or lowered by a distance (\upN, \dnN, in half-points), as office suites write
// sub- and superscript.
void Writer::writeRaised(const QTextCharFormat& format, int halfPoints) {
    if (format.verticalAlignment() != QTextCharFormat::AlignNormal || format.baselineOffset() == 0)
        return;
    const int raised = static_cast<int>(std::lround(format.baselineOffset() * halfPoints / 100.0));
    if (raised > 0)
        out_.word(Kw::up, raised);
    else if (raised < 0)
        out_.word(Kw::dn, -raised);
}

void Writer::writePicture(const QTextImageFormat& format) {
    const std::optional<StoredPicture> picture = storedPicture(resources_, format);
    if (!picture)
        return;
    out_.open();
    out_.word(Kw::pict);
    out_.word(picture->kind == PictureKind::Jpeg ? Kw::jpegblip : Kw::pngblip);
    out_.word(Kw::picw, picture->pixels.width());
    out_.word(Kw::pich, picture->pixels.height());
    out_.word(Kw::picwgoal, units::roundedFromPixels(picture->shownPixels.width()));
    out_.word(Kw::pichgoal, units::roundedFromPixels(picture->shownPixels.height()));
    if (picture->crop.size() == 4) {
        const Kw sides[] = {Kw::piccropl, Kw::piccropr, Kw::piccropt, Kw::piccropb};
        for (int side = 0; side < 4; ++side)
            if (picture->crop[side] != 0)
                out_.word(sides[side], picture->crop[side]);
    }
    out_.lineBreak();
    if (!picture->groups.isEmpty())
        out_.lines(picture->groups);
    const QByteArray hex = picture->bytes.toHex();
    for (qsizetype at = 0; at < hex.size(); at += kHexLineLength) {
        out_.raw(
            QByteArrayView(hex).sliced(at, std::min<qsizetype>(kHexLineLength, hex.size() - at)));
        out_.lineBreak();
    }
    out_.close();
}

void Writer::openLink(const QString& target) {
    linkSkip_ = unicodeSkip_;
    out_.open();
    out_.word(Kw::field);
    out_.open();
    out_.symbol('*');
    out_.word(Kw::fldinst);
    group([&] { writeText(hyperlinkInstruction(target)); });
    out_.close();
    out_.open();
    out_.word(Kw::fldrslt);
    linkOpen_ = true;
    linkTarget_ = target;
}

void Writer::closeLink() {
    out_.close();
    out_.close();
    unicodeSkip_ = linkSkip_;
    linkOpen_ = false;
    linkTarget_.clear();
}

} // namespace orbeta::rtf
