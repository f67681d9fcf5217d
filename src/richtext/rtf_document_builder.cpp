#include "richtext/rtf_document_builder.h"

#include "app/twips.h"
#include "richtext/rtf_char_formats.h"
#include "richtext/rtf_pictures.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace orbeta::rtf {

namespace {

constexpr double kRtfDefaultPoints = 12; // text without \fs
constexpr int kMaxListIndent = 9;
constexpr double kCellPadding = 2;
constexpr int kMaxColumns = RowDefinition::kMaxCells;

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
            format.setLeftMargin(twips::toExactPixels(para.leftIndent));
        if (para.firstLineIndent != 0)
            format.setTextIndent(twips::toExactPixels(para.firstLineIndent));
    }
    if (para.rightIndent != 0)
        format.setRightMargin(twips::toExactPixels(para.rightIndent));
    if (para.spaceBefore != 0)
        format.setTopMargin(twips::toExactPixels(para.spaceBefore));
    if (para.spaceAfter != 0)
        format.setBottomMargin(twips::toExactPixels(para.spaceAfter));
    applyLineSpacing(para.lineSpacing, format);
    return format;
}

} // namespace

void DocumentBuilder::text(const QString& text, const CharState& chr, const ParaState& para) {
    openParagraph(para);
    cursor_.insertText(text, formats_.format(chr));
}

void DocumentBuilder::picture(const PictureData& picture, const ParaState& para) {
    const std::optional<QTextImageFormat> format = placePicture(picture, *cursor_.document());
    if (!format)
        return;
    openParagraph(para);
    cursor_.insertImage(*format);
}

void DocumentBuilder::defaultFont(const QString& family) {
    if (pasting_)
        return;
    QFont font = cursor_.document()->defaultFont();
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setPointSizeF(kRtfDefaultPoints);
    cursor_.document()->setDefaultFont(font);
}

void DocumentBuilder::endParagraph(const ParaState& para) {
    openParagraph(para);
    formatBlock(para);
    paragraphPending_ = true;
}

void DocumentBuilder::endCell(const ParaState& para) {
    ParaState inCell = para;
    inCell.inTable = true;
    openParagraph(inCell);
    formatBlock(inCell);
    paragraphPending_ = false;
    inCell_ = false;
    ++cell_;
}

void DocumentBuilder::endRow() {
    if (!table_)
        return;
    applyMerges();
    rowPending_ = true;
    inCell_ = false;
    cell_ = 0;
    paragraphPending_ = false;
}

void DocumentBuilder::finish(const ParaState& para) {
    if (table_ && !para.inTable)
        leaveTable();
    if (!pasting_ && !paragraphPending_ && !table_)
        formatBlock(para);
}

void DocumentBuilder::openParagraph(const ParaState& para) {
    if (table_ && !para.inTable)
        leaveTable();
    if (para.inTable) {
        enterTable();
        if (!inCell_) {
            if (cell_ >= table_->columns() && table_->columns() < kMaxColumns)
                table_->appendColumns(std::min(cell_, kMaxColumns - 1) - table_->columns() + 1);
            const int column = std::min(cell_, table_->columns() - 1);
            const QTextTableCell target = table_->cellAt(row_, column);
            const bool crowded = column < cell_; // more cells than a table can take
            cursor_ = crowded ? target.lastCursorPosition() : target.firstCursorPosition();
            inCell_ = true;
            paragraphPending_ = crowded;
        }
    }
    if (paragraphPending_) {
        cursor_.insertBlock(QTextBlockFormat(), cursor_.charFormat());
        paragraphPending_ = false;
    }
}

void DocumentBuilder::enterTable() {
    if (!table_) {
        const int columns =
            std::clamp(static_cast<int>(rowDefinition_.cells.size()), 1, kMaxColumns);
        QTextTableFormat format;
        format.setCellPadding(kCellPadding);
        format.setBorder(1);
        format.setBorderCollapse(true);
        table_ = cursor_.insertTable(1, columns, format);
        row_ = 0;
        cell_ = 0;
        inCell_ = false;
        rowPending_ = false;
        paragraphPending_ = false;
        verticalStart_.assign(static_cast<std::size_t>(kMaxColumns), -1);
        return;
    }
    if (rowPending_) {
        table_->appendRows(1);
        ++row_;
        rowPending_ = false;
        const int wanted = std::min(static_cast<int>(rowDefinition_.cells.size()), kMaxColumns);
        if (wanted > table_->columns())
            table_->appendColumns(wanted - table_->columns());
    }
}

void DocumentBuilder::leaveTable() {
    if (!rowPending_)
        applyMerges();
    cursor_ = table_->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    table_ = nullptr;
    paragraphPending_ = false;
    inCell_ = false;
}

void DocumentBuilder::applyMerges() {
    const auto& cells = rowDefinition_.cells;
    const int columns = std::min(static_cast<int>(cells.size()), table_->columns());
    for (int column = 0; column < columns;) {
        int span = 1;
        if (cells[static_cast<std::size_t>(column)].mergeFirst)
            while (column + span < columns &&
                   cells[static_cast<std::size_t>(column + span)].mergeNext)
                ++span;
        if (span > 1)
            table_->mergeCells(row_, column, 1, span);
        column += span;
    }
    for (int column = 0; column < columns; ++column) {
        const auto& cell = cells[static_cast<std::size_t>(column)];
        int& start = verticalStart_[static_cast<std::size_t>(column)];
        if (cell.verticalFirst)
            start = row_;
        else if (cell.verticalNext && start >= 0)
            table_->mergeCells(start, column, row_ - start + 1, 1);
        else
            start = -1;
    }
}

void DocumentBuilder::formatBlock(const ParaState& para) {
    cursor_.setBlockFormat(blockFormatOf(para));
    if (!para.isListItem()) {
        oldStyleList_ = nullptr;
        return;
    }
    if (QTextList* list = listFor(para)) {
        list->add(cursor_.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(para.list);
    format.setIndent(listIndentOf(para));
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
