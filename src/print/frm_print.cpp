#include "print/frm_print.h"

#include "app/japanese_fonts.h"
#include "resources/layout.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orbeta {

namespace {

QDateEdit* dateEdit(QDate date, const char* name, QWidget* parent) {
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edit->setCalendarPopup(true);
    edit->setDateRange(QDate(1000, 1, 1), QDate(9999, 12, 31));
    return edit;
}

} // namespace

frmPrint::frmPrint(Purpose purpose, QDate monthShown, QWidget* owner)
    : QDialog(owner), monthShown_(monthShown) {
    using namespace layout::frmPrint;
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(purpose == Purpose::Print ? QStringLiteral("印刷")
                                             : QStringLiteral("PDF に保存"));
    setFont(fonts::pGothic(kWindowFontPoints));
    resize(twips::toPixels(kClient));

    const QDate first(monthShown.year(), monthShown.month(), 1);
    optMonth_ = new QRadioButton(QStringLiteral("この月のカレンダー(&M)"), this);
    optMonth_->setObjectName(QStringLiteral("optMonth"));
    optMonth_->setChecked(true);
    optSpan_ = new QRadioButton(QStringLiteral("期間のメモ(&R)"), this);
    optSpan_->setObjectName(QStringLiteral("optSpan"));
    dtpFrom_ = dateEdit(first, "dtpFrom", this);
    dtpTo_ = dateEdit(first.addDays(first.daysInMonth() - 1), "dtpTo", this);
    auto* dates = new QFormLayout;
    auto* fromLabel = new QLabel(QStringLiteral("開始日(&S)"), this);
    fromLabel->setBuddy(dtpFrom_);
    auto* toLabel = new QLabel(QStringLiteral("終了日(&E)"), this);
    toLabel->setBuddy(dtpTo_);
    dates->addRow(fromLabel, dtpFrom_);
    dates->addRow(toLabel, dtpTo_);
    dates->setContentsMargins(twips::toPixels(double{kMargin}) * 2, 0, 0, 0);

    auto* buttons = new QDialogButtonBox(this);
    cmdOK_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    const int margin = twips::toPixels(double{kMargin});
    column->setContentsMargins(margin, margin, margin, margin);
    column->addWidget(optMonth_);
    column->addWidget(optSpan_);
    column->addLayout(dates);
    column->addStretch(1);
    column->addWidget(buttons);

    connect(optSpan_, &QRadioButton::toggled, this, &frmPrint::follow);
    connect(dtpFrom_, &QDateEdit::dateChanged, this, &frmPrint::follow);
    connect(dtpTo_, &QDateEdit::dateChanged, this, &frmPrint::follow);
    follow();
}

// The dates count only for a span, and a span must not end before it begins.
void frmPrint::follow() {
    const bool span = optSpan_->isChecked();
    dtpFrom_->setEnabled(span);
    dtpTo_->setEnabled(span);
    cmdOK_->setEnabled(!span || dtpFrom_->date() <= dtpTo_->date());
}

frmPrint::Choice frmPrint::choice() const {
    if (optMonth_->isChecked()) {
        const QDate first(monthShown_.year(), monthShown_.month(), 1);
        return {true, first, first.addDays(first.daysInMonth() - 1)};
    }
    return {false, dtpFrom_->date(), dtpTo_->date()};
}

} // namespace orbeta
