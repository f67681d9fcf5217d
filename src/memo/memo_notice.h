#pragma once

#include "store/memo_version.h"
#include "store/opened_memo.h"

#include <QList>
#include <QString>

namespace orbeta {

// What the memo window says of a memo that was not read whole, or from a file another day
// shares; empty for one read whole from its own file. `file` is the file as the user finds it.
QString memoNotice(const OpenedMemo& opened, const QString& file);

// Why saving will not replace the file, for a memo that may not replace it.
QString refusalToSave(const OpenedMemo& opened, const QString& file);

// What the window says when a save failed; `removedFolder`, where the memo folder was deleted.
QString saveFailure(const SaveResult& saved, const QString& removedFolder);

// What it says after a save that could not keep the replaced text among the versions.
QString versionNotMade(const SaveResult& saved);

// The offer of text kept when the program last ended without saving it: the newest, and how
// many more there are.
QString recoveryNotice(const MemoVersion& newest, qsizetype others);

// The news of versions of the memo from other machines: one named, many summed up with the
// newest named.
QString copiesNotice(const QList<MemoVersion>& copies);

// That unsaved text cannot be kept in the journal, and why; editing goes on.
QString journalNotice(const QString& reason);

} // namespace orbeta
