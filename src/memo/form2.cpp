#include "memo/form2.h"

#include "app/handler_guard.h"
#include "app/japanese_fonts.h"
#include "app/program.h"
#include "app/window_position.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/memo_files.h"
#include "memo/rich_text_box.h"
#include "resources/layout.h"

#include <QMenu>
#include <QMessageBox>

namespace orbeta {

namespace {

const QString kSection = PositionStore::sectionOf(QStringLiteral("Form2"));

constexpr Qt::WindowFlags kSizableBorder = Qt::Window | Qt::WindowTitleHint |
                                           Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                                           Qt::WindowCloseButtonHint;

} // namespace

Form2::Form2(Program& program) : Form(nullptr, kSizableBorder), program_(program) {
    using namespace layout::form2;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Orbeta"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/memo.png")));
    setGeometry(QRect(twips::toPixels(kClientDesignPosition), twips::toPixels(kClient)));

    richTextBox1_ = new RichTextBox(this);
    richTextBox1_->setFont(fonts::pGothic(kRichTextBox1FontPoints));
    richTextBox1_->setGeometry(rect());
    connect(richTextBox1_, &RichTextBox::mouseDown, this, &Form2::richTextBoxMouseDown);

    p_menu_ = new QMenu(QStringLiteral("ﾎﾟｯﾌﾟｱｯﾌﾟﾒﾆｭｰ"), this);
    p_menu_->setObjectName(QStringLiteral("p_menu"));
    QAction* saveClose = p_menu_->addAction(QStringLiteral("保存終了"));
    saveClose->setObjectName(QStringLiteral("mnu_saveclose"));
    QAction* close = p_menu_->addAction(QStringLiteral("終了"));
    close->setObjectName(QStringLiteral("mnu_close"));
    connect(saveClose, &QAction::triggered, this,
            [this] { guarded(this, [this] { saveAndClose(); }); });
    connect(close, &QAction::triggered, this, [this] { Unload(); });

    guarded(this, [this] { restoreWindowPosition(*this, program_.positions(), kSection); });
}

void Form2::loadMemo(QDate date) {
    program_.memoFiles().load(date, *richTextBox1_->document());
    richTextBox1_->moveCursor(QTextCursor::Start);
}

void Form2::unloadHandler() {
    storeWindowPosition(*this, program_.positions(), kSection);
}

void Form2::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    richTextBox1_->setGeometry(rect());
}

void Form2::richTextBoxMouseDown(Qt::MouseButton button, QPoint globalPosition) {
    if (button == Qt::RightButton)
        p_menu_->popup(globalPosition);
}

void Form2::saveAndClose() {
    const MonthView& calendar = program_.form1().MonthView1();
    const QDate day(calendar.Year(), calendar.Month(), calendar.Day());
    const MemoFiles::Saved saved = program_.memoFiles().save(day, *richTextBox1_->document());
    if (!saved.ok) {
        // The text stays in the window; the old file, if any, is untouched.
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Orbeta"),
                        QStringLiteral("メモを保存できませんでした。\n\nファイル: %1\n理由: %2")
                            .arg(saved.fileName, saved.error),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("saveFailed"));
        box.exec();
        return;
    }
    Unload();
}

} // namespace orbeta
