#include "program/program.h"

#include "about/frm_about.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "app/window_system_loss.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "calendar/rokuyo.h"
#include "memo/form2.h"
#include "memo/rich_text_box.h"
#include "print/print_request.h"
#include "search/frm_search.h"
#include "search/memo_index.h"
#include "search/text_folding.h"
#include "store/memo_store.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace orbeta {

namespace {

void say(const char* name, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, QStringLiteral("Orbeta"), text, QMessageBox::Ok);
    box.setObjectName(QString::fromLatin1(name));
    box.exec();
}

} // namespace

Program::Program(Services services)
    : services_(std::move(services)),
      store_(std::make_unique<MemoStore>(services_.memoFolder, *services_.clock, nullptr,
                                         MemoStore::Watch::Notices, services_.stateFolder)),
      form1_([this] { return makeCalendar(); }),
      form2_([this] { return new Form2(*services_.positions, *store_); }), about_([this] {
          return new frmAbout(
              SysInfoServices{[this]() -> registry::Registry& { return registry(); },
                              *services_.codePage, *services_.files, *services_.starter});
      }),
      search_([this] { return makeSearch(); }) {}

Program::~Program() {
    if (rescuingAtTheEnd_)
        setLastWordsBeforeWindowSystemLoss({});
}

Form1* Program::makeCalendar() {
    auto* calendar = new Form1(*services_.clock, *services_.positions, *store_);
    QObject::connect(calendar, &Form1::memoRequested, calendar,
                     [this](QDate day) { openMemo(day); });
    QObject::connect(calendar, &Form1::searchRequested, calendar, [this] { showSearch(); });
    QObject::connect(calendar, &Form1::aboutRequested, calendar, [this] { showAbout(); });
    QObject::connect(calendar, &Form1::printRequested, calendar,
                     [this] { print(frmPrint::Purpose::Print); });
    QObject::connect(calendar, &Form1::pdfRequested, calendar,
                     [this] { print(frmPrint::Purpose::Pdf); });
    QObject::connect(calendar, &Form1::endRequested, calendar, [this] { End(); });
    QObject::connect(calendar, &Form1::unloading, calendar, [this] {
        if (frmSearch* search = search_.ifLoaded())
            search->Unload(); // remembers where it was, before it goes with the calendar
    });
    QObject::connect(&calendar->MonthView1(), &MonthView::selectionChanged, calendar, [this] {
        if (frmSearch* search = search_.ifLoaded())
            search->setCalendarDay(form1().MonthView1().selectedDate());
    });
    return calendar;
}

frmSearch* Program::makeSearch() {
    auto* search = new frmSearch(*services_.positions, memoIndex(), form1());
    search->setCalendarDay(form1().MonthView1().selectedDate());
    QObject::connect(search, &frmSearch::openRequested, search,
                     [this](QDate day, const QString& copy, const QStringList& terms) {
                         form1().MonthView1().setValue(day);
                         openMemo(day, copy, terms);
                     });
    return search;
}

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
        memoIndex_ = std::make_unique<search::MemoIndex>(*store_);
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
    QString problem;
    instance_ = std::make_unique<SingleInstance>(store_->folderDevice(), store_->folderInode(),
                                                 SingleInstance::places(&problem));
    switch (instance_->claim()) {
    case SingleInstance::Claim::AnotherCameForward:
        return false;
    case SingleInstance::Claim::AnotherNotAnswering:
        say("notAnswering",
            QStringLiteral("このフォルダーでは Orbeta がすでに起動していますが、応答しません。\n\n"
                           "フォルダー: %1\n\nしばらく待ってから、もう一度起動してください。")
                .arg(store_->folderPath()),
            QMessageBox::Warning);
        return false;
    case SingleInstance::Claim::NoLock:
        QTimer::singleShot(0, &form1(), [this, problem] {
            say("noLock",
                QStringLiteral("このフォルダーで Orbeta を一つだけ動かすための確認ができません"
                               "でした（%1）。同じフォルダーで二つ起動すると、保存した内容が"
                               "失われることがあります。")
                    .arg(problem.isEmpty() ? instance_->problem() : problem),
                QMessageBox::Warning);
        });
        break;
    case SingleInstance::Claim::Ours:
        QObject::connect(instance_.get(), &SingleInstance::comeForward, [this] { ComeForward(); });
        break;
    }
    rescueUnsavedTextAtUnchosenEnds();
    Start();
    return true;
}

// Signals, the end of the session and the loss of the window system end the program without
// the user's word: the text of an open memo is kept beside it first.
void Program::rescueUnsavedTextAtUnchosenEnds() {
    auto* signals = new TerminationSignals(&form1());
    QObject::connect(signals, &TerminationSignals::terminationRequested, [this](int signalNumber) {
        rescueUnsavedText();
        QCoreApplication::exit(128 + signalNumber);
    });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &form1(),
                     [this] { rescueUnsavedText(); });
    setLastWordsBeforeWindowSystemLoss([this] { rescueUnsavedText(); });
    rescuingAtTheEnd_ = true;
}

void Program::rescueUnsavedText() {
    if (Form2* memo = form2_.ifLoaded())
        if (const QString where = memo->rescueUnsavedText(); !where.isEmpty())
            std::fprintf(stderr, "Orbeta: unsaved text of %s kept in %s\n",
                         qUtf8Printable(memo->day().toString(Qt::ISODate)), qUtf8Printable(where));
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

void Program::openMemo(QDate day, const QString& copy, const QStringList& searchTerms) {
    if (Form2* memo = form2_.ifLoaded()) {
        memo->raise();
        memo->activateWindow();
        return;
    }
    // Touching the window loads it, and loading puts it where the user left it.
    Form2& memo = form2();
    memo.openDay(day);
    if (!searchTerms.isEmpty()) {
        if (const std::optional<Span> hit =
                firstHit(memo.RichTextBox1().toPlainText(), searchTerms))
            memo.selectSpan(hit->position, hit->length);
    }
    if (!copy.isEmpty())
        QTimer::singleShot(0, &memo, [&memo, copy] { memo.showVersions(copy); });
    showModal(memo, form1());
}

void Program::showAbout() {
    showModal(about(), form1());
}

void Program::print(frmPrint::Purpose purpose) {
    const MonthView& calendar = form1().MonthView1();
    PrintRequest(*store_, form1(), calendar.showsRokuyo() ? MonthSheet::DayNote(rokuyo) : nullptr)
        .run(purpose, QDate(calendar.yearShown(), calendar.monthShown(), 1));
}

void Program::showSearch() {
    search().bringForward();
}

} // namespace orbeta
