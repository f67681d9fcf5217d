#include "search/memo_index.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace orbeta::search {

namespace {

// Below this many entries a search runs on this thread alone.
constexpr qsizetype kEntriesForHelper = 2048;

} // namespace

MemoIndex::MemoIndex(MemoStore& store, QObject* parent) : QObject(parent), store_(store) {
    connect(&store_, &MemoStore::daysChanged, this, &MemoIndex::changed);
    store_.startIndexing();
}

MemoIndex::State MemoIndex::stateOf(const Entry& entry) const {
    const MemoText* text = store_.textOf(entry.name);
    if (!text)
        return State::Waiting;
    switch (text->state) {
    case MemoText::State::Read:
        return text->folded ? State::Read : State::Waiting;
    case MemoText::State::TooLarge:
        return State::TooLarge;
    case MemoText::State::Unreadable:
        return State::Unreadable;
    case MemoText::State::Waiting:
        break;
    }
    return State::Waiting;
}

const FoldedText* MemoIndex::textOf(const Entry& entry) const {
    const MemoText* text = store_.textOf(entry.name);
    return text && text->state == MemoText::State::Read ? text->folded.get() : nullptr;
}

bool MemoIndex::holdsAll(const Entry& entry, const QStringList& terms) const {
    const FoldedText* text = textOf(entry);
    return text && matchFolded(text->folded(), terms).matches;
}

QList<MemoIndex::Entry> MemoIndex::search(const QStringList& terms, QDate sameDay) const {
    QList<Entry> candidates;
    for (const Entry& entry : store_.days()) {
        if (sameDay.isValid() &&
            (entry.day.month() != sameDay.month() || entry.day.day() != sameDay.day()))
            continue;
        candidates.append(entry);
    }
    return terms.isEmpty() ? candidates : searchAmong(candidates, terms);
}

// The texts are shared out between this thread and a helper; each keeps its matches in place.
QList<MemoIndex::Entry> MemoIndex::searchAmong(const QList<Entry>& entries,
                                               const QStringList& terms) const {
    if (terms.isEmpty())
        return entries;
    std::vector<char> holds(static_cast<std::size_t>(entries.size()), 0);
    const auto searchPart = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            holds[static_cast<std::size_t>(i)] = holdsAll(entries.at(i), terms);
    };
    if (entries.size() < kEntriesForHelper || std::thread::hardware_concurrency() < 2) {
        searchPart(0, entries.size());
    } else {
        const qsizetype half = entries.size() / 2;
        std::thread helper(searchPart, half, entries.size());
        searchPart(0, half);
        helper.join();
    }
    QList<Entry> found;
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (holds[static_cast<std::size_t>(i)])
            found.append(entries.at(i));
    return found;
}

std::optional<MemoIndex::Entry> MemoIndex::memoOf(QDate day) const {
    const QList<Entry>& days = store_.days();
    const auto found =
        std::lower_bound(days.cbegin(), days.cend(), day,
                         [](const Entry& entry, QDate wanted) { return entry.day > wanted; });
    if (found == days.cend() || found->day != day || found->copy)
        return std::nullopt;
    return *found;
}

qsizetype MemoIndex::memoryBytes() const {
    qsizetype bytes = qsizetype{sizeof(*this)};
    QSet<QString> counted; // a file two days share is one text
    for (const Entry& entry : store_.days()) {
        bytes += qsizetype{sizeof(Entry)} + entry.name.capacity() * 2;
        if (const FoldedText* text = textOf(entry); text && !counted.contains(entry.name)) {
            bytes += text->memoryBytes();
            counted.insert(entry.name);
        }
    }
    return bytes;
}

qsizetype MemoIndex::textBytes() const {
    qsizetype bytes = 0;
    QSet<QString> counted;
    for (const Entry& entry : store_.days())
        if (const FoldedText* text = textOf(entry); text && !counted.contains(entry.name)) {
            bytes += text->original().size() * 2;
            counted.insert(entry.name);
        }
    return bytes;
}

} // namespace orbeta::search
