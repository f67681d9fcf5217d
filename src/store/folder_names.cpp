#include "store/folder_names.h"

#include "store/recovery_files.h"
#include "store/sync_copies.h"

#include <algorithm>

namespace orbeta {

FolderNames::FolderNames(const QStringList& names) {
    for (const QString& name : names) {
        if (!ofInterest(name))
            continue;
        present_.insert(name);
        if (!daysReadFrom(name).isEmpty()) {
            memoNames_.insert(name);
        } else if (const std::optional<SyncCopy> copy = syncCopyOf(name)) {
            copyNames_.insert(name);
            for (const QDate day : copy->days)
                copiesOfDay_[day] << name;
        } else if (const std::optional<RecoveryFile> recovery = recoveryFileOf(name)) {
            recoveries_[recovery->memoName] << name;
        }
    }
    for (const DayFile& day : memoDaysOf(memoNames_))
        placeMemo(day.day, day.name);
    for (QStringList& copies : copiesOfDay_)
        std::sort(copies.begin(), copies.end());
}

bool FolderNames::ofInterest(const QString& name) {
    return name.endsWith(QLatin1String(".rtf")) &&
           (!daysReadFrom(name).isEmpty() || syncCopyOf(name) || recoveryFileOf(name));
}

QList<QDate> FolderNames::daysOf(const QString& name) {
    if (QList<QDate> days = daysReadFrom(name); !days.isEmpty())
        return days;
    if (const std::optional<SyncCopy> copy = syncCopyOf(name))
        return copy->days;
    return {};
}

bool FolderNames::update(const QString& name, bool there) {
    if (there == present_.contains(name) || !ofInterest(name))
        return false;
    if (there)
        present_.insert(name);
    else
        present_.remove(name);
    if (!daysReadFrom(name).isEmpty()) {
        if (there)
            memoNames_.insert(name);
        else
            memoNames_.remove(name);
        placeMemosOf(daysReadFrom(name));
    } else if (const std::optional<SyncCopy> copy = syncCopyOf(name)) {
        for (const QDate day : copy->days) {
            QStringList& copies = copiesOfDay_[day];
            if (there) {
                copies.insert(std::lower_bound(copies.begin(), copies.end(), name), name);
            } else {
                copies.removeAll(name);
                if (copies.isEmpty())
                    copiesOfDay_.remove(day);
            }
        }
        if (there)
            copyNames_.insert(name);
        else
            copyNames_.remove(name);
    } else if (const std::optional<RecoveryFile> recovery = recoveryFileOf(name)) {
        QStringList& recoveries = recoveries_[recovery->memoName];
        if (there)
            recoveries << name;
        else
            recoveries.removeAll(name);
    }
    return true;
}

QSet<QString> FolderNames::textFiles() const {
    QSet<QString> files = copyNames_;
    for (auto memo = memoUses_.cbegin(); memo != memoUses_.cend(); ++memo)
        files.insert(memo.key());
    return files;
}

// Each day's memo is the first of its names that is there.
void FolderNames::placeMemosOf(const QList<QDate>& days) {
    for (const QDate day : days) {
        QString found;
        for (const QString& name : memoReadNames(day)) {
            if (memoNames_.contains(name)) {
                found = name;
                break;
            }
        }
        placeMemo(day, found);
    }
}

void FolderNames::placeMemo(QDate day, const QString& name) {
    if (const QString before = memoOfDay_.take(day); !before.isEmpty() && --memoUses_[before] == 0)
        memoUses_.remove(before);
    if (name.isEmpty())
        return;
    memoOfDay_.insert(day, name);
    ++memoUses_[name];
}

QList<FolderNames::DayMemo> FolderNames::days() const {
    QList<QDate> dates = memoOfDay_.keys();
    for (auto copies = copiesOfDay_.cbegin(); copies != copiesOfDay_.cend(); ++copies)
        if (!memoOfDay_.contains(copies.key()))
            dates << copies.key();
    std::sort(dates.begin(), dates.end(), std::greater<>());
    QList<DayMemo> days;
    days.reserve(dates.size());
    for (const QDate date : std::as_const(dates)) {
        if (const auto memo = memoOfDay_.constFind(date); memo != memoOfDay_.cend())
            days.append({date, *memo, false});
        for (const QString& copy : copiesOfDay_.value(date))
            days.append({date, copy, true});
    }
    return days;
}

} // namespace orbeta
