#pragma once

#include "store/file_stamp.h"

#include <QByteArrayView>
#include <QString>

namespace orbeta {

// Writes a file the user chose (a PDF) whole or not at all: into a new file beside it, synced,
// then renamed over it, so that a full disk or a failure half way leaves whatever was there.
SaveOutcome writeExportedFile(const QString& path, QByteArrayView bytes);

} // namespace orbeta
