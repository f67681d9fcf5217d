#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace orbeta {

// Tells when the memos on view may have changed: a file made, removed or renamed in the memo
// folder, or one of the watched files written in place. Bursts (a save writes, renames and
// sets times) come as one change.
class MemoWatch : public QObject {
    Q_OBJECT
public:
    MemoWatch(const QString& folder, QObject* parent);

    // Watches these files, and no others, besides the folder.
    void watchFiles(const QStringList& files);

    static constexpr int kSettleMs = 150;

Q_SIGNALS:
    void changed();

private:
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

} // namespace orbeta
