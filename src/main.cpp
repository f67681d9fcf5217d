#include "app/application.h"
#include "app/background_work.h"
#include "app/platform_choice.h"
#include "program/program.h"

#include <cstdlib>

int main(int argc, char* argv[]) {
    orbeta::choosePlatformForPositionMemory();
    const int code = [&] {
        orbeta::Application app(argc, argv);
        orbeta::Program program;
        if (!program.StartUnlessRunning())
            return 0; // another program runs for this folder
        return app.exec();
    }();
    // A thread still reading a file (on a network mount that hangs, say) is not waited for.
    if (orbeta::BackgroundWork::anyStillBusy())
        std::_Exit(code);
    return code;
}
