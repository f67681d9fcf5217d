#include "app/single_instance.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace orbeta {

namespace {

constexpr char kComeForward = 'F';
constexpr char kComing = 'K';
constexpr int kPendingCallers = 16;
constexpr auto kRetry = std::chrono::milliseconds(50);
// How long a program waits for a caller to say what it wants.
constexpr int kCallerPatienceMs = 1000;

// The socket's address, or nothing when its path is too long for one.
std::optional<sockaddr_un> addressOf(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return address;
}

// A folder that the user alone owns and may write in: made where missing, never through a link.
bool isPrivateFolder(const QByteArray& path, bool make) {
    if (make)
        ::mkdir(path.constData(), 0700);
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid())
        return false;
    if ((status.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return ::access(path.constData(), W_OK | X_OK) == 0;
}

bool peerIsUser(int socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::getuid();
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
}

} // namespace

QString SingleInstance::privateFolder(QString* problem) {
    return privateFolder(QFile::decodeName(qgetenv("XDG_RUNTIME_DIR")), QStringLiteral("/tmp"),
                         QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
                         problem);
}

QString SingleInstance::privateFolder(const QString& runtime, const QString& temporary,
                                      const QString& cache, QString* problem) {
    QStringList tried;
    // Short enough for the socket's name in it.
    const auto usable = [&](const QByteArray& candidate) {
        tried << QFile::decodeName(candidate);
        return candidate.size() < 60 && isPrivateFolder(candidate, true);
    };
    const QByteArray runtimePath = QFile::encodeName(runtime);
    if (runtimePath.startsWith('/') && isPrivateFolder(runtimePath, false) &&
        usable(runtimePath + "/orbeta"))
        return runtime + QStringLiteral("/orbeta");
    const QByteArray temporaryPath =
        QFile::encodeName(temporary) + "/orbeta-" + QByteArray::number(::getuid());
    if (!temporary.isEmpty() && usable(temporaryPath))
        return QFile::decodeName(temporaryPath);
    if (!cache.isEmpty() && QDir().mkpath(cache) && usable(QFile::encodeName(cache) + "/orbeta"))
        return cache + QStringLiteral("/orbeta");
    if (problem)
        *problem = QStringLiteral("ほかのユーザーが書き込めない場所がありません（%1）")
                       .arg(tried.join(QStringLiteral(", ")));
    return {};
}

SingleInstance::SingleInstance(quint64 device, quint64 inode, const QString& lockFolder,
                               QObject* parent)
    : QObject(parent), name_(QStringLiteral("folder-%1-%2").arg(device, 0, 16).arg(inode, 0, 16)) {
    if (lockFolder.isEmpty())
        return;
    const QByteArray base = QFile::encodeName(QDir(lockFolder).filePath(name_));
    socketPath_ = base + ".socket";
    lockPath_ = base + ".lock";
}

SingleInstance::~SingleInstance() {
    if (listening_ >= 0) {
        ::close(listening_);
        ::unlink(socketPath_.constData());
    }
    if (lock_ >= 0)
        ::close(lock_); // lets go of the lock
}

SingleInstance::Claim SingleInstance::claim(std::chrono::milliseconds answerWithin) {
    if (lockPath_.isEmpty()) {
        problem_ = QStringLiteral("ロックを置く場所がありません");
        return Claim::NoLock;
    }
    lock_ = ::open(lockPath_.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat status {};
    if (lock_ < 0 || ::fstat(lock_, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::getuid()) {
        problem_ = QString::fromLocal8Bit(std::strerror(lock_ < 0 ? errno : EPERM));
        if (lock_ >= 0)
            ::close(lock_);
        lock_ = -1;
        return Claim::NoLock;
    }
    // Until the deadline: the lock, once its holder is gone, or the holder's answer. Of several
    // starts that wait, one takes the lock and the others then ask it.
    const auto deadline = std::chrono::steady_clock::now() + answerWithin;
    for (;;) {
        if (::flock(lock_, LOCK_EX | LOCK_NB) == 0) {
            listen();
            return Claim::Ours;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            problem_ = QString::fromLocal8Bit(std::strerror(errno));
            return Claim::NoLock;
        }
        const Asked asked = askRunningToComeForward(deadline);
        if (asked == Asked::Answered)
            return Claim::AnotherCameForward;
        if (std::chrono::steady_clock::now() >= deadline)
            return Claim::AnotherNotAnswering;
        std::this_thread::sleep_for(kRetry);
    }
}

// Connects, says what it wants and waits for the answer, never past the deadline.
SingleInstance::Asked
SingleInstance::askRunningToComeForward(std::chrono::steady_clock::time_point deadline) const {
    const std::optional<sockaddr_un> address = addressOf(socketPath_);
    if (!address)
        return Asked::NobodyThere;
    const int caller = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (caller < 0)
        return Asked::NobodyThere;
    Asked asked = Asked::NobodyThere;
    // A full backlog refuses at once; an answer that does not come is waited for until the end.
    if (::connect(caller, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 &&
        peerIsUser(caller) && ::send(caller, &kComeForward, 1, MSG_NOSIGNAL) == 1) {
        asked = Asked::NoAnswer;
        pollfd answer{caller, POLLIN, 0};
        char reply = 0;
        if (::poll(&answer, 1, millisecondsUntil(deadline)) == 1 &&
            ::recv(caller, &reply, 1, 0) == 1 && reply == kComing)
            asked = Asked::Answered;
    }
    ::close(caller);
    return asked;
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
    for (int caller; (caller = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        if (peerIsUser(caller))
            answer(caller);
        ::close(caller);
    }
}

// A caller says what it wants at once; one that does not is left.
void SingleInstance::answer(int caller) {
    pollfd request{caller, POLLIN, 0};
    char wanted = 0;
    if (::poll(&request, 1, kCallerPatienceMs) != 1 || ::recv(caller, &wanted, 1, 0) != 1 ||
        wanted != kComeForward)
        return;
    ::send(caller, &kComing, 1, MSG_NOSIGNAL);
    Q_EMIT comeForward();
}

} // namespace orbeta
