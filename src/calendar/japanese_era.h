#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace orbeta {

// A year in the Japanese era count (和暦): 令和8年 is era "令和", year 8.
struct EraYear {
    QString era;
    int year = 0;

    // "令和8年"; the first year of an era is 元年 ("令和元年").
    QString text() const;
};

// The era and year of a day from 1 January 1873, when Japan took up the Gregorian calendar;
// nothing for earlier days.
std::optional<EraYear> japaneseEraOf(QDate date);

// A month in the era count: "令和8年12月"; a month in which a new era began on a later day than
// the first shows both, "昭和64年/平成元年1月". Empty for months before 1873.
QString japaneseEraMonth(int year, int month);

} // namespace orbeta
