#include "calendar/japanese_era.h"

#include <array>

namespace orbeta {

namespace {

struct Era {
    QStringView name;
    QDate first;
};

// Newest first. Meiji counts from 1868, the year it began, though Japan kept its own calendar
// until the end of 1872.
const std::array<Era, 5> kEras{{
    {u"令和", QDate(2019, 5, 1)},
    {u"平成", QDate(1989, 1, 8)},
    {u"昭和", QDate(1926, 12, 25)},
    {u"大正", QDate(1912, 7, 30)},
    {u"明治", QDate(1868, 1, 1)},
}};

const QDate kGregorianFrom(1873, 1, 1);

} // namespace

QString EraYear::text() const {
    return year == 1 ? era + QStringLiteral("元年") : era + QString::number(year) + u'年';
}

std::optional<EraYear> japaneseEraOf(QDate date) {
    if (!date.isValid() || date < kGregorianFrom)
        return std::nullopt;
    for (const Era& era : kEras) {
        if (date >= era.first)
            return EraYear{era.name.toString(), date.year() - era.first.year() + 1};
    }
    return std::nullopt;
}

QString japaneseEraMonth(int year, int month) {
    const QDate first(year, month, 1);
    const std::optional<EraYear> atFirst = japaneseEraOf(first);
    if (!atFirst)
        return {};
    QString text = atFirst->text();
    const std::optional<EraYear> atLast = japaneseEraOf(first.addDays(first.daysInMonth() - 1));
    if (atLast && atLast->era != atFirst->era)
        text += u'/' + atLast->text();
    return text + QString::number(month) + u'月';
}

} // namespace orbeta
