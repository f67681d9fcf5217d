#include "store/memo_saving.h"

#include "store/memo_names.h"
#include "store/memo_opening.h"
#include "store/memo_versions.h"
#include "store/new_file.h"

#include <QDateTime>

namespace orbeta {

namespace {

NameFor backupsOf(const QString& name) {
    return [name](int sequence) {
        return backupName(name, sequence);
    };
}

// Keeps the original bytes of a damaged or plain-text memo beside it, once for the opening.
bool writeBackup(const MemoFolder& folder, const FileStamp& current, OpenedMemo& opened,
                 SaveResult& saved) {
    QString written;
    const SaveOutcome kept = writeNewFile(folder, {}, backupsOf(opened.name), opened.original,
                                          current.mode & 07777, &written);
    saved.backup = folder.shownPath(kept.ok ? written : freeBackupName(folder, opened.name));
    if (!kept.ok) {
        saved.error = kept.reason;
        saved.backupFailed = true;
        return false;
    }
    opened.backupName = written;
    opened.backupWritten = true;
    return true;
}

// What the save replaces becomes a version; where the folder of versions cannot take it, it is
// kept beside the memo instead, and the save goes on.
bool versionReplaced(const MemoFolder& folder, MemoVersions& versions, const QString& name,
                     const FileStamp& current, SaveResult& saved) {
    FileRead stamped;
    stamped.outcome = FileRead::Outcome::Read;
    stamped.stamp = current;
    const SaveOutcome version = versions.add(name, stamped);
    if (version.ok)
        return true;
    const FileRead replaced = folder.read(name, current.size);
    QString written;
    const SaveOutcome backup = replaced.ok()
                                   ? writeNewFile(folder, {}, backupsOf(name), replaced.bytes,
                                                  current.mode & 07777, &written)
                                   : SaveOutcome{false, replaced.reason()};
    saved.versionProblem = QStringLiteral("%1（%2）")
                               .arg(version.reason, folder.shownPath(MemoVersions::folderOf(name)));
    if (!backup.ok) {
        saved.error = QStringLiteral("置き換える内容を以前の版として残せませんでした: %1")
                          .arg(saved.versionProblem);
        return false;
    }
    saved.replacedWrittenAs = folder.shownPath(written);
    return true;
}

} // namespace

SaveResult saveMemo(const MemoFolder& folder, MemoVersions& versions, const QByteArray& rtf,
                    OpenedMemo& opened) {
    SaveResult saved;
    const QString name = memoSaveName(opened.day);
    saved.fileName = folder.shownPath(name);
    if (const std::optional<QString> refusal = folder.refusalToReplace(name)) {
        saved.error = *refusal; // what is there stays
        return saved;
    }
    const FileStamp current = folder.stamp(name);
    if (current.exists && current.size == rtf.size()) {
        if (const FileRead same = folder.read(name, current.size); same.ok() && same.bytes == rtf) {
            saved.ok = saved.unchanged = true;
            opened.saveTarget = same.stamp;
            opened.saveTarget.digest = contentDigest(rtf);
            return saved;
        }
    }
    if (opened.backupWritten)
        saved.backup = folder.shownPath(opened.backupName); // kept at a save tried before
    if (opened.needsBackup() && !opened.backupWritten && current.exists &&
        !writeBackup(folder, current, opened, saved))
        return saved;
    if (current.exists && !versionReplaced(folder, versions, name, current, saved))
        return saved;
    const SaveOutcome written = folder.replace(name, rtf);
    saved.ok = written.ok;
    saved.error = written.reason;
    if (!saved.ok)
        return saved;
    if (current.exists && saved.versionProblem.isEmpty())
        versions.prune(name);
    opened.saveTarget = folder.stamp(name);
    opened.saveTargetSettled = false; // written just now
    opened.written = rtf;
    return saved;
}

bool changedSince(const MemoFolder& folder, const OpenedMemo& opened, FileStamp* now) {
    const QString name = memoSaveName(opened.day);
    const FileStamp stamp = folder.stamp(name);
    if (opened.saveTargetSettled && stamp.sameFile(opened.saveTarget)) {
        if (now)
            *now = opened.saveTarget;
        return false;
    }
    const FileStamp current = contentStamp(folder, name);
    if (now)
        *now = current;
    FileStamp target = opened.saveTarget;
    if (target.exists && target.digest.isEmpty() && !opened.written.isEmpty())
        target.digest = contentDigest(opened.written);
    if (target.digest.isEmpty() || current.digest.isEmpty()) // too large to be read whole
        return !current.sameFile(target);
    return !current.sameContent(target);
}

} // namespace orbeta
