#include "app/single_instance.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <pwd.h>
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

// A folder that the user alone owns and may write in: made where missing, never through a link,
// and never changed: one that others may use is not used.
bool isPrivateFolder(const QByteArray& path, bool make) {
    if (make)
        ::mkdir(path.constData(), 0700);
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::getuid() && (status.st_mode & 077) == 0 &&
           ::access(path.constData(), W_OK | X_OK) == 0;
}

// Short enough for a socket's name in it.
constexpr qsizetype kLongestPlace = 60;

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

QStringList SingleInstance::places(QString* problem) {
    const passwd* user = ::getpwuid(::getuid());
    return places(user && user->pw_dir ? QFile::decodeName(user->pw_dir) : QString(),
                  QStringLiteral("/tmp"), QFile::decodeName(qgetenv("XDG_RUNTIME_DIR")), problem);
}

QStringList SingleInstance::places(const QString& home, const QString& temporary,
                                   const QString& runtime, QString* problem) {
    QStringList usable;
    QStringList tried;
    const auto use = [&](const QByteArray& candidate) {
        tried << QFile::decodeName(candidate);
        if (candidate.size() < kLongestPlace && isPrivateFolder(candidate, true))
            usable << QFile::decodeName(candidate);
    };
    if (!home.isEmpty()) {
        const QByteArray cache = QFile::encodeName(home) + "/.cache";
        ::mkdir(cache.constData(), 0700); // where missing; an existing one is left as it is
        use(cache + "/orbeta");
    }
    if (!temporary.isEmpty())
        use(QFile::encodeName(temporary) + "/orbeta-" + QByteArray::number(::getuid()));
    // The runtime folder only where it is the user's alone: nothing of it is changed.
    if (const QByteArray path = QFile::encodeName(runtime);
        path.startsWith('/') && isPrivateFolder(path, false))
        use(path + "/orbeta");
    if (usable.isEmpty() && problem)
        *problem = QStringLiteral("ほかのユーザーが書き込めない場所がありません（%1）")
                       .arg(tried.join(QStringLiteral(", ")));
    return usable;
}

SingleInstance::SingleInstance(quint64 device, quint64 inode, const QStringList& places,
                               QObject* parent)
    : QObject(parent) {
    const QString name = QStringLiteral("folder-%1-%2").arg(device, 0, 16).arg(inode, 0, 16);
    for (const QString& folder : places) {
        const QByteArray base = QFile::encodeName(QDir(folder).filePath(name));
        places_.append({base + ".lock", base + ".socket"});
    }
}

SingleInstance::~SingleInstance() {
    letGo();
}

void SingleInstance::letGo() {
    for (Place& place : places_) {
        if (place.listening >= 0) {
            delete place.callers;
            place.callers = nullptr;
            ::close(place.listening);
            ::unlink(place.socketPath.constData());
            place.listening = -1;
        }
        if (place.lock >= 0)
            ::close(place.lock); // lets go of the lock
        place.lock = -1;
    }
}

// The place's lock file, the user's own, not through a link.
bool SingleInstance::openLock(Place& place) {
    place.lock =
        ::open(place.lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat status {};
    if (place.lock >= 0 && ::fstat(place.lock, &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_uid == ::getuid())
        return true;
    problem_ = QString::fromLocal8Bit(std::strerror(place.lock < 0 ? errno : EPERM));
    if (place.lock >= 0)
        ::close(place.lock);
    place.lock = -1;
    return false;
}

// Until the deadline: every lock, once their holder is gone, or the holder's answer. The places
// are taken in one order, and a start that finds one held lets go of those it took: of several
// starts that wait, one takes them all and the others then ask it.
SingleInstance::Claim SingleInstance::claim(std::chrono::milliseconds answerWithin) {
    const auto deadline = std::chrono::steady_clock::now() + answerWithin;
    for (;;) {
        const Place* held = nullptr;
        bool anyTaken = false;
        for (Place& place : places_) {
            if (!openLock(place))
                continue; // not usable now: the others decide
            if (::flock(place.lock, LOCK_EX | LOCK_NB) == 0) {
                anyTaken = true;
                continue;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) {
                problem_ = QString::fromLocal8Bit(std::strerror(errno));
                continue;
            }
            held = &place;
            break;
        }
        if (!held && !anyTaken) {
            letGo();
            if (problem_.isEmpty())
                problem_ = QStringLiteral("ロックを置く場所がありません");
            return Claim::NoLock;
        }
        if (!held) {
            for (Place& place : places_)
                if (place.lock >= 0)
                    listen(place);
            return Claim::Ours;
        }
        const Place asked = *held;
        letGo();
        if (askRunningToComeForward(asked, deadline) == Asked::Answered)
            return Claim::AnotherCameForward;
        if (std::chrono::steady_clock::now() >= deadline)
            return Claim::AnotherNotAnswering;
        std::this_thread::sleep_for(kRetry);
    }
}

// Connects, says what it wants and waits for the answer, never past the deadline.
SingleInstance::Asked
SingleInstance::askRunningToComeForward(const Place& place,
                                        std::chrono::steady_clock::time_point deadline) const {
    const std::optional<sockaddr_un> address = addressOf(place.socketPath);
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

void SingleInstance::listen(Place& place) {
    const std::optional<sockaddr_un> address = addressOf(place.socketPath);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (!address || listening < 0)
        return;
    ::unlink(place.socketPath.constData()); // left by a program that was killed: the lock is ours
    const mode_t mask = ::umask(0077);      // for the user alone from the start
    const bool bound =
        ::bind(listening, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    ::umask(mask);
    if (!bound || ::listen(listening, kPendingCallers) != 0) {
        ::close(listening);
        return;
    }
    place.listening = listening;
    place.callers = new QSocketNotifier(listening, QSocketNotifier::Read, this);
    connect(place.callers, &QSocketNotifier::activated, this,
            [this, listening] { takeCallers(listening); });
}

void SingleInstance::takeCallers(int listening) {
    for (int caller; (caller = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
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
