#include "store/memo_folder.h"

#include "store/durable_write.h"
#include "store/file_names.h"
#include "store/file_reason.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

#include <atomic>
#include <cerrno>
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
std::atomic<int> allReads{0};

std::mutex syncRecordMutex;
int syncRecorders = 0;
QList<QPair<quint64, quint64>>& syncRecord() {
    static auto& record = *new QList<QPair<quint64, quint64>>;
    return record;
}

FileStamp stampFrom(const struct stat& status) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = status.st_size;
    stamp.modifiedNs = qint64{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec;
    stamp.inode = status.st_ino;
    stamp.device = status.st_dev;
    stamp.mode = status.st_mode;
    return stamp;
}

// A name for a new file beside `name` that no file has, hidden and never taken for a memo.
QByteArray temporaryNameFor(const QByteArray& name) {
    return '.' + name + ".new-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

QByteArray linkOf(int descriptor) {
    char link[4096];
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(descriptor);
    const ssize_t length = ::readlink(self.constData(), link, sizeof link);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link)
        return {};
    return QByteArray(link, length);
}

class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

} // namespace

bool FileStamp::sameFile(const FileStamp& other) const {
    return exists == other.exists && size == other.size && modifiedNs == other.modifiedNs &&
           inode == other.inode && device == other.device;
}

bool FileStamp::sameContent(const FileStamp& other) const {
    return exists == other.exists && size == other.size && digest == other.digest;
}

bool FileStamp::settledAt(qint64 nowMs) const {
    return nowMs * 1'000'000 - modifiedNs > kSettledNs;
}

QByteArray contentDigest(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
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
    case Outcome::OutsideFolder:
        return linkOutsideReason();
    case Outcome::Failed:
        break;
    }
    return fileReason(error);
}

MemoFolder::MemoFolder(const QString& path)
    : start_(QDir(path).absolutePath()),
      descriptor_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    struct stat status {};
    if (descriptor_ >= 0 && ::fstat(descriptor_, &status) == 0) {
        device_ = status.st_dev;
        inode_ = status.st_ino;
    }
    // As the system names it, links resolved, so that only a move changes it.
    if (const QString now = currentPath(); !now.isEmpty())
        start_ = now;
}

MemoFolder::~MemoFolder() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool MemoFolder::moved() const {
    const QString now = currentPath();
    return !now.isEmpty() && now != start_;
}

QString MemoFolder::currentPath() const {
    if (descriptor_ < 0 || removed())
        return {};
    const QByteArray link = linkOf(descriptor_);
    return link.isEmpty() ? start_ : nameFromBytes(link);
}

bool MemoFolder::removed() const {
    struct stat status {};
    return descriptor_ < 0 || ::fstat(descriptor_, &status) != 0 || status.st_nlink == 0;
}

QString MemoFolder::shownPath(const QString& name) const {
    const QString folder = currentPath();
    return QDir::toNativeSeparators(QDir(folder.isEmpty() ? start_ : folder).filePath(name));
}

// Where a file opened through links lies, relative to the folder; nothing when outside it.
std::optional<QByteArray> MemoFolder::insidePath(int pathDescriptor) const {
    const QByteArray folder = linkOf(descriptor_);
    const QByteArray file = linkOf(pathDescriptor);
    if (folder.isEmpty() || file.size() <= folder.size() + 1 || !file.startsWith(folder) ||
        file[folder.size()] != '/')
        return std::nullopt;
    return file.mid(folder.size() + 1);
}

int MemoFolder::openRegular(const QString& name, FileRead& read) const {
    int error = 0;
    const std::optional<Place> place = placeOf(name, false, &error);
    if (!place) {
        read.outcome = error == ENOENT ? FileRead::Outcome::Missing : FileRead::Outcome::Failed;
        read.error = error;
        return -1;
    }
    const Descriptor folder(place->folder);
    struct stat status {};
    if (::fstatat(folder.get(), place->name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        read.outcome = errno == ENOENT ? FileRead::Outcome::Missing : FileRead::Outcome::Failed;
        read.error = errno;
        return -1;
    }
    // O_PATH opens without reading: a pipe does not wait, and where a link leads is checked
    // before anything of it is read.
    const Descriptor path(::openat(folder.get(), place->name.constData(), O_PATH | O_CLOEXEC));
    if (path.get() < 0) {
        read.outcome = errno == ENOENT ? FileRead::Outcome::Missing : FileRead::Outcome::Failed;
        read.error = errno;
        return -1;
    }
    if (S_ISLNK(status.st_mode) && !insidePath(path.get())) {
        read.outcome = FileRead::Outcome::OutsideFolder;
        return -1;
    }
    if (::fstat(path.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        read.outcome = FileRead::Outcome::NotRegular;
        read.fileType = status.st_mode & S_IFMT;
        return -1;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(path.get());
    const int descriptor = ::open(self.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        read.outcome = FileRead::Outcome::Failed;
        read.error = errno;
        return -1;
    }
    read.stamp = stampFrom(status);
    return descriptor;
}

int MemoFolder::readsOnWindowThread() {
    return windowThreadReads;
}

int MemoFolder::reads() {
    return allReads;
}

FileRead MemoFolder::read(const QString& name, qint64 limit, Larger larger) const {
    if (const QCoreApplication* application = QCoreApplication::instance();
        application && QThread::currentThread() == application->thread())
        ++windowThreadReads;
    FileRead read;
    const int descriptor = descriptor_ < 0 ? -1 : openRegular(name, read);
    if (descriptor < 0)
        return read;
    const bool tooLarge = read.stamp.size > limit;
    if (tooLarge && larger == Larger::Refused) {
        read.outcome = FileRead::Outcome::TooLarge;
        ::close(descriptor);
        return read;
    }
    read.bytes.resize(std::min(read.stamp.size, limit));
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
    ++allReads;
    if (tooLarge) {
        read.outcome = FileRead::Outcome::TooLarge;
        return read;
    }
    read.stamp.size = got;
    read.outcome = FileRead::Outcome::Read;
    return read;
}

FileStamp MemoFolder::stamp(const QString& name) const {
    const std::optional<Place> place = placeOf(name, false, nullptr);
    if (!place)
        return {};
    const Descriptor folder(place->folder);
    struct stat status {};
    if (::fstatat(folder.get(), place->name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    if (!S_ISLNK(status.st_mode))
        return stampFrom(status);
    const Descriptor path(::openat(folder.get(), place->name.constData(), O_PATH | O_CLOEXEC));
    if (path.get() < 0 || !insidePath(path.get()) || ::fstat(path.get(), &status) != 0)
        return {};
    return stampFrom(status);
}

bool MemoFolder::exists(const QString& name) const {
    struct stat status {};
    return ::fstatat(descriptor_, bytesOfName(name).constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

bool MemoFolder::isRegularFile(const QString& name) const {
    struct stat status {};
    return ::fstatat(descriptor_, bytesOfName(name).constData(), &status, AT_SYMLINK_NOFOLLOW) ==
               0 &&
           S_ISREG(status.st_mode);
}

QStringList MemoFolder::list(const QString& subfolder) const {
    QStringList names;
    const int descriptor = subfolder.isEmpty()
                               ? ::openat(descriptor_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                               : openSubfolder(subfolder, false);
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
            names.append(nameFromBytes(name));
    }
    ::closedir(entries);
    return names;
}

int MemoFolder::openSubfolder(const QString& relative, bool make, int* error) const {
    const auto failed = [error](int number) {
        if (error)
            *error = number;
        return -1;
    };
    if (descriptor_ < 0)
        return failed(ENOENT);
    int current = ::openat(descriptor_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        if (current < 0)
            return failed(errno);
        const QByteArray name = bytesOfName(part);
        bool made = false;
        if (make && ::mkdirat(current, name.constData(), 0777) == 0) {
            made = true;
        } else if (make && errno != EEXIST) {
            const int makeError = errno;
            ::close(current);
            return failed(makeError);
        }
        // Never through a link: a link where a folder should be fails here.
        const int next =
            ::openat(current, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int openError = errno;
        if (made)
            syncFolder(current); // the new folder's entry, on the disk
        ::close(current);
        if (next < 0)
            return failed(openError == ELOOP ? ENOTDIR : openError);
        current = next;
    }
    return current;
}

std::optional<MemoFolder::Place> MemoFolder::placeOf(const QString& path, bool make,
                                                     int* error) const {
    const qsizetype slash = path.lastIndexOf(u'/');
    Place place;
    place.name = bytesOfName(path.mid(slash + 1));
    place.folder = slash < 0 ? ::openat(descriptor_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                             : openSubfolder(path.left(slash), make, error);
    if (place.folder < 0) {
        if (error && slash < 0)
            *error = errno;
        return std::nullopt;
    }
    return place;
}

std::optional<QString> MemoFolder::refusalToReplace(const QString& name) const {
    if (descriptor_ < 0)
        return fileReason(ENOENT);
    const QByteArray encoded = bytesOfName(name);
    struct stat status {};
    if (::fstatat(descriptor_, encoded.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? std::nullopt : std::optional(fileReason(errno));
    if (S_ISLNK(status.st_mode)) {
        const Descriptor path(::openat(descriptor_, encoded.constData(), O_PATH | O_CLOEXEC));
        if (path.get() < 0)
            return fileReason(errno); // a link that leads nowhere
        if (!insidePath(path.get()))
            return linkOutsideReason();
        ::fstat(path.get(), &status);
    }
    if (S_ISDIR(status.st_mode))
        return fileReason(EISDIR);
    if (!S_ISREG(status.st_mode))
        return notRegularFileReason(status.st_mode & S_IFMT);
    // Root may write anything: a file nobody may write is still not replaced.
    if ((status.st_mode & 0222) == 0 ||
        ::faccessat(descriptor_, encoded.constData(), W_OK, AT_EACCESS) != 0)
        return readOnlyReason();
    return std::nullopt;
}

SaveOutcome MemoFolder::replace(const QString& name, QByteArrayView bytes,
                                std::optional<mode_t> mode) const {
    if (const std::optional<QString> refusal = refusalToReplace(name))
        return {false, *refusal};
    // Through a link inside the folder: its file is replaced where it is.
    QString target = name;
    if (const Descriptor path(
            ::openat(descriptor_, bytesOfName(name).constData(), O_PATH | O_CLOEXEC | O_NOFOLLOW));
        path.get() >= 0) {
        struct stat status {};
        if (::fstat(path.get(), &status) == 0 && S_ISLNK(status.st_mode)) {
            const Descriptor followed(
                ::openat(descriptor_, bytesOfName(name).constData(), O_PATH | O_CLOEXEC));
            const std::optional<QByteArray> inside = insidePath(followed.get());
            if (!inside)
                return {false, linkOutsideReason()};
            target = nameFromBytes(*inside);
        }
    }
    if (!mode) {
        if (const FileStamp old = stamp(target); old.exists)
            mode = old.mode & 07777;
    }
    int error = 0;
    const std::optional<Place> place = placeOf(target, false, &error);
    if (!place)
        return {false, fileReason(error)};
    const Descriptor folder(place->folder);
    QByteArray temporary;
    int descriptor = -1;
    for (int tries = 0; descriptor < 0 && tries < kTemporaryTries; ++tries) {
        temporary = temporaryNameFor(place->name);
        descriptor = ::openat(folder.get(), temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (descriptor < 0 && errno != EEXIST)
            break;
    }
    if (descriptor < 0)
        return {false, fileReason(errno)};
    if (mode)
        ::fchmod(descriptor, *mode); // where the file system keeps permissions
    const bool written = writeAndSync(descriptor, bytes, error);
    if (::close(descriptor) != 0 && written && error == 0)
        error = errno;
    if (!written || error != 0) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return {false, fileReason(error)};
    }
    if (::renameat(folder.get(), temporary.constData(), folder.get(), place->name.constData()) !=
        0) {
        error = errno;
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return {false, fileReason(error)};
    }
    syncFolder(folder.get()); // the rename itself, on the disk
    return {true, {}};
}

bool MemoFolder::remove(const QString& path) const {
    const std::optional<Place> place = placeOf(path, false, nullptr);
    if (!place)
        return false;
    const Descriptor folder(place->folder);
    struct stat status {};
    return ::fstatat(folder.get(), place->name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(status.st_mode) && ::unlinkat(folder.get(), place->name.constData(), 0) == 0;
}

void syncFolder(int descriptor) {
    ::fsync(descriptor);
    const std::lock_guard lock(syncRecordMutex);
    struct stat status {};
    if (syncRecorders > 0 && ::fstat(descriptor, &status) == 0)
        syncRecord().append({status.st_dev, status.st_ino});
}

SyncedFolders::SyncedFolders() {
    const std::lock_guard lock(syncRecordMutex);
    if (syncRecorders++ == 0)
        syncRecord().clear();
}

SyncedFolders::~SyncedFolders() {
    const std::lock_guard lock(syncRecordMutex);
    --syncRecorders;
}

QList<QPair<quint64, quint64>> SyncedFolders::folders() const {
    const std::lock_guard lock(syncRecordMutex);
    return syncRecord();
}

} // namespace orbeta
