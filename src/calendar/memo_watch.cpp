#include "calendar/memo_watch.h"

namespace orbeta {

MemoWatch::MemoWatch(const QString& folder, QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &MemoWatch::changed);
    const auto changedNow = [this] {
        settle_.start();
    };
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changedNow);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changedNow);
    watcher_.addPath(folder);
}

void MemoWatch::watchFiles(const QStringList& files) {
    const QStringList watched = watcher_.files();
    if (watched == files)
        return;
    if (!watched.isEmpty())
        watcher_.removePaths(watched);
    if (!files.isEmpty())
        watcher_.addPaths(files);
}

} // namespace orbeta
