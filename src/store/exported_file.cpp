#include "store/exported_file.h"

#include "store/durable_write.h"
#include "store/file_names.h"
#include "store/file_reason.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbeta {

SaveOutcome writeExportedFile(const QString& path, QByteArrayView bytes) {
    const QFileInfo target(path);
    const QByteArray folder = bytesOfName(target.absolutePath());
    const QByteArray temporary = folder + "/." + bytesOfName(target.fileName()) + ".new-" +
                                 QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    const int descriptor =
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (descriptor < 0)
        return {false, fileReason(errno)};
    int error = 0;
    writeAndSync(descriptor, bytes, error);
    if (::close(descriptor) != 0 && error == 0)
        error = errno;
    if (error == 0 &&
        ::rename(temporary.constData(), bytesOfName(target.absoluteFilePath()).constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return {false, fileReason(error)};
    }
    if (const int parent = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        parent >= 0) {
        ::fsync(parent);
        ::close(parent);
    }
    return {true, {}};
}

} // namespace orbeta
