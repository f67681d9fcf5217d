#include "memo/memo_texts.h"

#include "memo/memo_files.h"
#include "memo/memo_text.h"

#include <QDateTime>
#include <QThread>

#include <thread>
#include <vector>

namespace orbeta {

MemoText readMemoText(const MemoFolder& folder, const QString& name, bool fold) {
    MemoText memo;
    const FileRead read = folder.read(name, MemoFiles::kMaxReadBytes);
    memo.version = read.version;
    memo.settled = read.version.settledAt(QDateTime::currentMSecsSinceEpoch());
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
    memo.saysSomething = !memo.firstLines.isEmpty(); // a picture says something too
    if (fold)
        memo.folded = std::make_shared<const FoldedText>(text);
    return memo;
}

QList<MemoText> readMemoTexts(const MemoFolder& folder, const QStringList& names, bool fold,
                              const std::atomic<bool>& stopping) {
    std::vector<MemoText> memos(static_cast<std::size_t>(names.size()));
    std::atomic<qsizetype> next{0};
    const auto readOn = [&] {
        for (qsizetype i = next++; i < names.size() && !stopping; i = next++)
            memos[static_cast<std::size_t>(i)] = readMemoText(folder, names.at(i), fold);
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
