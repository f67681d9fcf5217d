#include "support/memo_window.h"

#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/form2.h"
#include "richtext/rtf_reader.h"
#include "support/test_program.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTest>
#include <QTextDocument>

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString textOfFile(const QString& path) {
    QTextDocument document;
    orbeta::rtf::readRtf(readFile(path), document);
    return document.toPlainText();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void typeText(QWidget* editor, const QString& text) {
    QInputMethodEvent composed;
    composed.setCommitString(text);
    QApplication::sendEvent(editor, &composed);
}

QAction* menuItem(QWidget* window, const char* name) {
    return window->findChild<QMenu*>("p_menu")->findChild<QAction*>(name);
}

bool openMemoAsUser(TestProgram& test, QDate day, const std::function<void(orbeta::Form2&)>& use) {
    orbeta::Form1& calendar = test.program->form1();
    calendar.MonthView1().setValue(day);
    bool used = false;
    whenModalAppears([&](QWidget* window) {
        auto* memo = qobject_cast<orbeta::Form2*>(window);
        if (!memo || !QTest::qWaitForWindowExposed(memo))
            return;
        use(*memo);
        used = true;
        if (test.program->form2Instance().isLoaded() && memo->isVisible())
            memo->Unload();
    });
    QWidget* days = calendar.MonthView1().findChild<QAbstractItemView*>();
    days->setFocus();
    QTest::keyClick(days, Qt::Key_Return);
    return used && !test.program->form2Instance().isLoaded();
}
