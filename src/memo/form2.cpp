#include "memo/form2.h"

#include "app/handler_guard.h"
#include "app/japanese_fonts.h"
#include "app/program.h"
#include "app/window_position.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/memo_file_name.h"
#include "memo/memo_notice.h"
#include "memo/rich_text_box.h"
#include "resources/layout.h"
#include "search/search_folding.h"

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace orbeta {

namespace {

const QString kSection = PositionStore::sectionOf(QStringLiteral("Form2"));

constexpr Qt::WindowFlags kSizableBorder = Qt::Window | Qt::WindowTitleHint |
                                           Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                                           Qt::WindowCloseButtonHint;

void tell(QWidget* parent, const char* name, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Orbeta"), text, QMessageBox::Ok, parent);
    box.setObjectName(QString::fromLatin1(name));
    box.exec();
}

} // namespace

Form2::Form2(Program& program) : Form(nullptr, kSizableBorder), program_(program) {
    using namespace layout::form2;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Orbeta"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/memo.png")));
    setGeometry(QRect(twips::toPixels(kClientDesignPosition), twips::toPixels(kClient)));
    setMinimumSize(twips::toPixels(kMinimumClient));

    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("lblNotice"));
    notice_->setWordWrap(true);
    notice_->setAutoFillBackground(true);
    notice_->setContentsMargins(4, 2, 4, 2);
    QPalette noticeColours = notice_->palette();
    noticeColours.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xc4));
    noticeColours.setColor(QPalette::WindowText, Qt::black);
    notice_->setPalette(noticeColours);
    notice_->hide();

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
    loaded_ = program_.memoFiles().load(date, *richTextBox1_->document());
    richTextBox1_->setReadOnly(loaded_.found == MemoFiles::Found::TooLarge);
    showNotice(memoNotice(loaded_, date, freeBackupName(loaded_.path)));
    richTextBox1_->moveCursor(QTextCursor::Start);
}

void Form2::selectFirstHit(const QStringList& searchTerms) {
    const std::optional<search::Span> hit =
        search::firstHit(richTextBox1_->toPlainText(), searchTerms);
    if (!hit)
        return;
    QTextCursor cursor(richTextBox1_->document());
    cursor.setPosition(static_cast<int>(hit->position));
    cursor.setPosition(static_cast<int>(hit->position + hit->length), QTextCursor::KeepAnchor);
    richTextBox1_->setTextCursor(cursor);
    // Scrolled to once the window has its size.
    QTimer::singleShot(0, richTextBox1_, &RichTextBox::ensureCursorVisible);
}

QString Form2::notice() const {
    return notice_->isHidden() ? QString() : notice_->text();
}

void Form2::showNotice(const QString& text) {
    notice_->setText(text);
    notice_->setVisible(!text.isEmpty());
    layOut();
}

void Form2::unloadHandler() {
    storeWindowPosition(*this, program_.positions(), kSection);
}

void Form2::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    layOut();
}

// The editor fills the window, below the notice when there is one.
void Form2::layOut() {
    int top = 0;
    if (!notice_->isHidden()) {
        top = notice_->heightForWidth(width());
        notice_->setGeometry(0, 0, width(), top);
    }
    richTextBox1_->setGeometry(0, top, width(), height() - top);
}

void Form2::richTextBoxMouseDown(Qt::MouseButton button, QPoint globalPosition) {
    if (button == Qt::RightButton)
        p_menu_->popup(globalPosition);
}

void Form2::saveAndClose() {
    const MonthView& calendar = program_.form1().MonthView1();
    const QDate day(calendar.Year(), calendar.Month(), calendar.Day());
    if (!mayReplaceTheFile(day))
        return;
    const MemoFiles::Saved saved =
        program_.memoFiles().save(day, *richTextBox1_->document(), &loaded_);
    if (!saved.ok) {
        // The text stays in the window; the old file, if any, is untouched.
        QString text = QStringLiteral("メモを保存できませんでした。\n\nファイル: %1\n理由: %2")
                           .arg(saved.fileName, saved.error);
        if (!saved.backup.isEmpty())
            text = QStringLiteral("元のファイルを残せなかったため、メモを保存しませんでした。\n\n"
                                  "残すファイル: %1\n理由: %2")
                       .arg(saved.backup, saved.error);
        tell(this, "saveFailed", text);
        return;
    }
    Unload();
}

// Not a file the memo could not show whole, and not one another program has changed since, unless
// the user says so.
bool Form2::mayReplaceTheFile(QDate day) {
    if (!loaded_.mayBeReplaced()) {
        tell(this, "saveRefused", refusalToSave(loaded_));
        return false;
    }
    if (!program_.memoFiles().changedSince(day, loaded_))
        return true;
    QMessageBox ask(QMessageBox::Warning, QStringLiteral("Orbeta"),
                    QStringLiteral("このメモのファイルは、開いた後でほかのプログラムによって"
                                   "変更されています。\n\nファイル: %1\n\n上書きすると、その変更は"
                                   "失われます。")
                        .arg(program_.memoFiles().shownPath(memoSaveName(day))),
                    QMessageBox::NoButton, this);
    ask.setObjectName(QStringLiteral("fileChanged"));
    QPushButton* overwrite = ask.addButton(QStringLiteral("上書き保存"), QMessageBox::AcceptRole);
    QPushButton* back = ask.addButton(QStringLiteral("編集に戻る"), QMessageBox::RejectRole);
    overwrite->setObjectName(QStringLiteral("overwrite"));
    back->setObjectName(QStringLiteral("backToEditing"));
    ask.setDefaultButton(back);
    ask.setEscapeButton(back);
    ask.exec();
    return ask.clickedButton() == overwrite;
}

} // namespace orbeta
