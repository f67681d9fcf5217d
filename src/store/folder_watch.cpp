#include "store/folder_watch.h"

#include "store/file_names.h"
#include "store/memo_folder.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace orbeta {

namespace {

constexpr std::uint32_t kNotices = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                   IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF |
                                   IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

} // namespace

FolderWatch::FolderWatch(const MemoFolder& folder, bool notices,
                         std::function<bool(const QString& name)> wanted, QObject* parent)
    : QObject(parent), wanted_(std::move(wanted)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (overflowPending_) {
            overflowPending_ = false;
            pending_.clear();
            Q_EMIT overflowed();
            return;
        }
        const QStringList names(pending_.cbegin(), pending_.cend());
        pending_.clear();
        if (!names.isEmpty())
            Q_EMIT changed(names);
    });
    notices_ = notices ? ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC) : -1;
    if (notices_ < 0)
        return;
    // The folder itself, wherever it is now.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(folder.descriptor());
    watch_ = ::inotify_add_watch(notices_, self.constData(), kNotices);
    if (watch_ < 0)
        watch_ = ::inotify_add_watch(notices_, QFile::encodeName(folder.startPath()).constData(),
                                     kNotices);
    if (watch_ < 0) {
        ::close(notices_);
        notices_ = -1;
        return;
    }
    readable_ = new QSocketNotifier(notices_, QSocketNotifier::Read, this);
    connect(readable_, &QSocketNotifier::activated, this, &FolderWatch::takeNotices);
}

FolderWatch::~FolderWatch() {
    if (notices_ >= 0)
        ::close(notices_);
}

void FolderWatch::takeNotices() {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = ::read(notices_, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto* notice = reinterpret_cast<const inotify_event*>(buffer + at);
            if (notice->mask & IN_Q_OVERFLOW)
                overflowPending_ = true;
            if (notice->mask & IN_IGNORED) { // the folder is gone: nothing more will come
                readable_->setEnabled(false);
                watch_ = -1;
                overflowPending_ = true;
            }
            if (notice->len > 0) {
                const QString name = nameFromBytes(notice->name);
                if (wanted_(name))
                    pending_.insert(name);
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + notice->len);
        }
    }
    // Started by the first notice that matters, not again by each later one: a folder that is
    // written all the time (a home folder) still has its memos' changes passed on.
    if ((!pending_.isEmpty() || overflowPending_) && !settle_.isActive())
        settle_.start();
}

} // namespace orbeta
