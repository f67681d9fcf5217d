#pragma once

#include <QString>

#include <functional>

class QIODevice;

namespace orbeta {

struct SaveOutcome {
    bool ok = false;
    QString reason; // why not, in Japanese
};

// Replaces a file completely or not at all: `write` writes the new content into a temporary
// file beside it, which is synced to the disk and then renamed over the old one. The writes go
// straight to the file, so a full disk or a file-size limit fails the write that meets it, with
// the system's reason, and the old file stays. (A file-size limit would otherwise end the
// program with a signal; it is ignored from the first save on.)
SaveOutcome saveFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write);

} // namespace orbeta
