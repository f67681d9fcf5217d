#pragma once

#include "store/memo_folder.h"
#include "store/opened_memo.h"

#include <QByteArray>

namespace orbeta {

class MemoVersions;

// Writes RTF as the day's memo `opened` is of, replacing the file only once the new one is
// completely written: a failed save leaves the old file as it was. What it replaces becomes the
// memo's newest version first, or, where the folder of versions cannot take it, a backup beside
// the memo; where `opened` says so, the original is kept beside the file too, once for the
// opening. A file nobody may write, or a link that leads out of the folder, is not replaced.
// `opened` learns what the file now is.
SaveResult saveMemo(const MemoFolder& folder, MemoVersions& versions, const QByteArray& rtf,
                    OpenedMemo& opened);

// Whether the file a save would replace is no longer what it was when the memo was read, or when
// the user last agreed to replace it: changed, removed, or made since by another program. `now`,
// where given, learns what it is now.
bool changedSince(const MemoFolder& folder, const OpenedMemo& opened, FileStamp* now = nullptr);

} // namespace orbeta
