#pragma once

#include <QString>

namespace orbeta {

// Starts another program, detached, without waiting for it; tests put one of their own in its
// place so that none starts a real program unasked.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // False when the program could not be started.
    virtual bool start(const QString& program);
};

} // namespace orbeta
