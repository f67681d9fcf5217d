#include "richtext/rtf_plain_text.h"

#include "richtext/rtf_reader_core.h"

namespace orbeta::rtf {

namespace {

class PlainTextSink final : public ReadSink {
public:
    QString collected;

    void text(const QString& run, const CharState& chr, const ParaState&) override {
        if (!chr.hidden)
            collected += run;
    }
    void picture(const PictureData&, QByteArrayView, const ParaState&) override {}
    void object(const ObjectData&, QByteArrayView, const ParaState&) override {}
    void endParagraph(const ParaState&) override { collected += QLatin1Char('\n'); }
    void endCell(const ParaState&) override { collected += QLatin1Char('\n'); }
    void endRow() override {}
    void rowDefinition(const RowDefinition&) override {}
    void defaultFont(const QString&, int) override {}
    void finish(const ParaState&) override {}
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
