#include "app/program.h"

#include "about/frm_about.h"
#include "app/single_instance.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/form2.h"
#include "memo/memo_opening.h"

#include <QApplication>
#include <QDir>

namespace orbeta {

Program::Program(Services services)
    : services_(std::move(services)), form1_([this] { return new Form1(*this); }),
      form2_([this] { return new Form2(*this); }), about_([this] { return new frmAbout(*this); }) {}

Program::~Program() = default;

Form1& Program::form1() {
    return form1_.touch();
}

Form2& Program::form2() {
    return form2_.touch();
}

frmAbout& Program::about() {
    return about_.touch();
}

registry::Registry& Program::registry() {
    if (!services_.registry)
        services_.registry = systemRegistry();
    return *services_.registry;
}

void Program::Start() {
    form1().show();
}

bool Program::StartUnlessRunning() {
    instance_ = std::make_unique<SingleInstance>(QDir::currentPath());
    if (!instance_->claim())
        return false;
    QObject::connect(instance_.get(), &SingleInstance::comeForward, [this] { ComeForward(); });
    Start();
    return true;
}

void Program::ComeForward() {
    QWidget* window = QApplication::activeModalWidget();
    if (!window)
        window = &form1();
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void Program::End() {
    QCoreApplication::exit(0);
}

void Program::openMemo(QDate date) {
    openDayMemo(*this, date);
    if (Form1* calendar = form1_.ifLoaded())
        calendar->MonthView1().refreshDays(); // the day may have a memo now
}

void Program::showAbout() {
    showModal(about(), form1());
}

} // namespace orbeta
