#pragma once

#include "memo/conflict_copies.h"
#include "memo/memo_files.h"
#include "memo/memo_recovery.h"

#include <QList>
#include <QString>

namespace orbeta {

// What the memo window says of a memo that was not read whole, or from a file another day
// shares; empty for one read whole from its own file.
QString memoNotice(const MemoFiles::Opened& opened, const MemoFolder& folder);

// Why saving will not replace the file, for a memo that may not replace it.
QString refusalToSave(const MemoFiles::Opened& opened, const MemoFolder& folder);

// What the window says when a save failed.
QString saveFailure(const MemoFiles::Saved& saved, const MemoFolder& folder);

// The offer of text kept when the program last ended without saving it.
QString recoveryNotice(const QList<RecoveryFile>& recoveries);

// The news of versions of the memo from another machine.
QString copiesNotice(const QList<ConflictCopy>& copies);

} // namespace orbeta
