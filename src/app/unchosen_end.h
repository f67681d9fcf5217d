#pragma once

#include <QObject>

class QSocketNotifier;

namespace orbeta {

// Ends of the program that the user did not choose: SIGTERM, SIGHUP (the terminal or the
// session went away) and SIGINT. Each arrives as a signal on the event loop, so that what must
// be kept can be kept before the program ends.
class UnchosenEnd : public QObject {
    Q_OBJECT
public:
    explicit UnchosenEnd(QObject* parent = nullptr);
    ~UnchosenEnd() override;

Q_SIGNALS:
    // The program is asked to end: `signalNumber` says why.
    void ending(int signalNumber);

private:
    void takeSignals();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace orbeta
