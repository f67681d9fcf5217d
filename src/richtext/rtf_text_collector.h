#pragma once

#include "richtext/code_pages.h"
#include "richtext/rtf_state.h"

#include <QString>

#include <functional>
#include <string>

namespace orbeta::rtf {

class FontTable;

// Gathers the text of the group being read into runs of one character format. Bytes are held
// until the format changes, then decoded in the code page of the format's font, so a double-byte
// character split across hex escapes and text decodes whole.
class TextCollector {
public:
    // Takes a finished run: its text (which it may take), its format and its paragraph.
    using RunTaker = std::function<void(QString& text, const CharState&, const ParaState&)>;

    // `chr` and `para` are the reader's current properties, read when text comes.
    TextCollector(CodePages& codePages, const FontTable& fonts, const CharState& chr,
                  const ParaState& para, RunTaker taker)
        : codePages_(codePages), fonts_(fonts), chr_(chr), para_(para), taker_(std::move(taker)) {}

    void addBytes(QByteArrayView bytes);
    void addText(QStringView text);
    // A token other than text or a hex byte came: the format may have changed.
    void otherToken() { onlyBytesSince_ = false; }
    // True between the lead byte of a double-byte character and its trail byte.
    bool leadBytePending() const { return leadBytePending_; }
    // Hands over the run gathered so far.
    void flush();

private:
    void decodePendingBytes();
    int codePageOf(const CharState& chr) const;

    CodePages& codePages_;
    const FontTable& fonts_;
    const CharState& chr_;
    const ParaState& para_;
    RunTaker taker_;

    std::string pendingBytes_; // grows one byte at a time
    CharState pendingBytesFormat_;
    CodePageDecoder* pendingDecoder_ = nullptr;
    bool leadBytePending_ = false;
    bool onlyBytesSince_ = false; // no token but text and \'hh since the pending bytes began
    QString runText_;
    CharState runFormat_;
    ParaState runPara_;
};

} // namespace orbeta::rtf
