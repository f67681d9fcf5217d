#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace orbeta {

// The text of a memo that was being changed when the program had to end without the user's
// word (a signal, the end of the session, the loss of the window system): written beside the
// memo, never over it nor over another such file, as NAME.recovered-yyyyMMdd-HHmmss.rtf (-1, -2,
// ... where two fall in one second), NAME being the memo's name without ".rtf".
struct RecoveryFile {
    QString name;
    QString memoName;
    QDateTime writtenAt; // local time
    int sequence = 0;    // of those written in the same second

    // Newest first: by time, then by sequence.
    static bool newerFirst(const RecoveryFile& a, const RecoveryFile& b);
};

QString recoveryFileName(const QString& memoName, const QDateTime& at, int sequence = 0);

// The recovery file a name stands for; nothing for any other name.
std::optional<RecoveryFile> recoveryFileOf(const QString& fileName);

} // namespace orbeta
