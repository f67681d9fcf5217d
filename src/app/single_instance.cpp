#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace orbeta {

namespace {

constexpr int kConnectMs = 200;
constexpr int kWaitForRunningMs = 3000; // for one that has its lock but does not listen yet
const QByteArray kComeForward = QByteArrayLiteral("come forward\n");

QString nameFor(const QString& folder) {
    const QString canonical = QDir(folder).canonicalPath();
    const QByteArray key =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("orbeta-%1-%2").arg(::getuid()).arg(QString::fromLatin1(key));
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), name_(nameFor(folder)),
      lock_(QDir::temp().filePath(name_ + QStringLiteral(".lock"))) {
    lock_.setStaleLockTime(0); // only a lock whose owner has gone is stale
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    const QDeadlineTimer deadline(kWaitForRunningMs);
    while (!lock_.tryLock(0)) {
        if (askRunningToComeForward())
            return false;
        if (deadline.hasExpired())
            return true; // a program that holds the lock and never answers: run beside it
        QThread::msleep(50);
    }
    listen();
    return true;
}

bool SingleInstance::askRunningToComeForward() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(kComeForward);
    return socket.waitForBytesWritten(kConnectMs);
}

void SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(name_); // left by a program that was killed
    server_->listen(name_);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kComeForward.trimmed()))
                    Q_EMIT comeForward();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

} // namespace orbeta
