#pragma once

#include <QString>

namespace orbeta {

// Why a file could not be read or written, in words a person understands, from the system's
// error number (errno).
QString fileReason(int errorNumber);

} // namespace orbeta
