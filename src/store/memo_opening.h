#pragma once

#include "store/memo_folder.h"
#include "store/opened_memo.h"

#include <QDate>
#include <QString>

class QTextDocument;

namespace orbeta {

// Reads a day's memo into the document, replacing what it held; whatever cannot be read leaves
// it empty, and the result says why.
OpenedMemo openMemo(const MemoFolder& folder, QDate day, QTextDocument& document);

// The file the day's memo is read from: its save name or, failing that, the name older versions
// used; empty when the day has no memo file.
QString memoFileOf(const MemoFolder& folder, QDate day);

// Where the original of a memo is kept before a save replaces it: NAME.bak, then NAME.1.bak,
// NAME.2.bak, ... the first no file has.
QString backupName(const QString& name, int sequence);
QString freeBackupName(const MemoFolder& folder, const QString& name);

// What is at a file now, with a digest of its content where it can be read.
FileStamp contentStamp(const MemoFolder& folder, const QString& name);

} // namespace orbeta
