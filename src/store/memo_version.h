#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace orbeta {

// A version of a day's memo other than the memo itself, as 以前の版 lists it: a text the memo
// held before a save replaced it, text closed without saving, a copy a sync tool kept from
// another machine, or text kept when the program ended without the user's word.
struct MemoVersion {
    enum class Kind {
        Replaced,  // what a save replaced
        Unsaved,   // closed without saving
        SyncCopy,  // another machine's, beside the memo
        Recovered, // kept beside the memo at an end the user did not choose
        Journal,   // kept in the user's state folder as it was typed, or at such an end
    };
    Kind kind = Kind::Replaced;
    QString id;       // where the store finds it
    QString name;     // its file's name, fit to be shown
    QDateTime madeAt; // local time; invalid where not known
    qint64 size = 0;
    QString tool;    // SyncCopy: which sync tool made it
    QString problem; // why it cannot be read, where it cannot

    bool operator==(const MemoVersion&) const = default;
};

// A version's content, read when it is wanted.
struct VersionContent {
    QByteArray bytes; // RTF or text
    QString problem;  // why it could not be read; the bytes are empty then
};

// What 以前の版 shows of a version beside its time and size.
struct VersionDescription {
    QString firstLine;
    bool damaged = false;
    QString problem;
};

} // namespace orbeta
