#pragma once

#include <QByteArrayView>

namespace orbeta {

// Writes all of `bytes` to an open file, again where a write is interrupted, then syncs it to the
// disk where the file system can; false, with the error number, when something failed. Some file
// systems tell of a full disk only at the sync. A file-size limit makes the write fail, as a full
// disk does, instead of ending the program.
bool writeAndSync(int descriptor, QByteArrayView bytes, int& error);

} // namespace orbeta
