#pragma once

#include <QObject>
#include <QString>

#include <chrono>

class QSocketNotifier;

namespace orbeta {

// One program per memo folder for each user. The first start in a folder holds a lock named
// after the folder's device and inode (not its path: the same folder reached another way is the
// same folder) and listens on a local socket of that name; a later start there asks it to come
// forward and ends. Both live in a folder only the user can write to, so no other user can
// plant a lock, a link or a socket there; the answer is believed only from a program of the same
// user. A lock left by a program that was killed does not stand in the way: the system lets go of
// it when its holder ends, however it ends. (Plain system calls: Qt's network library and lock
// files would slow every start.)
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The folder of the user's own that holds locks and sockets: $XDG_RUNTIME_DIR/orbeta, else
    // /tmp/orbeta-UID, else ~/.cache/orbeta, the first that the user alone owns and can write
    // to; empty, with `problem` saying why, when there is none.
    static QString privateFolder(QString* problem = nullptr);
    // The same among these places: the runtime folder, the shared temporary folder and the
    // user's cache folder, in that order; empty ones are left out.
    static QString privateFolder(const QString& runtime, const QString& temporary,
                                 const QString& cache, QString* problem = nullptr);

    // For the memo folder with this device and inode; locks and sockets in `lockFolder`, which
    // must be the user's alone (privateFolder() unless a test names another).
    SingleInstance(quint64 device, quint64 inode, const QString& lockFolder,
                   QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Claim {
        Ours,                // the only program for the folder, now listening for later starts
        AnotherCameForward,  // another runs there and has been asked to come forward
        AnotherNotAnswering, // another holds the folder but did not answer in time
        NoLock,              // no lock could be had for another reason: problem() says which
    };
    Claim claim(std::chrono::milliseconds answerWithin = std::chrono::seconds(3));
    QString problem() const { return problem_; }

Q_SIGNALS:
    // A later start in the same folder asks to see the program.
    void comeForward();

private:
    enum class Asked { Answered, NoAnswer, NobodyThere };
    Asked askRunningToComeForward(std::chrono::steady_clock::time_point deadline) const;
    void listen();
    void takeCallers();
    void answer(int caller);

    QString name_;
    QByteArray socketPath_;
    QByteArray lockPath_;
    QString problem_;
    int lock_ = -1;
    int listening_ = -1;
    QSocketNotifier* callers_ = nullptr;
};

} // namespace orbeta
