#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>

class QAction;
class QWidget;
struct TestProgram;

namespace orbeta {
class Form2;
}

QByteArray readFile(const QString& path);
// The text of a memo file, as the memo window shows it.
QString textOfFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// Japanese text arrives from an input method as committed text.
void typeText(QWidget* editor, const QString& text);

// An item of a window's context menu.
QAction* menuItem(QWidget* window, const char* name);

// Opens the day's memo as the user does (Enter on the day selected in the calendar), hands the
// memo window to `use`, and returns once it is closed; a window `use` left open is closed
// without saving. False when no memo window came.
bool openMemoAsUser(TestProgram& test, QDate day, const std::function<void(orbeta::Form2&)>& use);
