// Making a table once it has been read whole: the table with all its rows and columns at once,
// then its cells filled in order, then its merged cells.
#include "richtext/rtf_document_builder.h"

#include <QTextTable>

#include <algorithm>

namespace orbeta::rtf {

namespace {

constexpr double kCellPadding = 2;
constexpr int kMaxColumns = RowDefinition::kMaxCells;
// Qt lays collapsed borders out three times slower: longer tables keep each cell's own border.
constexpr int kMostCollapsedRows = 1000;

} // namespace

void DocumentBuilder::buildTable() {
    int rows = 0;
    int columns = 0;
    tableShape(rows, columns);
    // A few bytes can define a row of many cells; a file makes no more cells than its size
    // allows, and the rows beyond them become paragraphs after the table.
    const auto fit = static_cast<int>(std::min<qint64>(rows, cellBudget_ / columns));
    if (fit < rows)
        tableCut_ = true;
    rows = fit;
    cellBudget_ -= qint64{rows} * columns;
    QTextTable* table = rows > 0 ? insertTable(rows, columns) : nullptr;
    const std::size_t past = table ? replayTable(table) : 0;
    for (std::size_t i = past; i < table_.size(); ++i)
        replayAsParagraph(table_[i]);
    if (table) {
        int row = 0;
        std::vector<VerticalRun> runs(static_cast<std::size_t>(kMaxColumns));
        for (std::size_t i = 0; i < past && row < rows; ++i)
            if (table_[i].kind == TableEvent::EndRow)
                applyMerges(table, row++, table_[i].row, runs);
        if (row < rows) // a last row that no \row ended
            applyMerges(table, row, rowDefinition_, runs);
        for (int column = 0; column < kMaxColumns; ++column)
            mergeRun(table, column, runs[static_cast<std::size_t>(column)]);
    }
    table_.clear();
}

// As many rows as were ended, and one more if anything came after the last; as many columns as
// the widest row defined or used, up to what a table can take.
void DocumentBuilder::tableShape(int& rows, int& columns) const {
    columns = static_cast<int>(rowDefinition_.cells.size());
    int cells = 0;
    bool rowOpen = false;
    rows = 0;
    for (const TableEvent& event : table_) {
        if (event.kind == TableEvent::EndRow) {
            columns = std::max(columns, static_cast<int>(event.row.cells.size()));
            ++rows;
            cells = 0;
            rowOpen = false;
            continue;
        }
        rowOpen = true;
        if (event.kind == TableEvent::EndCell)
            columns = std::max(columns, ++cells);
        else
            columns = std::max(columns, cells + 1);
    }
    rows = std::max(rows + (rowOpen ? 1 : 0), 1);
    columns = std::clamp(columns, 1, kMaxColumns);
}

QTextTable* DocumentBuilder::insertTable(int rows, int columns) {
    QTextTableFormat format;
    format.setCellPadding(kCellPadding);
    format.setBorder(1);
    format.setBorderCollapse(rows <= kMostCollapsedRows);
    paragraphPending_ = false;
    return cursor_.insertTable(rows, columns, format);
}

// Fills the cells in the order read, up to the table's last row, and leaves the cursor after the
// table. Text for more cells than the table takes goes into the last cell of its row, each in a
// paragraph of its own. Gives the number of events that went into the table.
std::size_t DocumentBuilder::replayTable(QTextTable* table) {
    int row = 0;
    int cell = 0;
    bool inCell = false;
    std::size_t i = 0;
    for (; i < table_.size() && row < table->rows(); ++i) {
        const TableEvent& event = table_[i];
        if (event.kind == TableEvent::EndRow) {
            ++row;
            cell = 0;
            inCell = false;
            paragraphPending_ = false;
            continue;
        }
        if (!inCell) {
            const int column = std::min(cell, table->columns() - 1);
            const QTextTableCell target = table->cellAt(row, column);
            const bool crowded = column < cell;
            cursor_ = crowded ? target.lastCursorPosition() : target.firstCursorPosition();
            paragraphPending_ = crowded;
            inCell = true;
        }
        replay(event, event.para);
        if (event.kind == TableEvent::EndCell) {
            paragraphPending_ = false;
            inCell = false;
            ++cell;
        }
    }
    cursor_ = table->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    paragraphPending_ = false;
    return i;
}

// What a table could not take: its text in paragraphs, a cell each.
void DocumentBuilder::replayAsParagraph(const TableEvent& event) {
    ParaState para = event.para;
    para.inTable = false;
    replay(event, para);
}

// Text, and the end of a paragraph or a cell, in the paragraph `para` describes.
void DocumentBuilder::replay(const TableEvent& event, const ParaState& para) {
    switch (event.kind) {
    case TableEvent::Insert:
        openParagraph();
        cursor_.insertText(event.text, event.format);
        break;
    case TableEvent::EndParagraph:
    case TableEvent::EndCell:
        openParagraph();
        formatBlock(para);
        paragraphPending_ = true;
        break;
    case TableEvent::EndRow:
        break;
    }
}

// Cells merged across are merged row by row; cells merged down are merged once their run of
// rows has ended (merging again for each row would take time in the square of the rows).
void DocumentBuilder::applyMerges(QTextTable* table, int row, const RowDefinition& definition,
                                  std::vector<VerticalRun>& runs) {
    const auto& cells = definition.cells;
    const int columns = std::min(static_cast<int>(cells.size()), table->columns());
    for (int column = 0; column < columns;) {
        int span = 1;
        if (cells[static_cast<std::size_t>(column)].mergeFirst)
            while (column + span < columns &&
                   cells[static_cast<std::size_t>(column + span)].mergeNext)
                ++span;
        if (span > 1)
            table->mergeCells(row, column, 1, span);
        column += span;
    }
    for (int column = 0; column < kMaxColumns; ++column) {
        VerticalRun& run = runs[static_cast<std::size_t>(column)];
        const bool defined = column < columns;
        const auto* cell = defined ? &cells[static_cast<std::size_t>(column)] : nullptr;
        if (cell && cell->verticalNext && run.first >= 0) {
            run.last = row;
            continue;
        }
        mergeRun(table, column, run);
        if (cell && cell->verticalFirst)
            run = {row, row};
    }
}

void DocumentBuilder::mergeRun(QTextTable* table, int column, VerticalRun& run) {
    if (run.first >= 0 && run.last > run.first)
        table->mergeCells(run.first, column, run.last - run.first + 1, 1);
    run = {};
}

} // namespace orbeta::rtf
