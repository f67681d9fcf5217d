#include "calendar/rokuyo.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>

#include <array>
#include <memory>
#include <mutex>

namespace orbeta {

namespace {

constexpr std::array<const char16_t*, 6> kNames{u"大安", u"赤口", u"先勝",
                                                u"友引", u"先負", u"仏滅"};

constexpr int kJapanOffsetMs = 9 * 60 * 60 * 1000;
constexpr double kMsPerDay = 24.0 * 60 * 60 * 1000;
constexpr qint64 kJulianDayOfUnixEpoch = 2440588;

// ICU's Korean calendar is the lunisolar calendar reckoned at UTC+9, Japan's offset too; the
// Chinese one is reckoned at UTC+8 and would start some months a day early. One calendar, made
// once and never freed, so that nothing of ICU's is torn down while the program ends.
struct Lunisolar {
    std::mutex mutex;
    std::unique_ptr<icu::Calendar> calendar;
};

Lunisolar& lunisolar() {
    static Lunisolar& shared = []() -> Lunisolar& {
        auto* made = new Lunisolar;
        UErrorCode status = U_ZERO_ERROR;
        made->calendar.reset(icu::Calendar::createInstance(
            new icu::SimpleTimeZone(kJapanOffsetMs, icu::UnicodeString(u"JST")),
            icu::Locale("ja_JP@calendar=dangi"), status));
        if (U_FAILURE(status) || !made->calendar ||
            made->calendar->getType() != std::string_view("dangi"))
            made->calendar.reset();
        return *made;
    }();
    return shared;
}

} // namespace

QString rokuyo(QDate date) {
    if (!date.isValid())
        return {};
    Lunisolar& lunar = lunisolar();
    const std::lock_guard lock(lunar.mutex);
    if (!lunar.calendar)
        return {};
    // Noon in Japan on that day.
    const double noon =
        static_cast<double>(date.toJulianDay() - kJulianDayOfUnixEpoch) * kMsPerDay +
        3.0 * 60 * 60 * 1000;
    UErrorCode status = U_ZERO_ERROR;
    lunar.calendar->setTime(noon, status);
    const int month = lunar.calendar->get(UCAL_MONTH, status) + 1; // a leap month: its own number
    const int day = lunar.calendar->get(UCAL_DATE, status);
    if (U_FAILURE(status))
        return {};
    return QString::fromUtf16(kNames.at(static_cast<std::size_t>((month + day) % 6)));
}

} // namespace orbeta
