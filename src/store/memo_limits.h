#pragma once

#include <QtGlobal>

namespace orbeta {

// Larger files are not read at all, and memos of more characters are not shown: Qt's editor
// stops answering for minutes while it lays out text so long.
inline constexpr qint64 kMaxMemoFileBytes = 32 * 1024 * 1024;
inline constexpr qint64 kMaxEditableCharacters = 2'000'000;

} // namespace orbeta
