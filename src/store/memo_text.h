#pragma once

#include "store/file_stamp.h"
#include "store/searchable_text.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>

namespace orbeta {

// What the program knows of a memo file's text to show it outside the memo window: whether it
// says anything and its first lines (the calendar's marks and tooltips), and, once searching has
// begun, what the search made of the whole text.
struct MemoText {
    enum class State { Waiting, Read, Unreadable, TooLarge };
    State state = State::Waiting;
    FileStamp stamp;
    bool settled = false; // read long enough after it was written for its stamp to tell
    bool saysSomething = false;
    QString firstLines;
    QString reason; // Unreadable: why
    std::shared_ptr<const SearchableText> searchable;

    static constexpr int kPreviewLines = 4;
    static constexpr int kPreviewCharacters = 80;
};

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
