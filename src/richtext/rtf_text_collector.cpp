#include "richtext/rtf_text_collector.h"

#include "richtext/rtf_font_table.h"

namespace orbeta::rtf {

void TextCollector::addBytes(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return;
    // Only a control word or a group can have changed the format since the last bytes.
    if (!pendingBytes_.empty() && !onlyBytesSince_ && !(pendingBytesFormat_ == chr_))
        decodePendingBytes();
    if (pendingBytes_.empty()) {
        pendingBytesFormat_ = chr_;
        pendingDecoder_ = &codePages_.decoders.get(codePageOf(pendingBytesFormat_));
        leadBytePending_ = false;
    }
    onlyBytesSince_ = true;
    pendingBytes_.append(bytes.data(), static_cast<std::size_t>(bytes.size()));
    if (!pendingDecoder_->isDoubleByte())
        return;
    for (const char c : bytes)
        leadBytePending_ =
            !leadBytePending_ && pendingDecoder_->isLeadByte(static_cast<std::uint8_t>(c));
}

void TextCollector::decodePendingBytes() {
    if (pendingBytes_.empty())
        return;
    QString decoded;
    pendingDecoder_->decode(
        QByteArrayView(pendingBytes_.data(), static_cast<qsizetype>(pendingBytes_.size())),
        decoded);
    pendingBytes_.clear();
    leadBytePending_ = false;
    if (!runText_.isEmpty() && !(runFormat_ == pendingBytesFormat_))
        flush();
    if (runText_.isEmpty()) {
        runFormat_ = pendingBytesFormat_;
        runPara_ = para_;
    }
    runText_ += decoded;
}

void TextCollector::addText(QStringView text) {
    decodePendingBytes();
    if (!runText_.isEmpty() && !(runFormat_ == chr_))
        flush();
    if (runText_.isEmpty()) {
        runFormat_ = chr_;
        runPara_ = para_;
    }
    runText_ += text;
}

void TextCollector::flush() {
    decodePendingBytes();
    if (runText_.isEmpty())
        return;
    taker_(runText_, runFormat_, runPara_);
    runText_.clear();
}

int TextCollector::codePageOf(const CharState& given) const {
    const CharState chr = given.effective();
    const int codePage = fonts_.codePageOf(chr.font >= 0 ? chr.font : codePages_.defaultFont);
    return codePage > 0 ? codePage : codePages_.documentCodePage;
}

} // namespace orbeta::rtf
