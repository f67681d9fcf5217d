#pragma once

#include "app/form.h"
#include "memo/memo_files.h"

#include <QDate>
#include <QStringList>

class QLabel;
class QMenu;

namespace orbeta {

class Program;
class RichTextBox;

// The memo window: one day's memo in a rich-text editor that fills the window, and a context
// menu to save and close or close without saving. Where the memo could not be shown whole, a line
// above the editor says so, and saving never replaces what the user did not see.
class Form2 : public Form {
    Q_OBJECT
public:
    explicit Form2(Program& program);

    RichTextBox& RichTextBox1() const { return *richTextBox1_; }
    // Loads the day's memo into the editor; a missing or unreadable file leaves it empty.
    void loadMemo(QDate date);
    // Selects the first place where any of the (folded) search terms occurs, and shows it.
    void selectFirstHit(const QStringList& searchTerms);
    // What the line above the editor says; empty when the memo was read whole.
    QString notice() const;

protected:
    void unloadHandler() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void richTextBoxMouseDown(Qt::MouseButton button, QPoint globalPosition);
    void saveAndClose();
    bool mayReplaceTheFile(QDate day);
    void showNotice(const QString& text);
    void layOut();

    Program& program_;
    QLabel* notice_;
    RichTextBox* richTextBox1_;
    QMenu* p_menu_;
    MemoFiles::Loaded loaded_;
};

} // namespace orbeta
