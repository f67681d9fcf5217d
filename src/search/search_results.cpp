#include "search/search_results.h"

#include "store/memo_text.h"

#include <QPoint>

#include <algorithm>

namespace orbeta::search {

namespace {

constexpr qsizetype kShownCharacters = 60; // about the width of the list
constexpr qsizetype kBeforeHit = 16;       // so that the hit is near the start

QStringView lineAround(QStringView text, qsizetype at, qsizetype& lineStart) {
    lineStart = at > 0 ? text.first(at).lastIndexOf(u'\n') + 1 : 0;
    qsizetype lineEnd = text.indexOf(u'\n', at);
    if (lineEnd < 0)
        lineEnd = text.size();
    return text.sliced(lineStart, lineEnd - lineStart);
}

QString oneLine(QStringView text) {
    QString line = text.toString();
    line.replace(u'\t', u' ');
    return line;
}

const QString& stateText(MemoIndex::State state) {
    static const QString waiting = QStringLiteral("（読み込み中）");
    static const QString unreadable = QStringLiteral("（読めないファイルです）");
    static const QString tooLarge = QStringLiteral("（大きすぎるファイルです）");
    static const QString none;
    switch (state) {
    case MemoIndex::State::Waiting:
        return waiting;
    case MemoIndex::State::Unreadable:
        return unreadable;
    case MemoIndex::State::TooLarge:
        return tooLarge;
    case MemoIndex::State::Read:
        break;
    }
    return none;
}

std::optional<Span> hitIn(const FoldedText& text, const QStringList& terms) {
    if (terms.isEmpty())
        return std::nullopt;
    const Match match = matchFolded(text.folded(), terms);
    return match.first ? std::optional(text.originalSpan(*match.first)) : std::nullopt;
}

} // namespace

ShownText shownText(QStringView memoText, const std::optional<Span>& hit) {
    if (!hit) {
        const QString first = firstLines(memoText, 1, kShownCharacters, MoreLines::Unmarked);
        return {first.isEmpty() ? QStringLiteral("（空のメモ）") : oneLine(first), {}};
    }
    qsizetype lineStart = 0;
    const QStringView line = lineAround(memoText, hit->position, lineStart);
    const qsizetype hitInLine = hit->position - lineStart;
    const qsizetype from = std::max<qsizetype>(0, hitInLine - kBeforeHit);
    const qsizetype to =
        std::min(line.size(), std::max(from + kShownCharacters, hitInLine + hit->length));
    ShownText shown;
    if (from > 0)
        shown.text += u'…';
    const qsizetype hitAt = shown.text.size() + hitInLine - from;
    shown.text += oneLine(line.sliced(from, to - from));
    if (to < line.size())
        shown.text += u'…';
    shown.hit = Span{hitAt, hit->length};
    return shown;
}

QString shownDate(QDate date) {
    static constexpr char16_t kWeekdays[] = u"月火水木金土日";
    return date.toString(QStringLiteral("yyyy/MM/dd")) + QStringLiteral(" (") +
           QChar(kWeekdays[date.dayOfWeek() - 1]) + u')';
}

SearchResults::SearchResults(const MemoIndex& index, QObject* parent)
    : QAbstractListModel(parent), index_(index) {}

void SearchResults::show(const QStringList& allTerms, QDate sameDay) {
    const QStringList terms = allTerms.mid(0, kMaxTerms);
    // Typing on only narrows the search: the memos found before are all that can match still.
    const bool narrower =
        index_.generation() == generation_ && sameDay == sameDay_ &&
        std::all_of(terms_.cbegin(), terms_.cend(), [&](const QString& before) {
            return std::any_of(terms.cbegin(), terms.cend(),
                               [&](const QString& term) { return term.contains(before); });
        });
    QList<Entry> entries =
        narrower ? index_.searchAmong(entries_, terms) : index_.search(terms, sameDay);
    generation_ = index_.generation();
    sameDay_ = sameDay;
    shown_.clear();
    if (entries == entries_ && terms == terms_) {
        if (!entries_.isEmpty())
            Q_EMIT dataChanged(index(0), index(rowCount() - 1));
        return;
    }
    beginResetModel();
    terms_ = terms;
    entries_ = std::move(entries);
    endResetModel();
}

const ShownText& SearchResults::shownAt(int row) const {
    auto shown = shown_.find(row);
    if (shown != shown_.end())
        return *shown;
    const Entry& entry = entries_.at(row);
    ShownText text;
    if (const FoldedText* folded = index_.textOf(entry))
        text = shownText(folded->original(), hitIn(*folded, terms_));
    else
        text.text = stateText(index_.stateOf(entry));
    return *shown_.insert(row, std::move(text));
}

QString SearchResults::copiedLines(QList<int> rows) const {
    std::sort(rows.begin(), rows.end());
    QString lines;
    for (const int row : rows) {
        lines +=
            dateAt(row).toString(QStringLiteral("yyyy/MM/dd")) + u'\t' + shownAt(row).text + u'\n';
    }
    return lines;
}

int SearchResults::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant SearchResults::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return shownDate(dateAt(index.row())) + QStringLiteral("  ") +
               (entryAt(index.row()).copy ? kCopyMark + QStringLiteral("  ") : QString()) +
               shownAt(index.row()).text;
    case DateRole:
        return dateAt(index.row());
    case TextRole:
        return shownAt(index.row()).text;
    case HitRole:
        if (const auto& hit = shownAt(index.row()).hit)
            return QPoint(static_cast<int>(hit->position), static_cast<int>(hit->length));
        return {};
    case CopyRole:
        return entryAt(index.row()).copy;
    default:
        return {};
    }
}

} // namespace orbeta::search
