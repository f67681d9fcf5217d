#pragma once

#include "richtext/rtf_read_sink.h"

#include <QTextCursor>

#include <map>
#include <tuple>
#include <vector>

class QTextImageFormat;
class QTextList;
class QTextTable;

namespace orbeta::rtf {

class CharFormats;

// Builds the document at a cursor from what the reader hands it.
class DocumentBuilder final : public ReadSink {
public:
    // `pasting`: inserting into a document that has its own default font, which stays.
    DocumentBuilder(QTextCursor& cursor, const CharFormats& formats, bool pasting)
        : cursor_(cursor), formats_(formats), pasting_(pasting) {}

    void text(const QString& text, const CharState& chr, const ParaState& para) override;
    void picture(const PictureData& picture, const ParaState& para) override;
    void endParagraph(const ParaState& para) override;
    void endCell(const ParaState& para) override;
    void endRow() override;
    void rowDefinition(const RowDefinition& row) override { rowDefinition_ = row; }
    void defaultFont(const QString& family) override;
    void finish(const ParaState& para) override;

private:
    void openParagraph(const ParaState& para);
    void enterTable();
    void leaveTable();
    void formatBlock(const ParaState& para);
    void applyMerges();
    QTextList* listFor(const ParaState& para);

    QTextCursor& cursor_;
    const CharFormats& formats_;
    const bool pasting_;
    bool paragraphPending_ = false;

    QTextTable* table_ = nullptr;
    RowDefinition rowDefinition_;
    int row_ = 0;
    int cell_ = 0;
    bool rowPending_ = false;
    bool inCell_ = false;
    std::vector<int> verticalStart_;

    std::map<std::tuple<int, int, QTextListFormat::Style>, QTextList*> numberedLists_;
    QTextList* oldStyleList_ = nullptr;
    ParaState oldStyleListPara_;
};

} // namespace orbeta::rtf
