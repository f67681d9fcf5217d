#include "memo/form2.h"

#include "app/handler_guard.h"
#include "app/japanese_fonts.h"
#include "app/position_store.h"
#include "app/readable_colours.h"
#include "app/window_position.h"
#include "memo/frm_versions.h"
#include "memo/journal_keeper.h"
#include "memo/memo_notice.h"
#include "memo/readable_text.h"
#include "memo/rich_text_box.h"
#include "resources/layout.h"
#include "richtext/rtf_reader.h"
#include "store/memo_names.h"
#include "store/memo_store.h"
#include "store/memo_text.h"

#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace orbeta {

namespace {

const QString kForm2Section = PositionStore::sectionOf(QStringLiteral("Form2"));

constexpr Qt::WindowFlags kSizableBorder = Qt::Window | Qt::WindowTitleHint |
                                           Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                                           Qt::WindowCloseButtonHint;

void tell(QWidget* parent, const char* name, const QString& text,
          QMessageBox::Icon icon = QMessageBox::Warning) {
    QMessageBox box(icon, QStringLiteral("Orbeta"), text, QMessageBox::Ok, parent);
    box.setObjectName(QString::fromLatin1(name));
    box.exec();
}

// Whether the user replaces a file another program changed; Escape and Enter go back.
bool askToOverwrite(QWidget* parent, const QString& file) {
    QMessageBox ask(QMessageBox::Warning, QStringLiteral("Orbeta"),
                    QStringLiteral("このメモのファイルは、開いた後でほかのプログラムによって"
                                   "変更されています。\n\nファイル: %1\n\n上書きすると、変更された"
                                   "内容は以前の版として残ります。")
                        .arg(file),
                    QMessageBox::NoButton, parent);
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

QString link(const char* target, const QString& text) {
    return QStringLiteral("　<a href=\"%1\">%2</a>").arg(QString::fromLatin1(target), text);
}

} // namespace

Form2::Form2(PositionStore& positions, MemoStore& memos)
    : Form(nullptr, kSizableBorder), positions_(positions), memos_(memos) {
    using namespace layout::form2;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Orbeta"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/memo.png")));
    setGeometry(QRect(twips::toPixels(kClientDesignPosition), twips::toPixels(kClient)));
    setMinimumSize(twips::toPixels(kMinimumClient));

    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("lblNotice"));
    notice_->setWordWrap(true);
    notice_->setTextFormat(Qt::RichText);
    notice_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    notice_->setAutoFillBackground(true);
    notice_->setContentsMargins(4, 2, 4, 2);
    notice_->setPalette(noticePalette(palette()));
    notice_->hide();
    connect(notice_, &QLabel::linkActivated, this,
            [this](const QString& target) { guarded(this, [&] { noticeLinkActivated(target); }); });

    richTextBox1_ = new RichTextBox(this);
    richTextBox1_->setFont(fonts::pGothic(kRichTextBox1FontPoints));
    richTextBox1_->setGeometry(rect());
    connect(richTextBox1_, &RichTextBox::mouseDown, this, &Form2::richTextBoxMouseDown);
    connect(&memos_, &MemoStore::journalFailed, this, [this](QDate day, const QString& reason) {
        if (day != day_ || !journalProblem_.isEmpty())
            return;
        journalProblem_ = reason;
        showNotice();
    });
    connect(richTextBox1_, &RichTextBox::refused, this, [this](const QString& why) {
        tell(this, "tooLarge", why);
        richTextBox1_->setFocus();
    });
    // The text first: what the user types goes into the memo, and Ctrl+Tab reaches the notice.
    setTabOrder(richTextBox1_, notice_);
    richTextBox1_->setFocus();

    makeMenu();
    guarded(this, [this] { restoreWindowPosition(*this, positions_, kForm2Section); });
}

void Form2::changeEvent(QEvent* event) {
    Form::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        notice_->setPalette(noticePalette(palette()));
}

void Form2::makeMenu() {
    p_menu_ = new QMenu(QStringLiteral("ﾎﾟｯﾌﾟｱｯﾌﾟﾒﾆｭｰ"), this);
    p_menu_->setObjectName(QStringLiteral("p_menu"));
    QAction* saveClose = p_menu_->addAction(QStringLiteral("保存終了"));
    saveClose->setObjectName(QStringLiteral("mnu_saveclose"));
    QAction* close = p_menu_->addAction(QStringLiteral("終了"));
    close->setObjectName(QStringLiteral("mnu_close"));
    p_menu_->addSeparator();
    mnuVersions_ = p_menu_->addAction(QStringLiteral("以前の版(&V)..."));
    mnuVersions_->setObjectName(QStringLiteral("mnu_versions"));
    mnuVersions_->setEnabled(false);
    connect(saveClose, &QAction::triggered, this,
            [this] { guarded(this, [this] { saveAndClose(); }); });
    connect(close, &QAction::triggered, this, [this] { Unload(); });
    connect(mnuVersions_, &QAction::triggered, this,
            [this] { guarded(this, [this] { showVersions(); }); });
    mnuPicture_ = p_menu_->addAction(QStringLiteral("画像を挿入(&I)..."));
    mnuPicture_->setObjectName(QStringLiteral("mnu_picture"));
    connect(mnuPicture_, &QAction::triggered, this,
            [this] { guarded(this, [this] { insertPicture(); }); });
}

void Form2::openDay(QDate day) {
    day_ = day;
    setWindowTitle(QStringLiteral("Orbeta ") +
                   QLocale::system().toString(day, QLocale::ShortFormat));
    opened_ = memos_.open(day, *richTextBox1_->document());
    // Typing into a memo that can never be saved would only lose the typing.
    richTextBox1_->setReadOnly(!opened_.mayBeReplaced());
    recoveryOffered_.reset();
    recoveryTaken_.reset();
    saved_ = false;
    journalProblem_.clear();
    if (opened_.mayBeReplaced()) {
        memos_.settleRecoveries(day);
        recoveryOffered_ = memos_.recoveryOf(day);
    }
    delete journal_;
    journal_ = new JournalKeeper(memos_, *richTextBox1_->document(), day, this);
    mnuVersions_->setEnabled(memos_.hasVersions(day));
    mnuPicture_->setEnabled(opened_.mayBeReplaced());
    showNotice();
    richTextBox1_->readableText().check();
    richTextBox1_->moveCursor(QTextCursor::Start);
    richTextBox1_->setFocus();
}

void Form2::selectSpan(qsizetype position, qsizetype length) {
    QTextCursor cursor(richTextBox1_->document());
    cursor.setPosition(static_cast<int>(position));
    cursor.setPosition(static_cast<int>(position + length), QTextCursor::KeepAnchor);
    richTextBox1_->setTextCursor(cursor);
    // Scrolled to once the window has its size.
    QTimer::singleShot(0, richTextBox1_, &RichTextBox::ensureCursorVisible);
}

void Form2::showNotice() {
    QStringList plain;
    QStringList rich;
    const auto add = [&](const QString& text, const QString& links) {
        if (text.isEmpty())
            return;
        plain << text;
        rich << text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")) + links;
    };
    add(memoNotice(opened_, memos_.shownPath(opened_.name)), {});
    const QList<MemoVersion> versions = memos_.versionsOf(day_);
    if (recoveryOffered_) {
        const auto others = std::count_if(versions.cbegin(), versions.cend(), [](const auto& v) {
            return v.kind == MemoVersion::Kind::Recovered || v.kind == MemoVersion::Kind::Journal;
        });
        add(recoveryNotice(*recoveryOffered_, others - 1),
            link("recovery:take", QStringLiteral("復元する")) +
                link("recovery:leave", QStringLiteral("そのままにする")));
    }
    QList<MemoVersion> copies;
    std::copy_if(versions.cbegin(), versions.cend(), std::back_inserter(copies),
                 [](const MemoVersion& v) { return v.kind == MemoVersion::Kind::SyncCopy; });
    add(copiesNotice(copies), link("copies", QStringLiteral("表示する")));
    if (!journalProblem_.isEmpty())
        add(journalNotice(journalProblem_), {});
    noticeText_ = plain.join(u'\n');
    notice_->setText(rich.join(QStringLiteral("<br>")));
    notice_->setVisible(!plain.isEmpty());
    layOut();
}

void Form2::noticeLinkActivated(const QString& target) {
    if (target == QLatin1String("recovery:take") && recoveryOffered_) {
        const VersionContent content = memos_.read(*recoveryOffered_);
        if (!content.problem.isEmpty()) {
            tell(this, "recoveryUnreadable",
                 QStringLiteral("復元用のファイルを読めませんでした。\n\nファイル: %1\n理由: %2")
                     .arg(recoveryOffered_->name, content.problem));
            richTextBox1_->setFocus();
            return;
        }
        if (takeContent(content.bytes)) {
            recoveryTaken_ = recoveryOffered_;
            recoveryOffered_.reset();
        }
    } else if (target == QLatin1String("recovery:leave") && recoveryOffered_) {
        memos_.retireRecovery(day_, *recoveryOffered_); // one of the memo's versions now
        recoveryOffered_.reset();
        mnuVersions_->setEnabled(memos_.hasVersions(day_));
    } else if (target == QLatin1String("copies")) {
        const QList<MemoVersion> versions = memos_.versionsOf(day_);
        const auto copy = std::find_if(versions.cbegin(), versions.cend(), [](const auto& v) {
            return v.kind == MemoVersion::Kind::SyncCopy;
        });
        showVersions(copy == versions.cend() ? QString() : copy->id);
        return;
    }
    showNotice();
    richTextBox1_->setFocus();
}

// A picture from a file, at the cursor.
void Form2::insertPicture() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    QFileDialog files(this, QStringLiteral("画像を挿入"), QDir::homePath(),
                      QStringLiteral("画像 (%1)").arg(patterns.join(u' ')));
    files.setObjectName(QStringLiteral("dlgPicture"));
    files.setFileMode(QFileDialog::ExistingFile);
    if (files.exec() == QDialog::Accepted && !files.selectedFiles().isEmpty())
        richTextBox1_->insertPictureFiles(files.selectedFiles());
    richTextBox1_->setFocus();
}

void Form2::showVersions(const QString& file) {
    frmVersions versions(memos_, day_, this);
    if (!file.isEmpty())
        versions.choose(file);
    connect(&versions, &frmVersions::taken, this,
            [this](const QByteArray& content) { takeContent(content); });
    versions.exec();
    richTextBox1_->setFocus();
}

// Puts other content into the editor as one step that undo takes back; nothing is written. A
// memo too large to edit takes an earlier version back all the same: from then on the memo is
// that version, to be edited and saved (what it replaces is kept as a version first).
bool Form2::takeContent(const QByteArray& content) {
    const bool tooLarge = opened_.found == OpenedMemo::Found::TooLarge;
    if (richTextBox1_->isReadOnly() && !tooLarge)
        return false;
    if (!richTextBox1_->replaceAllWith(content))
        return false;
    if (tooLarge) {
        opened_.found = OpenedMemo::Found::Rtf;
        richTextBox1_->setReadOnly(false);
        mnuPicture_->setEnabled(true);
        showNotice();
    }
    return true;
}

QString Form2::rescueUnsavedText() {
    if (day_.isNull() || !richTextBox1_->document()->isModified() || !opened_.mayBeReplaced())
        return {};
    QString where;
    return memos_.writeRecovery(day_, *richTextBox1_->document(), &where).ok ? where : QString();
}

// Closed without saving: what was changed is kept as the memo's newest version, so that no
// slip of the hand loses it for good; the journal ends.
void Form2::unloadHandler() {
    storeWindowPosition(*this, positions_, kForm2Section);
    delete journal_;
    journal_ = nullptr;
    if (saved_ || day_.isNull())
        return;
    if (richTextBox1_->document()->isModified() && opened_.mayBeReplaced())
        memos_.keepUnsaved(day_, *richTextBox1_->document());
    else
        memos_.endJournal(day_);
}

void Form2::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    richTextBox1_->setFocus();
}

void Form2::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    layOut();
}

// The editor fills the window, below the notice when there is one; the notice takes at most a
// third of the window.
void Form2::layOut() {
    int top = 0;
    if (!notice_->isHidden()) {
        top = std::min(notice_->heightForWidth(width()), height() / 3);
        notice_->setGeometry(0, 0, width(), top);
    }
    richTextBox1_->setGeometry(0, top, width(), height() - top);
}

void Form2::richTextBoxMouseDown(Qt::MouseButton button, QPoint globalPosition) {
    if (button == Qt::RightButton)
        p_menu_->popup(globalPosition);
}

void Form2::saveAndClose() {
    if (!mayReplaceTheFile()) {
        richTextBox1_->setFocus();
        return;
    }
    const SaveResult saved = memos_.save(opened_, *richTextBox1_->document());
    if (!saved.ok) {
        // The text stays in the window; the old file, if any, is untouched.
        tell(this, "saveFailed",
             saveFailure(saved, memos_.folderRemoved() ? memos_.folderPath() : QString()));
        richTextBox1_->setFocus();
        return;
    }
    saved_ = true;
    if (recoveryTaken_) // its text is in the memo now: one of its versions
        memos_.retireRecovery(day_, *recoveryTaken_);
    recoveryTaken_.reset();
    if (!saved.versionProblem.isEmpty())
        tell(this, "versionNotMade", versionNotMade(saved), QMessageBox::Information);
    if (memos_.folderMoved())
        tell(this, "folderMoved",
             QStringLiteral("メモのフォルダーは、Orbeta を起動した後で移動されています。"
                            "このメモは移動先のフォルダーに保存しました。\n\nファイル: %1")
                 .arg(saved.fileName),
             QMessageBox::Information);
    Unload();
}

// Not a file the memo could not show whole, and not one another program has changed since,
// unless the user says so; asked again if it changes once more while the question is up.
bool Form2::mayReplaceTheFile() {
    if (!opened_.mayBeReplaced()) {
        tell(this, "saveRefused", refusalToSave(opened_, memos_.shownPath(opened_.name)));
        return false;
    }
    FileStamp seen;
    while (memos_.changedSince(opened_, &seen)) {
        if (!askToOverwrite(this, memos_.shownPath(memoSaveName(day_))))
            return false;
        opened_.saveTarget = seen; // what the user agreed to replace
        opened_.saveTargetSettled = false;
    }
    return true;
}

} // namespace orbeta
