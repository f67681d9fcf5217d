#include "memo/memo_summaries.h"

#include <QDate>
#include <QDateTime>

namespace orbeta {

QString firstLinesOf(const QString& text) {
    QString lines;
    int count = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (++count > MemoSummary::kPreviewLines)
            return lines + u'…';
        if (!lines.isEmpty())
            lines += u'\n';
        const qsizetype room =
            std::max<qsizetype>(0, MemoSummary::kPreviewCharacters - lines.size());
        if (line.size() > room)
            return (lines += line.first(room)).trimmed() + u'…';
        lines += line;
    }
    return lines;
}

QHash<int, MemoSummary> MemoSummaries::month(int year, int month) {
    QHash<int, MemoSummary> days;
    monthFiles_.clear();
    const QDate first(year, month, 1);
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        const QString path = files_.fileOf(QDate(year, month, day));
        if (path.isEmpty())
            continue;
        monthFiles_.append(path);
        const std::optional<FileStamp> stamp = stampOf(path);
        days.insert(day, stamp ? summaryOf(path, *stamp) : MemoSummary{true, {}});
    }
    return days;
}

MemoSummary MemoSummaries::summaryOf(const QString& path, const FileStamp& stamp) {
    const auto kept = kept_.constFind(path);
    if (kept != kept_.cend() && kept->stamp == stamp && kept->settled)
        return kept->summary;
    const FileRead read = readWholeFile(path, MemoFiles::kMaxReadBytes);
    MemoSummary summary{true, {}};
    if (read.error == 0 && !read.tooLarge) {
        const QString text = memoFileText(read.bytes);
        summary.firstLines = firstLinesOf(text);
        summary.hasText = !summary.firstLines.isEmpty();
    }
    if (kept_.size() >= kMaxKept)
        kept_.clear();
    kept_.insert(
        path, {read.stamp, summary, settledStamp(read.stamp, QDateTime::currentMSecsSinceEpoch())});
    return summary;
}

} // namespace orbeta
