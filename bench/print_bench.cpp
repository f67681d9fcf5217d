// Printing and PDF: the month page with 31 memos of 10 KB, and a year's span of 365 memos of
// 10 KB, each to a PDF in memory: the time it takes and how much more memory the span needs at
// its peak. Given a folder, the two PDFs are left there to be looked at.
// Usage: print_bench [folder] (QT_QPA_PLATFORM=offscreen will do)
#include "measures.h"
#include "memo_generator.h"
#include "print/print_output.h"
#include "store/memo_text.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString keep = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QHash<QDate, QByteArray> memos;
    QList<QDate> year;
    for (QDate day(2026, 1, 1); day.year() == 2026; day = day.addDays(1)) {
        memos.insert(day, dayMemo(10 * 1024, static_cast<quint32>(day.dayOfYear())));
        year << day;
    }
    const auto text = [&](QDate day) {
        return orbeta::memoFileText(memos.value(day));
    };
    const auto content = [&](QDate day) {
        return memos.value(day);
    };

    // Warmed up once: fonts are found and loaded the first time.
    orbeta::printing::monthPdf(2026, 4, text);
    QElapsedTimer clock;
    clock.start();
    const QByteArray month = orbeta::printing::monthPdf(2026, 5, text);
    const double monthMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    const long before = statusKb("VmRSS:");
    resetPeak();
    clock.restart();
    const std::optional<QByteArray> span =
        orbeta::printing::memosPdf(QStringLiteral("メモ 2026年"), year, content);
    const double spanMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const long peak = statusKb("VmHWM:") - before;
    std::printf("month page, 31 memos of 10 KB, to PDF: %.0f ms (target <= 300), %lld KB\n",
                monthMs, static_cast<long long>(month.size() / 1024));
    std::printf("a year's span, 365 memos of 10 KB, to PDF: %.0f ms (target <= 5000), %lld KB; "
                "memory at its peak %.1f MB more (target <= 100)\n",
                spanMs, static_cast<long long>(span ? span->size() / 1024 : 0),
                static_cast<double>(peak) / 1024.0);
    if (!keep.isEmpty()) {
        QFile monthFile(keep + QStringLiteral("/month.pdf"));
        monthFile.open(QIODevice::WriteOnly);
        monthFile.write(month);
        QFile spanFile(keep + QStringLiteral("/span.pdf"));
        spanFile.open(QIODevice::WriteOnly);
        spanFile.write(span.value_or(QByteArray()));
    }
    return 0;
}
