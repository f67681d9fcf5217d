#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace orbeta {

// One program per memo folder for each user: the first start in a folder holds a lock named
// after the user and the folder and listens on a local socket of that name, which only the user
// may use; a later start there connects to it, which asks the first to come forward, and ends.
// A lock or socket left by a program that was killed does not stand in the way: the system lets
// go of a lock when its holder ends, however it ends. (Plain system calls: Qt's network library
// and lock files would slow every start.)
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only program for the folder, now listening for later starts; false
    // when another one runs there and has been asked to come forward.
    bool claim();

    QString name() const { return name_; }

Q_SIGNALS:
    // A later start in the same folder asks to see the program.
    void comeForward();

private:
    bool askRunningToComeForward() const;
    void listen();
    void takeCallers();

    QString name_;
    QByteArray socketPath_;
    QByteArray lockPath_;
    int lock_ = -1;
    int listening_ = -1;
    QSocketNotifier* callers_ = nullptr;
};

} // namespace orbeta
