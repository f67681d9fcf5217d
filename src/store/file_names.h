#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace orbeta {

// File names as the system has them are bytes; the program holds them as text. A name that is
// not valid UTF-8 (written by another system, say) keeps each byte that does not decode as a
// code unit of its own (U+DC80 + the byte, which no valid UTF-8 gives), so that every name comes
// back to the same bytes and the file can still be opened.
QString nameFromBytes(QByteArrayView bytes);
QByteArray bytesOfName(QStringView name);

// The same name with each byte that did not decode shown as U+FFFD: what patterns are matched
// against.
QString matchableName(QStringView name);

// A name as the user may safely read it: characters that change the order or the look of the
// text around them (right-to-left overrides, invisible marks) and bytes that did not decode are
// shown as their codes, ⟨U+202E⟩ or ⟨0xFF⟩, so that no name can pass for another.
QString visibleName(QStringView name);

} // namespace orbeta
