#pragma once

#include <QLockFile>
#include <QObject>

#include <memory>

class QLocalServer;

namespace orbeta {

// One program per memo folder for each user: the first start in a folder holds a lock named
// after the user and the folder and listens on a local socket of that name; a later start there
// asks it to come forward and ends. A lock or socket left by a program that was killed does not
// stand in the way: the lock knows its owner has gone.
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
    bool askRunningToComeForward();
    void listen();

    QString name_;
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace orbeta
