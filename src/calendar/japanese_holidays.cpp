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

// The holidays the law names, and the days its own acts made holidays; not substitute days and
// not days between holidays.
QStringView namedHoliday(QDate date) {
    const int year = date.year();
    const int day = date.day();
    switch (date.month()) {
    case 1:
        if (day == 1)
            return u"元日";
        if (day == comingOfAgeDay(year))
            return u"成人の日";
        break;
    case 2:
        if (day == 11 && year >= 1967)
            return u"建国記念の日";
        if (day == 23 && year >= 2020)
            return u"天皇誕生日";
        if (day == 24 && year == 1989)
            return u"昭和天皇の大喪の礼";
        break;
    case 3:
        if (day == springEquinoxDay(year))
            return u"春分の日";
        break;
    case 4:
        if (day == 29)
            return year <= 1988 ? u"天皇誕生日" : year <= 2006 ? u"みどりの日" : u"昭和の日";
        if (day == 10 && year == 1959)
            return u"皇太子明仁親王の結婚の儀";
        break;
    case 5:
        if (day == 1 && year == 2019)
            return u"天皇の即位の日";
        if (day == 3)
            return u"憲法記念日";
        if (day == 4 && year >= kAmendedIn2007)
            return u"みどりの日";
        if (day == 5)
            return u"こどもの日";
        break;
    case 6:
        if (day == 9 && year == 1993)
            return u"皇太子徳仁親王の結婚の儀";
        break;
    case 7:
        if (day == marineDay(year))
            return u"海の日";
        if (day == sportsDayInJuly(year))
            return u"スポーツの日";
        break;
    case 8:
        if (day == mountainDay(year))
            return u"山の日";
        break;
    case 9:
        if (day == respectForTheAgedDay(year))
            return u"敬老の日";
        if (day == autumnEquinoxDay(year))
            return u"秋分の日";
        break;
    case 10:
        if (day == sportsDayInOctober(year))
            return year <= 2019 ? u"体育の日" : u"スポーツの日";
        if (day == 22 && year == 2019)
            return u"即位礼正殿の儀";
        break;
    case 11:
        if (day == 3)
            return u"文化の日";
        if (day == 12 && year == 1990)
            return u"即位礼正殿の儀";
        if (day == 23)
            return u"勤労感謝の日";
        break;
    case 12:
        if (day == 23 && year >= 1989 && year <= 2018)
            return u"天皇誕生日";
        break;
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
