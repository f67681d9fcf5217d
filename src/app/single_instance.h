#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>

class QSocketNotifier;

namespace orbeta {

// One program per memo folder for each user. A start locks the folder, by its device and inode
// (not its path: the same folder reached another way is the same folder), in every place of a
// fixed list that it can use: the user's own cache folder (from the home folder the system
// gives the user, whatever the environment says), /tmp/orbeta-UID and $XDG_RUNTIME_DIR/orbeta.
// Two starts of one user therefore always meet in at least one place, whichever of them the
// environment offers; a place another user has taken or spoiled is passed over, never changed.
// The program listens on a local socket beside each lock it holds; a later start that finds a
// lock held asks there that the program come forward, and ends. Answers are believed only from
// a program of the same user. A lock left by a program that was killed does not stand in the
// way: the system lets go of it when its holder ends, however it ends. (Plain system calls: Qt's
// network library and lock files would slow every start.)
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The places this user's starts lock in, in their order; empty, with `problem` saying why,
    // when there is none.
    static QStringList places(QString* problem = nullptr);
    // The same from a home folder, the shared temporary folder and the runtime folder; empty
    // ones are left out.
    static QStringList places(const QString& home, const QString& temporary, const QString& runtime,
                              QString* problem = nullptr);

    // For the memo folder with this device and inode, locking in `places` (places() unless a
    // test names others), which must be the user's alone.
    SingleInstance(quint64 device, quint64 inode, const QStringList& places,
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
    struct Place {
        QByteArray lockPath;
        QByteArray socketPath;
        int lock = -1;
        int listening = -1;
        QSocketNotifier* callers = nullptr;
    };
    enum class Asked { Answered, NoAnswer, NobodyThere };
    Asked askRunningToComeForward(const Place& place,
                                  std::chrono::steady_clock::time_point deadline) const;
    bool openLock(Place& place);
    void letGo();
    void listen(Place& place);
    void takeCallers(int listening);
    void answer(int caller);

    QList<Place> places_;
    QString problem_;
};

} // namespace orbeta
