#include "app/application.h"
#include "app/platform_choice.h"
#include "app/program.h"

int main(int argc, char* argv[]) {
    orbeta::choosePlatformForPositionMemory();
    orbeta::Application app(argc, argv);
    orbeta::Program program;
    program.Start();
    return app.exec();
}
