#pragma once

#include "app/form.h"
#include "store/memo_version.h"
#include "store/opened_memo.h"

#include <QDate>
#include <QStringList>

#include <optional>

class QLabel;
class QMenu;

namespace orbeta {

class JournalKeeper;
class MemoStore;
class PositionStore;
class RichTextBox;

// The memo window: one day's memo in a rich-text editor that fills the window, and a context
// menu to save and close, close without saving, or look at other versions. The window belongs
// to the day it was opened for and saves to that day only, whatever happens to the calendar
// meanwhile. Where the memo could not be shown whole, where text was left from an end the user
// did not choose, or where a sync tool kept another machine's version, a line above the editor
// says so; saving never replaces what the user did not see. The text has the keyboard focus.
class Form2 : public Form {
    Q_OBJECT
public:
    Form2(PositionStore& positions, MemoStore& memos);

    RichTextBox& RichTextBox1() const { return *richTextBox1_; }
    // Titles the window with the day and loads the day's memo into the editor; a missing or
    // unreadable file leaves it empty.
    void openDay(QDate day);
    QDate day() const { return day_; }
    // Selects a part of the editor's text and shows it.
    void selectSpan(qsizetype position, qsizetype length);
    // What the line above the editor says; empty when there is nothing to say.
    QString notice() const { return noticeText_; }
    // Writes text the user has not saved, for an end of the program that the user did not
    // choose; where it went, as the user finds it, or nothing when there was none or it could
    // not be written.
    QString rescueUnsavedText();
    // Shows the other versions of the memo, with the one whose file is `file` chosen.
    void showVersions(const QString& file = {});

protected:
    void unloadHandler() override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void makeMenu();
    void richTextBoxMouseDown(Qt::MouseButton button, QPoint globalPosition);
    void saveAndClose();
    bool mayReplaceTheFile();
    void showNotice();
    void noticeLinkActivated(const QString& link);
    bool takeContent(const QByteArray& content);
    void insertPicture();
    void layOut();

    PositionStore& positions_;
    MemoStore& memos_;
    QDate day_;
    OpenedMemo opened_;
    QString noticeText_;
    std::optional<MemoVersion> recoveryOffered_;
    std::optional<MemoVersion> recoveryTaken_; // whose text the user took
    JournalKeeper* journal_ = nullptr;
    QString journalProblem_; // why unsaved text cannot be kept, once it could not
    bool saved_ = false;
    QLabel* notice_;
    RichTextBox* richTextBox1_;
    QMenu* p_menu_ = nullptr;
    QAction* mnuVersions_ = nullptr;
    QAction* mnuPicture_ = nullptr;
};

} // namespace orbeta
