#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace orbeta {

namespace {

constexpr int kWaitForRunningMs = 3000; // for one that has its lock but does not listen yet
constexpr int kPendingCallers = 8;

QString nameFor(const QString& folder) {
    const QString canonical = QDir(folder).canonicalPath();
    const QByteArray key =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("orbeta-%1-%2").arg(::getuid()).arg(QString::fromLatin1(key));
}

// The socket's address, or nothing when its path is too long for one.
std::optional<sockaddr_un> addressOf(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return address;
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), name_(nameFor(folder)),
      socketPath_(QFile::encodeName(QDir::temp().filePath(name_))),
      lockPath_(socketPath_ + ".lock") {}

SingleInstance::~SingleInstance() {
    if (listening_ >= 0) {
        ::close(listening_);
        ::unlink(socketPath_.constData());
    }
    if (lock_ >= 0)
        ::close(lock_); // lets go of the lock
}

bool SingleInstance::claim() {
    // Not through a link someone else has put there.
    lock_ = ::open(lockPath_.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock_ < 0)
        return true; // no lock to be had: run, as without one
    const QDeadlineTimer deadline(kWaitForRunningMs);
    while (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        if (askRunningToComeForward())
            return false;
        if (deadline.hasExpired())
            return true; // a program that holds the lock and never answers: run beside it
        QThread::msleep(50);
    }
    listen();
    return true;
}

bool SingleInstance::askRunningToComeForward() const {
    const std::optional<sockaddr_un> address = addressOf(socketPath_);
    const int caller = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (!address || caller < 0)
        return false;
    const bool answered =
        ::connect(caller, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    ::close(caller);
    return answered;
}

void SingleInstance::listen() {
    const std::optional<sockaddr_un> address = addressOf(socketPath_);
    listening_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (!address || listening_ < 0)
        return;
    ::unlink(socketPath_.constData()); // left by a program that was killed: the lock is ours
    const mode_t mask = ::umask(0077); // for the user alone from the start
    const bool bound =
        ::bind(listening_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    ::umask(mask);
    if (!bound || ::listen(listening_, kPendingCallers) != 0) {
        ::close(listening_);
        listening_ = -1;
        return;
    }
    callers_ = new QSocketNotifier(listening_, QSocketNotifier::Read, this);
    connect(callers_, &QSocketNotifier::activated, this, &SingleInstance::takeCallers);
}

void SingleInstance::takeCallers() {
    bool called = false;
    for (int caller; (caller = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        ::close(caller);
        called = true;
    }
    if (called)
        Q_EMIT comeForward();
}

} // namespace orbeta
