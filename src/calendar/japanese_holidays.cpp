#include "calendar/japanese_holidays.h"

#include <cmath>

namespace orbeta {

namespace {

constexpr int kFirstYear = 1949;
constexpr int kLastYear = 2099;
// Amendments that changed how holidays on Sundays and days between holidays are treated.
const QDate kSubstitutesFrom(1973, 4, 12);
const QDate kDaysBetweenFrom(1985, 12, 27);
constexpr int kAmendedIn2007 = 2007;

int nthMonday(int year, int month, int n) {
    const int firstWeekday = QDate(year, month, 1).dayOfWeek();
    return 1 + (Qt::Monday + 7 - firstWeekday) % 7 + 7 * (n - 1);
}

// Days of the holidays that moved over the years; 0 where the holiday was not kept that year.
int comingOfAgeDay(int year) {
    return year <= 1999 ? 15 : nthMonday(year, 1, 2);
}
int marineDay(int year) {
    if (year < 1996)
        return 0;
    if (year == 2020)
        return 23; // moved for the Tokyo games
    if (year == 2021)
        return 22;
    return year <= 2002 ? 20 : nthMonday(year, 7, 3);
}
int mountainDay(int year) {
    if (year < 2016)
        return 0;
    if (year == 2020)
        return 10;
    if (year == 2021)
        return 8;
    return 11;
}
int respectForTheAgedDay(int year) {
    if (year < 1966)
        return 0;
    return year <= 2002 ? 15 : nthMonday(year, 9, 3);
}
int sportsDayInOctober(int year) {
    if (year < 1966 || year == 2020 || year == 2021)
        return 0;
    return year <= 1999 ? 10 : nthMonday(year, 10, 2);
}
int sportsDayInJuly(int year) {
    return year == 2020 ? 24 : year == 2021 ? 23 : 0;
}

// A holiday the law names, or a day one of its own acts made a holiday: its month, and its day
// in a given year (0 where the holiday was not kept that year). Where the law renamed a day, each
// name has a rule of its own.
struct NamedHoliday {
    int month;
    const char16_t* name;
    int (*dayIn)(int year);
};

constexpr NamedHoliday kNamedHolidays[] = {
    {1, u"元日",
     [](int) {
         return 1;
     }},
    {1, u"成人の日", comingOfAgeDay},
    {2, u"建国記念の日",
     [](int year) {
         return year >= 1967 ? 11 : 0;
     }},
    {2, u"天皇誕生日",
     [](int year) {
         return year >= 2020 ? 23 : 0;
     }},
    {2, u"昭和天皇の大喪の礼",
     [](int year) {
         return year == 1989 ? 24 : 0;
     }},
    {3, u"春分の日", springEquinoxDay},
    {4, u"天皇誕生日",
     [](int year) {
         return year <= 1988 ? 29 : 0;
     }},
    {4, u"みどりの日",
     [](int year) {
         return year >= 1989 && year < kAmendedIn2007 ? 29 : 0;
     }},
    {4, u"昭和の日",
     [](int year) {
         return year >= kAmendedIn2007 ? 29 : 0;
     }},
    {4, u"皇太子明仁親王の結婚の儀",
     [](int year) {
         return year == 1959 ? 10 : 0;
     }},
    {5, u"天皇の即位の日",
     [](int year) {
         return year == 2019 ? 1 : 0;
     }},
    {5, u"憲法記念日",
     [](int) {
         return 3;
     }},
    {5, u"みどりの日",
     [](int year) {
         return year >= kAmendedIn2007 ? 4 : 0;
     }},
    {5, u"こどもの日",
     [](int) {
         return 5;
     }},
    {6, u"皇太子徳仁親王の結婚の儀",
     [](int year) {
         return year == 1993 ? 9 : 0;
     }},
    {7, u"海の日", marineDay},
    {7, u"スポーツの日", sportsDayInJuly},
    {8, u"山の日", mountainDay},
    {9, u"敬老の日", respectForTheAgedDay},
    {9, u"秋分の日", autumnEquinoxDay},
    {10, u"体育の日",
     [](int year) {
         return year <= 2019 ? sportsDayInOctober(year) : 0;
     }},
    {10, u"スポーツの日",
     [](int year) {
         return year >= 2020 ? sportsDayInOctober(year) : 0;
     }},
    {10, u"即位礼正殿の儀",
     [](int year) {
         return year == 2019 ? 22 : 0;
     }},
    {11, u"文化の日",
     [](int) {
         return 3;
     }},
    {11, u"即位礼正殿の儀",
     [](int year) {
         return year == 1990 ? 12 : 0;
     }},
    {11, u"勤労感謝の日",
     [](int) {
         return 23;
     }},
    {12, u"天皇誕生日",
     [](int year) {
         return year >= 1989 && year <= 2018 ? 23 : 0;
     }},
};

// The holidays the law names, and the days its own acts made holidays; not substitute days and
// not days between holidays.
QStringView namedHoliday(QDate date) {
    for (const NamedHoliday& holiday : kNamedHolidays) {
        if (holiday.month == date.month() && holiday.dayIn(date.year()) == date.day())
            return holiday.name;
    }
    return {};
}

bool isNamedHoliday(QDate date) {
    return !namedHoliday(date).isEmpty();
}

// A holiday on a Sunday gives the next day off; from 2007 the first day after it that is not
// itself a holiday.
bool isSubstituteHoliday(QDate date) {
    for (QDate before = date.addDays(-1); isNamedHoliday(before); before = before.addDays(-1)) {
        if (before.dayOfWeek() == Qt::Sunday) {
            const bool nextDay = before.daysTo(date) == 1;
            return before >= kSubstitutesFrom && (nextDay || before.year() >= kAmendedIn2007);
        }
    }
    return false;
}

// A day between two holidays is a day off too; before 2007 not when it is a Sunday.
bool isDayBetweenHolidays(QDate date) {
    if (date < kDaysBetweenFrom)
        return false;
    if (date.year() < kAmendedIn2007 && date.dayOfWeek() == Qt::Sunday)
        return false;
    return isNamedHoliday(date.addDays(-1)) && isNamedHoliday(date.addDays(1));
}

// base + 0.242194 (year - 1980) - leap days since the reference year, the leap days counted with
// truncating division as the published formula has it (not floored: it matters before 1983).
int equinoxDay(int year, double base1900, double base1980, double base2100) {
    if (year < 1900 || year > 2150)
        return 0;
    const double base = year < 1980 ? base1900 : year < 2100 ? base1980 : base2100;
    const int leapReference = year < 1980 ? 1983 : 1980;
    const int leapDays = (year - leapReference) / 4;
    return static_cast<int>(std::floor(base + 0.242194 * (year - 1980) - leapDays));
}

} // namespace

int springEquinoxDay(int year) {
    return equinoxDay(year, 20.8357, 20.8431, 21.8510);
}

int autumnEquinoxDay(int year) {
    return equinoxDay(year, 23.2588, 23.2488, 24.2488);
}

QString japaneseHoliday(QDate date) {
    if (!date.isValid() || date.year() < kFirstYear || date.year() > kLastYear)
        return {};
    if (const QStringView name = namedHoliday(date); !name.isEmpty())
        return name.toString();
    if (isSubstituteHoliday(date))
        return QStringLiteral("振替休日");
    if (isDayBetweenHolidays(date))
        return QStringLiteral("国民の休日");
    return {};
}

} // namespace orbeta
