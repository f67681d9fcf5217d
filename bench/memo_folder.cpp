// Writes a folder of day memos as a user of many years has them: one rich-edit style memo a day,
// Japanese with some Latin words, from a few hundred bytes to a few kilobytes each, every tenth
// day left without one; or, given BYTES, a memo of that size every day.
// Usage: memo_folder FOLDER DAYS [LAST_DAY as yyyy-MM-dd [BYTES]]
#include "memo_generator.h"
#include "store/memo_names.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: memo_folder FOLDER DAYS [LAST_DAY [BYTES]]\n");
        return 2;
    }
    const QDir folder(arguments.at(1));
    const int days = arguments.at(2).toInt();
    const QDate last =
        arguments.size() > 3 ? QDate::fromString(arguments.at(3), Qt::ISODate) : QDate(2026, 12, 7);
    if (!folder.mkpath(QStringLiteral(".")) || days <= 0 || !last.isValid()) {
        std::fprintf(stderr, "memo_folder: bad folder, count or day\n");
        return 2;
    }
    const qsizetype bytes = arguments.size() > 4 ? arguments.at(4).toLongLong() : 0;
    QRandomGenerator random(20261207);
    qint64 total = 0;
    int written = 0;
    for (int i = 0; written < days; ++i) {
        if (bytes == 0 && random.bounded(10) == 0)
            continue;
        const QDate day = last.addDays(-i);
        const QByteArray memo =
            dayMemo(bytes > 0 ? bytes : 300 + random.bounded(5000), static_cast<quint32>(i));
        QFile file(folder.filePath(orbeta::memoSaveName(day)));
        if (!file.open(QIODevice::WriteOnly) || file.write(memo) != memo.size()) {
            std::fprintf(stderr, "memo_folder: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        total += memo.size();
        ++written;
    }
    std::printf("%d memos, %.1f MB\n", written, static_cast<double>(total) / 1e6);
    return 0;
}
