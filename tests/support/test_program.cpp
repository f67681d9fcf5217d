#include "support/test_program.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

orbeta::Services testServices(const TestProgram& test) {
    orbeta::Services services;
    services.positions = std::make_unique<orbeta::PositionStore>(test.settingsFile());
    QDir().mkpath(test.memoFolder());
    services.memoFolder = test.memoFolder();
    services.stateFolder = test.folder.filePath(QStringLiteral("state"));
    return services;
}

} // namespace

TestProgram::TestProgram(std::unique_ptr<orbeta::Clock> clock) {
    orbeta::Services services = testServices(*this);
    if (clock)
        services.clock = std::move(clock);
    program = std::make_unique<orbeta::Program>(std::move(services));
}

void TestProgram::replace(const std::function<void(orbeta::Services&)>& change) {
    orbeta::Services services = testServices(*this);
    change(services);
    program.reset();
    program = std::make_unique<orbeta::Program>(std::move(services));
}

QString TestProgram::storedValue(const QString& key) const {
    return QSettings(settingsFile(), QSettings::IniFormat).value(key).toString();
}

QPointer<QTimer> whenModalAppears(std::function<void(QWidget*)> answer,
                                  std::chrono::milliseconds deadline) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll,
                     [poll, answer = std::move(answer), expiry = QDeadlineTimer(deadline)] {
                         QPointer<QWidget> modal = QApplication::activeModalWidget();
                         if (modal && modal->isVisible()) {
                             poll->stop();
                             poll->deleteLater();
                             answer(modal);
                             // A check that failed there leaves the window up: closed, the
                             // test goes on to report it instead of waiting for its timeout.
                             if (QTest::currentTestFailed() && modal && modal->isVisible())
                                 modal->close();
                         } else if (expiry.hasExpired()) {
                             qWarning("no modal window appeared in time");
                             poll->stop();
                             poll->deleteLater();
                         }
                     });
    poll->start();
    return poll;
}

void closeStrayWindows() {
    while (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            window->close();
}
