#include "app/single_instance.h"
#include "store/memo_folder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orbeta;
using namespace std::chrono_literals;

namespace {

constexpr quint64 kDevice = 0xfd01;
constexpr quint64 kInode = 0x1234;
const char kOtherUser[] = "orbeta-other";

// This program again as a start of its own, locking in `places`: it prints "claiming", claims
// the folder and prints what it got; where the folder became its own, it answers later starts,
// printing "forward" each time it is asked to come forward.
QProcess* helper(const QStringList& places, QObject* parent) {
    auto* process = new QProcess(parent);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QCoreApplication::applicationFilePath(), QStringList{"claim"} + places);
    return process;
}

bool waitForLine(QProcess& process, const QByteArray& line, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    QByteArray seen;
    while (clock.elapsed() < ms) {
        QTest::qWait(20); // this program answers meanwhile, where it holds the folder
        seen += process.readAll();
        if (seen.split('\n').contains(line))
            return true;
    }
    return false;
}

int runHelper(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QStringList places;
    for (int i = 2; i < argc; ++i)
        places << QString::fromLocal8Bit(argv[i]);
    SingleInstance instance(kDevice, kInode, places);
    QObject::connect(&instance, &SingleInstance::comeForward, [] {
        std::puts("forward");
        std::fflush(stdout);
    });
    std::puts("claiming");
    std::fflush(stdout);
    // Longer than any test waits for a stopped holder, so that a busy machine never makes a
    // start that a test keeps waiting give up on its own.
    const SingleInstance::Claim claim = instance.claim(60s);
    const char* said = claim == SingleInstance::Claim::Ours                  ? "ours"
                       : claim == SingleInstance::Claim::AnotherCameForward  ? "came forward"
                       : claim == SingleInstance::Claim::AnotherNotAnswering ? "no answer"
                                                                             : "no lock";
    std::puts(said);
    std::fflush(stdout);
    return claim == SingleInstance::Claim::Ours ? application.exec() : 0;
}

// The other user's id, made where there is none; nothing where this is not root.
std::optional<uid_t> otherUser() {
    if (::geteuid() != 0)
        return std::nullopt;
    if (!::getpwnam(kOtherUser))
        QProcess::execute("useradd", {"--system", "--no-create-home", kOtherUser});
    const passwd* user = ::getpwnam(kOtherUser);
    return user ? std::optional(user->pw_uid) : std::nullopt;
}

// Runs `plant` as the other user in a child; one that `stays` stays until killed, so that
// what it holds (a lock, a listening socket) stays held.
pid_t asOtherUser(uid_t other, bool stays, const std::function<void()>& plant) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(other) != 0 || ::setuid(other) != 0)
            ::_exit(1);
        plant();
        while (stays)
            ::pause();
        ::_exit(0);
    }
    if (!stays)
        ::waitpid(child, nullptr, 0);
    return child;
}

void listenAt(const QByteArray& path) {
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::listen(listening, 1); // and never answers
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir lockFolder_;

private Q_SLOTS:
    void aLaterStartBringsTheHolderForward() {
        QProcess* holder = helper({lockFolder_.path()}, this);
        QVERIFY(waitForLine(*holder, "ours"));
        SingleInstance later(kDevice, kInode, {lockFolder_.path()});
        QCOMPARE(later.claim(), SingleInstance::Claim::AnotherCameForward);
        QVERIFY(waitForLine(*holder, "forward"));
        holder->kill();
        holder->waitForFinished();
    }

    // Given a holder that does not answer (stopped), a later start says so within the bound and
    // never runs beside it; once the holder is gone, of several starts waiting, one runs and the
    // others bring it forward.
    void aHolderThatDoesNotAnswerIsNotWaitedForAndOneStartFollowsIt() {
        QProcess* holder = helper({lockFolder_.path()}, this);
        QVERIFY(waitForLine(*holder, "ours"));
        ::kill(static_cast<pid_t>(holder->processId()), SIGSTOP);
        const auto resume = qScopeGuard([&] { holder->kill(); });
        QElapsedTimer clock;
        clock.start();
        SingleInstance later(kDevice, kInode, {lockFolder_.path()});
        QCOMPARE(later.claim(), SingleInstance::Claim::AnotherNotAnswering);
        QVERIFY2(clock.elapsed() < 4500, qPrintable(QString::number(clock.elapsed())));

        QList<QProcess*> waiting;
        for (int i = 0; i < 3; ++i)
            waiting << helper({lockFolder_.path()}, this);
        for (QProcess* start : std::as_const(waiting))
            QVERIFY(waitForLine(*start, "claiming"));
        holder->kill();
        holder->waitForFinished();
        QStringList said;
        for (QProcess* start : std::as_const(waiting)) {
            QVERIFY(start->canReadLine() || start->waitForReadyRead(10000));
            said << QString::fromLatin1(start->readLine().trimmed());
        }
        QCOMPARE(said.count("ours"), 1);
        QCOMPARE(said.count("came forward"), 2);
        for (QProcess* start : std::as_const(waiting))
            start->kill();
    }

    // Without a lock to be had for another reason than another program, the start says why.
    void noLockIsToldNeverHidden() {
        SingleInstance start(kDevice, kInode, {lockFolder_.filePath("not/there")});
        QCOMPARE(start.claim(100ms), SingleInstance::Claim::NoLock);
        QVERIFY(!start.problem().isEmpty());
    }

    // The same folder by another path, a link or a bind mount, is known as the same folder.
    void theFolderIsKnownByWhatItIs() {
        QTemporaryDir place;
        const QString memos = place.filePath("memos");
        QVERIFY(QDir().mkpath(memos));
        QVERIFY(QFile::link(memos, place.filePath("link")));
        const MemoFolder real(memos);
        const MemoFolder linked(place.filePath("link"));
        QCOMPARE(linked.device(), real.device());
        QCOMPARE(linked.inode(), real.inode());
        const QString mounted = place.filePath("mounted");
        QVERIFY(QDir().mkpath(mounted));
        if (QProcess::execute("mount", {"--bind", memos, mounted}) != 0)
            QSKIP("a bind mount needs root; CI runs as root");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mounted}); });
        const MemoFolder bound(mounted);
        QCOMPARE(bound.device(), real.device());
        QCOMPARE(bound.inode(), real.inode());
    }

    // Given another user who plants locks, links and listening sockets where a start looks for
    // its own, old places and new, the start neither ends nor runs beside its own program.
    void anotherUserCanNeitherBlockNorFoolAStart() {
        const std::optional<uid_t> other = otherUser();
        if (!other)
            QSKIP("another user needs root to make and to act as; CI runs as root");
        QTemporaryDir shared; // a sticky folder every user may write in, as /tmp is
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        QTemporaryDir runtime;
        QVERIFY(::chown(QFile::encodeName(runtime.path()).constData(), *other, *other) == 0);
        QTemporaryDir cache;
        const QByteArray mine =
            QFile::encodeName(shared.path()) + "/orbeta-" + QByteArray::number(::getuid());
        // The old place: a lock any user may open, held, and a socket that never answers.
        const QByteArray oldName =
            QFile::encodeName(shared.path()) + "/orbeta-" + QByteArray::number(::getuid()) + "-" +
            QCryptographicHash::hash(QFile::encodeName(shared.path()), QCryptographicHash::Sha1)
                .toHex()
                .left(16);
        const pid_t planter = asOtherUser(*other, true, [&] {
            ::mkdir(mine.constData(), 0777); // the new place, taken first
            ::chmod(mine.constData(), 0777);
            const int lock =
                ::open((mine + "/folder-fd01-1234.lock").constData(), O_RDWR | O_CREAT, 0666);
            ::flock(lock, LOCK_EX);
            listenAt(mine + "/folder-fd01-1234.socket");
            const int oldLock = ::open((oldName + ".lock").constData(), O_RDWR | O_CREAT, 0666);
            ::flock(oldLock, LOCK_EX);
            listenAt(oldName);
        });
        const auto stop = qScopeGuard([&] {
            ::kill(planter, SIGKILL);
            ::waitpid(planter, nullptr, 0);
        });
        QTRY_VERIFY(QFileInfo::exists(QFile::decodeName(oldName)));

        QTemporaryDir home;
        QString problem;
        const QStringList places =
            SingleInstance::places(home.path(), shared.path(), runtime.path(), &problem);
        // Neither the other user's runtime folder nor the place they took in /tmp.
        QCOMPARE(places, QStringList{home.path() + "/.cache/orbeta"});
        SingleInstance first(kDevice, kInode, places);
        QCOMPARE(first.claim(1s), SingleInstance::Claim::Ours);
        QProcess* later = helper(places, this);
        QVERIFY(waitForLine(*later, "came forward")); // one program per folder still
        later->waitForFinished();

        // A link in the place in /tmp, made before the user's own folder: not followed.
        QCOMPARE(QProcess::execute("rm", {"-rf", QFile::decodeName(mine)}), 0);
        asOtherUser(*other, false, [&] { ::symlink("/tmp", mine.constData()); });
        QVERIFY(QFileInfo(QFile::decodeName(mine)).isSymLink());
        QCOMPARE(SingleInstance::places(home.path(), shared.path(), {}), places);
    }

    // A runtime folder that others may use is not used, and its permissions stay as they are
    // (a home folder, a shared folder, the system's temporary folder).
    void noFolderThatOrbetaDidNotMakeIsChanged_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("0755, a home folder") << 0755;
        QTest::newRow("0775, a shared folder") << 0775;
        QTest::newRow("1777, the temporary folder") << 01777;
    }
    void noFolderThatOrbetaDidNotMakeIsChanged() {
        QFETCH(int, mode);
        QTemporaryDir runtime;
        QTemporaryDir home;
        QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), mode_t(mode)) == 0);
        QVERIFY(::chmod(QFile::encodeName(home.path()).constData(), 0755) == 0);
        const QStringList places = SingleInstance::places(home.path(), {}, runtime.path());
        QCOMPARE(places, QStringList{home.path() + "/.cache/orbeta"});
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(runtime.path()).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), mode);
        QCOMPARE(::stat(QFile::encodeName(home.path()).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 07777), 0755);
        QVERIFY(!QFileInfo::exists(runtime.path() + "/orbeta"));
    }

    // Starts of one user on one folder, one with a runtime folder in its environment and one
    // without (a terminal reached with su -, cron), are one program.
    void oneProgramWhateverTheEnvironmentSays() {
        QTemporaryDir home;
        QTemporaryDir temporary;
        QTemporaryDir runtime;
        QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), 0700) == 0);
        QProcess* desktop =
            helper(SingleInstance::places(home.path(), temporary.path(), runtime.path()), this);
        QVERIFY(waitForLine(*desktop, "ours"));
        SingleInstance terminal(kDevice, kInode,
                                SingleInstance::places(home.path(), temporary.path(), {}));
        QCOMPARE(terminal.claim(), SingleInstance::Claim::AnotherCameForward);
        SingleInstance noHome(kDevice, kInode,
                              SingleInstance::places({}, temporary.path(), runtime.path()));
        QCOMPARE(noHome.claim(), SingleInstance::Claim::AnotherCameForward);
        desktop->kill();
        desktop->waitForFinished();
    }

    // Another user takes the place in /tmp before the first start, which locks elsewhere, and
    // lets it go before the second, which can then lock there too: the two still meet.
    void aPlaceTakenAndLetGoDoesNotSplitTwoStarts() {
        const std::optional<uid_t> other = otherUser();
        if (!other)
            QSKIP("another user needs root to make and to act as; CI runs as root");
        QTemporaryDir shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        QTemporaryDir home;
        const QByteArray mine =
            QFile::encodeName(shared.path()) + "/orbeta-" + QByteArray::number(::getuid());
        asOtherUser(*other, false, [&] { ::mkdir(mine.constData(), 0777); });
        const QStringList firstPlaces = SingleInstance::places(home.path(), shared.path(), {});
        QCOMPARE(firstPlaces.size(), 1);
        QProcess* first = helper(firstPlaces, this);
        QVERIFY(waitForLine(*first, "ours"));
        QCOMPARE(QProcess::execute("rm", {"-rf", QFile::decodeName(mine)}), 0);
        const QStringList secondPlaces = SingleInstance::places(home.path(), shared.path(), {});
        QCOMPARE(secondPlaces.size(), 2);
        SingleInstance second(kDevice, kInode, secondPlaces);
        QCOMPARE(second.claim(), SingleInstance::Claim::AnotherCameForward);
        first->kill();
        first->waitForFinished();
    }
};

int main(int argc, char* argv[]) {
    if (argc >= 3 && std::strcmp(argv[1], "claim") == 0)
        return runHelper(argc, argv);
    QCoreApplication application(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_single_instance.moc"
