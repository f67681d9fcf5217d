#pragma once

#include "app/form.h"

#include <QDate>

class QMenu;

namespace orbeta {

class Program;
class RichTextBox;

// The memo window: one day's memo in a rich-text editor that fills the window, and a context
// menu to save and close or close without saving.
class Form2 : public Form {
    Q_OBJECT
public:
    explicit Form2(Program& program);

    RichTextBox& RichTextBox1() const { return *richTextBox1_; }
    // Loads the day's memo into the editor; a missing or unreadable file leaves it empty.
    void loadMemo(QDate date);

protected:
    void unloadHandler() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void richTextBoxMouseDown(Qt::MouseButton button, QPoint globalPosition);
    void saveAndClose();

    Program& program_;
    RichTextBox* richTextBox1_;
    QMenu* p_menu_;
};

} // namespace orbeta
