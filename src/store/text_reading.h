#pragma once

#include "store/memo_folder.h"
#include "store/memo_text.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

namespace orbeta {

// Reads a memo file's text, RTF or not, damaged or not; made searchable where asked.
MemoText readMemoText(const MemoFolder& folder, const QString& name,
                      const MakeSearchable& makeSearchable);

// The same for many files, on every processor, in the order given; fewer when stopping.
QList<MemoText> readMemoTexts(const MemoFolder& folder, const QStringList& names,
                              const MakeSearchable& makeSearchable,
                              const std::atomic<bool>& stopping);

} // namespace orbeta
