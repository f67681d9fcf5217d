#pragma once

#include <QByteArray>
#include <QDate>
#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace orbeta {

class MemoStore;

// Earlier versions of a day's memo, and the copies of it that a sync tool made on another
// machine, in a small window owned by the memo window: newest first, each with its date and
// time, its size and its first line; the chosen one shown below as it looks, not to be edited.
// "この版を使う" hands its content to the memo window; nothing is written until the memo is
// saved. A version that cannot be read, or was damaged, says so.
class frmVersions : public QDialog {
    Q_OBJECT
public:
    frmVersions(const MemoStore& memos, QDate day, QWidget* owner);

    QListWidget& lstVersions() const { return *lstVersions_; }
    QTextEdit& txtPreview() const { return *txtPreview_; }
    QPushButton& cmdUse() const { return *cmdUse_; }

    // Chooses the entry of this file: a copy's name, or a version's place in the folder.
    void choose(const QString& file);

Q_SIGNALS:
    // The user takes this version: its bytes, RTF or text.
    void taken(const QByteArray& content);

private:
    void fill(const MemoStore& memos, QDate day);
    void addEntry(const QString& file, const QString& when, const QByteArray& content,
                  const QString& problem, bool copy);
    void showChosen();

    QListWidget* lstVersions_;
    QTextEdit* txtPreview_;
    QLabel* lblNote_;
    QPushButton* cmdUse_;
    QPushButton* cmdClose_;
};

} // namespace orbeta
