#include "store/text_reading.h"

#include "store/memo_limits.h"

#include <QDateTime>
#include <QThread>

#include <thread>
#include <vector>

namespace orbeta {

MemoText readMemoText(const MemoFolder& folder, const QString& name,
                      const MakeSearchable& makeSearchable) {
    MemoText memo;
    const FileRead read = folder.read(name, kMaxMemoFileBytes);
    memo.stamp = read.stamp;
    memo.settled = read.stamp.settledAt(QDateTime::currentMSecsSinceEpoch());
    switch (read.outcome) {
    case FileRead::Outcome::Read:
        break;
    case FileRead::Outcome::TooLarge:
        memo.state = MemoText::State::TooLarge;
        memo.saysSomething = true;
        return memo;
    default:
        memo.state = MemoText::State::Unreadable;
        memo.saysSomething = true; // what cannot be read may say anything
        memo.reason = read.reason();
        return memo;
    }
    memo.state = MemoText::State::Read;
    const QString text = memoFileText(read.bytes);
    memo.firstLines = firstLines(text, MemoText::kPreviewLines, MemoText::kPreviewCharacters);
    memo.saysSomething = !memo.firstLines.isEmpty() || // a picture says something too
                         text.contains(QChar::ObjectReplacementCharacter);
    if (makeSearchable)
        memo.searchable = makeSearchable(text);
    return memo;
}

QList<MemoText> readMemoTexts(const MemoFolder& folder, const QStringList& names,
                              const MakeSearchable& makeSearchable,
                              const std::atomic<bool>& stopping) {
    std::vector<MemoText> memos(static_cast<std::size_t>(names.size()));
    std::atomic<qsizetype> next{0};
    const auto readOn = [&] {
        for (qsizetype i = next++; i < names.size() && !stopping; i = next++)
            memos[static_cast<std::size_t>(i)] = readMemoText(folder, names.at(i), makeSearchable);
    };
    std::vector<std::thread> helpers;
    for (int helper = 1; helper < QThread::idealThreadCount() && helper < names.size(); ++helper)
        helpers.emplace_back(readOn);
    readOn();
    for (std::thread& helper : helpers)
        helper.join();
    return QList<MemoText>(std::make_move_iterator(memos.begin()),
                           std::make_move_iterator(memos.end()));
}

} // namespace orbeta
