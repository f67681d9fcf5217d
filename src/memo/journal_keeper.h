#pragma once

#include <QDate>
#include <QObject>
#include <QTimer>

#include <chrono>

class QTextDocument;

namespace orbeta {

class MemoStore;

// Keeps what the memo window holds in the journal while it has unsaved changes, so that no end
// of the program (a crash, a power cut) loses more than the last moments of typing: two
// seconds after the last change, and at least every ten seconds while changes go on. The
// snapshot is taken here in a few milliseconds; the store writes it on a thread of its own.
class JournalKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kAfterLastChange{2000};
    static constexpr std::chrono::milliseconds kWhileChanging{10000};

    JournalKeeper(MemoStore& store, QTextDocument& document, QDate day, QObject* parent);

private:
    void changed();
    void write();

    MemoStore& store_;
    QTextDocument& document_;
    QDate day_;
    QTimer afterLastChange_;
    QTimer whileChanging_;
};

} // namespace orbeta
