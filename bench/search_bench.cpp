// Searching a folder of memos as the search window does: the first search with a cold index (the
// files already in the page cache), each later keystroke to the list painted, the longest stall
// of the user interface while the folder is read, and memory. Make the folder with memo_folder.
// Usage: search_bench FOLDER
#include "app/application.h"
#include "measures.h"
#include "program/program.h"
#include "search/frm_search.h"
#include "search/memo_index.h"
#include "search/search_results.h"
#include "search/text_folding.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    orbeta::Application app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: search_bench FOLDER\n");
        return 2;
    }
    const QString memos = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int files = static_cast<int>(QDir(memos).entryList(QDir::Files).size());
    QTemporaryDir settings;
    orbeta::Services services;
    services.positions =
        std::make_unique<orbeta::PositionStore>(settings.filePath(QStringLiteral("Orbeta.ini")));
    services.memoFolder = memos;
    orbeta::Program program(std::move(services));
    program.Start();
    QCoreApplication::processEvents();
    const long rssBefore = statusKb("VmRSS:");

    // The window opens, the user types a word at once: to the complete list, painted.
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    orbeta::frmSearch& window = program.search();
    window.bringForward();
    window.txtQuery().setText(QStringLiteral("東京"));
    const orbeta::search::MemoIndex& index = program.memoIndex();
    while (index.reading() || index.filesRead() < index.fileCount())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.lstResults().repaint();
    const double firstMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const qint64 stallWhileReading = stalls.longestMs();
    const int found = window.results().rowCount();
    if (found != index.search(orbeta::searchTerms(QStringLiteral("東京"))).size())
        std::fprintf(stderr, "the list was not complete\n");

    // Typing on: a keystroke is the query changed, searched and the list painted.
    const QStringList typed{QStringLiteral("東京 "),
                            QStringLiteral("東京 会"),
                            QStringLiteral("東京 会議"),
                            QStringLiteral("東京 会"),
                            QStringLiteral("東京 "),
                            QStringLiteral("東"),
                            QStringLiteral("こ"),
                            QStringLiteral("こー"),
                            QStringLiteral("こーひ"),
                            QStringLiteral("こーひー"),
                            QString(),
                            QStringLiteral("t"),
                            QStringLiteral("to"),
                            QStringLiteral("tok"),
                            QStringLiteral("toky"),
                            QStringLiteral("tokyo")};
    std::vector<double> keystrokes;
    for (int round = 0; round < 3; ++round) {
        for (const QString& text : typed) {
            QElapsedTimer keystroke;
            keystroke.start();
            window.txtQuery().setText(text);
            window.lstResults().repaint();
            window.lblCount().repaint();
            keystrokes.push_back(static_cast<double>(keystroke.nsecsElapsed()) / 1e6);
            QCoreApplication::processEvents();
        }
    }
    std::sort(keystrokes.begin(), keystrokes.end());

    const qint64 textBytes = index.textBytes();
    const qint64 indexBytes = index.memoryBytes();
    const long rssAfter = statusKb("VmRSS:");
    std::printf("%d memo files, %d days with memos\n", files,
                static_cast<int>(index.search({}).size()));
    std::printf("first search, cold index, to the complete list painted: %8.1f ms (%d found)\n",
                firstMs, found);
    std::printf("longest stall of the user interface meanwhile:           %8lld ms\n",
                static_cast<long long>(stallWhileReading));
    std::printf("keystroke to the list painted: median %.2f ms, slowest %.2f ms (%zu keystrokes)\n",
                keystrokes[keystrokes.size() / 2], keystrokes.back(), keystrokes.size());
    const auto megabytes = [](double bytes) {
        return bytes / 1e6;
    };
    std::printf("extracted text %.1f MB (UTF-16); the index holds %.1f MB (%.2f times)\n",
                megabytes(static_cast<double>(textBytes)),
                megabytes(static_cast<double>(indexBytes)),
                static_cast<double>(indexBytes) / static_cast<double>(textBytes));
    std::printf("resident memory grew %.1f MB with the window open and the folder read; peak "
                "resident %.1f MB\n",
                megabytes(static_cast<double>(rssAfter - rssBefore) * 1e3),
                megabytes(static_cast<double>(statusKb("VmHWM:")) * 1e3));
    return 0;
}
