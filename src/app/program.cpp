#include "app/program.h"

#include "about/frm_about.h"
#include "app/single_instance.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/form2.h"
#include "memo/memo_opening.h"
#include "search/frm_search.h"
#include "search/memo_index.h"

#include <QApplication>
#include <QDir>

namespace orbeta {

Program::Program(Services services)
    : services_(std::move(services)), form1_([this] { return new Form1(*this); }),
      form2_([this] { return new Form2(*this); }), about_([this] { return new frmAbout(*this); }),
      search_([this] { return new frmSearch(*this, form1()); }) {}

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

frmSearch& Program::search() {
    return search_.touch();
}

search::MemoIndex& Program::memoIndex() {
    if (!memoIndex_)
        memoIndex_ = std::make_unique<search::MemoIndex>(services_.memoFiles.folder());
    return *memoIndex_;
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

void Program::openMemo(QDate date, const QStringList& searchTerms) {
    if (Form2* memo = form2_.ifLoaded()) {
        memo->raise();
        memo->activateWindow();
        return;
    }
    const QDate shown = openDayMemo(*this, date, searchTerms);
    // The day may have a memo now, or another text.
    if (Form1* calendar = form1_.ifLoaded())
        calendar->MonthView1().refreshDays();
    if (memoIndex_)
        memoIndex_->refreshDay(shown);
}

void Program::showAbout() {
    showModal(about(), form1());
}

void Program::showSearch() {
    search().bringForward();
}

} // namespace orbeta
