#include "calendar/form1.h"

#include "app/clock.h"
#include "app/handler_guard.h"
#include "app/japanese_fonts.h"
#include "app/position_store.h"
#include "app/program_icon.h"
#include "app/window_position.h"
#include "calendar/month_view.h"
#include "calendar/second_ticker.h"
#include "resources/layout.h"
#include "store/memo_store.h"

#include <QLabel>
#include <QMenu>

namespace orbeta {

namespace {

const QString kForm1Section = PositionStore::sectionOf(QStringLiteral("Form1"));
const QString kRokuyoSection = QStringLiteral("Form1_Rokuyo");
const QString kRokuyoKey = QStringLiteral("R1");

constexpr Qt::WindowFlags kFixedSingleBorder = Qt::Window | Qt::CustomizeWindowHint |
                                               Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                               Qt::WindowCloseButtonHint;

} // namespace

Form1::Form1(const Clock& clock, PositionStore& positions, MemoStore& memos)
    : Form(nullptr, kFixedSingleBorder), clock_(clock), positions_(positions), memos_(memos) {
    using namespace layout::form1;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Orbeta"));
    setWindowIcon(programIcon());
    setFont(fonts::gothic(kWindowFontPoints));
    setGeometry(QRect(twips::toPixels(kClientDesignPosition), twips::toPixels(kClient)));
    setFixedSize(twips::toPixels(kClient));

    timer1_ = new SecondTicker(clock_, this);
    connect(timer1_, &SecondTicker::tick, this, &Form1::showClock);

    monthView1_ = new MonthView(this);
    monthView1_->setGeometry(twips::toPixels(kMonthView1));
    connect(monthView1_, &MonthView::mouseUp, this, &Form1::monthViewMouseUp);
    connect(monthView1_, &MonthView::activated, this,
            [this](QDate day) { guarded(this, [&] { Q_EMIT memoRequested(day); }); });

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(twips::toPixels(kLabel1));
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setFont(fonts::gothic(kLabel1FontPoints));
    label1_->setAutoFillBackground(true);
    QPalette clockColours = label1_->palette();
    clockColours.setColor(QPalette::Window, Qt::black);
    clockColours.setColor(QPalette::WindowText, QColor(0, 255, 0));
    label1_->setPalette(clockColours);

    makeMenu();
    guarded(this, [this] { loadHandler(); });
    timer1_->start();
}

void Form1::makeMenu() {
    p_menu_ = new QMenu(QStringLiteral("ﾎﾟｯﾌﾟｱｯﾌﾟﾒﾆｭｰ"), this);
    p_menu_->setObjectName(QStringLiteral("p_menu"));
    QAction* mnuEnd = p_menu_->addAction(QStringLiteral("終了(&X)"));
    mnuEnd->setObjectName(QStringLiteral("mnu_end"));
    p_menu_->addSeparator()->setObjectName(QStringLiteral("mnu_0"));
    QAction* mnuSearch = p_menu_->addAction(QStringLiteral("メモを検索(&F)..."));
    mnuSearch->setObjectName(QStringLiteral("mnu_search"));
    mnuSearch->setShortcut(QKeySequence::Find);
    mnuSearch->setShortcutContext(Qt::WindowShortcut);
    addAction(mnuSearch); // Ctrl+F in the calendar, with the menu closed
    QAction* mnuPrint = p_menu_->addAction(QStringLiteral("印刷(&P)..."));
    mnuPrint->setObjectName(QStringLiteral("mnu_print"));
    mnuPrint->setShortcut(QKeySequence::Print);
    mnuPrint->setShortcutContext(Qt::WindowShortcut);
    addAction(mnuPrint); // Ctrl+P in the calendar
    QAction* mnuPdf = p_menu_->addAction(QStringLiteral("PDF に保存(&D)..."));
    mnuPdf->setObjectName(QStringLiteral("mnu_pdf"));
    mnuRokuyo_ = p_menu_->addAction(QStringLiteral("六曜を表示(&R)"));
    mnuRokuyo_->setObjectName(QStringLiteral("mnu_rokuyo"));
    mnuRokuyo_->setCheckable(true);
    QAction* mnuAbout = p_menu_->addAction(QStringLiteral("Orbeta について"));
    mnuAbout->setObjectName(QStringLiteral("mnu_about"));
    connect(mnuEnd, &QAction::triggered, this, &Form1::endRequested);
    connect(mnuSearch, &QAction::triggered, this,
            [this] { guarded(this, [this] { Q_EMIT searchRequested(); }); });
    connect(mnuPrint, &QAction::triggered, this,
            [this] { guarded(this, [this] { Q_EMIT printRequested(); }); });
    connect(mnuPdf, &QAction::triggered, this,
            [this] { guarded(this, [this] { Q_EMIT pdfRequested(); }); });
    connect(mnuAbout, &QAction::triggered, this,
            [this] { guarded(this, [this] { Q_EMIT aboutRequested(); }); });
    connect(mnuRokuyo_, &QAction::toggled, this, [this](bool on) {
        guarded(this, [&] {
            monthView1_->showRokuyo(on);
            positions_.setOn(kRokuyoSection, kRokuyoKey, on);
        });
    });
}

void Form1::loadHandler() {
    const QDate today = clock_.now().date();
    monthView1_->setToday(today);
    monthView1_->setValue(today);
    monthView1_->setMemoMonth([this](int year, int month) { return memos_.month(year, month); });
    mnuRokuyo_->setChecked(positions_.isOn(kRokuyoSection, kRokuyoKey));
    connect(&memos_, &MemoStore::daysChanged, this, &Form1::memosChanged);
    restoreWindowPosition(*this, positions_, kForm1Section);
}

void Form1::unloadHandler() {
    Q_EMIT unloading();
    storeWindowPosition(*this, positions_, kForm1Section);
}

void Form1::showClock(const QDateTime& second) {
    guarded(this, [&] {
        label1_->setText(second.time().toString(QStringLiteral("hh:mm:ss")));
        monthView1_->setToday(second.date());
    });
}

void Form1::monthViewMouseUp(Qt::MouseButton button, QPoint globalPosition) {
    if (button == Qt::RightButton)
        p_menu_->popup(globalPosition);
}

// The marks follow the memos of the days on view.
void Form1::memosChanged(const QList<QDate>& days) {
    if (days.isEmpty() || std::any_of(days.cbegin(), days.cend(),
                                      [this](QDate day) { return monthView1_->onPage(day); }))
        monthView1_->refreshDays();
}

} // namespace orbeta
