#include "support/document_dump.h"

#include "richtext/rtf_format_properties.h"
#include "richtext/rtf_inline_objects.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include <cmath>

namespace {

QString twipsText(double pixels) {
    return QString::number(std::lround(pixels * 15));
}

QString quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QChar::LineSeparator)
            out += QLatin1String("\\n");
        else if (c.unicode() < 0x20 || c.unicode() == 0xAD || c.unicode() == 0xA0 ||
                 c.unicode() == 0x2011 || (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF))
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString underlineName(QTextCharFormat::UnderlineStyle style) {
    switch (style) {
    case QTextCharFormat::SingleUnderline:
        return QStringLiteral("single");
    case QTextCharFormat::DashUnderline:
        return QStringLiteral("dash");
    case QTextCharFormat::DotLine:
        return QStringLiteral("dot");
    case QTextCharFormat::DashDotLine:
        return QStringLiteral("dashdot");
    case QTextCharFormat::DashDotDotLine:
        return QStringLiteral("dashdotdot");
    case QTextCharFormat::WaveUnderline:
        return QStringLiteral("wave");
    default:
        return QStringLiteral("other");
    }
}

QString listName(QTextListFormat::Style style) {
    switch (style) {
    case QTextListFormat::ListDisc:
        return QStringLiteral("disc");
    case QTextListFormat::ListCircle:
        return QStringLiteral("circle");
    case QTextListFormat::ListSquare:
        return QStringLiteral("square");
    case QTextListFormat::ListDecimal:
        return QStringLiteral("decimal");
    case QTextListFormat::ListLowerAlpha:
        return QStringLiteral("lower-alpha");
    case QTextListFormat::ListUpperAlpha:
        return QStringLiteral("upper-alpha");
    case QTextListFormat::ListLowerRoman:
        return QStringLiteral("lower-roman");
    case QTextListFormat::ListUpperRoman:
        return QStringLiteral("upper-roman");
    default:
        return QStringLiteral("other");
    }
}

// Sizes are shown where they differ from the document's default size.
QString runProperties(const QTextCharFormat& format, double defaultPoints) {
    QStringList parts;
    if (format.fontWeight() >= QFont::DemiBold)
        parts << QStringLiteral("b");
    if (format.fontItalic())
        parts << QStringLiteral("i");
    if (format.underlineStyle() != QTextCharFormat::NoUnderline)
        parts << QStringLiteral("u=") + underlineName(format.underlineStyle());
    if (format.fontStrikeOut())
        parts << QStringLiteral("s");
    if (format.fontCapitalization() == QFont::AllUppercase)
        parts << QStringLiteral("caps");
    if (format.fontCapitalization() == QFont::SmallCaps)
        parts << QStringLiteral("scaps");
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        parts << QStringLiteral("super");
    if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        parts << QStringLiteral("sub");
    if (format.baselineOffset() != 0)
        parts << QStringLiteral("raised=%1%").arg(format.baselineOffset(), 0, 'f', 1);
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty())
        parts << QStringLiteral("font=") + quoted(families.first());
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() != defaultPoints)
        parts << QStringLiteral("pt=") + QString::number(format.fontPointSize());
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        parts << QStringLiteral("fg=") + format.foreground().color().name();
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        parts << QStringLiteral("bg=") + format.background().color().name();
    if (format.isAnchor())
        parts << QStringLiteral("href=") + quoted(format.anchorHref());
    return parts.join(QLatin1Char(' '));
}

QString blockLine(const QTextBlock& block, QList<const QTextList*>& lists) {
    const QTextBlockFormat format = block.blockFormat();
    QStringList parts{QStringLiteral("P")};
    const Qt::Alignment horizontal = format.alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignHCenter)
        parts << QStringLiteral("center");
    else if (horizontal & Qt::AlignRight)
        parts << QStringLiteral("right");
    else if (horizontal & Qt::AlignJustify)
        parts << QStringLiteral("justify");
    if (format.leftMargin() != 0)
        parts << QStringLiteral("li=") + twipsText(format.leftMargin());
    if (format.rightMargin() != 0)
        parts << QStringLiteral("ri=") + twipsText(format.rightMargin());
    if (format.textIndent() != 0)
        parts << QStringLiteral("fi=") + twipsText(format.textIndent());
    if (format.topMargin() != 0)
        parts << QStringLiteral("sb=") + twipsText(format.topMargin());
    if (format.bottomMargin() != 0)
        parts << QStringLiteral("sa=") + twipsText(format.bottomMargin());
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (format.lineHeight() != 100)
            parts << QStringLiteral("line=%1%").arg(format.lineHeight());
        break;
    case QTextBlockFormat::MinimumHeight:
        parts << QStringLiteral("line>=") + twipsText(format.lineHeight());
        break;
    case QTextBlockFormat::FixedHeight:
        parts << QStringLiteral("line=") + twipsText(format.lineHeight());
        break;
    default:
        break;
    }
    if (format.hasProperty(orbeta::rtf::kListItemLeftIndentProperty))
        parts << QStringLiteral("item-li=%1 item-fi=%2")
                     .arg(format.intProperty(orbeta::rtf::kListItemLeftIndentProperty))
                     .arg(format.intProperty(orbeta::rtf::kListItemFirstIndentProperty));
    if (const QTextList* list = block.textList()) {
        if (!lists.contains(list))
            lists << list;
        parts << QStringLiteral("list%1=%2/%3")
                     .arg(lists.indexOf(list) + 1)
                     .arg(listName(list->format().style()))
                     .arg(list->format().indent());
    }
    return parts.join(QLatin1Char(' '));
}

struct Dump {
    QStringList lines;
    QList<const QTextList*> lists;
};

QString objectLine(const QTextCharFormat& format, const QTextDocument& document,
                   double defaultPoints) {
    if (orbeta::rtf::isEmbeddedObject(format)) {
        const QSizeF size = orbeta::rtf::embeddedObjectSize(format);
        return QStringLiteral("object %1 %2x%3 rtf=%4%5")
            .arg(orbeta::rtf::embeddedObjectLabel(format))
            .arg(size.width(), 0, 'f', 1)
            .arg(size.height(), 0, 'f', 1)
            .arg(orbeta::rtf::embeddedObjectGroup(format).rtf.size())
            .arg(format.hasProperty(orbeta::rtf::kObjectImageProperty) ? QStringLiteral(" drawn")
                                                                       : QString());
    }
    if (orbeta::rtf::isHiddenText(format)) {
        QString line = QStringLiteral("hidden ") + quoted(orbeta::rtf::hiddenText(format));
        if (const QString properties = runProperties(format, defaultPoints); !properties.isEmpty())
            line += QLatin1Char(' ') + properties;
        return line;
    }
    const QTextImageFormat image = format.toImageFormat();
    QString line = QStringLiteral("image");
    if (image.width() > 0)
        line += QStringLiteral(" %1x%2").arg(image.width()).arg(image.height());
    const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(image.name()));
    return line + QStringLiteral(" bytes=%1").arg(resource.toByteArray().size());
}

// Runs of text that look alike are one run here, however Qt splits them.
void dumpBlock(const QTextBlock& block, const QString& indent, Dump& dump) {
    QStringList& lines = dump.lines;
    lines << indent + blockLine(block, dump.lists);
    const double defaultPoints = block.document()->defaultFont().pointSizeF();
    QString text;
    QString properties;
    const auto endRun = [&] {
        if (!text.isEmpty())
            lines << indent + QStringLiteral("  ") + quoted(text) +
                         (properties.isEmpty() ? QString() : QLatin1Char(' ') + properties);
        text.clear();
    };
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (format.isImageFormat() || format.objectType() != QTextFormat::NoObject) {
            endRun();
            lines << indent + QStringLiteral("  ") +
                         objectLine(format, *block.document(), defaultPoints);
            continue;
        }
        const QString these = runProperties(format, defaultPoints);
        if (these != properties)
            endRun();
        properties = these;
        text += fragment.text();
    }
    endRun();
}

void dumpFrame(const QTextFrame* frame, const QString& indent, Dump& dump) {
    QStringList& lines = dump.lines;
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame()) {
            const auto* table = qobject_cast<const QTextTable*>(child);
            if (!table) {
                dumpFrame(child, indent, dump);
                continue;
            }
            lines << indent + QStringLiteral("T %1x%2").arg(table->rows()).arg(table->columns());
            for (int row = 0; row < table->rows(); ++row) {
                for (int column = 0; column < table->columns(); ++column) {
                    const QTextTableCell cell = table->cellAt(row, column);
                    if (cell.row() != row || cell.column() != column)
                        continue;
                    QString line = indent + QStringLiteral("  C %1,%2").arg(row).arg(column);
                    if (cell.rowSpan() > 1 || cell.columnSpan() > 1)
                        line += QStringLiteral(" span=%1x%2")
                                    .arg(cell.rowSpan())
                                    .arg(cell.columnSpan());
                    lines << line;
                    for (auto inner = cell.begin(); !inner.atEnd(); ++inner)
                        if (!inner.currentFrame())
                            dumpBlock(inner.currentBlock(), indent + QStringLiteral("    "), dump);
                }
            }
            continue;
        }
        dumpBlock(it.currentBlock(), indent, dump);
    }
}

} // namespace

QString dumpDocument(const QTextDocument& document) {
    Dump dump;
    dumpFrame(document.rootFrame(), QString(), dump);
    return dump.lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
