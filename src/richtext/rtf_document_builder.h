#pragma once

#include "richtext/rtf_read_sink.h"

#include <QPointer>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextList>

#include <map>
#include <tuple>
#include <vector>

class QTextTable;

namespace orbeta::rtf {

class CharFormats;

// Builds the document at a cursor from what the reader hands it. A table is gathered whole and
// made at once when it ends: Qt lays a table out again for every row added to it.
class DocumentBuilder final : public ReadSink {
public:
    // `pasting`: inserting into a document that has its own default font, which stays.
    // `inputBytes`: the size of the file, which bounds how many table cells it may make.
    DocumentBuilder(QTextCursor& cursor, const CharFormats& formats, bool pasting,
                    qsizetype inputBytes);

    // Whether a table had more cells than the file's size allows, and some of its rows became
    // paragraphs after it.
    bool tableCut() const { return tableCut_; }

    void text(const QString& text, const CharState& chr, const ParaState& para) override;
    void picture(const PictureData& picture, const KeptGroup& group,
                 const ParaState& para) override;
    void object(const ObjectData& object, const KeptGroup& group, const ParaState& para) override;
    void keptGroup(const KeptGroup& group, const ParaState& para) override;
    void endParagraph(const ParaState& para) override;
    void endCell(const ParaState& para) override;
    void endRow() override;
    void rowDefinition(const RowDefinition& row) override { rowDefinition_ = row; }
    void defaultFont(const QString& family, int charset) override;
    void finish(const ParaState& para) override;

private:
    // What a table holds until it ends, in the order read.
    struct TableEvent {
        enum Kind { Insert, EndParagraph, EndCell, EndRow } kind;
        QString text; // Insert: text, or an object replacement character
        QTextCharFormat format;
        ParaState para;
        RowDefinition row; // EndRow: the row's cells
    };

    void insert(const QString& text, const QTextCharFormat& format, const ParaState& para);
    void openParagraph();
    void formatBlock(const ParaState& para);
    QTextList* listFor(const ParaState& para);

    // tables (rtf_document_builder_tables.cpp)
    void buildTable();
    void tableShape(int& rows, int& columns) const;
    QTextTable* insertTable(int rows, int columns);
    std::size_t replayTable(QTextTable* table);
    void replayAsParagraph(const TableEvent& event);
    void replay(const TableEvent& event, const ParaState& para);
    // Rows of one column merged down: from the first to the last, once known.
    struct VerticalRun {
        int first = -1;
        int last = -1;
    };
    void applyMerges(QTextTable* table, int row, const RowDefinition& definition,
                     std::vector<VerticalRun>& runs);
    static void mergeRun(QTextTable* table, int column, VerticalRun& run);

    QTextCursor& cursor_;
    const CharFormats& formats_;
    const bool pasting_;
    bool paragraphPending_ = false;

    RowDefinition rowDefinition_;
    std::vector<TableEvent> table_;
    qint64 cellBudget_;
    bool tableCut_ = false;

    // Qt deletes a list whose last item goes (merging table cells does that), so the lists are
    // held so that they know when.
    std::map<std::tuple<int, int, QTextListFormat::Style>, QPointer<QTextList>> numberedLists_;
    QPointer<QTextList> oldStyleList_;
    ParaState oldStyleListPara_;
};

} // namespace orbeta::rtf
