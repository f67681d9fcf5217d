#pragma once

#include "richtext/rtf_read_sink.h"

#include <QTextCharFormat>
#include <QTextCursor>

#include <map>
#include <tuple>
#include <vector>

class QTextList;
class QTextTable;

namespace orbeta::rtf {

class CharFormats;

// Builds the document at a cursor from what the reader hands it. A table is gathered whole and
// made at once when it ends: Qt lays a table out again for every row added to it.
class DocumentBuilder final : public ReadSink {
public:
    // `pasting`: inserting into a document that has its own default font, which stays.
    DocumentBuilder(QTextCursor& cursor, const CharFormats& formats, bool pasting)
        : cursor_(cursor), formats_(formats), pasting_(pasting) {}

    void text(const QString& text, const CharState& chr, const ParaState& para) override;
    void picture(const PictureData& picture, QByteArrayView rtf, const ParaState& para) override;
    void object(const ObjectData& object, QByteArrayView rtf, const ParaState& para) override;
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
    QTextTable* createTable(int& rows);
    void replayTable(QTextTable* table);
    void applyMerges(QTextTable* table, int row, const RowDefinition& definition,
                     std::vector<int>& verticalStart);

    QTextCursor& cursor_;
    const CharFormats& formats_;
    const bool pasting_;
    bool paragraphPending_ = false;

    RowDefinition rowDefinition_;
    std::vector<TableEvent> table_;

    std::map<std::tuple<int, int, QTextListFormat::Style>, QTextList*> numberedLists_;
    QTextList* oldStyleList_ = nullptr;
    ParaState oldStyleListPara_;
};

} // namespace orbeta::rtf
