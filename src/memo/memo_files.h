#pragma once

#include "memo/file_snapshot.h"

#include <QByteArray>
#include <QDate>
#include <QSet>
#include <QString>

#include <optional>

class QTextDocument;

namespace orbeta {

// Where the day memos are kept: one RTF file per day in one folder (the working folder, as a
// relative path, unless the caller names another).
class MemoFiles {
public:
    MemoFiles() = default;
    explicit MemoFiles(QString folder) : folder_(std::move(folder)) {}

    const QString& folder() const { return folder_; }

    // Larger files are not read at all, and memos of more characters are not shown: Qt's editor
    // stops answering for minutes while it lays out text so long.
    static constexpr qint64 kMaxReadBytes = 32 * 1024 * 1024;
    static constexpr qint64 kMaxEditableCharacters = 2'000'000;

    enum class Found {
        Nothing,    // no file: an empty memo
        Rtf,        // read as RTF
        Damaged,    // RTF with damage: what could be read was
        PlainText,  // a file that is not RTF, shown as its text
        Unreadable, // there, but could not be read: an empty memo
        TooLarge,   // too large to edit: an empty memo
    };

    // What opening a day's memo found.
    struct Loaded {
        Found found = Found::Nothing;
        QString path;                    // the file read, or that would have been
        QString reason;                  // Unreadable: why, in Japanese
        qint64 size = 0;                 // of the file read
        std::optional<QDate> sharedWith; // the other day, for a file under a name both share
        QByteArray original;             // Damaged, PlainText: the bytes read, kept for a backup
        FileSnapshot saveTarget;         // the file a save replaces, as it was then

        // Whether saving may replace what was read: not when it could not be shown whole.
        bool mayBeReplaced() const {
            return found != Found::Unreadable && found != Found::TooLarge;
        }
        // Whether the original must be kept beside the file before a save replaces it.
        bool needsBackup() const {
            return (found == Found::Damaged || found == Found::PlainText) && !sharedWith;
        }
    };

    // Reads the day's memo into the document, replacing what it held; whatever cannot be read
    // leaves it empty.
    Loaded load(QDate date, QTextDocument& document) const;

    struct Saved {
        bool ok = false;
        QString fileName;
        QString error;
        QString backup; // where the original was kept, if it was
    };
    // Writes the document as the day's memo, replacing the file only once the new one is
    // completely written: a failed save leaves the old file as it was. Where `loaded` says so,
    // its original bytes are first kept beside the file, under a name no file has yet.
    Saved save(QDate date, const QTextDocument& document, const Loaded* loaded = nullptr) const;

    // Whether the file a save would replace is no longer what it was when the memo was read:
    // changed, removed, or made since by another program.
    bool changedSince(QDate date, const Loaded& loaded) const;

    // The file the day's memo is read from: its save name or, failing that, the name older
    // versions used; empty when the day has no memo file.
    QString fileOf(QDate date) const;

    QString pathOf(const QString& fileName) const;
    // The path as the user can find it: absolute, in the system's notation.
    QString shownPath(const QString& fileName) const;

private:
    QString folder_ = QStringLiteral(".");
};

// Text of a file that is not RTF: UTF-16 with its byte-order mark, UTF-8 when it is valid UTF-8,
// else code page 932.
QString plainMemoText(const QByteArray& bytes);

// The text of a memo file, RTF or not.
QString memoFileText(const QByteArray& bytes);

// A name beside `path` that no file has: NAME.bak, then NAME.1.bak, NAME.2.bak, ...
QString freeBackupName(const QString& path);

} // namespace orbeta
