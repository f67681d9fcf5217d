#pragma once

#include <QByteArray>

// A rich-edit style memo of about `bytes` bytes: code page 932 text as \'xx pairs mixed with
// Latin words, a formatting change every forty or so characters, paragraphs of a few hundred.
QByteArray richEditStyleMemo(qsizetype bytes, quint32 seed = 1);
