#include "richtext/rtf_plain_text.h"

#include "richtext/rtf_reader_core.h"

namespace orbeta::rtf {

namespace {

// Text as the editor's plain text gives it: a line break within a paragraph as a new line, a
// no-break space as a space, and the cells that merging covers left out.
class PlainTextSink final : public ReadSink {
public:
    QString collected;

    void text(const QString& run, const CharState& chr, const ParaState&) override {
        if (chr.hidden || coveredCell())
            return;
        breakPendingLine();
        collected.reserve(collected.size() + run.size());
        for (const QChar c : run)
            collected += c == QChar::LineSeparator ? QChar(u'\n')
                         : c == QChar::Nbsp        ? QChar(u' ')
                                                   : c;
    }
    void picture(const PictureData&, const KeptGroup&, const ParaState&) override { addObject(); }
    void object(const ObjectData&, const KeptGroup&, const ParaState&) override { addObject(); }
    void keptGroup(const KeptGroup&, const ParaState&) override {} // not shown
    void endParagraph(const ParaState&) override {
        if (!coveredCell())
            endLine();
    }
    void endCell(const ParaState&) override {
        if (!coveredCell())
            endLine();
        ++cell_;
    }
    void endRow() override { cell_ = 0; }
    void rowDefinition(const RowDefinition& row) override {
        row_ = row;
        cell_ = 0;
    }
    void defaultFont(const QString&, int) override {}
    void finish(const ParaState&) override {}

private:
    // RTF's \par ends a paragraph: the line it ends is broken only when more comes.
    void endLine() {
        breakPendingLine();
        lineBreakPending_ = true;
    }
    void breakPendingLine() {
        if (lineBreakPending_)
            collected += u'\n';
        lineBreakPending_ = false;
    }
    void addObject() {
        if (coveredCell())
            return;
        breakPendingLine();
        collected += QChar::ObjectReplacementCharacter;
    }
    bool coveredCell() const {
        if (cell_ >= row_.cells.size())
            return false;
        const RowDefinition::Cell& cell = row_.cells[cell_];
        return cell.mergeNext || cell.verticalNext;
    }

    bool lineBreakPending_ = false;
    RowDefinition row_;
    std::size_t cell_ = 0;
};

} // namespace

QString rtfPlainText(QByteArrayView rtf, ReadResult* result) {
    if (!looksLikeRtf(rtf)) {
        if (result)
            *result = ReadResult::notRtf();
        return {};
    }
    Reader reader(rtf, false);
    PlainTextSink sink;
    const ReadResult read = reader.run(sink);
    if (result)
        *result = read;
    return std::move(sink.collected);
}

} // namespace orbeta::rtf
