#pragma once

#include "richtext/rtf_kept_group.h"
#include "richtext/rtf_state.h"

#include <QString>

#include <vector>

namespace orbeta::rtf {

struct ObjectData;
struct PictureData;

// One table row as \trowd ... \cellxN describes it.
struct RowDefinition {
    static constexpr int kMaxCells = 63; // as many columns as a table takes

    struct Cell {
        bool mergeFirst = false;    // \clmgf
        bool mergeNext = false;     // \clmrg
        bool verticalFirst = false; // \clvmgf
        bool verticalNext = false;  // \clvmrg
    };
    std::vector<Cell> cells;
};

// What the reader hands on, in the order of the file: text runs, pictures, objects, groups whose
// text is not shown, paragraph ends and table cells. RTF's \par ends a paragraph, so the mark
// that ends the last one opens no new one. Pictures and objects come with their group as it
// stands in the file, or with none where the group is damaged.
class ReadSink {
public:
    virtual ~ReadSink() = default;

    virtual void text(const QString& text, const CharState& chr, const ParaState& para) = 0;
    virtual void picture(const PictureData& picture, const KeptGroup& group,
                         const ParaState& para) = 0;
    virtual void object(const ObjectData& object, const KeptGroup& group,
                        const ParaState& para) = 0;
    // A group whose text is not shown: a header, a footnote, a comment, a shape, a bookmark.
    virtual void keptGroup(const KeptGroup& group, const ParaState& para) = 0;
    virtual void endParagraph(const ParaState& para) = 0;
    virtual void endCell(const ParaState& para) = 0;
    virtual void endRow() = 0;
    virtual void rowDefinition(const RowDefinition& row) = 0;
    // The font table has been read: the document's default font (\deff), its family (empty
    // when the table has no such font) and its character set, or kCharsetNotStated.
    virtual void defaultFont(const QString& family, int charset) = 0;
    // The document has ended; `para` holds for a last paragraph that no \par ended.
    virtual void finish(const ParaState& para) = 0;
};

} // namespace orbeta::rtf
