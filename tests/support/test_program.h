#pragma once

#include "program/program.h"

#include <QPointer>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>

class QTimer;
class QWidget;

class FakeClock;

// A program whose positions live in a settings file of a temporary folder, whose memos live in
// a folder beside it, and, where the test wants one, with a clock of its own.
struct TestProgram {
    explicit TestProgram(std::unique_ptr<orbeta::Clock> clock = nullptr);
    // Makes the program anew with services changed by `change`.
    void replace(const std::function<void(orbeta::Services&)>& change);

    QString settingsFile() const { return folder.filePath(QStringLiteral("Orbeta.ini")); }
    QString memoFolder() const { return folder.filePath(QStringLiteral("memos")); }
    QString memoPath(const QString& name) const { return memoFolder() + QLatin1Char('/') + name; }
    QString storedValue(const QString& key) const;

    QTemporaryDir folder;
    std::unique_ptr<orbeta::Program> program;
};

// Hands the modal window to `answer` once it is up. Queue it before the call that opens it.
// Polling ends at the deadline if no modal window came, so it cannot outlive its test; a call
// that may show no window at all ends it earlier by deleting the returned poll.
QPointer<QTimer> whenModalAppears(std::function<void(QWidget*)> answer,
                                  std::chrono::milliseconds deadline = std::chrono::seconds(10));

// Closes every top-level window that a test left open.
void closeStrayWindows();
