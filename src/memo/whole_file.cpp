#include "memo/whole_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbeta {

namespace {

FileStamp stampFrom(const struct stat& status) {
    return {status.st_size, qint64{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec,
            status.st_ino, status.st_dev};
}

} // namespace

bool settledStamp(const FileStamp& stamp, qint64 readAtMs) {
    constexpr qint64 kSettledNs = 2'000'000'000;
    return readAtMs * 1'000'000 - stamp.modifiedNs > kSettledNs;
}

std::optional<FileStamp> stampOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return stampFrom(status);
}

FileRead readWholeFile(const QString& path, qint64 limit) {
    FileRead read;
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        read.error = errno;
        return read;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        read.error = S_ISDIR(status.st_mode) ? EISDIR : errno != 0 ? errno : EIO;
        ::close(descriptor);
        return read;
    }
    read.stamp = stampFrom(status);
    if (status.st_size > limit) {
        read.size = status.st_size;
        read.tooLarge = true;
        ::close(descriptor);
        return read;
    }
    read.bytes.resize(status.st_size);
    qint64 got = 0;
    while (got < read.bytes.size()) {
        const ssize_t now = ::read(descriptor, read.bytes.data() + got,
                                   static_cast<std::size_t>(read.bytes.size() - got));
        if (now < 0 && errno == EINTR)
            continue;
        if (now < 0) {
            read.error = errno;
            break;
        }
        if (now == 0)
            break; // shorter than it was: what is there
        got += now;
    }
    read.bytes.truncate(got);
    read.size = got;
    ::close(descriptor);
    return read;
}

} // namespace orbeta
