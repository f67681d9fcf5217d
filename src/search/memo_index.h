#pragma once

#include "search/text_folding.h"
#include "store/memo_store.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace orbeta::search {

// What the search finds among the memos: a view of the texts the memo store reads, folded, of
// every memo file and conflict copy of the folder. Asking for it the first time starts the
// reading; what has been read can be searched meanwhile, and more is found as reading goes on.
class MemoIndex : public QObject {
    Q_OBJECT
public:
    using Entry = MemoStore::DayMemo;

    explicit MemoIndex(MemoStore& store, QObject* parent = nullptr);

    // Looks at the folder again where its changes are not seen as they happen.
    void refresh() { store_.lookAgain(); }

    enum class State { Waiting, Read, Unreadable, TooLarge };
    // What is known of an entry's file.
    State stateOf(const Entry& entry) const;
    // Its folded text, once read.
    const FoldedText* textOf(const Entry& entry) const;

    // The entries whose text holds every (folded) term, newest day first; with no terms, every
    // entry. `sameDay`, when valid, keeps only that month and day, any year.
    QList<Entry> search(const QStringList& terms, QDate sameDay = {}) const;
    // The same among `entries` only, in their order.
    QList<Entry> searchAmong(const QList<Entry>& entries, const QStringList& terms) const;
    // The memo of a day (not a copy), or nothing when the day has none.
    std::optional<Entry> memoOf(QDate day) const;

    // Grows whenever what a search finds may have changed.
    quint64 generation() const { return store_.generation(); }
    // What the index holds in memory, in bytes, and how much of it is the memos' text as read
    // (two bytes a character).
    qsizetype memoryBytes() const;
    qsizetype textBytes() const;

    int fileCount() const { return store_.fileCount(); }
    int filesRead() const { return store_.filesRead(); }
    bool reading() const { return store_.reading(); }

Q_SIGNALS:
    // What a search finds, or how far reading has come, may have changed.
    void changed();

private:
    // The entries with their texts as read, in a form a search runs through without looking
    // anything up; made again when the store's generation has moved on.
    struct Item {
        Entry entry;
        std::shared_ptr<const FoldedText> text; // once read; kept while the item is
        QStringView folded;                     // of `text`, where a search looks
    };
    const std::vector<Item>& items() const;
    static QList<Entry> matching(const std::vector<const Item*>& items, const QStringList& terms);

    MemoStore& store_;
    mutable std::vector<Item> items_; // as the store's days: newest day first
    mutable quint64 itemsGeneration_ = ~quint64{0};
};

} // namespace orbeta::search
