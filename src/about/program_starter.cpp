#include "about/program_starter.h"

#include <QProcess>

namespace orbeta {

bool ProgramStarter::start(const QString& program) {
    QProcess process;
    process.setProgram(program);
    return process.startDetached();
}

} // namespace orbeta
