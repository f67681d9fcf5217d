#pragma once

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace orbeta {

// The memo file of a day: year, month and day in plain decimal, run together, then ".rtf"
// (1999327.rtf for 27 March 1999). Some pairs of days share a name this way: 11 January and
// 1 November give 1999111.rtf.
QString MemoFileName(int year, int month, int day);

// True for the 36 days a year whose plain name another day has too: 11-19 and 21-29 January,
// 1-9 November and 1-9 December.
bool sharesMemoFileName(QDate date);

// The other day whose plain name is the same as this day's; an invalid date for days that share
// none.
QDate daySharingName(QDate date);

// The name a memo is saved under: the plain name, except for the days that share one, which get
// year, two-digit month and two-digit day (19990112.rtf). No such name is any day's plain name.
QString memoSaveName(QDate date);

// The names a memo is looked for under, in order: the save name, then, for the days that share
// one, the plain name that memos of older versions were stored under.
QStringList memoReadNames(QDate date);

// The days (of years 1000 to 9999) that look for their memo under this file name: none, one, or
// the two days that share a plain name.
QList<QDate> daysReadFrom(const QString& fileName);

// A day and the file its memo is read from.
struct DayFile {
    QDate day;
    QString name;

    bool operator==(const DayFile&) const = default;
};

// The days of the memo files present, newest first: the days the calendar would open each file
// for. A file under a name two days share belongs to both, unless one has its own file.
QList<DayFile> memoDaysOf(const QSet<QString>& present);

} // namespace orbeta
