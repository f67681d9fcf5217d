#pragma once

#include <QIcon>

namespace orbeta {

// The program's icon, a calendar window with green digits on black, at the sizes drawn for it.
QIcon programIcon();

} // namespace orbeta
