#pragma once

#include "app/program.h"

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QWidget;

class FakeClock;

// A program whose positions live in a settings file of a temporary folder, and, where the test
// wants one, with a clock of its own.
struct TestProgram {
    explicit TestProgram(std::unique_ptr<orbeta::Clock> clock = nullptr);

    QString settingsFile() const { return folder.filePath(QStringLiteral("Orbeta.ini")); }
    QString storedValue(const QString& key) const;

    QTemporaryDir folder;
    std::unique_ptr<orbeta::Program> program;
};

// Closes whatever modal window is up once it appears, through `answer`, and reports whether one
// did appear in time. Queue it before the call that opens the window.
void whenModalAppears(std::function<void(QWidget*)> answer);

// Closes every top-level window that a test left open.
void closeStrayWindows();
