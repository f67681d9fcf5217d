#include "richtext/rtf_writer.h"

#include "richtext/rtf_format_properties.h"
#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_units.h"
#include "richtext/rtf_writer_core.h"

#include <QIODevice>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace orbeta::rtf {

namespace {

constexpr int kPageWidthTwips = 8640; // columns of tables without widths share this
constexpr int kCellGapTwips = 108;    // half the space between cells, as Word writes it
constexpr char16_t kObjectReplacement = u'\uFFFC';
constexpr double kPercent = 100.0;

int cellWidth(const QList<QTextLength>& widths, int column, int columns) {
    if (column < widths.size() && widths.at(column).type() == QTextLength::FixedLength)
        return units::roundedFromPixels(widths.at(column).rawValue());
    if (column < widths.size() && widths.at(column).type() == QTextLength::PercentageLength)
        return static_cast<int>(kPageWidthTwips * widths.at(column).rawValue() / kPercent);
    return kPageWidthTwips / columns;
}

} // namespace

void Writer::run() {
    const QFont defaultFont = document_.defaultFont();
    defaultFamily_ = defaultFont.family();
    const QTextFrameFormat root = document_.rootFrame()->frameFormat();
    if (root.hasProperty(kFontCharsetProperty))
        defaultCharset_ = root.intProperty(kFontCharsetProperty);
    if (defaultFont.pointSizeF() > 0)
        defaultHalfPoints_ = static_cast<int>(std::lround(defaultFont.pointSizeF() * 2));
    fonts_.push_back({defaultFamily_, kCharsetAnsi}); // \f0; its set is known after the first pass
    collect(document_.rootFrame());
    decideFonts();
    escapes_ = &escapesFor(fallbackCodePage(fonts_[0].charset));

    out_.lines(header());
    out_.word(Kw::viewkind, 4);
    out_.word(Kw::uc, 1);
    writeFrame(document_.rootFrame());
    out_.close();
    out_.lineBreak();
}

void Writer::writeFrame(const QTextFrame* frame) {
    bool first = true;
    for (auto it = frame->begin(); !it.atEnd(); ++it, first = false) {
        if (const QTextFrame* child = it.currentFrame()) {
            if (const auto* table = qobject_cast<const QTextTable*>(child))
                writeTable(table);
            else
                writeFrame(child);
        } else if (!(first && standsBeforeTable(it))) {
            writeBlock(it.currentBlock(), false, false);
        }
    }
}

// A frame cannot begin with a table: an empty paragraph stands before it that the memo never had.
bool Writer::standsBeforeTable(QTextFrame::iterator it) {
    const QTextBlock block = it.currentBlock();
    ++it;
    return !it.atEnd() && qobject_cast<const QTextTable*>(it.currentFrame()) &&
           block.length() == 1 && !block.textList() && block.blockFormat() == QTextBlockFormat();
}

void Writer::writeTable(const QTextTable* table) {
    for (int row = 0; row < table->rows(); ++row) {
        writeRowDefinition(table, row);
        for (int column = 0; column < table->columns(); ++column) {
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

void Writer::writeRowDefinition(const QTextTable* table, int row) {
    const int columns = table->columns();
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    out_.word(Kw::trowd);
    out_.word(Kw::trgaph, kCellGapTwips);
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
        right += std::max(cellWidth(widths, column, columns), 1);
        out_.word(Kw::cellx, right);
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
        writeFragment(fragment,
                      QStringView(text).mid(fragment.position() - blockStart, fragment.length()));
    }
    closeRun();
    if (linkOpen_)
        closeLink();
    if (lastInCell) {
        out_.word(Kw::cell);
    } else if (block.blockFormat().boolProperty(kHiddenParagraphMarkProperty)) {
        group([&] {
            out_.word(Kw::v);
            out_.word(Kw::par);
        });
    } else {
        out_.word(Kw::par);
    }
    out_.lineBreak();
}

// Runs that write the same words share one group: the reader makes one run of them.
void Writer::writeFragment(const QTextFragment& fragment, QStringView text) {
    const RunFormat& run = runFormat(fragment);
    if (runOpen_ &&
        (run.kind != RunFormat::Text || run.words != *openRunWords_ || run.link != linkTarget_))
        closeRun();
    if (linkOpen_ && run.link != linkTarget_)
        closeLink();
    if (!linkOpen_ && !run.link.isEmpty())
        openLink(run.link);
    escapes_ = run.escapes;
    const auto objects = [&] {
        return std::count(text.begin(), text.end(), QChar(kObjectReplacement));
    };
    switch (run.kind) {
    case RunFormat::Image: {
        const QTextImageFormat image = fragment.charFormat().toImageFormat();
        for (qsizetype i = objects(); i > 0; --i)
            writePicture(image);
        return;
    }
    case RunFormat::Embedded:
        for (qsizetype i = objects(); i > 0; --i) {
            out_.breakIfLong();
            // As it was read, in a group that gives it back the \uc count it was read under.
            if (run.unicodeSkip != unicodeSkip_) {
                out_.open();
                out_.word(Kw::uc, run.unicodeSkip);
                out_.lines(run.words);
                out_.close();
            } else {
                out_.lines(run.words);
            }
        }
        return;
    case RunFormat::Hidden: {
        const QString hidden = hiddenText(fragment.charFormat());
        for (qsizetype i = objects(); i > 0; --i)
            group([&] {
                out_.word(Kw::v);
                out_.words(run.words);
                writeText(hidden);
            });
        return;
    }
    case RunFormat::Text:
        break;
    }
    if (!runOpen_) {
        runSkip_ = unicodeSkip_;
        out_.open();
        out_.words(run.words);
        openRunWords_ = &run.words;
        runOpen_ = true;
    }
    writeText(text);
}

void Writer::closeRun() {
    if (!runOpen_)
        return;
    out_.close();
    unicodeSkip_ = runSkip_; // what the group changed of the \uc count ends with it
    runOpen_ = false;
    out_.flushIfLarge();
}

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
