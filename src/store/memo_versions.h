#pragma once

#include "store/memo_folder.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>

namespace orbeta {

class Clock;

// Earlier versions of every memo: whatever the program replaces of a memo file is kept first, in
// a hidden folder inside the memo folder, so that a backup or a sync of the folder carries them
// too: .orbeta-history/<memo file name>/<yyyyMMdd-HHmmss>Z.rtf, in universal time, so that their
// order survives time zones and changes of summer time (-1, -2, ... where two fall in one second;
// versions of earlier releases carry the local time and no Z). Text closed without saving is
// kept the same way, its name ending in .unsaved.rtf. The folder and what is in it are never
// reached through a link.
class MemoVersions {
public:
    static inline const QString kFolder = QStringLiteral(".orbeta-history");
    // What pruning keeps: every version of the last day; of the last 30 days, the newest of each
    // hour; of the older ones, the newest 20. The newest version is always kept.
    static constexpr int kAllKeptHours = 24;
    static constexpr int kHourlyKeptDays = 30;
    static constexpr int kOldKept = 20;

    MemoVersions(std::shared_ptr<const MemoFolder> folder, const Clock& clock)
        : folder_(std::move(folder)), clock_(clock) {}

    struct Version {
        QString path;     // in the memo folder
        QDateTime madeAt; // universal time
        qint64 size = 0;
        int sequence = 0;     // of versions made in the same second
        bool unsaved = false; // text closed without saving
    };

    // Keeps the memo file `memoName` as it is now (`current`, read or only stamped) as its
    // newest version: linked under the version's name where the file system allows, so that
    // nothing is written again; its bytes are written where it does not (read here if need be).
    // A file kept already, unchanged (a save tried again), is kept once.
    SaveOutcome add(const QString& memoName, const FileRead& current);
    // Keeps bytes as a version of a memo: text closed without saving, or a recovered text.
    SaveOutcome addBytes(const QString& memoName, QByteArrayView bytes, mode_t mode,
                         bool unsaved = false, QString* path = nullptr);
    // The versions of a memo file, newest first.
    QList<Version> list(const QString& memoName) const;
    // Whether it has any, without looking at each.
    bool any(const QString& memoName) const;
    // Removes the versions the rules no longer keep: never the newest, never anything but a
    // regular file named like a version in the memo's own folder of versions.
    void prune(const QString& memoName) const;
    FileRead read(const Version& version, qint64 limit) const;

    // Where the versions of a memo are, in the memo folder.
    static QString folderOf(const QString& memoName);

private:
    std::shared_ptr<const MemoFolder> folder_;
    const Clock& clock_;
    QHash<QString, FileStamp> lastAdded_; // the memo file each memo last had kept, as it was
};

} // namespace orbeta
