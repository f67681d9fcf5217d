#include "store/sync_copies.h"

#include "store/file_names.h"
#include "store/memo_names.h"

#include <QRegularExpression>

#include <array>

namespace orbeta {

namespace {

struct Pattern {
    const char* tool;
    QRegularExpression name; // the memo's name first, then the date and the time where given
    const char* dateFormat;
    const char* timeFormat;
};

// Each pattern is anchored to the whole name; the memo's name is six to eight digits.
const std::array<Pattern, 6>& patterns() {
    // Never destroyed: the folder is listed on a thread that may outlive the static objects.
    static const auto& all = *new std::array<Pattern, 6>{{
        {"Syncthing",
         QRegularExpression(
             QStringLiteral("^(\\d{6,8})\\.sync-conflict-(\\d{8})-(\\d{6})-[A-Z0-9]{7}\\.rtf$")),
         "yyyyMMdd", "HHmmss"},
        {"Nextcloud",
         QRegularExpression(QStringLiteral("^(\\d{6,8}) \\(conflicted copy (?:[^()]+ "
                                           ")?(\\d{4}-\\d{2}-\\d{2}) (\\d{6})\\)\\.rtf$")),
         "yyyy-MM-dd", "HHmmss"},
        {"Nextcloud",
         QRegularExpression(QStringLiteral("^(\\d{6,8})_conflict-(\\d{8})-(\\d{6})\\.rtf$")),
         "yyyyMMdd", "HHmmss"},
        {"Dropbox",
         QRegularExpression(QStringLiteral(
             "^(\\d{6,8}) \\([^()]+'s conflicted copy (\\d{4}-\\d{2}-\\d{2})\\)\\.rtf$")),
         "yyyy-MM-dd", nullptr},
        {"Dropbox",
         QRegularExpression(
             QStringLiteral("^(\\d{6,8}) \\([^()]+ の競合コピー (\\d{4}-\\d{2}-\\d{2})\\)\\.rtf$")),
         "yyyy-MM-dd", nullptr},
        {"Resilio Sync", QRegularExpression(QStringLiteral("^(\\d{6,8})\\.Conflict\\d*\\.rtf$")),
         nullptr, nullptr},
    }};
    return all;
}

} // namespace

std::optional<SyncCopy> syncCopyOf(const QString& fileName) {
    if (!fileName.endsWith(QLatin1String(".rtf")))
        return std::nullopt;
    const QString matchable = matchableName(fileName);
    for (const Pattern& pattern : patterns()) {
        const QRegularExpressionMatch match = pattern.name.match(matchable);
        if (!match.hasMatch())
            continue;
        SyncCopy copy;
        copy.name = fileName;
        copy.memoName = match.captured(1) + QStringLiteral(".rtf");
        copy.days = daysReadFrom(copy.memoName);
        if (copy.days.isEmpty())
            return std::nullopt; // the digits are no memo's name
        copy.tool = QString::fromLatin1(pattern.tool);
        if (pattern.dateFormat) {
            const QDate date =
                QDate::fromString(match.captured(2), QString::fromLatin1(pattern.dateFormat));
            const QTime time =
                pattern.timeFormat
                    ? QTime::fromString(match.captured(3), QString::fromLatin1(pattern.timeFormat))
                    : QTime(0, 0);
            if (date.isValid() && time.isValid())
                copy.madeAt = QDateTime(date, time);
        }
        return copy;
    }
    return std::nullopt;
}

} // namespace orbeta
