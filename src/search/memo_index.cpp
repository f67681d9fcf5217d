#include "search/memo_index.h"

#include "memo/memo_file_name.h"
#include "memo/memo_files.h"
#include "search/search_folding.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace orbeta::search {

namespace {

bool holdsAll(const MemoIndex::Memo& memo, const QStringList& terms) {
    return memo.state == MemoIndex::State::Read && matchFolded(memo.text.folded(), terms).matches;
}

constexpr auto newestFirst = [](const auto& a, const auto& b) {
    return a.date > b.date;
};

} // namespace

MemoIndex::MemoIndex(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), scanner_(new MemoScanner(folder_)) {
    scanner_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, scanner_, &QObject::deleteLater);
    connect(scanner_, &MemoScanner::listed, this, &MemoIndex::takeListing);
    connect(scanner_, &MemoScanner::read, this, &MemoIndex::takeFiles);
    connect(scanner_, &MemoScanner::finished, this, &MemoIndex::scanFinished);
    thread_.setObjectName(QStringLiteral("memo index"));
    thread_.start(QThread::LowPriority);
    startScan();
}

MemoIndex::~MemoIndex() {
    thread_.requestInterruption();
    thread_.quit();
    thread_.wait();
}

void MemoIndex::refresh() {
    if (scanning_)
        scanAgain_ = true;
    else
        startScan();
}

void MemoIndex::startScan() {
    scanning_ = true;
    const quint64 scanId = ++lastScan_;
    QMetaObject::invokeMethod(
        scanner_, [scanner = scanner_, scanId] { scanner->scan(scanId); }, Qt::QueuedConnection);
}

void MemoIndex::scanFinished(quint64 scanId) {
    filesReadHere_.removeIf([&](const auto& file) { return file.value() < scanId; });
    daysReadHere_.removeIf([&](const auto& day) { return day.value().scan < scanId; });
    scanning_ = false;
    if (scanAgain_) {
        scanAgain_ = false;
        startScan();
    }
    Q_EMIT changed(); // reading has ended
}

void MemoIndex::takeListing(quint64 scanId, const QList<DayFile>& listed) {
    QList<DayFile> wanted;
    for (const DayFile& day : listed) {
        if (daysReadHere_.value(day.day).scan < scanId)
            wanted.append(day);
    }
    for (auto day = daysReadHere_.cbegin(); day != daysReadHere_.cend(); ++day) {
        if (day->scan >= scanId && !day->name.isEmpty())
            wanted.append({day.key(), day->name});
    }
    std::sort(wanted.begin(), wanted.end(),
              [](const DayFile& a, const DayFile& b) { return a.day > b.day; });
    const bool same = std::equal(wanted.cbegin(), wanted.cend(), days_.cbegin(), days_.cend(),
                                 [this](const DayFile& a, const Day& b) {
                                     return a.day == b.date &&
                                            a.name == memos_[static_cast<std::size_t>(b.memo)].name;
                                 });
    if (same)
        return;

    std::vector<Memo> memos;
    QHash<QString, int> memoByName;
    std::vector<Day> days;
    const auto memoFor = [&](const QString& name) {
        if (const auto known = memoByName.constFind(name); known != memoByName.cend())
            return *known;
        const int before = memoByName_.value(name, -1);
        memos.push_back(before >= 0 ? std::move(memos_[static_cast<std::size_t>(before)])
                                    : Memo{name, State::Waiting, {}});
        const int index = static_cast<int>(memos.size()) - 1;
        memoByName.insert(name, index);
        return index;
    };
    for (const DayFile& day : wanted)
        days.push_back({day.day, memoFor(day.name)});
    memos_ = std::move(memos);
    memoByName_ = std::move(memoByName);
    days_ = std::move(days);
    filesRead_ = static_cast<int>(std::count_if(
        memos_.cbegin(), memos_.cend(), [](const Memo& m) { return m.state != State::Waiting; }));
    ++generation_;
    Q_EMIT changed();
}

void MemoIndex::takeFiles(quint64 scanId, const QList<ReadFile>& files) {
    for (const ReadFile& file : files) {
        const int index = memoByName_.value(file.name, -1);
        if (index >= 0 && filesReadHere_.value(file.name) < scanId)
            take(memos_[static_cast<std::size_t>(index)], file);
    }
    if (!files.isEmpty()) {
        ++generation_;
        Q_EMIT changed();
    }
}

void MemoIndex::take(Memo& memo, const ReadFile& file) {
    if (memo.state == State::Waiting)
        ++filesRead_;
    switch (file.state) {
    case ReadFile::State::Read:
        memo.state = State::Read;
        break;
    case ReadFile::State::Unreadable:
        memo.state = State::Unreadable;
        break;
    case ReadFile::State::TooLarge:
        memo.state = State::TooLarge;
        break;
    }
    memo.text = file.text;
}

int MemoIndex::memoNamed(const QString& name) {
    if (const auto known = memoByName_.constFind(name); known != memoByName_.cend())
        return *known;
    memos_.push_back({name, State::Waiting, {}});
    const int index = static_cast<int>(memos_.size()) - 1;
    memoByName_.insert(name, index);
    return index;
}

void MemoIndex::refreshDay(QDate day) {
    const MemoFiles files(folder_);
    QSet<QString> readNow;
    for (const QDate date : {day, daySharingName(day)}) {
        if (!date.isValid())
            continue;
        const QString path = files.fileOf(date);
        const QString name = path.isEmpty() ? QString() : QFileInfo(path).fileName();
        daysReadHere_.insert(date, {name, lastScan_});
        std::erase_if(days_, [&](const Day& d) { return d.date == date; });
        if (name.isEmpty())
            continue;
        const int index = memoNamed(name);
        if (!readNow.contains(name)) {
            take(memos_[static_cast<std::size_t>(index)], readMemoFile(path));
            filesReadHere_.insert(name, lastScan_);
            readNow.insert(name);
        }
        const Day entry{date, index};
        days_.insert(std::upper_bound(days_.begin(), days_.end(), entry, newestFirst), entry);
    }
    ++generation_;
    Q_EMIT changed();
    refresh();
}

const MemoIndex::Memo* MemoIndex::memoOf(QDate day) const {
    const auto found = std::lower_bound(days_.cbegin(), days_.cend(), Day{day, -1}, newestFirst);
    if (found == days_.cend() || found->date != day)
        return nullptr;
    return &memos_[static_cast<std::size_t>(found->memo)];
}

QList<QDate> MemoIndex::search(const QStringList& terms, QDate sameDay) const {
    QList<QDate> found;
    for (const Day& day : days_) {
        if (sameDay.isValid() &&
            (day.date.month() != sameDay.month() || day.date.day() != sameDay.day()))
            continue;
        if (terms.isEmpty() || holdsAll(memos_[static_cast<std::size_t>(day.memo)], terms))
            found.append(day.date);
    }
    return found;
}

QList<QDate> MemoIndex::searchAmong(const QList<QDate>& days, const QStringList& terms) const {
    QList<QDate> found;
    for (const QDate day : days) {
        const Memo* memo = memoOf(day);
        if (memo && (terms.isEmpty() || holdsAll(*memo, terms)))
            found.append(day);
    }
    return found;
}

qsizetype MemoIndex::memoryBytes() const {
    qsizetype bytes =
        qsizetype{sizeof(*this)} +
        static_cast<qsizetype>(memos_.capacity() * sizeof(Memo) + days_.capacity() * sizeof(Day));
    for (const Memo& memo : memos_)
        bytes += memo.text.memoryBytes() - qsizetype{sizeof(FoldedText)} + memo.name.capacity() * 2;
    // A hash node holds the key and the value; its table about two pointers a node.
    bytes += memoByName_.size() * qsizetype{sizeof(QString) + sizeof(int) + 2 * sizeof(void*)};
    return bytes;
}

qsizetype MemoIndex::textBytes() const {
    qsizetype bytes = 0;
    for (const Memo& memo : memos_)
        bytes += memo.text.original().size() * 2;
    return bytes;
}

} // namespace orbeta::search
