#pragma once

#include "memo/memo_folder.h"
#include "memo/text_folding.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

namespace orbeta {

// What the program keeps of a memo file's text to show it outside the memo window: whether it
// says anything and its first lines (the calendar's marks and tooltips), and, once searching has
// begun, the whole text folded for searching.
struct MemoText {
    enum class State { Waiting, Read, Unreadable, TooLarge };
    State state = State::Waiting;
    FileVersion version;
    bool settled = false; // read long enough after it was written for its version to tell
    bool saysSomething = false;
    QString firstLines;
    QString reason; // Unreadable: why
    std::shared_ptr<const FoldedText> folded;

    static constexpr int kPreviewLines = 4;
    static constexpr int kPreviewCharacters = 80;
};

// Reads a memo file's text, RTF or not, damaged or not; folded for searching where asked.
MemoText readMemoText(const MemoFolder& folder, const QString& name, bool fold);

// The same for many files, on every processor, in the order given; fewer when stopping.
QList<MemoText> readMemoTexts(const MemoFolder& folder, const QStringList& names, bool fold,
                              const std::atomic<bool>& stopping);

} // namespace orbeta
