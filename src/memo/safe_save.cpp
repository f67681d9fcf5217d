#include "memo/safe_save.h"

#include "memo/file_reason.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <csignal>
#include <mutex>
#include <unistd.h>

namespace orbeta {

namespace {

// Writes to a file descriptor with no buffer of its own, and remembers the first error.
class DescriptorDevice final : public QIODevice {
public:
    explicit DescriptorDevice(int descriptor) : descriptor_(descriptor) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    int error() const { return error_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        qint64 written = 0;
        while (written < size && error_ == 0) {
            const ssize_t now =
                ::write(descriptor_, data + written, static_cast<std::size_t>(size - written));
            if (now >= 0)
                written += now;
            else if (errno != EINTR)
                error_ = errno;
        }
        if (error_ != 0)
            setErrorString(fileReason(error_));
        return error_ == 0 ? written : -1;
    }

private:
    int descriptor_;
    int error_ = 0;
};

// Why a file could not be made at `path`, told from what is there.
int openError(const QString& path, int reported) {
    const QFileInfo file(path);
    if (file.isDir())
        return EISDIR;
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists() || !folder.isDir())
        return ENOENT;
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return EACCES;
    return reported != 0 ? reported : EIO;
}

} // namespace

SaveOutcome saveFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write) {
    static std::once_flag ignoring;
    std::call_once(ignoring, [] { std::signal(SIGXFSZ, SIG_IGN); });

    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, fileReason(openError(path, errno))};
    DescriptorDevice device(file.handle());
    if (!write(device) || device.error() != 0) {
        file.cancelWriting();
        return {false, device.error() != 0 ? fileReason(device.error()) : device.errorString()};
    }
    // Some file systems tell of a full disk only when the data goes to it.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        const int error = errno;
        file.cancelWriting();
        return {false, fileReason(error)};
    }
    errno = 0;
    if (!file.commit())
        return {false, fileReason(errno != 0 ? errno : EIO)};
    return {true, {}};
}

} // namespace orbeta
