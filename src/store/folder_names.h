#pragma once

#include "store/memo_names.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace orbeta {

// What the names in a memo folder stand for: the memo file of each day, the sync copies of each
// day's memo, and the recovery files; other names are left out. Made whole from a listing
// (off the window thread: a folder may hold a century of memos), then kept up to date name by
// name.
class FolderNames {
public:
    FolderNames() = default;
    explicit FolderNames(const QStringList& names);

    // A name came (`there`) or went; false when nothing changed for it.
    bool update(const QString& name, bool there);

    bool contains(const QString& name) const { return present_.contains(name); }
    const QSet<QString>& names() const { return present_; }
    QString memoOf(QDate day) const { return memoOfDay_.value(day); }
    QStringList copiesOf(QDate day) const { return copiesOfDay_.value(day); }
    // The recovery files of a memo file.
    QStringList recoveriesOf(const QString& memoName) const { return recoveries_.value(memoName); }
    // The memo files and sync copies: the files that have a text.
    QSet<QString> textFiles() const;
    int textFileCount() const { return static_cast<int>(memoUses_.size() + copyNames_.size()); }
    // The days that a file is of: a memo's, or those of the memo a copy is of.
    static QList<QDate> daysOf(const QString& name);

    // A memo file or a sync copy under its day.
    struct DayMemo {
        QDate day;
        QString name;
        bool copy = false;
        bool operator==(const DayMemo&) const = default;
    };
    // Newest day first; on a day, its memo before its copies.
    QList<DayMemo> days() const;

    // Whether a name is one of these: a memo file, a sync copy, a recovery file.
    static bool ofInterest(const QString& name);

private:
    void placeMemosOf(const QList<QDate>& days);
    void placeMemo(QDate day, const QString& name);

    QSet<QString> present_;
    QSet<QString> memoNames_;
    QSet<QString> copyNames_;
    QHash<QDate, QString> memoOfDay_;
    QHash<QString, int> memoUses_; // days whose memo each memo file is
    QHash<QDate, QStringList> copiesOfDay_;
    QHash<QString, QStringList> recoveries_; // by the memo's name
};

} // namespace orbeta
