#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace orbeta {

// Text of a file that is not RTF: UTF-16 with its byte-order mark, UTF-8 when it is valid UTF-8,
// else code page 932.
QString plainMemoText(const QByteArray& bytes);

// The text of a memo file, RTF or not, as the memo window shows it.
QString memoFileText(const QByteArray& bytes);

// The first lines of a memo's text that say something, blanks trimmed, at most `lines` of them
// and about `characters` characters in all, with "…" where a line is cut and, where `more` says
// so, where more lines follow.
enum class MoreLines { Marked, Unmarked };
QString firstLines(QStringView text, int lines, qsizetype characters,
                   MoreLines more = MoreLines::Marked);

} // namespace orbeta
