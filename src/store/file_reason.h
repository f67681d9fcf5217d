#pragma once

#include <QString>

namespace orbeta {

// Why a file could not be read or written, in words a person understands, from the system's
// error number (errno).
QString fileReason(int errorNumber);

// Why a file that is not a regular file is not read as a memo, from its type (S_IFIFO, ...).
QString notRegularFileReason(unsigned int fileType);

// Why a symbolic link that leads outside the memo folder is neither read nor written.
QString linkOutsideReason();

// Why a file nobody may write is not replaced.
QString readOnlyReason();

} // namespace orbeta
