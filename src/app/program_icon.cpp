#include "app/program_icon.h"

namespace orbeta {

QIcon programIcon() {
    QIcon icon;
    for (const char* size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/icons/orbeta-%1.png").arg(QLatin1String(size)));
    return icon;
}

} // namespace orbeta
