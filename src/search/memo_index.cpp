#include "search/memo_index.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace orbeta::search {

namespace {

// Below this many entries a search runs on this thread alone.
constexpr std::size_t kEntriesForHelper = 2048;

// The store keeps what this index made of each text.
std::shared_ptr<const FoldedText> foldedOf(const MemoText& text) {
    return std::static_pointer_cast<const FoldedText>(text.searchable);
}

} // namespace

MemoIndex::MemoIndex(MemoStore& store, QObject* parent) : QObject(parent), store_(store) {
    connect(&store_, &MemoStore::daysChanged, this, &MemoIndex::changed);
    store_.startIndexing([](QStringView text) { return std::make_shared<const FoldedText>(text); });
}

MemoIndex::State MemoIndex::stateOf(const Entry& entry) const {
    const MemoText* text = store_.textOf(entry.name);
    if (!text)
        return State::Waiting;
    switch (text->state) {
    case MemoText::State::Read:
        return text->searchable ? State::Read : State::Waiting;
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
    return text && text->state == MemoText::State::Read ? foldedOf(*text).get() : nullptr;
}

const std::vector<MemoIndex::Item>& MemoIndex::items() const {
    if (itemsGeneration_ != store_.generation()) {
        items_.clear();
        const QList<Entry>& days = store_.days();
        items_.reserve(static_cast<std::size_t>(days.size()));
        for (const Entry& entry : days) {
            const MemoText* text = store_.textOf(entry.name);
            Item item{entry,
                      text && text->state == MemoText::State::Read ? foldedOf(*text) : nullptr,
                      {}};
            if (item.text)
                item.folded = item.text->folded();
            items_.push_back(std::move(item));
        }
        itemsGeneration_ = store_.generation();
    }
    return items_;
}

QList<MemoIndex::Entry> MemoIndex::search(const QStringList& terms, QDate sameDay) const {
    if (terms.isEmpty() && !sameDay.isValid())
        return store_.days();
    std::vector<const Item*> candidates;
    const std::vector<Item>& all = items();
    candidates.reserve(all.size());
    for (const Item& item : all) {
        if (!sameDay.isValid() ||
            (item.entry.day.month() == sameDay.month() && item.entry.day.day() == sameDay.day()))
            candidates.push_back(&item);
    }
    return matching(candidates, terms);
}

QList<MemoIndex::Entry> MemoIndex::searchAmong(const QList<Entry>& entries,
                                               const QStringList& terms) const {
    const std::vector<Item>& all = items();
    std::vector<const Item*> candidates;
    candidates.reserve(static_cast<std::size_t>(entries.size()));
    for (const Entry& entry : entries) {
        auto at =
            std::lower_bound(all.cbegin(), all.cend(), entry.day,
                             [](const Item& item, QDate day) { return item.entry.day > day; });
        for (; at != all.cend() && at->entry.day == entry.day; ++at) {
            if (at->entry == entry) {
                candidates.push_back(&*at);
                break;
            }
        }
    }
    return matching(candidates, terms);
}

// The texts are shared out between this thread and a helper; each keeps its matches in place.
QList<MemoIndex::Entry> MemoIndex::matching(const std::vector<const Item*>& items,
                                            const QStringList& terms) {
    std::vector<char> holds(items.size(), 0);
    const auto searchPart = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            holds[i] =
                terms.isEmpty() || (items[i]->text && matchFolded(items[i]->folded, terms).matches);
    };
    if (terms.isEmpty() || items.size() < kEntriesForHelper ||
        std::thread::hardware_concurrency() < 2) {
        searchPart(0, items.size());
    } else {
        const std::size_t half = items.size() / 2;
        std::thread helper(searchPart, half, items.size());
        searchPart(0, half);
        helper.join();
    }
    QList<Entry> found;
    found.reserve(static_cast<qsizetype>(std::count(holds.cbegin(), holds.cend(), 1)));
    for (std::size_t i = 0; i < items.size(); ++i)
        if (holds[i])
            found.append(items[i]->entry);
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
