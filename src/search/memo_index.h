#pragma once

#include "search/memo_scanner.h"
#include "search/search_folding.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <optional>
#include <vector>

namespace orbeta::search {

// The text of every memo of a folder, kept for searching. The folder is read from a thread of
// its own; what has been read can be searched meanwhile, and more is found as reading goes on.
class MemoIndex : public QObject {
    Q_OBJECT
public:
    explicit MemoIndex(QString folder, QObject* parent = nullptr);
    ~MemoIndex() override;

    // Looks at the folder again, off this thread: new, changed and removed files. A look asked
    // for while one runs follows it.
    void refresh();
    // Reads the day's memo file at once, as after the program has saved it.
    void refreshDay(QDate day);

    enum class State { Waiting, Read, Unreadable, TooLarge };
    struct Memo {
        QString name;
        State state = State::Waiting;
        FoldedText text;
    };
    // The memo of a day, or nothing when the day has none.
    const Memo* memoOf(QDate day) const;

    // The days with memos whose text holds every (folded) term, newest first; with no terms,
    // every day with a memo. `sameDay`, when valid, keeps only that month and day, any year.
    QList<QDate> search(const QStringList& terms, QDate sameDay = {}) const;
    // The same among `days` only, in their order.
    QList<QDate> searchAmong(const QList<QDate>& days, const QStringList& terms) const;

    // Grows whenever what a search finds may have changed.
    quint64 generation() const { return generation_; }
    // What the index holds in memory, in bytes, and how much of it is the memos' text as read
    // (two bytes a character).
    qsizetype memoryBytes() const;
    qsizetype textBytes() const;

    int fileCount() const { return static_cast<int>(memos_.size()); }
    int filesRead() const { return filesRead_; }
    bool reading() const { return scanning_; }

Q_SIGNALS:
    // What a search finds, or how far reading has come, may have changed.
    void changed();

private:
    void startScan();
    void takeListing(quint64 scanId, const QList<DayFile>& days);
    void takeFiles(quint64 scanId, const QList<ReadFile>& files);
    void scanFinished(quint64 scanId);
    void take(Memo& memo, const ReadFile& file);
    int memoNamed(const QString& name);

    struct Day {
        QDate date;
        int memo;
    };
    QString folder_;
    QThread thread_;
    MemoScanner* scanner_;
    std::vector<Memo> memos_;
    QHash<QString, int> memoByName_;
    std::vector<Day> days_; // newest first
    int filesRead_ = 0;
    quint64 lastScan_ = 0;
    bool scanning_ = false;
    bool scanAgain_ = false;
    // What this thread read itself, and the last scan that began before: what that scan and
    // those before it report of these files and days is older.
    QHash<QString, quint64> filesReadHere_;
    struct DayReadHere {
        QString name; // empty: the day has no memo
        quint64 scan = 0;
    };
    QHash<QDate, DayReadHere> daysReadHere_;
    quint64 generation_ = 0;
};

} // namespace orbeta::search
