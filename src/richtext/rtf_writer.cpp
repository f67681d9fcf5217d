#include "richtext/rtf_writer.h"

#include "resources/twips.h"
#include "richtext/code_pages.h"
#include "richtext/rtf_fields.h"
#include "richtext/rtf_output.h"
#include "richtext/rtf_pictures.h"

#include <QIODevice>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace orbeta::rtf {

namespace {

constexpr int kPageWidthTwips = 8640; // columns of tables without widths share this
constexpr int kListIndentStep = 600;
constexpr char16_t kObjectReplacement = u'\uFFFC';

int twipsOf(double pixels) {
    return static_cast<int>(std::lround(pixels * twips::kPerPixel));
}

bool isAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

QString familyOf(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

struct FontEntry {
    QString name;
    bool japanese = false;
    bool symbol = false;
};

class Writer {
public:
    Writer(const QTextDocument& document, const QTextDocument& resources, QIODevice* sink = nullptr)
        : document_(document), resources_(resources), out_(sink) {}

    void run();
    // What has been written and not yet handed to the sink.
    QByteArray take() { return out_.take(); }
    bool flush() { return out_.flush(); }

private:
    // first pass: fonts and colours in order of first use
    void collect(const QTextFrame* frame);
    void collectBlock(const QTextBlock& block);
    int fontIndex(const QString& family);
    int colorIndex(const QColor& color);
    int symbolFont();
    int listNumber(const QTextList* list);
    void writeListTables(RtfOutput& head);

    // body
    void writeFrame(const QTextFrame* frame);
    void writeTable(const QTextTable* table);
    void writeBlock(const QTextBlock& block, bool inTable, bool lastInCell);
    void writeParagraphProperties(const QTextBlock& block);
    void writeListMark(const QTextBlock& block);
    // What every run of one format writes: found once per format.
    struct RunFormat {
        bool image = false;
        QString link;
        QByteArray words; // the format's control words
    };
    const RunFormat& runFormat(const QTextFragment& fragment);
    // Writes a group; what it changes of the \uc count ends with it.
    template <class Content> void group(Content&& content) {
        const int skip = unicodeSkip_;
        out_.open();
        content();
        out_.close();
        unicodeSkip_ = skip;
    }
    void writeCharProperties(const QTextCharFormat& format);
    void writeText(QStringView text, bool inFontTable = false);
    qsizetype writeCommonCharacters(QStringView text);
    void writeCharacter(char32_t character);
    void writeUnicode(char16_t unit, ShiftJisEncoder::Bytes fallback);
    void writeEscaped(char16_t unit);
    void writePicture(const QTextImageFormat& format);
    void openLink(const QString& target);
    void closeLink();

    QByteArray header();

    const QTextDocument& document_;
    const QTextDocument& resources_;
    RtfOutput out_;
    ShiftJisEncoder shiftJis_;
    // Each non-ASCII character's \uN and fallback, made once per writing: memos repeat them.
    struct Escape {
        std::uint8_t size = 0;
        std::uint8_t skip = 0;
        char text[RtfOutput::kPadded] = {};
    };
    std::vector<std::uint32_t> escapeIndex_ = std::vector<std::uint32_t>(0x10000, 0);
    std::vector<Escape> escapes_ = std::vector<Escape>(1);
    std::vector<FontEntry> fonts_;
    std::vector<QColor> colors_;
    std::vector<const QTextList*> lists_;
    std::vector<int> formatFont_;                      // by format index; -1 not seen yet
    std::vector<std::optional<RunFormat>> runFormats_; // by format index
    int symbolFont_ = -1;
    int unicodeSkip_ = 1;
    int defaultHalfPoints_ = 24;
    bool linkOpen_ = false;
    int linkSkip_ = 1;
    QString linkTarget_;
};

void Writer::run() {
    const QFont defaultFont = document_.defaultFont();
    fonts_.push_back({defaultFont.family(), !isAscii(defaultFont.family()), false});
    if (defaultFont.pointSizeF() > 0)
        defaultHalfPoints_ = static_cast<int>(std::lround(defaultFont.pointSizeF() * 2));
    collect(document_.rootFrame());

    out_.lines(header());
    out_.word(Kw::viewkind, 4);
    out_.word(Kw::uc, 1);
    writeFrame(document_.rootFrame());
    out_.close();
    out_.lineBreak();
}

QByteArray Writer::header() {
    RtfOutput head;
    head.open();
    head.word(Kw::rtf, 1);
    head.word(Kw::ansi);
    head.word(Kw::ansicpg, kShiftJis);
    head.word(Kw::deff, 0);
    head.word(Kw::deflang, 1033);
    head.word(Kw::deflangfe, 1041);
    head.open();
    head.word(Kw::fonttbl);
    // Font names take the same escapes as text, so they go through the body's output.
    std::swap(out_, head);
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        const FontEntry& font = fonts_[i];
        group([&] {
            out_.word(Kw::f, static_cast<int>(i));
            out_.word(Kw::fnil);
            out_.word(Kw::fcharset, font.symbol ? 2 : font.japanese ? 128 : 0);
            writeText(font.name, true);
            out_.plain(';');
        });
    }
    std::swap(out_, head);
    head.close();
    head.lineBreak();
    if (!colors_.empty()) {
        head.open();
        head.word(Kw::colortbl);
        head.plain(';');
        for (const QColor& color : colors_) {
            head.word(Kw::red, color.red());
            head.word(Kw::green, color.green());
            head.word(Kw::blue, color.blue());
            head.plain(';');
        }
        head.close();
        head.lineBreak();
    }
    if (!lists_.empty())
        writeListTables(head);
    return head.take();
}

// Word and office suites number by these tables; they keep a list's numbering going across
// paragraphs between its items. Older readers use the \pn marks of the paragraphs instead.
void Writer::writeListTables(RtfOutput& head) {
    const auto numberFormat = [](QTextListFormat::Style style) {
        switch (style) {
        case QTextListFormat::ListDecimal:
            return 0;
        case QTextListFormat::ListUpperRoman:
            return 1;
        case QTextListFormat::ListLowerRoman:
            return 2;
        case QTextListFormat::ListUpperAlpha:
            return 3;
        case QTextListFormat::ListLowerAlpha:
            return 4;
        default:
            return 23; // bullet
        }
    };
    head.open();
    head.symbol('*');
    head.word(Kw::listtable);
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const QTextListFormat format = lists_[i]->format();
        const int format932 = numberFormat(format.style());
        head.open();
        head.word(Kw::list);
        head.word(Kw::listtemplateid, number);
        for (int level = 0; level < std::max(format.indent(), 1); ++level) {
            head.open();
            head.word(Kw::listlevel);
            head.word(Kw::levelnfc, format932);
            head.word(Kw::levelstartat, 1);
            head.open();
            head.word(Kw::leveltext);
            if (format932 == 23) {
                head.hexByte(1);
                head.word(Kw::u, 0x2022);
                head.plain('?');
            } else {
                head.hexByte(2);
                head.hexByte(static_cast<unsigned char>(level));
                head.plain('.');
            }
            head.plain(';');
            head.close();
            head.open();
            head.word(Kw::levelnumbers);
            if (format932 != 23)
                head.hexByte(1);
            head.plain(';');
            head.close();
            head.word(Kw::fi, -360);
            head.word(Kw::li, (level + 1) * kListIndentStep);
            head.close();
        }
        head.word(Kw::listid, number);
        head.close();
    }
    head.close();
    head.lineBreak();
    head.open();
    head.symbol('*');
    head.word(Kw::listoverridetable);
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        head.open();
        head.word(Kw::listoverride);
        head.word(Kw::listid, static_cast<int>(i) + 1);
        head.word(Kw::ls, static_cast<int>(i) + 1);
        head.close();
    }
    head.close();
    head.lineBreak();
}

void Writer::collect(const QTextFrame* frame) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame())
            collect(child);
        else
            collectBlock(it.currentBlock());
    }
}

void Writer::collectBlock(const QTextBlock& block) {
    if (const QTextList* list = block.textList()) {
        listNumber(list);
        if (list->format().style() >= QTextListFormat::ListSquare)
            symbolFont();
    }
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        // Runs share formats; each format's font and colours are taken once.
        const auto index = static_cast<std::size_t>(fragment.charFormatIndex());
        if (index >= formatFont_.size())
            formatFont_.resize(index + 1, -1);
        int& font = formatFont_[index];
        if (font < 0) {
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat())
                continue;
            const QString family = familyOf(format);
            font = family.isEmpty() ? 0 : fontIndex(family);
            if (format.hasProperty(QTextFormat::ForegroundBrush) &&
                format.foreground().style() != Qt::NoBrush)
                colorIndex(format.foreground().color());
            if (format.hasProperty(QTextFormat::BackgroundBrush) &&
                format.background().style() != Qt::NoBrush)
                colorIndex(format.background().color());
        }
        FontEntry& entry = fonts_[static_cast<std::size_t>(font)];
        if (!entry.japanese && !isAscii(fragment.text()))
            entry.japanese = true;
    }
}

int Writer::fontIndex(const QString& family) {
    for (std::size_t i = 0; i < fonts_.size(); ++i)
        if (!fonts_[i].symbol && fonts_[i].name == family)
            return static_cast<int>(i);
    fonts_.push_back({family, !isAscii(family), false});
    return static_cast<int>(fonts_.size() - 1);
}

int Writer::symbolFont() {
    if (symbolFont_ < 0) {
        fonts_.push_back({QStringLiteral("Symbol"), false, true});
        symbolFont_ = static_cast<int>(fonts_.size() - 1);
    }
    return symbolFont_;
}

int Writer::listNumber(const QTextList* list) {
    const auto found = std::find(lists_.begin(), lists_.end(), list);
    if (found != lists_.end())
        return static_cast<int>(found - lists_.begin()) + 1;
    lists_.push_back(list);
    return static_cast<int>(lists_.size());
}

int Writer::colorIndex(const QColor& color) {
    const QColor opaque = color.toRgb();
    for (std::size_t i = 0; i < colors_.size(); ++i)
        if (colors_[i].rgb() == opaque.rgb())
            return static_cast<int>(i + 1);
    colors_.push_back(opaque);
    return static_cast<int>(colors_.size());
}

void Writer::writeFrame(const QTextFrame* frame) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame()) {
            if (const auto* table = qobject_cast<const QTextTable*>(child))
                writeTable(table);
            else
                writeFrame(child);
        } else {
            writeBlock(it.currentBlock(), false, false);
        }
    }
}

void Writer::writeTable(const QTextTable* table) {
    const int rows = table->rows();
    const int columns = table->columns();
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    for (int row = 0; row < rows; ++row) {
        out_.word(Kw::trowd);
        out_.word(Kw::trgaph, 108);
        int right = 0;
        for (int column = 0; column < columns; ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.column() == column && cell.columnSpan() > 1)
                out_.word(Kw::clmgf);
            if (cell.column() < column)
                out_.word(Kw::clmrg);
            if (cell.row() == row && cell.rowSpan() > 1)
                out_.word(Kw::clvmgf);
            if (cell.row() < row)
                out_.word(Kw::clvmrg);
            int width = kPageWidthTwips / columns;
            if (column < widths.size() && widths.at(column).type() == QTextLength::FixedLength)
                width = twipsOf(widths.at(column).rawValue());
            else if (column < widths.size() &&
                     widths.at(column).type() == QTextLength::PercentageLength)
                width = static_cast<int>(kPageWidthTwips * widths.at(column).rawValue() / 100);
            right += std::max(width, 1);
            out_.word(Kw::cellx, right);
        }
        for (int column = 0; column < columns; ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.row() != row || cell.column() != column) {
                out_.word(Kw::pard);
                out_.word(Kw::intbl);
                out_.word(Kw::cell);
                continue;
            }
            for (auto it = cell.begin(); !it.atEnd(); ++it) {
                if (const QTextFrame* nested = it.currentFrame()) {
                    // Tables in tables become their text, cell after cell.
                    for (QTextBlock block = nested->firstCursorPosition().block();
                         block.isValid() && block.position() < nested->lastPosition();
                         block = block.next())
                        writeBlock(block, true, false);
                    continue;
                }
                auto next = it;
                ++next;
                writeBlock(it.currentBlock(), true, next.atEnd());
            }
        }
        out_.word(Kw::row);
        out_.lineBreak();
    }
}

void Writer::writeBlock(const QTextBlock& block, bool inTable, bool lastInCell) {
    out_.word(Kw::pard);
    if (inTable)
        out_.word(Kw::intbl);
    writeParagraphProperties(block);
    if (const QTextList* list = block.textList()) {
        writeListMark(block);
        out_.word(Kw::ls, listNumber(list));
        out_.word(Kw::ilvl, std::max(list->format().indent(), 1) - 1);
    }

    const QString text = block.text();
    const int blockStart = block.position();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QStringView piece =
            QStringView(text).mid(fragment.position() - blockStart, fragment.length());
        const RunFormat& run = runFormat(fragment);
        if (linkOpen_ && run.link != linkTarget_)
            closeLink();
        if (!linkOpen_ && !run.link.isEmpty())
            openLink(run.link);
        if (run.image) {
            const QTextImageFormat image = fragment.charFormat().toImageFormat();
            for (const QChar c : piece)
                if (c.unicode() == kObjectReplacement)
                    writePicture(image);
            continue;
        }
        group([&] {
            out_.words(run.words);
            writeText(piece);
        });
        out_.flushIfLarge();
    }
    if (linkOpen_)
        closeLink();
    out_.word(lastInCell ? Kw::cell : Kw::par);
    out_.lineBreak();
}

void Writer::writeParagraphProperties(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    const Qt::Alignment horizontal = format.alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignHCenter)
        out_.word(Kw::qc);
    else if (horizontal & Qt::AlignRight)
        out_.word(Kw::qr);
    else if (horizontal & Qt::AlignJustify)
        out_.word(Kw::qj);
    if (block.textList()) {
        out_.word(Kw::fi, -360);
        out_.word(Kw::li, block.textList()->format().indent() * kListIndentStep);
    } else {
        if (format.textIndent() != 0)
            out_.word(Kw::fi, twipsOf(format.textIndent()));
        if (format.leftMargin() != 0)
            out_.word(Kw::li, twipsOf(format.leftMargin()));
    }
    if (format.rightMargin() != 0)
        out_.word(Kw::ri, twipsOf(format.rightMargin()));
    if (format.topMargin() != 0)
        out_.word(Kw::sb, twipsOf(format.topMargin()));
    if (format.bottomMargin() != 0)
        out_.word(Kw::sa, twipsOf(format.bottomMargin()));
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (format.lineHeight() != 100) {
            out_.word(Kw::sl, static_cast<int>(std::lround(format.lineHeight() * 240 / 100)));
            out_.word(Kw::slmult, 1);
        }
        break;
    case QTextBlockFormat::MinimumHeight:
        out_.word(Kw::sl, twipsOf(format.lineHeight()));
        out_.word(Kw::slmult, 0);
        break;
    case QTextBlockFormat::FixedHeight:
        out_.word(Kw::sl, -twipsOf(format.lineHeight()));
        out_.word(Kw::slmult, 0);
        break;
    default:
        break;
    }
}

void Writer::writeListMark(const QTextBlock& block) {
    const QTextListFormat::Style style = block.textList()->format().style();
    const bool bullet = style == QTextListFormat::ListDisc ||
                        style == QTextListFormat::ListCircle ||
                        style == QTextListFormat::ListSquare;
    // What readers without list support show, then the list itself.
    group([&] {
        out_.word(Kw::pntext);
        if (bullet) {
            out_.word(Kw::f, symbolFont());
            out_.hexByte(0xB7);
        } else {
            out_.word(Kw::f, 0);
            writeText(block.textList()->itemText(block));
        }
        out_.word(Kw::tab);
    });
    out_.open();
    out_.symbol('*');
    out_.word(Kw::pn);
    if (bullet) {
        out_.word(Kw::pnlvlblt);
        out_.word(Kw::pnf, symbolFont());
        out_.word(Kw::pnindent, 0);
        out_.open();
        out_.word(Kw::pntxtb);
        out_.hexByte(0xB7);
        out_.close();
    } else {
        out_.word(Kw::pnlvlbody);
        out_.word(Kw::pnf, 0);
        out_.word(Kw::pnindent, 0);
        out_.word(Kw::pnstart, 1);
        switch (style) {
        case QTextListFormat::ListLowerAlpha:
            out_.word(Kw::pnlcltr);
            break;
        case QTextListFormat::ListUpperAlpha:
            out_.word(Kw::pnucltr);
            break;
        case QTextListFormat::ListLowerRoman:
            out_.word(Kw::pnlcrm);
            break;
        case QTextListFormat::ListUpperRoman:
            out_.word(Kw::pnucrm);
            break;
        default:
            out_.word(Kw::pndec);
            break;
        }
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
    std::optional<RunFormat>& known = runFormats_[index];
    if (!known) {
        const QTextCharFormat format = fragment.charFormat();
        RunFormat run;
        run.image = format.isImageFormat();
        if (format.isAnchor())
            run.link = format.anchorHref();
        RtfOutput saved = std::move(out_);
        out_ = RtfOutput();
        writeCharProperties(format);
        run.words = out_.take();
        out_ = std::move(saved);
        known = std::move(run);
    }
    return *known;
}

void Writer::writeCharProperties(const QTextCharFormat& format) {
    if (format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() >= QFont::DemiBold)
        out_.word(Kw::b);
    if (format.fontItalic())
        out_.word(Kw::i);
    switch (format.underlineStyle()) {
    case QTextCharFormat::SingleUnderline:
    case QTextCharFormat::SpellCheckUnderline:
        out_.word(Kw::ul);
        break;
    case QTextCharFormat::DashUnderline:
        out_.word(Kw::uldash);
        break;
    case QTextCharFormat::DotLine:
        out_.word(Kw::uld);
        break;
    case QTextCharFormat::DashDotLine:
        out_.word(Kw::uldashd);
        break;
    case QTextCharFormat::DashDotDotLine:
        out_.word(Kw::uldashdd);
        break;
    case QTextCharFormat::WaveUnderline:
        out_.word(Kw::ulwave);
        break;
    default:
        break;
    }
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
    const QString family = familyOf(format);
    if (!family.isEmpty())
        out_.word(Kw::f, fontIndex(family));
    double points = 0;
    if (format.hasProperty(QTextFormat::FontPointSize))
        points = format.fontPointSize();
    else if (format.hasProperty(QTextFormat::FontPixelSize))
        points = format.intProperty(QTextFormat::FontPixelSize) * 0.75;
    if (points > 0)
        out_.word(Kw::fs, static_cast<int>(std::lround(points * 2)));
    else if (defaultHalfPoints_ != 24)
        out_.word(Kw::fs, defaultHalfPoints_);
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        out_.word(Kw::cf, colorIndex(format.foreground().color()));
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        out_.word(Kw::highlight, colorIndex(format.background().color()));
}

qsizetype Writer::writeCommonCharacters(QStringView text) {
    // Plain ASCII, and characters escaped once before: the bulk of a memo, written straight
    // into the output.
    RtfOutput::Direct out = out_.direct(text.size() * (RtfOutput::kPadded + 3));
    const std::uint32_t* escapeIndex = escapeIndex_.data();
    const Escape* escapes = escapes_.data();
    const int skip = unicodeSkip_;
    const char16_t* units = text.utf16();
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        const char16_t unit = units[i];
        if (unit >= 0x20 && unit < 0x7F && unit != '\\' && unit != '{' && unit != '}') {
            out.plain(static_cast<char>(unit));
            continue;
        }
        const Escape& escape = escapes[escapeIndex[unit]]; // entry 0: none yet
        if (unit < 0x80 || escape.skip != skip)
            break;
        out.padded(escape.text, escape.size);
    }
    out_.finish(out);
    return i;
}

void Writer::writeText(QStringView text, bool inFontTable) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!inFontTable) {
            i += writeCommonCharacters(text.sliced(i));
            if (i >= text.size())
                break;
        }
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out_.breakIfLong();
            writeUnicode(unit, {});
            writeUnicode(text[i + 1].unicode(), {});
            ++i;
            continue;
        }
        if (inFontTable && unit >= 0x80) {
            const ShiftJisEncoder::Bytes bytes = shiftJis_.encode(unit);
            if (bytes.size > 0) { // names stay in code page 932 bytes where they can
                for (int b = 0; b < bytes.size; ++b)
                    out_.hexByte(bytes.bytes[b]);
                continue;
            }
        }
        writeCharacter(QChar::isSurrogate(unit) ? char32_t{0xFFFD} : char32_t{unit});
    }
}

void Writer::writeCharacter(char32_t character) {
    out_.breakIfLong();
    if (character >= 0x20 && character < 0x7F && character != '\\' && character != '{' &&
        character != '}') {
        out_.plain(static_cast<char>(character));
        return;
    }
    switch (character) {
    case '\\':
    case '{':
    case '}':
        out_.escaped(static_cast<char>(character));
        return;
    case '\t':
        out_.word(Kw::tab);
        return;
    case 0x2028:
        out_.word(Kw::line);
        return;
    case 0x00A0:
        out_.symbol('~');
        return;
    case 0x00AD:
        out_.symbol('-');
        return;
    case 0x2011:
        out_.symbol('_');
        return;
    default:
        break;
    }
    if (character < 0x20)
        return; // other control characters are not text
    if (character < 0x80) {
        out_.plain(static_cast<char>(character));
        return;
    }
    writeEscaped(static_cast<char16_t>(character));
}

void Writer::writeEscaped(char16_t unit) {
    std::uint32_t& index = escapeIndex_[unit];
    if (index == 0) {
        RtfOutput saved = std::move(out_);
        out_ = RtfOutput();
        const int skip = unicodeSkip_;
        const ShiftJisEncoder::Bytes fallback = shiftJis_.encode(unit);
        unicodeSkip_ = std::max(fallback.size, 1); // the \uc goes in front when needed
        writeUnicode(unit, fallback);
        Escape escape;
        const QByteArray text = out_.take();
        escape.size =
            static_cast<std::uint8_t>(std::min<qsizetype>(text.size(), sizeof escape.text));
        Q_ASSERT(text.size() <= qsizetype{sizeof escape.text});
        std::memcpy(escape.text, text.constData(), escape.size);
        escape.skip = static_cast<std::uint8_t>(unicodeSkip_);
        escapes_.push_back(escape);
        index = static_cast<std::uint32_t>(escapes_.size() - 1);
        out_ = std::move(saved);
        unicodeSkip_ = skip;
    }
    const Escape& escape = escapes_[index];
    if (escape.skip != unicodeSkip_) {
        out_.word(Kw::uc, escape.skip);
        unicodeSkip_ = escape.skip;
    }
    out_.rawPadded(escape.text, escape.size);
}

// \uN, then the code page 932 bytes for readers without Unicode, or "?" where there are none.
void Writer::writeUnicode(char16_t unit, ShiftJisEncoder::Bytes fallback) {
    const int skip = std::max(fallback.size, 1);
    if (skip != unicodeSkip_) {
        out_.word(Kw::uc, skip);
        unicodeSkip_ = skip;
    }
    out_.word(Kw::u, unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit));
    if (fallback.size == 0)
        out_.plain('?');
    for (int b = 0; b < fallback.size; ++b)
        out_.hexByte(fallback.bytes[b]);
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
    out_.word(Kw::picwgoal, twipsOf(picture->shownPixels.width()));
    out_.word(Kw::pichgoal, twipsOf(picture->shownPixels.height()));
    out_.lineBreak();
    const QByteArray hex = picture->bytes.toHex();
    for (qsizetype at = 0; at < hex.size(); at += 128) {
        out_.raw(QByteArrayView(hex).sliced(at, std::min<qsizetype>(128, hex.size() - at)));
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

} // namespace

QByteArray writeRtf(const QTextDocument& document, const QTextDocument* resources) {
    Writer writer(document, resources ? *resources : document);
    writer.run();
    return writer.take();
}

bool writeRtf(const QTextDocument& document, QIODevice& device, QString* error) {
    Writer writer(document, document, &device);
    writer.run();
    if (writer.flush())
        return true;
    if (error)
        *error = device.errorString();
    return false;
}

} // namespace orbeta::rtf
