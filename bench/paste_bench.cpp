// How long the memo window stops answering while a paste of a given size is laid out: text in
// lines, Japanese and Latin, pasted into an empty memo, to the window painted.
// Usage: paste_bench [characters...] (QT_QPA_PLATFORM=offscreen will do)
#include "app/application.h"
#include "measures.h"
#include "memo/form2.h"
#include "memo/rich_text_box.h"
#include "program/program.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

QString textOf(qsizetype characters) {
    const QString line =
        QStringLiteral("会議の資料を用意する。Meeting notes, agenda and minutes. ").repeated(2);
    QString text;
    text.reserve(characters + line.size());
    while (text.size() < characters)
        text += line.left(std::min<qsizetype>(line.size() - 1, characters - text.size())) + u'\n';
    text.truncate(characters);
    return text;
}

} // namespace

int main(int argc, char* argv[]) {
    orbeta::Application app(argc, argv);
    QList<qsizetype> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toLongLong();
    if (sizes.isEmpty())
        sizes = {250'000, 500'000, 1'000'000, 2'000'000};
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("memos"));
    orbeta::Services services;
    services.positions =
        std::make_unique<orbeta::PositionStore>(folder.filePath(QStringLiteral("Orbeta.ini")));
    services.memoFolder = folder.filePath(QStringLiteral("memos"));
    orbeta::Program program(std::move(services));
    program.Start();
    orbeta::Form2& memo = program.form2();
    memo.openDay(QDate(2030, 1, 1));
    memo.show();
    orbeta::RichTextBox& editor = memo.RichTextBox1();
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    for (const qsizetype characters : sizes) {
        auto* mime = new QMimeData;
        mime->setText(textOf(characters));
        QApplication::clipboard()->setMimeData(mime);
        editor.clear();
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        if (qEnvironmentVariableIsSet("DIRECT")) {
            QTextCursor cursor = editor.textCursor();
            cursor.beginEditBlock();
            cursor.insertText(mime->text());
            cursor.endEditBlock();
        } else {
            editor.paste();
        }
        const double pasted = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        editor.repaint();
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        Q_UNUSED(pasted);
        // Laid out in the background: how long until all of it is, and the longest the window
        // did not answer meanwhile.
        StallMeter stalls;
        const auto laidOut = [&] {
            const QTextBlock last = editor.document()->lastBlock();
            return last.layout() && last.layout()->lineCount() > 0;
        };
        while (!laidOut() && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double whole = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        std::printf("paste %9lld characters: %6.0f ms to the window painted, %6.0f ms to all of it "
                    "laid out, the longest the window did not answer meanwhile %lld ms "
                    "(%lld in the memo)\n",
                    static_cast<long long>(characters), ms, whole,
                    static_cast<long long>(stalls.longestMs()),
                    static_cast<long long>(editor.document()->characterCount() - 1));
    }
    return 0;
}
