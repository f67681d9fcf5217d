#pragma once

#include "store/memo_version.h"

#include <QByteArray>
#include <QDate>
#include <QDialog>
#include <QList>

class QLabel;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace orbeta {

class MemoStore;
class ReadableText;

// The other versions of a day's memo, in a small window owned by the memo window: text kept at
// an end the user did not choose, the copies a sync tool made on another machine, then earlier
// versions, newest first, each with its date and time, its size and its first line (read in the
// background). The chosen one is read when chosen and shown below as it looks, from its top, not
// to be edited; only it is held. "この版を使う" hands its content to the memo window; nothing is
// written until the memo is saved. A version that cannot be read, or was damaged, says so.
class frmVersions : public QDialog {
    Q_OBJECT
public:
    frmVersions(MemoStore& memos, QDate day, QWidget* owner);

    QListWidget& lstVersions() const { return *lstVersions_; }
    QTextEdit& txtPreview() const { return *txtPreview_; }
    QPushButton& cmdUse() const { return *cmdUse_; }

    // Chooses the entry of this file: a copy's name, or a version's place in the folder.
    void choose(const QString& file);

Q_SIGNALS:
    // The user takes this version: its bytes, RTF or text.
    void taken(const QByteArray& content);

private:
    void describe(const MemoVersion& version, const VersionDescription& description);
    void showChosen();
    QString entryText(int row) const;

    MemoStore& memos_;
    QList<MemoVersion> versions_;
    QList<VersionDescription> descriptions_;
    QList<bool> described_;
    QByteArray shown_; // the content of the chosen version
    QString shownProblem_;
    QListWidget* lstVersions_;
    QTextEdit* txtPreview_;
    ReadableText* readablePreview_;
    QLabel* lblNote_;
    QPushButton* cmdUse_;
    QPushButton* cmdClose_;
};

} // namespace orbeta
