#pragma once

#include "store/memo_folder.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace orbeta {

// The one way a new file comes into the memo folder (versions, recovery files, backups): it
// gets the first of the names `nameFor(0)`, `nameFor(1)`, ... that no file has, in `subfolder`
// (made where missing, never through a link; "" is the memo folder itself). Its content is on
// the disk before its name is, and its name before this returns: a power cut leaves the whole
// file or none, and nothing is ever replaced. `created` learns the name, with the subfolder.
using NameFor = std::function<QString(int sequence)>;

SaveOutcome writeNewFile(const MemoFolder& folder, const QString& subfolder, const NameFor& nameFor,
                         QByteArrayView bytes, mode_t mode, QString* created = nullptr);

// The same for a file of the memo folder that is kept under a new name too (a hard link): nothing
// is written again. Nothing when the file system cannot link (the caller then writes the bytes).
std::optional<SaveOutcome> linkNewFile(const MemoFolder& folder, const QString& subfolder,
                                       const NameFor& nameFor, const QString& existing,
                                       QString* created = nullptr);

} // namespace orbeta
