#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QSocketNotifier;

namespace orbeta {

class MemoFolder;

// Tells which files of the memo folder other programs made, wrote, renamed or removed, from the
// system's notices about the folder itself (one watch, whatever the number of files). Where the
// system gives none (the user's inotify instances or watches are used up), watching() is false
// and the store looks at the files it shows every few seconds instead.
class FolderWatch : public QObject {
    Q_OBJECT
public:
    // `notices`: asks the system for its notices; without, it watches nothing. Only notices about
    // names `wanted` takes are passed on; others cost nothing more than being read.
    FolderWatch(const MemoFolder& folder, bool notices,
                std::function<bool(const QString& name)> wanted, QObject* parent);
    ~FolderWatch() override;

    bool watching() const { return watch_ >= 0; }

    // The notices of a moment are passed on together, at most this long after the first.
    static constexpr int kSettleMs = 150;

Q_SIGNALS:
    // The names of the files the notices of a moment were about.
    void changed(const QStringList& names);
    // More happened than the system could tell one by one: anything may have changed.
    void overflowed();

private:
    void takeNotices();

    int notices_ = -1;
    int watch_ = -1;
    QSocketNotifier* readable_ = nullptr;
    std::function<bool(const QString&)> wanted_;
    QSet<QString> pending_;
    bool overflowPending_ = false;
    QTimer settle_;
};

} // namespace orbeta
