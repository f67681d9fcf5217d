#include "search/memo_scanner.h"

#include "memo/memo_file_name.h"
#include "memo/memo_files.h"

#include <QDateTime>
#include <QDir>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace orbeta::search {

ReadFile readMemoFile(const QString& path) {
    ReadFile file;
    file.name = QFileInfo(path).fileName();
    const FileRead read = readWholeFile(path, MemoFiles::kMaxReadBytes);
    file.stamp = read.stamp;
    if (read.tooLarge)
        file.state = ReadFile::State::TooLarge;
    else if (read.error != 0)
        file.state = ReadFile::State::Unreadable;
    else
        file.text = FoldedText(memoFileText(read.bytes));
    return file;
}

QList<ReadFile> readMemoFiles(const QStringList& paths) {
    std::vector<ReadFile> files(static_cast<std::size_t>(paths.size()));
    std::atomic<qsizetype> next{0};
    const auto readOn = [&] {
        for (qsizetype i = next++; i < paths.size(); i = next++)
            files[static_cast<std::size_t>(i)] = readMemoFile(paths.at(i));
    };
    std::vector<std::thread> helpers;
    for (int helper = 1; helper < QThread::idealThreadCount(); ++helper)
        helpers.emplace_back(readOn);
    readOn();
    for (std::thread& helper : helpers)
        helper.join();
    return QList<ReadFile>(std::make_move_iterator(files.begin()),
                           std::make_move_iterator(files.end()));
}

QList<DayFile> memoDaysOf(const QStringList& fileNames) {
    const QSet<QString> present(fileNames.cbegin(), fileNames.cend());
    QList<DayFile> days;
    for (const QString& name : fileNames) {
        for (const QDate day : daysReadFrom(name)) {
            const QStringList names = memoReadNames(day);
            const auto first = std::find_if(names.cbegin(), names.cend(),
                                            [&](const QString& n) { return present.contains(n); });
            if (*first == name)
                days.append({day, name});
        }
    }
    std::sort(days.begin(), days.end(),
              [](const DayFile& a, const DayFile& b) { return a.day > b.day; });
    return days;
}

void MemoScanner::scan(quint64 scanId) {
    const QDir folder(folder_);
    const QStringList names = folder.entryList(
        {QStringLiteral("*.rtf")},
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    const QList<DayFile> days = memoDaysOf(names);
    Q_EMIT listed(scanId, days);

    const QSet<QString> present(names.cbegin(), names.cend());
    known_.removeIf([&](const auto& known) { return !present.contains(known.key()); });
    QSet<QString> looked;
    QStringList toRead;
    for (const DayFile& day : days) {
        if (looked.contains(day.name))
            continue;
        looked.insert(day.name);
        const auto known = known_.constFind(day.name);
        if (known == known_.cend() || !known->settled ||
            stampOf(folder.filePath(day.name)) != known->stamp)
            toRead.append(folder.filePath(day.name));
    }
    for (qsizetype from = 0; from < toRead.size(); from += kBatchFiles) {
        if (QThread::currentThread()->isInterruptionRequested())
            return;
        QList<ReadFile> batch = readMemoFiles(toRead.mid(from, kBatchFiles));
        const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
        for (const ReadFile& file : batch)
            known_.insert(file.name, {file.stamp, settledStamp(file.stamp, nowMs)});
        Q_EMIT read(scanId, batch);
    }
    Q_EMIT finished(scanId);
}

} // namespace orbeta::search
