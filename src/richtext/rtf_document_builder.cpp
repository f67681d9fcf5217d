#include "richtext/rtf_document_builder.h"

#include "richtext/rtf_char_formats.h"
#include "richtext/rtf_format_properties.h"
#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_pictures.h"
#include "richtext/rtf_units.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace orbeta::rtf {

namespace {

constexpr double kRtfDefaultPoints = 12; // text without \fs
constexpr int kMaxListIndent = 9;
// Table cells a file may make: a few thousand, and more as its size allows (a real table costs
// more bytes a cell than this: a \cellx and a \cell each), up to what the editor lays out in a
// moment: Qt lays out a table whole when it is first shown, some 25 microseconds a cell.
constexpr qint64 kCellsInAnyFile = 4096;
constexpr qint64 kBytesPerCell = 8;
constexpr qint64 kMostCells = 16384;
// Qt marks every item of a list again for each item added to it, so a list of thousands of items
// takes minutes to read and every new item to lay out. Longer lists go on in another list of the
// same kind, which the writer writes as the same list.
constexpr int kMaxListItems = 256;

int listIndentOf(const ParaState& para) {
    if (para.listOverride > 0)
        return std::clamp(para.listLevel + 1, 1, kMaxListIndent);
    const double levels = static_cast<double>(para.leftIndent) / kListIndentStep;
    return std::clamp(static_cast<int>(std::lround(levels)), 1, kMaxListIndent);
}

QTextBlockFormat blockFormatOf(const ParaState& para) {
    QTextBlockFormat format;
    if (para.alignmentSet)
        format.setAlignment(para.alignment);
    if (!para.isListItem()) {
        if (para.leftIndent != 0)
            format.setLeftMargin(units::toExactPixels(para.leftIndent));
        if (para.firstLineIndent != 0)
            format.setTextIndent(units::toExactPixels(para.firstLineIndent));
    } else if (para.indentSet && (para.leftIndent != listIndentOf(para) * kListIndentStep ||
                                  para.firstLineIndent != kListMarkIndent)) {
        // The list lays the item out; indents other than the usual ones are kept for writing
        // the item back as it was.
        format.setProperty(kListItemLeftIndentProperty, para.leftIndent);
        format.setProperty(kListItemFirstIndentProperty, para.firstLineIndent);
    }
    if (para.rightIndent != 0)
        format.setRightMargin(units::toExactPixels(para.rightIndent));
    if (para.spaceBefore != 0)
        format.setTopMargin(units::toExactPixels(para.spaceBefore));
    if (para.spaceAfter != 0)
        format.setBottomMargin(units::toExactPixels(para.spaceAfter));
    applyLineSpacing(para.lineSpacing, format);
    if (para.markHidden)
        format.setProperty(kHiddenParagraphMarkProperty, true);
    return format;
}

} // namespace

DocumentBuilder::DocumentBuilder(QTextCursor& cursor, const CharFormats& formats, bool pasting,
                                 qsizetype inputBytes)
    : cursor_(cursor), formats_(formats), pasting_(pasting),
      cellBudget_(std::min(kMostCells, kCellsInAnyFile + inputBytes / kBytesPerCell)) {}

void DocumentBuilder::text(const QString& text, const CharState& chr, const ParaState& para) {
    const QTextCharFormat format = formats_.format(chr);
    if (chr.hidden)
        insert(QString(QChar::ObjectReplacementCharacter), hiddenTextFormat(text, format), para);
    else
        insert(text, format, para);
}

void DocumentBuilder::picture(const PictureData& picture, const KeptGroup& group,
                              const ParaState& para) {
    if (const std::optional<QTextImageFormat> image = placePicture(picture, *cursor_.document()))
        insert(QString(QChar::ObjectReplacementCharacter), *image, para);
    else
        insert(QString(QChar::ObjectReplacementCharacter),
               embeddedObjectFormat(embeddedPicture(picture, group)), para);
}

void DocumentBuilder::object(const ObjectData& object, const KeptGroup& group,
                             const ParaState& para) {
    if (const std::optional<EmbeddedObject> embedded = embeddedObject(object, group))
        insert(QString(QChar::ObjectReplacementCharacter), embeddedObjectFormat(*embedded), para);
}

// An object that takes no room and is written back as it was read.
void DocumentBuilder::keptGroup(const KeptGroup& group, const ParaState& para) {
    insert(QString(QChar::ObjectReplacementCharacter),
           embeddedObjectFormat(EmbeddedObject{group, QSizeF(0, 0), {}, {}}), para);
}

void DocumentBuilder::insert(const QString& text, const QTextCharFormat& format,
                             const ParaState& para) {
    if (para.inTable) {
        table_.push_back({TableEvent::Insert, text, format, para, {}});
        return;
    }
    if (!table_.empty())
        buildTable();
    openParagraph();
    cursor_.insertText(text, format);
}

void DocumentBuilder::defaultFont(const QString& family, int charset) {
    if (pasting_)
        return;
    QTextDocument& document = *cursor_.document();
    QFont font = document.defaultFont();
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setPointSizeF(kRtfDefaultPoints);
    document.setDefaultFont(font);
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    if (!family.isEmpty())
        root.setProperty(kFontCharsetProperty, charset);
    else
        root.clearProperty(kFontCharsetProperty);
    document.rootFrame()->setFrameFormat(root);
}

void DocumentBuilder::endParagraph(const ParaState& para) {
    if (para.inTable) {
        table_.push_back({TableEvent::EndParagraph, {}, {}, para, {}});
        return;
    }
    if (!table_.empty())
        buildTable();
    openParagraph();
    formatBlock(para);
    paragraphPending_ = true;
}

// \cell ends a cell even where no \intbl said that a table had begun.
void DocumentBuilder::endCell(const ParaState& para) {
    ParaState inCell = para;
    inCell.inTable = true;
    table_.push_back({TableEvent::EndCell, {}, {}, inCell, {}});
}

void DocumentBuilder::endRow() {
    if (!table_.empty())
        table_.push_back({TableEvent::EndRow, {}, {}, {}, rowDefinition_});
}

void DocumentBuilder::finish(const ParaState& para) {
    const bool endsInTable = !table_.empty() && para.inTable;
    if (!table_.empty())
        buildTable();
    if (!pasting_ && !paragraphPending_ && !endsInTable)
        formatBlock(para);
}

void DocumentBuilder::openParagraph() {
    if (paragraphPending_) {
        cursor_.insertBlock(QTextBlockFormat(), cursor_.charFormat());
        paragraphPending_ = false;
    }
}

void DocumentBuilder::formatBlock(const ParaState& para) {
    cursor_.setBlockFormat(blockFormatOf(para));
    if (!para.isListItem()) {
        oldStyleList_ = nullptr;
        return;
    }
    QTextList* list = listFor(para);
    if (list && list->count() < kMaxListItems) {
        list->add(cursor_.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(para.list);
    format.setIndent(listIndentOf(para));
    if (list)
        format.setProperty(kListContinuesProperty, true);
    QTextList* created = cursor_.createList(format);
    if (para.listOverride > 0)
        numberedLists_[{para.listOverride, para.listLevel, para.list}] = created;
    else {
        oldStyleList_ = created;
        oldStyleListPara_ = para;
    }
}

QTextList* DocumentBuilder::listFor(const ParaState& para) {
    if (para.listOverride > 0) {
        const auto found = numberedLists_.find({para.listOverride, para.listLevel, para.list});
        return found == numberedLists_.end() ? nullptr : found->second;
    }
    // Old-style numbering continues over consecutive paragraphs of the same kind and indent.
    if (oldStyleList_ && oldStyleListPara_.list == para.list &&
        listIndentOf(oldStyleListPara_) == listIndentOf(para))
        return oldStyleList_;
    return nullptr;
}

} // namespace orbeta::rtf
