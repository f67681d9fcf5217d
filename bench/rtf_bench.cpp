// Measures the RTF reader and writer on a 10 MB rich-edit style memo beside Qt's own HTML import
// and export of the same document, and the reading of large tables.
// Usage: rtf_bench [megabytes] [runs]
#include "measures.h"
#include "memo_generator.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_tokenizer.h"
#include "richtext/rtf_writer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryFile>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const double megabytes = argc > 1 ? QByteArray(argv[1]).toDouble() : 10.0;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 5;
    const QByteArray rtf = richEditStyleMemo(static_cast<qsizetype>(megabytes * 1024 * 1024));
    const double mb = static_cast<double>(rtf.size()) / (1024.0 * 1024.0);
    std::printf("memo: %.2f MB of rich-edit style RTF, median of %d runs\n", mb, runs);

    const double tokenize = medianMs(runs, [&] {
        orbeta::rtf::Tokenizer tokens(rtf);
        qsizetype count = 0;
        while (tokens.next().type != orbeta::rtf::TokenType::End)
            ++count;
        if (count == 0)
            std::abort();
    });

    // Peak memory of one reading, above what the process held before it.
    long peakKb = 0;
    {
        const long before = statusKb("VmRSS:");
        resetPeak();
        QTextDocument document;
        orbeta::rtf::readRtf(rtf, document);
        peakKb = statusKb("VmHWM:") - before;
    }
    const double read = medianMs(runs, [&] {
        QTextDocument document;
        orbeta::rtf::readRtf(rtf, document);
    });

    QTextDocument document;
    orbeta::rtf::readRtf(rtf, document);
    QByteArray written;
    const double write = medianMs(runs, [&] { written = orbeta::rtf::writeRtf(document); });
    QTemporaryFile file;
    file.open();
    const double writeFile = medianMs(runs, [&] {
        file.seek(0);
        if (!orbeta::rtf::writeRtf(document, file))
            std::abort();
        file.flush();
    });
    QString html;
    const double htmlExport = medianMs(runs, [&] { html = document.toHtml(); });
    const double htmlImport = medianMs(runs, [&] {
        QTextDocument imported;
        imported.setHtml(html);
    });

    const auto rate = [&](double ms) {
        return mb / (ms / 1000.0);
    };
    std::printf("%-26s %10s %10s\n", "", "ms", "MB/s");
    std::printf("%-26s %10.1f %10.1f\n", "tokenize", tokenize, rate(tokenize));
    std::printf("%-26s %10.1f %10.1f\n", "read into QTextDocument", read, rate(read));
    std::printf("%-26s %10.1f %10.1f   (%.2f MB written)\n", "write RTF to memory", write,
                rate(write), static_cast<double>(written.size()) / (1024.0 * 1024.0));
    std::printf("%-26s %10.1f %10.1f\n", "write RTF to a file", writeFile, rate(writeFile));
    std::printf("%-26s %10.1f\n", "Qt HTML import (setHtml)", htmlImport);
    std::printf("%-26s %10.1f\n", "Qt HTML export (toHtml)", htmlExport);
    std::printf("read / HTML import:  %.2f (target <= 0.5)\n", read / htmlImport);
    std::printf("write / HTML export: %.2f to memory, %.2f to a file (target <= 0.5)\n",
                write / htmlExport, writeFile / htmlExport);
    std::printf("peak memory while reading: %.1f MB = %.2f x the file (target <= 8)\n",
                static_cast<double>(peakKb) / 1024.0, static_cast<double>(peakKb) / 1024.0 / mb);

    for (const auto& [rows, columns] : {std::pair{20000, 2}, std::pair{2000, 10}}) {
        const QByteArray table = tableMemo(rows, columns);
        const double ms = medianMs(runs, [&] {
            QTextDocument tableDocument;
            orbeta::rtf::readRtf(table, tableDocument);
        });
        std::printf("read a %d x %d table (%.1f MB): %.1f ms\n", rows, columns,
                    static_cast<double>(table.size()) / (1024.0 * 1024.0), ms);
    }
    const QByteArray merged = mergedColumnMemo(40000);
    const double mergedMs = medianMs(runs, [&] {
        QTextDocument mergedDocument;
        orbeta::rtf::readRtf(merged, mergedDocument);
    });
    std::printf("read 40000 rows with a column merged down them all (%.1f MB): %.1f ms "
                "(target <= 1000)\n",
                static_cast<double>(merged.size()) / (1024.0 * 1024.0), mergedMs);
    return 0;
}
