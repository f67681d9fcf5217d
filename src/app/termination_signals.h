#pragma once

#include <QObject>

class QSocketNotifier;

namespace orbeta {

// The signals that ask the program to end: SIGTERM, SIGHUP (the terminal or the session went
// away) and SIGINT. Each arrives on the event loop, so that unsaved text can be written before
// the program ends.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    // The program is asked to end: `signalNumber` says by which signal.
    void terminationRequested(int signalNumber);

private:
    void takeSignals();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace orbeta
