#include "app/program_icon.h"

namespace orbeta {

QIcon programIcon() {
    QIcon icon;
    // With its size given, a file is read only when a picture of it is wanted.
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/orbeta-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace orbeta
