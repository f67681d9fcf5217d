#pragma once

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextFormat>
#include <QUrl>
#include <QVariant>

#include <vector>

class QTextDocument;

namespace orbeta::rtf {

// A document as it is at one moment, taken in a few milliseconds on the thread that edits it and
// written as RTF on another, so that keeping a copy of a long text never makes typing wait. A
// short document is written at once, whole. Of a long one the snapshot holds its text, its
// paragraphs and runs of characters with their formats, and its pictures: written, it keeps
// every character and its look, but not the structure of its tables and lists (their text
// becomes paragraphs).
class DocumentSnapshot {
public:
    static DocumentSnapshot of(const QTextDocument& document);

    // The snapshot as RTF; on any thread.
    QByteArray toRtf() const;

    // Documents of up to this many characters are written when they are taken.
    static constexpr int kWrittenAtOnce = 100'000;

private:
    struct Run {
        int from = 0;
        int length = 0;
        int format = 0; // in formats_
    };
    struct Paragraph {
        int format = 0;     // its block format, in formats_
        int charFormat = 0; // the format of its end, in formats_
        int firstRun = 0;
    };

    QByteArray rtf_;
    QString text_;
    QList<QTextFormat> formats_;
    std::vector<Paragraph> paragraphs_;
    std::vector<Run> runs_;
    QHash<QUrl, QVariant> pictures_;
    QFont defaultFont_;
};

} // namespace orbeta::rtf
