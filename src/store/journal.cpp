#include "store/journal.h"

#include "store/durable_write.h"
#include "store/file_names.h"
#include "store/file_reason.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbeta {

namespace {

// A folder of the user's alone: made so where missing; one another user owns, one others may
// use, or a link is not used, and nothing of it is changed.
bool privateFolder(const QString& path, int& error) {
    const QByteArray encoded = bytesOfName(path);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        error = errno;
        return false;
    }
    struct stat status {};
    if (::lstat(encoded.constData(), &status) != 0) {
        error = errno;
        return false;
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() || (status.st_mode & 077) != 0) {
        error = EACCES;
        return false;
    }
    return true;
}

} // namespace

QString Journal::stateFolder() {
    const QString named = qEnvironmentVariable("XDG_STATE_HOME");
    if (!named.isEmpty() && QDir::isAbsolutePath(named))
        return named;
    return QDir::homePath() + QStringLiteral("/.local/state");
}

Journal::Journal(quint64 folderDevice, quint64 folderInode, const QString& stateFolder)
    : folder_(stateFolder + QStringLiteral("/orbeta/unsaved/folder-%1-%2")
                                .arg(folderDevice, 0, 16)
                                .arg(folderInode, 0, 16)) {}

QString Journal::pathOf(const QString& memoName) const {
    return folder_ + u'/' + memoName;
}

SaveOutcome Journal::write(const QString& memoName, QByteArrayView rtf) const {
    // The state folder itself is shared with the user's other programs; what is made in it here
    // is the user's alone.
    const QString unsaved = QFileInfo(folder_).path();
    const QString own = QFileInfo(unsaved).path();
    QDir().mkpath(QFileInfo(own).path());
    int error = 0;
    if (!privateFolder(own, error) || !privateFolder(unsaved, error) ||
        !privateFolder(folder_, error))
        return {false, fileReason(error)};
    const QByteArray target = bytesOfName(pathOf(memoName));
    const QByteArray temporary =
        target + ".new-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    const int descriptor =
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return {false, fileReason(errno)};
    const bool written = writeAndSync(descriptor, rtf, error);
    if (::close(descriptor) != 0 && written && error == 0)
        error = errno;
    if (!written || error != 0 || ::rename(temporary.constData(), target.constData()) != 0) {
        if (error == 0)
            error = errno;
        ::unlink(temporary.constData());
        return {false, fileReason(error)};
    }
    if (const int folder = ::open(bytesOfName(folder_).constData(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {true, {}};
}

std::optional<Journal::Entry> Journal::entryOf(const QString& memoName) const {
    struct stat status {};
    if (::lstat(bytesOfName(pathOf(memoName)).constData(), &status) != 0 ||
        !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
        return std::nullopt;
    Entry entry;
    entry.path = pathOf(memoName);
    entry.size = status.st_size;
    entry.writtenAt = QDateTime::fromMSecsSinceEpoch(qint64{status.st_mtim.tv_sec} * 1000 +
                                                     status.st_mtim.tv_nsec / 1'000'000);
    return entry;
}

QByteArray Journal::read(const QString& memoName, qint64 limit, QString* problem) const {
    const int descriptor = ::open(bytesOfName(pathOf(memoName)).constData(),
                                  O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > limit) {
        if (problem)
            *problem = fileReason(descriptor < 0 ? errno : EFBIG);
        if (descriptor >= 0)
            ::close(descriptor);
        return {};
    }
    QByteArray bytes(status.st_size, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t now =
            ::read(descriptor, bytes.data() + got, static_cast<std::size_t>(bytes.size() - got));
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0)
            break;
        got += now;
    }
    ::close(descriptor);
    bytes.truncate(got);
    return bytes;
}

void Journal::remove(const QString& memoName) const {
    ::unlink(bytesOfName(pathOf(memoName)).constData());
}

} // namespace orbeta
