// How long a keystroke waits in a memo of nearly 2,000,000 characters while its unsaved text is
// kept in the journal as it is typed: a key due every 40 ms for 25 seconds, each timed from when it
// was due to when the editor took it, and the longest the window did not answer.
// Usage: typing_bench (QT_QPA_PLATFORM=offscreen will do)
#include "app/application.h"
#include "measures.h"
#include "memo/form2.h"
#include "memo/rich_text_box.h"
#include "program/program.h"
#include "store/memo_limits.h"
#include "store/memo_names.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

// Times each key from when it was due to when the editor has it.
class KeyTimer : public QObject {
public:
    QElapsedTimer clock;
    qint64 dueAt = 0;
    std::vector<double> waits;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            waits.push_back(static_cast<double>(clock.nsecsElapsed() - dueAt) / 1e6);
        return QObject::eventFilter(watched, event);
    }
};

constexpr qint64 kKeyEveryNs = 40'000'000;

} // namespace

int main(int argc, char* argv[]) {
    orbeta::Application app(argc, argv);
    QTemporaryDir folder;
    const QString memos = folder.filePath(QStringLiteral("memos"));
    QDir().mkpath(memos);
    const QDate day(2030, 1, 1);
    {
        QByteArray rtf = "{\\rtf1\\ansi ";
        // Room for what is typed below the limit.
        for (qsizetype line = 0; (line + 1) * 101 < orbeta::kMaxEditableCharacters - 10000; ++line)
            rtf += QByteArray(99, static_cast<char>('a' + line % 26)) + " \\par\n";
        QFile file(memos + QLatin1Char('/') + orbeta::memoSaveName(day));
        file.open(QIODevice::WriteOnly);
        file.write(rtf + "}");
    }
    orbeta::Services services;
    services.positions =
        std::make_unique<orbeta::PositionStore>(folder.filePath(QStringLiteral("Orbeta.ini")));
    services.memoFolder = memos;
    services.stateFolder = folder.filePath(QStringLiteral("state"));
    orbeta::Program program(std::move(services));
    program.Start();
    orbeta::Form2& memo = program.form2();
    memo.openDay(day);
    memo.show();
    orbeta::RichTextBox& editor = memo.RichTextBox1();
    editor.setFocus();

    KeyTimer keys;
    keys.clock.start();
    editor.installEventFilter(&keys);
    std::optional<StallMeter> stalls;
    QTimer typing;
    typing.setTimerType(Qt::PreciseTimer);
    int typed = 0;
    qint64 firstDue = 0;
    QObject::connect(&typing, &QTimer::timeout, [&] {
        // Due on the beat; a timer that fires late has waited as long as the window was busy.
        keys.dueAt = firstDue + typed * kKeyEveryNs;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(&editor, &press);
        if (++typed == 625)
            QCoreApplication::quit();
    });
    QTimer::singleShot(1000, [&] { // once the memo is laid out
        stalls.emplace();
        firstDue = keys.clock.nsecsElapsed() + kKeyEveryNs;
        typing.start(40);
    });
    app.exec();
    std::sort(keys.waits.begin(), keys.waits.end());
    const QString journal = folder.filePath(QStringLiteral("state/orbeta/unsaved"));
    std::printf("%zu keys in a memo of %lld characters, journal %s: longest wait %.1f ms "
                "(target <= 30), 99th percentile %.1f ms; the window's longest stall %lld ms\n",
                keys.waits.size(), static_cast<long long>(orbeta::kMaxEditableCharacters),
                QDir(journal).isEmpty() ? "not written" : "written", keys.waits.back(),
                keys.waits[keys.waits.size() * 99 / 100],
                static_cast<long long>(stalls->longestMs()));
    return 0;
}
