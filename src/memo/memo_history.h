#pragma once

#include "memo/memo_folder.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

namespace orbeta {

class Clock;

// Earlier versions of every memo: whatever the program replaces of a memo file is kept first, in
// a hidden folder inside the memo folder, so that a backup or a sync of the folder carries them
// too: .orbeta-history/<memo file name>/<yyyyMMdd-HHmmss>.rtf, in the local time of the
// replacement (with -1, -2, ... where two fall in one second).
class MemoHistory {
public:
    static inline const QString kFolder = QStringLiteral(".orbeta-history");
    // Every version younger than this is kept; of the older ones, those among the newest few.
    static constexpr int kKeptDays = 30;
    static constexpr int kKeptNewest = 20;

    MemoHistory(std::shared_ptr<const MemoFolder> folder, const Clock& clock)
        : folder_(std::move(folder)), clock_(clock) {}

    struct Version {
        QString path;         // in the memo folder
        QDateTime replacedAt; // local time
        qint64 size = 0;
        int sequence = 0; // of versions made in the same second
    };

    // Keeps `bytes`, which the memo file `name` held until now, as its newest version, with the
    // memo's permissions.
    SaveOutcome keep(const QString& name, QByteArrayView bytes, mode_t mode) const;
    // The versions of a memo file, newest first.
    QList<Version> versionsOf(const QString& name) const;
    // Whether it has any, without looking at each.
    bool hasVersions(const QString& name) const;
    // Removes the versions the rules no longer keep; never the newest, never a memo file.
    void prune(const QString& name) const;
    FileRead read(const Version& version, qint64 limit) const;

private:
    std::shared_ptr<const MemoFolder> folder_;
    const Clock& clock_;
};

} // namespace orbeta
