#include "richtext/rtf_document_builder.h"

#include "resources/twips.h"

#include <QTextBlock>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace orbeta::rtf {

namespace {

// Indents of list levels, in twips, as office programs lay them out.
constexpr int kListIndentStep = 600;

double pixelsOf(int twipsValue) {
    return static_cast<double>(twipsValue) / twips::kPerPixel;
}

QTextListFormat::Style listStyle(ListKind kind) {
    switch (kind) {
    case ListKind::Bullet:
        return QTextListFormat::ListDisc;
    case ListKind::Decimal:
        return QTextListFormat::ListDecimal;
    case ListKind::LowerAlpha:
        return QTextListFormat::ListLowerAlpha;
    case ListKind::UpperAlpha:
        return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case ListKind::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    case ListKind::None:
        break;
    }
    return QTextListFormat::ListStyleUndefined;
}

int listIndentOf(const ParaState& para) {
    if (para.listOverride > 0)
        return std::clamp(para.listLevel + 1, 1, 9);
    const double levels = static_cast<double>(para.leftIndent) / kListIndentStep;
    return std::clamp(static_cast<int>(std::lround(levels)), 1, 9);
}

QTextBlockFormat blockFormatOf(const ParaState& para) {
    QTextBlockFormat format;
    if (para.alignmentSet)
        format.setAlignment(para.alignment);
    if (para.list == ListKind::None) {
        if (para.leftIndent != 0)
            format.setLeftMargin(pixelsOf(para.leftIndent));
        if (para.firstLineIndent != 0)
            format.setTextIndent(pixelsOf(para.firstLineIndent));
    }
    if (para.rightIndent != 0)
        format.setRightMargin(pixelsOf(para.rightIndent));
    if (para.spaceBefore != 0)
        format.setTopMargin(pixelsOf(para.spaceBefore));
    if (para.spaceAfter != 0)
        format.setBottomMargin(pixelsOf(para.spaceAfter));
    if (para.lineSpacing != 0) {
        if (para.lineMultiple && para.lineSpacing > 0)
            format.setLineHeight(para.lineSpacing * 100.0 / 240.0,
                                 QTextBlockFormat::ProportionalHeight);
        else if (para.lineSpacing > 0)
            format.setLineHeight(pixelsOf(para.lineSpacing), QTextBlockFormat::MinimumHeight);
        else
            format.setLineHeight(pixelsOf(-para.lineSpacing), QTextBlockFormat::FixedHeight);
    }
    return format;
}

} // namespace

void DocumentBuilder::insertText(const QString& text, const QTextCharFormat& format,
                                 const ParaState& para) {
    openParagraph(para);
    cursor_.insertText(text, format);
}

void DocumentBuilder::insertImage(const QTextImageFormat& format, const ParaState& para) {
    openParagraph(para);
    cursor_.insertImage(format);
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

void DocumentBuilder::finish(const ParaState& para, bool formatOpenParagraph) {
    if (table_ && !para.inTable)
        leaveTable();
    if (formatOpenParagraph && !paragraphPending_ && !table_)
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
        format.setCellPadding(2);
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
    if (para.list == ListKind::None) {
        oldStyleList_ = nullptr;
        return;
    }
    if (QTextList* list = listFor(para)) {
        list->add(cursor_.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(listStyle(para.list));
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
