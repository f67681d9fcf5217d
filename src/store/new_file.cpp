#include "store/new_file.h"

#include "store/durable_write.h"
#include "store/file_names.h"
#include "store/file_reason.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbeta {

namespace {

constexpr int kMostNames = 100000;
constexpr mode_t kNewFileMode = 0666; // less the user's umask

class FolderDescriptor {
public:
    FolderDescriptor(const MemoFolder& folder, const QString& subfolder) {
        descriptor_ = subfolder.isEmpty()
                          ? ::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                          : folder.openSubfolder(subfolder, true, &error_);
        if (descriptor_ < 0 && error_ == 0)
            error_ = errno;
    }
    ~FolderDescriptor() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    FolderDescriptor(const FolderDescriptor&) = delete;
    FolderDescriptor& operator=(const FolderDescriptor&) = delete;
    int get() const { return descriptor_; }
    int error() const { return error_; }

private:
    int descriptor_ = -1;
    int error_ = 0;
};

QString withFolder(const QString& subfolder, const QString& name) {
    return subfolder.isEmpty() ? name : subfolder + u'/' + name;
}

// Gives `linkName` (a file in `from`) the first free name in `to`: 0 when done, else the error.
// EEXIST never comes back: a taken name is passed over.
int linkUnderFreeName(int from, const QByteArray& linkName, int to, const NameFor& nameFor,
                      QString& name) {
    for (int sequence = 0; sequence < kMostNames; ++sequence) {
        name = nameFor(sequence);
        if (::linkat(from, linkName.constData(), to, bytesOfName(name).constData(), 0) == 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

bool cannotLink(int error) {
    return error == EPERM || error == EXDEV || error == ENOTSUP || error == EOPNOTSUPP ||
           error == EMLINK || error == ENOSYS;
}

// Where links are not to be had: created in place under a free name, removed again if it cannot
// be written whole.
SaveOutcome createInPlace(int folder, const NameFor& nameFor, QByteArrayView bytes, mode_t mode,
                          QString& name) {
    for (int sequence = 0; sequence < kMostNames; ++sequence) {
        name = nameFor(sequence);
        const QByteArray encoded = bytesOfName(name);
        const int descriptor =
            ::openat(folder, encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            return {false, fileReason(errno)};
        int error = 0;
        const bool written = writeAndSync(descriptor, bytes, error);
        if (::close(descriptor) != 0 && written && error == 0)
            error = errno;
        if (!written || error != 0) {
            ::unlinkat(folder, encoded.constData(), 0);
            return {false, fileReason(error)};
        }
        return {true, {}};
    }
    return {false, fileReason(EEXIST)};
}

} // namespace

SaveOutcome writeNewFile(const MemoFolder& folder, const QString& subfolder, const NameFor& nameFor,
                         QByteArrayView bytes, mode_t mode, QString* created) {
    const FolderDescriptor into(folder, subfolder);
    if (into.get() < 0)
        return {false, fileReason(into.error())};
    // Written whole under a hidden name first; then linked under its name, which fails rather
    // than replace a file that has it.
    const QByteArray temporary =
        ".new-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    const int descriptor = ::openat(into.get(), temporary.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (descriptor < 0)
        return {false, fileReason(errno)};
    ::fchmod(descriptor, mode);
    int error = 0;
    const bool written = writeAndSync(descriptor, bytes, error);
    if (::close(descriptor) != 0 && written && error == 0)
        error = errno;
    QString name;
    if (written && error == 0)
        error = linkUnderFreeName(into.get(), temporary, into.get(), nameFor, name);
    ::unlinkat(into.get(), temporary.constData(), 0);
    if (written && cannotLink(error)) {
        const SaveOutcome inPlace = createInPlace(into.get(), nameFor, bytes, mode, name);
        if (!inPlace.ok)
            return inPlace;
        error = 0;
    }
    if (!written || error != 0)
        return {false, fileReason(error)};
    syncFolder(into.get());
    if (created)
        *created = withFolder(subfolder, name);
    return {true, {}};
}

std::optional<SaveOutcome> linkNewFile(const MemoFolder& folder, const QString& subfolder,
                                       const NameFor& nameFor, const QString& existing,
                                       QString* created) {
    const QByteArray source = bytesOfName(existing);
    struct stat status {};
    if (::fstatat(folder.descriptor(), source.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(status.st_mode))
        return std::nullopt; // a link, say: its bytes are written instead
    // What another program wrote may still be only in memory: on the disk before it has a
    // second name.
    if (const int descriptor =
            ::openat(folder.descriptor(), source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
    const FolderDescriptor into(folder, subfolder);
    if (into.get() < 0)
        return SaveOutcome{false, fileReason(into.error())};
    QString name;
    const int error = linkUnderFreeName(folder.descriptor(), source, into.get(), nameFor, name);
    if (cannotLink(error))
        return std::nullopt;
    if (error != 0)
        return SaveOutcome{false, fileReason(error)};
    syncFolder(into.get());
    if (created)
        *created = withFolder(subfolder, name);
    return SaveOutcome{true, {}};
}

} // namespace orbeta
