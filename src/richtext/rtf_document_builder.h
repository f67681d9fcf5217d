#pragma once

#include "richtext/rtf_state.h"

#include <QTextCursor>

#include <map>
#include <tuple>
#include <vector>

class QTextImageFormat;
class QTextList;
class QTextTable;

namespace orbeta::rtf {

// One table row as \trowd ... \cellxN describes it.
struct RowDefinition {
    struct Cell {
        bool mergeFirst = false;    // \clmgf
        bool mergeNext = false;     // \clmrg
        bool verticalFirst = false; // \clvmgf
        bool verticalNext = false;  // \clvmrg
    };
    std::vector<Cell> cells;
};

// Builds the document from what the reader hands it: text runs, paragraph ends, table cells,
// pictures. It keeps RTF's notion that \par ends a paragraph, so the mark that ends the last
// paragraph opens no new one.
class DocumentBuilder {
public:
    static constexpr int kMaxColumns = 63;

    explicit DocumentBuilder(QTextCursor& cursor) : cursor_(cursor) {}

    void insertText(const QString& text, const QTextCharFormat& format, const ParaState& para);
    void insertImage(const QTextImageFormat& format, const ParaState& para);
    void endParagraph(const ParaState& para);
    void endCell(const ParaState& para);
    void endRow();
    void setRowDefinition(const RowDefinition& row) { rowDefinition_ = row; }
    // Gives the last paragraph its properties when it was not ended by \par.
    void finish(const ParaState& para, bool formatOpenParagraph);

private:
    void openParagraph(const ParaState& para);
    void enterTable();
    void leaveTable();
    void formatBlock(const ParaState& para);
    void applyMerges();
    QTextList* listFor(const ParaState& para);

    QTextCursor& cursor_;
    bool paragraphPending_ = false;

    QTextTable* table_ = nullptr;
    RowDefinition rowDefinition_;
    int row_ = 0;
    int cell_ = 0;
    bool rowPending_ = false;
    bool inCell_ = false;
    std::vector<int> verticalStart_;

    std::map<std::tuple<int, int, ListKind>, QTextList*> numberedLists_;
    QTextList* oldStyleList_ = nullptr;
    ParaState oldStyleListPara_;
};

} // namespace orbeta::rtf
