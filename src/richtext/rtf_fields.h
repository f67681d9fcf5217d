#pragma once

#include <QString>

namespace orbeta::rtf {

// The target of a HYPERLINK field instruction ("#name" for a \l bookmark), or nothing when the
// instruction is some other field.
QString hyperlinkTarget(const QString& instruction);

// The instruction the writer puts in a link's field.
QString hyperlinkInstruction(const QString& target);

} // namespace orbeta::rtf
