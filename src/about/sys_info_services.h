#pragma once

#include "about/code_page.h"
#include "about/program_starter.h"
#include "about/registry.h"
#include "about/sysinfo_locator.h"

#include <functional>

namespace orbeta {

// What the About box needs to find and start the system information program. The registry is
// made when first asked for.
struct SysInfoServices {
    std::function<registry::Registry&()> registry;
    const CodePage& codePage;
    const FileProbe& files;
    ProgramStarter& starter;
};

} // namespace orbeta
