#include "store/durable_write.h"

#include <cerrno>
#include <csignal>

#include <unistd.h>

namespace orbeta {

bool writeAndSync(int descriptor, QByteArrayView bytes, int& error) {
    // The system ends a process that writes past its file-size limit with a signal, unless the
    // signal is ignored: then the write fails and says so.
    std::signal(SIGXFSZ, SIG_IGN);
    for (qsizetype written = 0; written < bytes.size();) {
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
    if (::fsync(descriptor) != 0 && errno != EINVAL && errno != EROFS) {
        error = errno;
        return false;
    }
    return true;
}

} // namespace orbeta
