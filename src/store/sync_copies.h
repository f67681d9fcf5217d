#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace orbeta {

// A copy of a memo that a sync tool made beside it when two machines changed the memo before
// they met: the memo's name with the tool's mark in it. Orbeta shows these copies and never
// changes or removes one; the tool or the user decides.
struct SyncCopy {
    QString name;      // the copy's file name
    QString memoName;  // the memo it is a copy of
    QString tool;      // "Syncthing", "Nextcloud", "Dropbox", "Resilio Sync"
    QDateTime madeAt;  // as its name says, where it says (local time); invalid otherwise
    QList<QDate> days; // the days whose memo the copy is of
};

// The copy a file name stands for: Syncthing's "NAME.sync-conflict-yyyyMMdd-HHmmss-DEVICE.rtf",
// Nextcloud's and ownCloud's "NAME (conflicted copy [USER ]yyyy-MM-dd HHmmss).rtf" and older
// "NAME_conflict-yyyyMMdd-HHmmss.rtf", Dropbox's "NAME (WHO's conflicted copy yyyy-MM-dd).rtf" and
// "NAME (WHO の競合コピー yyyy-MM-dd).rtf", Resilio Sync's "NAME.Conflict.rtf" and
// "NAME.ConflictN.rtf", where NAME is a whole memo name without ".rtf"; nothing for any other
// name. A name that is not valid UTF-8 (see file_names.h) is a copy all the same.
std::optional<SyncCopy> syncCopyOf(const QString& fileName);

} // namespace orbeta
