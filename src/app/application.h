#pragma once

#include <QApplication>

namespace orbeta {

// The program's application object: Japanese fonts, and a last line of defence that reports a
// failure escaping any event handler instead of ending the program.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace orbeta
