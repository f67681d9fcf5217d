#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QPushButton;
class QRadioButton;

namespace orbeta {

// What to print or save as PDF: the month on view, or the memos of a span of days (at first the
// month on view). Captioned 印刷 or PDF に保存; OK is the default button, キャンセル cancels.
class frmPrint : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Print, Pdf };
    frmPrint(Purpose purpose, QDate monthShown, QWidget* owner);

    struct Choice {
        bool month = true;
        QDate from;
        QDate to;
    };
    Choice choice() const;

private:
    void follow();

    QRadioButton* optMonth_;
    QRadioButton* optSpan_;
    QDateEdit* dtpFrom_;
    QDateEdit* dtpTo_;
    QPushButton* cmdOK_;
    QDate monthShown_;
};

} // namespace orbeta
