#pragma once

#include "memo/whole_file.h"
#include "search/search_folding.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

namespace orbeta::search {

// A day and the file its memo is read from.
struct DayFile {
    QDate day;
    QString name;
};

// What reading one memo file gave.
struct ReadFile {
    enum class State { Read, Unreadable, TooLarge };
    QString name;
    State state = State::Read;
    FoldedText text; // as the memo window shows it
    FileStamp stamp;
};

// Reads the memo file at `path` for searching: RTF or not, damaged or not, its text.
ReadFile readMemoFile(const QString& path);
// The same for many files, on every processor; in the order given.
QList<ReadFile> readMemoFiles(const QStringList& paths);

// The days of the memo files named, newest first: the days the calendar would open each file
// for. A file under a name two days share belongs to both, unless one has its own file.
QList<DayFile> memoDaysOf(const QStringList& fileNames);

// Looks through a memo folder from a thread of its own: which days have memos, and the text of
// every file that is new or has changed since the last look.
class MemoScanner : public QObject {
    Q_OBJECT
public:
    explicit MemoScanner(QString folder) : folder_(std::move(folder)) {}

    // Lists the folder, then reads the files that are new or changed, newest day first, and
    // reports them in batches. Stops early when the thread is asked to.
    void scan(quint64 scanId);

Q_SIGNALS:
    void listed(quint64 scanId, const QList<orbeta::search::DayFile>& days);
    void read(quint64 scanId, const QList<orbeta::search::ReadFile>& files);
    void finished(quint64 scanId);

private:
    struct Known {
        FileStamp stamp;
        bool settled = false;
    };
    static constexpr int kBatchFiles = 128; // reported together

    QString folder_;
    QHash<QString, Known> known_;
};

} // namespace orbeta::search
