#pragma once

#include <QByteArray>

// A rich-edit style memo of about `bytes` bytes: code page 932 text as \'xx pairs mixed with
// Latin words, a formatting change every forty or so characters, paragraphs of a few hundred.
QByteArray richEditStyleMemo(qsizetype bytes, quint32 seed = 1);

// A memo that is one table of `rows` rows and `columns` columns, a short text in every cell.
QByteArray tableMemo(int rows, int columns);
// A memo of `count` JPEG pictures of about `bytes` each, a line of text before each.
QByteArray picturesMemo(int count, qsizetype bytes);
// A table of two columns whose first column is one cell merged down all its rows.
QByteArray mergedColumnMemo(int rows);

// A day memo as a rich-edit control writes it: Japanese sentences of everyday words in code page
// 932, some Latin words and times, bold, colour and size changes, paragraphs of a line or two.
QByteArray dayMemo(qsizetype bytes, quint32 seed = 1);
