#pragma once

#include <QByteArrayView>
#include <QString>

class QTextCursor;
class QTextDocument;

namespace orbeta::rtf {

enum class ReadStatus {
    Ok,
    NotRtf,  // the bytes do not start an RTF document; nothing was read
    Damaged, // something was wrong; everything readable was read
};

struct ReadResult {
    ReadStatus status = ReadStatus::Ok;
    qsizetype offset = 0; // where the first problem is
    int line = 0;
    int column = 0;
    QString problem;

    bool isRtf() const { return status != ReadStatus::NotRtf; }
    static ReadResult notRtf() {
        return {ReadStatus::NotRtf, 0, 1, 1, QStringLiteral("not an RTF document")};
    }
};

// True when the bytes start like an RTF document ("{\rtf", blanks and a UTF-8 mark allowed).
bool looksLikeRtf(QByteArrayView bytes);

// Replaces the document's content with the RTF document, as one step that cannot be undone.
// The RTF's default font becomes the document's default font.
ReadResult readRtf(QByteArrayView rtf, QTextDocument& document);

// Inserts the RTF document at the cursor (replacing its selection) as one undo step, as pasting
// does: text without a font of its own gets the RTF's default font.
ReadResult insertRtf(QByteArrayView rtf, QTextCursor& cursor);

} // namespace orbeta::rtf
