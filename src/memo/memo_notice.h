#pragma once

#include "memo/memo_files.h"

#include <QString>

namespace orbeta {

// What the memo window says of a memo that was not read whole, or from a file another day
// shares; empty for one read whole from its own file. `backup` is where its original would be
// kept on saving.
QString memoNotice(const MemoFiles::Loaded& loaded, QDate date, const QString& backup);

// Why saving will not replace the file, for a memo that may not replace it.
QString refusalToSave(const MemoFiles::Loaded& loaded);

} // namespace orbeta
