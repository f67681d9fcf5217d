// How large the earlier versions of memos grow: a user who writes a day's memo in ten saves a
// day, each adding a few sentences, for years. Every save replaces the memo, so each keeps the
// text it replaces; the store prunes after each save as it does in the program.
// Usage: history_size FOLDER YEARS [SAVES_A_DAY]
#include "app/clock.h"
#include "memo_generator.h"
#include "richtext/rtf_reader.h"
#include "store/memo_store.h"

#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <sys/stat.h>

namespace {

class SettableClock final : public orbeta::Clock {
public:
    QDateTime now() const override { return now_; }
    void set(QDateTime now) { now_ = std::move(now); }

private:
    QDateTime now_;
};

// Bytes as files, and as the disk holds them (in whole blocks).
struct Size {
    qint64 files = 0;
    qint64 bytes = 0;
    qint64 onDisk = 0;
};
Size sizeOf(const QString& folder, bool hidden) {
    Size size;
    QDirIterator it(folder, QDir::Files | (hidden ? QDir::Hidden : QDir::Filters()),
                    hidden ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        struct stat status {};
        if (::stat(QFile::encodeName(it.next()).constData(), &status) != 0)
            continue;
        ++size.files;
        size.bytes += status.st_size;
        size.onDisk += status.st_blocks * 512;
    }
    return size;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: history_size FOLDER YEARS [SAVES_A_DAY]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const int years = QByteArray(argv[2]).toInt();
    const int saves = argc > 3 ? QByteArray(argv[3]).toInt() : 10;
    SettableClock clock;
    orbeta::MemoStore store(folder, clock);
    const QDate first(2016, 1, 1);
    const QDate end = first.addYears(years);
    for (QDate day = first; day < end; day = day.addDays(1)) {
        for (int save = 0; save < saves; ++save) {
            clock.set(QDateTime(day, QTime(8 + save, 0)));
            QTextDocument document;
            orbeta::OpenedMemo opened = store.open(day, document);
            // What the memo says by this save: a few hundred bytes more each time.
            orbeta::rtf::readRtf(dayMemo(300 * (save + 1), static_cast<quint32>(day.toJulianDay())),
                                 document);
            if (!store.save(opened, document).ok)
                return 1;
        }
    }
    const Size memos = sizeOf(folder, false);
    const Size history = sizeOf(folder + QStringLiteral("/.orbeta-history"), true);
    const auto megabytes = [](qint64 bytes) {
        return static_cast<double>(bytes) / 1e6;
    };
    std::printf("%d years, %d saves a day: memos %lld files, %.1f MB (%.1f MB on disk); "
                "earlier versions %lld files, %.1f MB (%.1f MB on disk)\n",
                years, saves, memos.files, megabytes(memos.bytes), megabytes(memos.onDisk),
                history.files, megabytes(history.bytes), megabytes(history.onDisk));
    return 0;
}
