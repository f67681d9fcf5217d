#include "app/program.h"

#include "calendar/form1.h"

#include <QCoreApplication>

namespace orbeta {

Program::Program(Services services)
    : services_(std::move(services)), form1_([this] { return new Form1(*this); }) {}

Program::~Program() = default;

Form1& Program::form1() {
    return form1_.touch();
}

void Program::Start() {
    form1().show();
}

void Program::End() {
    QCoreApplication::exit(0);
}

void Program::openMemo(QDate) {}

void Program::showAbout() {}

} // namespace orbeta
