#pragma once

#include <QDate>
#include <QSet>
#include <QString>

class QTextDocument;

namespace orbeta {

// Where the day memos are kept: one RTF file per day in one folder (the working folder, as a
// relative path, unless the caller names another).
class MemoFiles {
public:
    MemoFiles() = default;
    explicit MemoFiles(QString folder) : folder_(std::move(folder)) {}

    enum class Found {
        Nothing,    // no file: an empty memo
        Rtf,        // read as RTF
        PlainText,  // a file that is not RTF, shown as its text so that saving keeps it
        Unreadable, // there, but could not be read: an empty memo
    };

    // Reads the day's memo into the document, replacing what it held. Never fails: whatever
    // cannot be read leaves the document empty.
    Found load(QDate date, QTextDocument& document) const;

    struct Saved {
        bool ok = false;
        QString fileName;
        QString error;
    };
    // Writes the document as the day's memo, replacing the file only once the new one is
    // completely written: a failed save leaves the old file as it was.
    Saved save(QDate date, const QTextDocument& document) const;

    // The days of a month that have a memo file: a few look-ups, however full the folder.
    QSet<int> daysWithMemos(int year, int month) const;

    QString pathOf(const QString& fileName) const;

private:
    QString folder_ = QStringLiteral(".");
};

// Text of a file that is not RTF: UTF-8 when it is valid UTF-8, else code page 932.
QString plainMemoText(const QByteArray& bytes);

} // namespace orbeta
