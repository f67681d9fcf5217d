#include "store/memo_names.h"

#include <algorithm>

namespace orbeta {

QString MemoFileName(int year, int month, int day) {
    return QString::number(year) + QString::number(month) + QString::number(day) +
           QStringLiteral(".rtf");
}

bool sharesMemoFileName(QDate date) {
    const int day = date.day();
    switch (date.month()) {
    case 1:
        return (day >= 11 && day <= 19) || (day >= 21 && day <= 29);
    case 11:
    case 12:
        return day <= 9;
    default:
        return false;
    }
}

QDate daySharingName(QDate date) {
    if (!sharesMemoFileName(date))
        return {};
    const int day = date.day();
    if (date.month() == 1) // 1-11 is 11-1, 1-21 is 12-1
        return QDate(date.year(), day < 20 ? 11 : 12, day % 10);
    return QDate(date.year(), 1, (date.month() == 11 ? 10 : 20) + day);
}

QString memoSaveName(QDate date) {
    if (!sharesMemoFileName(date))
        return MemoFileName(date.year(), date.month(), date.day());
    return date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".rtf");
}

QStringList memoReadNames(QDate date) {
    QStringList names{memoSaveName(date)};
    if (sharesMemoFileName(date))
        names << MemoFileName(date.year(), date.month(), date.day());
    return names;
}

QList<QDate> daysReadFrom(const QString& fileName) {
    QList<QDate> days;
    const QStringView name = QStringView(fileName).chopped(fileName.endsWith(u".rtf") ? 4 : 0);
    if (name.size() == fileName.size() || name.size() < 6 || name.size() > 8)
        return days;
    for (QChar c : name) {
        if (!c.isDigit() || c.unicode() > u'9')
            return days;
    }
    const int year = name.first(4).toInt();
    const QStringView monthAndDay = name.sliced(4);
    for (qsizetype monthDigits = 1; monthDigits <= 2; ++monthDigits) {
        const qsizetype dayDigits = monthAndDay.size() - monthDigits;
        if (dayDigits < 1 || dayDigits > 2)
            continue;
        const QDate day(year, monthAndDay.first(monthDigits).toInt(),
                        monthAndDay.sliced(monthDigits).toInt());
        if (day.isValid() && !days.contains(day) && memoReadNames(day).contains(fileName))
            days.append(day);
    }
    return days;
}

QList<DayFile> memoDaysOf(const QSet<QString>& present) {
    QList<DayFile> days;
    for (const QString& name : present) {
        for (const QDate day : daysReadFrom(name)) {
            const QStringList names = memoReadNames(day);
            const auto first = std::find_if(names.cbegin(), names.cend(),
                                            [&](const QString& n) { return present.contains(n); });
            if (*first == name)
                days.append({day, name});
        }
    }
    std::sort(days.begin(), days.end(),
              [](const DayFile& a, const DayFile& b) { return a.day > b.day; });
    return days;
}

} // namespace orbeta
