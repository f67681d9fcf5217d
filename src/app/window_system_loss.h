#pragma once

#include <functional>

namespace orbeta {

// When the connection to the window system breaks (the X server or the Wayland compositor went
// away), Qt ends the program with exit() from inside the event loop: no event handler runs, and
// static objects are destroyed while threads still use them. `last` runs first instead, on the
// window thread, with everything still alive; the process then ends at once with status 1.
// Should anything else end the program with exit() while `last` is set, `last` runs from the
// exit handlers and the process ends there too. An empty `last` lets the program end as usual.
void setLastWordsBeforeWindowSystemLoss(std::function<void()> last);

} // namespace orbeta
