#pragma once

#include "memo/memo_files.h"
#include "memo/whole_file.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace orbeta {

// What the calendar shows of a day's memo: whether it says anything, and its first lines.
struct MemoSummary {
    bool hasText = false;
    QString firstLines; // up to about kPreviewCharacters, "…" where cut

    static constexpr int kPreviewCharacters = 80;
    static constexpr int kPreviewLines = 4;
};

// The first lines of a memo's text, as MemoSummary holds them.
QString firstLinesOf(const QString& text);

// Summaries of the memos of one month at a time. A file is read once and read again only when
// it has changed; a file that cannot be read counts as saying something.
class MemoSummaries {
public:
    explicit MemoSummaries(const MemoFiles& files) : files_(files) {}

    // Day of the month → summary, for the days that have a memo file.
    QHash<int, MemoSummary> month(int year, int month);

    // The memo files of the month last asked for.
    const QStringList& monthFiles() const { return monthFiles_; }

private:
    struct Entry {
        FileStamp stamp;
        MemoSummary summary;
        bool settled = false; // written long enough before it was read for the stamp to tell
    };
    static constexpr int kMaxKept = 400; // a year of memos, twice over

    MemoSummary summaryOf(const QString& path, const FileStamp& stamp);

    const MemoFiles& files_;
    QHash<QString, Entry> kept_;
    QStringList monthFiles_;
};

} // namespace orbeta
