// The yardstick for start-up: a minimal Qt 6 program of the calendar window's size, a
// QCalendarWidget and a label that a one-second timer updates.
#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.setFixedSize(166, 192);
    auto* calendar = new QCalendarWidget(&window);
    calendar->setGeometry(0, 0, 166, 148);
    auto* label = new QLabel(&window);
    label->setGeometry(3, 151, 160, 39);
    label->setAutoFillBackground(true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::green);
    label->setPalette(colours);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, label, [label] {
        label->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    });
    timer.start(1000);
    window.show();
    return app.exec();
}
