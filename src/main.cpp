#include "app/application.h"
#include "app/platform_choice.h"
#include "app/program.h"

int main(int argc, char* argv[]) {
    orbeta::choosePlatformForPositionMemory();
    orbeta::Application app(argc, argv);
    orbeta::Program program;
    if (!program.StartUnlessRunning())
        return 0; // another program runs for this folder, and has come forward
    return app.exec();
}
