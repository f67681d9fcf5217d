#include "memo/memo_folder.h"

#include "memo/file_reason.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace orbeta {

namespace {

constexpr qint64 kSettledNs = 2'000'000'000;
constexpr mode_t kNewFileMode = 0666; // less the user's umask
constexpr int kTemporaryTries = 16;

std::atomic<int> windowThreadReads{0};

QByteArray encoded(const QString& name) {
    return QFile::encodeName(name);
}

FileVersion versionFrom(const struct stat& status) {
    FileVersion version;
    version.exists = true;
    version.size = status.st_size;
    version.modifiedNs = qint64{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec;
    version.inode = status.st_ino;
    version.device = status.st_dev;
    version.mode = status.st_mode;
    return version;
}

// A file larger than the process may write makes the system end it with a signal, unless the
// signal is ignored: then the write fails and says so.
void failWritesBeyondTheSizeLimit() {
    static std::once_flag ignoring;
    std::call_once(ignoring, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

bool writeAll(int descriptor, QByteArrayView bytes, int& error) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t now = ::write(descriptor, bytes.data() + written,
                                    static_cast<std::size_t>(bytes.size() - written));
        if (now < 0 && errno == EINTR)
            continue;
        if (now < 0) {
            error = errno;
            return false;
        }
        written += now;
    }
    // Some file systems tell of a full disk only when the data goes to it.
    if (::fsync(descriptor) != 0 && errno != EINVAL && errno != EROFS) {
        error = errno;
        return false;
    }
    return true;
}

// A name for a new file beside `name` that no file has, hidden and never taken for a memo.
QString temporaryNameFor(const QString& name) {
    const qsizetype slash = name.lastIndexOf(u'/');
    return name.left(slash + 1) + u'.' + name.mid(slash + 1) + QStringLiteral(".new-") +
           QString::number(QRandomGenerator::global()->generate(), 36);
}

} // namespace

bool FileVersion::sameStatus(const FileVersion& other) const {
    return exists == other.exists && size == other.size && modifiedNs == other.modifiedNs &&
           inode == other.inode && device == other.device;
}

bool FileVersion::sameContent(const FileVersion& other) const {
    return exists == other.exists && size == other.size && digest == other.digest;
}

bool FileVersion::settledAt(qint64 nowMs) const {
    return nowMs * 1'000'000 - modifiedNs > kSettledNs;
}

QString FileRead::reason() const {
    switch (outcome) {
    case Outcome::Read:
        return {};
    case Outcome::Missing:
        return fileReason(ENOENT);
    case Outcome::TooLarge:
        return fileReason(EFBIG);
    case Outcome::NotRegular:
        return notRegularFileReason(fileType);
    case Outcome::Failed:
        break;
    }
    return fileReason(error);
}

MemoFolder::MemoFolder(const QString& path)
    : given_(path), start_(QDir(path).absolutePath()),
      descriptor_(::open(encoded(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    struct stat status {};
    if (descriptor_ >= 0 && ::fstat(descriptor_, &status) == 0) {
        device_ = status.st_dev;
        inode_ = status.st_ino;
    }
    // As the system names it, links resolved, so that only a move changes it.
    if (const QString now = currentPath(); !now.isEmpty())
        start_ = now;
}

bool MemoFolder::moved() const {
    const QString now = currentPath();
    return !now.isEmpty() && now != start_;
}

MemoFolder::~MemoFolder() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

QString MemoFolder::currentPath() const {
    if (descriptor_ < 0 || removed())
        return {};
    char link[4096];
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(descriptor_);
    const ssize_t length = ::readlink(self.constData(), link, sizeof link);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link)
        return start_;
    return QFile::decodeName(QByteArray(link, length));
}

bool MemoFolder::removed() const {
    struct stat status {};
    return descriptor_ < 0 || ::fstat(descriptor_, &status) != 0 || status.st_nlink == 0;
}

QString MemoFolder::shownPath(const QString& name) const {
    const QString folder = currentPath();
    return QDir::toNativeSeparators(QDir(folder.isEmpty() ? start_ : folder).filePath(name));
}

int MemoFolder::openRegular(const QString& name, FileRead& read) const {
    struct stat status {};
    if (::fstatat(descriptor_, encoded(name).constData(), &status, 0) != 0) {
        read.outcome = errno == ENOENT ? FileRead::Outcome::Missing : FileRead::Outcome::Failed;
        read.error = errno;
        return -1;
    }
    if (!S_ISREG(status.st_mode)) {
        read.outcome = FileRead::Outcome::NotRegular;
        read.fileType = status.st_mode & S_IFMT;
        return -1;
    }
    // Without waiting, should a pipe have taken the file's place since.
    const int descriptor = ::openat(descriptor_, encoded(name).constData(),
                                    O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        read.outcome = FileRead::Outcome::Failed;
        read.error = errno;
        return -1;
    }
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        read.outcome = FileRead::Outcome::NotRegular;
        read.fileType = status.st_mode & S_IFMT;
        ::close(descriptor);
        return -1;
    }
    read.version = versionFrom(status);
    return descriptor;
}

int MemoFolder::readsOnWindowThread() {
    return windowThreadReads;
}

FileRead MemoFolder::read(const QString& name, qint64 limit) const {
    if (const QCoreApplication* application = QCoreApplication::instance();
        application && QThread::currentThread() == application->thread())
        ++windowThreadReads;
    FileRead read;
    const int descriptor = openRegular(name, read);
    if (descriptor < 0)
        return read;
    if (read.version.size > limit) {
        read.outcome = FileRead::Outcome::TooLarge;
        ::close(descriptor);
        return read;
    }
    read.bytes.resize(read.version.size);
    qint64 got = 0;
    while (got < read.bytes.size()) {
        const ssize_t now = ::read(descriptor, read.bytes.data() + got,
                                   static_cast<std::size_t>(read.bytes.size() - got));
        if (now < 0 && errno == EINTR)
            continue;
        if (now < 0) {
            read.outcome = FileRead::Outcome::Failed;
            read.error = errno;
            ::close(descriptor);
            read.bytes.clear();
            return read;
        }
        if (now == 0)
            break; // shorter than it was: what is there
        got += now;
    }
    ::close(descriptor);
    read.bytes.truncate(got);
    read.version.size = got;
    read.outcome = FileRead::Outcome::Read;
    return read;
}

FileVersion MemoFolder::status(const QString& name) const {
    struct stat status {};
    if (::fstatat(descriptor_, encoded(name).constData(), &status, 0) != 0)
        return {};
    return versionFrom(status);
}

bool MemoFolder::exists(const QString& name) const {
    struct stat status {};
    return ::fstatat(descriptor_, encoded(name).constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

QStringList MemoFolder::list(const QString& subfolder) const {
    QStringList names;
    const QByteArray where = subfolder.isEmpty() ? QByteArray(".") : encoded(subfolder);
    const int descriptor =
        ::openat(descriptor_, where.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return names;
    DIR* entries = ::fdopendir(descriptor);
    if (!entries) {
        ::close(descriptor);
        return names;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
            names.append(QFile::decodeName(name));
    }
    ::closedir(entries);
    return names;
}

SaveOutcome MemoFolder::replace(const QString& name, QByteArrayView bytes,
                                std::optional<mode_t> mode) const {
    failWritesBeyondTheSizeLimit();
    if (descriptor_ < 0)
        return {false, fileReason(ENOENT)};
    if (!mode) {
        if (const FileVersion old = status(name); old.exists)
            mode = old.mode & 07777;
    }
    QByteArray temporary;
    int descriptor = -1;
    for (int tries = 0; descriptor < 0 && tries < kTemporaryTries; ++tries) {
        temporary = encoded(temporaryNameFor(name));
        descriptor = ::openat(descriptor_, temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (descriptor < 0 && errno != EEXIST)
            break;
    }
    if (descriptor < 0) {
        const int error = errno;
        // A folder where the file should be says more than the folder's permissions.
        struct stat target {};
        if (::fstatat(descriptor_, encoded(name).constData(), &target, 0) == 0 &&
            S_ISDIR(target.st_mode))
            return {false, fileReason(EISDIR)};
        return {false, fileReason(error)};
    }
    if (mode)
        ::fchmod(descriptor, *mode); // where the file system keeps permissions
    int error = 0;
    const bool written = writeAll(descriptor, bytes, error);
    if (::close(descriptor) != 0 && written && error == 0)
        error = errno;
    if (!written || error != 0) {
        ::unlinkat(descriptor_, temporary.constData(), 0);
        return {false, fileReason(error)};
    }
    if (::renameat(descriptor_, temporary.constData(), descriptor_, encoded(name).constData()) !=
        0) {
        error = errno;
        ::unlinkat(descriptor_, temporary.constData(), 0);
        return {false, fileReason(error)};
    }
    ::fsync(descriptor_); // the rename itself, on the disk
    return {true, {}};
}

SaveOutcome MemoFolder::create(const QString& name, QByteArrayView bytes, mode_t mode) const {
    failWritesBeyondTheSizeLimit();
    if (descriptor_ < 0)
        return {false, fileReason(ENOENT)};
    if (exists(name))
        return {false, fileReason(EEXIST)};
    const QByteArray temporary = encoded(temporaryNameFor(name));
    const int descriptor = ::openat(descriptor_, temporary.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (descriptor < 0)
        return {false, fileReason(errno)};
    ::fchmod(descriptor, mode);
    int error = 0;
    const bool written = writeAll(descriptor, bytes, error);
    if (::close(descriptor) != 0 && written && error == 0)
        error = errno;
    // A link fails where any file has the name: nothing is replaced.
    bool linked = false;
    if (written && error == 0) {
        linked = ::linkat(descriptor_, temporary.constData(), descriptor_,
                          encoded(name).constData(), 0) == 0;
        if (!linked)
            error = errno;
    }
    ::unlinkat(descriptor_, temporary.constData(), 0);
    if (linked) {
        ::fsync(descriptor_);
        return {true, {}};
    }
    if (!written || error == EEXIST)
        return {false, fileReason(error)};
    return createInPlace(name, bytes, mode); // a file system without links
}

SaveOutcome MemoFolder::createInPlace(const QString& name, QByteArrayView bytes,
                                      mode_t mode) const {
    const int descriptor = ::openat(descriptor_, encoded(name).constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (descriptor < 0)
        return {false, fileReason(errno)};
    int error = 0;
    const bool written = writeAll(descriptor, bytes, error);
    if (::close(descriptor) != 0 && written && error == 0)
        error = errno;
    if (!written || error != 0) {
        ::unlinkat(descriptor_, encoded(name).constData(), 0);
        return {false, fileReason(error)};
    }
    return {true, {}};
}

SaveOutcome MemoFolder::makeFolders(const QString& relative) const {
    if (descriptor_ < 0)
        return {false, fileReason(ENOENT)};
    QString path;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path += (path.isEmpty() ? QString() : QStringLiteral("/")) + part;
        if (::mkdirat(descriptor_, encoded(path).constData(), 0777) != 0 && errno != EEXIST)
            return {false, fileReason(errno)};
        struct stat status {};
        if (::fstatat(descriptor_, encoded(path).constData(), &status, 0) != 0 ||
            !S_ISDIR(status.st_mode))
            return {false, fileReason(ENOTDIR)};
    }
    return {true, {}};
}

bool MemoFolder::remove(const QString& name) const {
    return ::unlinkat(descriptor_, encoded(name).constData(), 0) == 0;
}

bool MemoFolder::rename(const QString& from, const QString& to) const {
    return ::renameat(descriptor_, encoded(from).constData(), descriptor_,
                      encoded(to).constData()) == 0;
}

} // namespace orbeta
