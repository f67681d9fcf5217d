#include "memo/memo_files.h"

#include "memo/memo_file_name.h"
#include "memo/memo_text.h"
#include "richtext/document_replacement.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QCryptographicHash>
#include <QTextDocument>

namespace orbeta {

namespace {

// What a memo replaces is kept whole as a version, up to this size; a larger file another
// program put there is not replaced.
constexpr qint64 kMaxKeptBytes = 4 * MemoFiles::kMaxReadBytes;

void clearDocument(QTextDocument& document) {
    rtf::replaceDocument(document, [](QTextCursor&) {});
}

// What the bytes of the file make of the document.
MemoFiles::Found readBytes(const QByteArray& bytes, QTextDocument& document) {
    const rtf::ReadResult result = rtf::readRtf(bytes, document);
    if (result.isRtf())
        return result.status == rtf::ReadStatus::Damaged ? MemoFiles::Found::Damaged
                                                         : MemoFiles::Found::Rtf;
    if (bytes.isEmpty()) {
        clearDocument(document);
        return MemoFiles::Found::Nothing;
    }
    const QString text = plainMemoText(bytes);
    rtf::replaceDocument(document, [&](QTextCursor& cursor) { cursor.insertText(text); });
    return MemoFiles::Found::PlainText;
}

FileVersion versionOfContent(FileVersion version, const QByteArray& bytes) {
    version.digest = contentDigest(bytes);
    return version;
}

} // namespace

QByteArray contentDigest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

QString MemoFiles::fileOf(QDate day) const {
    for (const QString& name : memoReadNames(day)) {
        if (folder_->exists(name))
            return name;
    }
    return {};
}

FileVersion MemoFiles::contentVersion(const QString& name) const {
    const FileRead read = folder_->read(name, kMaxKeptBytes);
    if (read.ok())
        return versionOfContent(read.version, read.bytes);
    return folder_->status(name); // there or not; its content is not to be had
}

MemoFiles::Opened MemoFiles::open(QDate day, QTextDocument& document) const {
    Opened opened;
    opened.day = day;
    const QString saveName = memoSaveName(day);
    opened.name = fileOf(day);
    if (opened.name.isEmpty()) {
        opened.name = saveName;
        clearDocument(document);
        return opened;
    }
    if (opened.name != saveName)
        opened.sharedWith = daySharingName(day);
    const FileRead read = folder_->read(opened.name, kMaxReadBytes);
    opened.size = read.version.size;
    if (!read.ok()) {
        clearDocument(document);
        opened.found =
            read.outcome == FileRead::Outcome::TooLarge ? Found::TooLarge : Found::Unreadable;
        if (opened.found == Found::Unreadable)
            opened.reason = read.reason();
        opened.saveTarget = contentVersion(saveName);
        return opened;
    }
    opened.found = readBytes(read.bytes, document);
    if (document.characterCount() > kMaxEditableCharacters) {
        clearDocument(document);
        opened.found = Found::TooLarge;
    }
    if (opened.found == Found::Damaged || opened.found == Found::PlainText) {
        opened.original = read.bytes;
        opened.backupName = freeBackupName(*folder_, opened.name);
    }
    opened.saveTarget =
        opened.sharedWith ? contentVersion(saveName) : versionOfContent(read.version, read.bytes);
    return opened;
}

MemoFiles::Saved MemoFiles::save(QDate day, const QTextDocument& document, Opened* opened) const {
    return save(day, rtf::writeRtf(document), opened);
}

MemoFiles::Saved MemoFiles::save(QDate day, const QByteArray& rtf, Opened* opened) const {
    Saved saved;
    const QString name = memoSaveName(day);
    saved.fileName = shownPath(name);
    const FileRead current = folder_->read(name, kMaxKeptBytes);
    if (current.outcome != FileRead::Outcome::Read &&
        current.outcome != FileRead::Outcome::Missing) {
        saved.error = current.reason(); // what is there could not be kept: it stays
        return saved;
    }
    if (current.ok() && current.bytes == rtf) {
        saved.ok = saved.unchanged = true;
        if (opened)
            opened->saveTarget = versionOfContent(current.version, current.bytes);
        return saved;
    }
    if (opened && opened->backupKept)
        saved.backup = shownPath(opened->backupName); // kept at a save tried before
    if (opened && opened->needsBackup() && !opened->backupKept && current.ok()) {
        if (opened->backupName.isEmpty() || folder_->exists(opened->backupName))
            opened->backupName = freeBackupName(*folder_, opened->name);
        saved.backup = shownPath(opened->backupName);
        const SaveOutcome kept =
            folder_->create(opened->backupName, opened->original, current.version.mode & 07777);
        if (!kept.ok) {
            saved.error = kept.reason;
            saved.backupFailed = true;
            return saved;
        }
        opened->backupKept = true;
    }
    if (current.ok()) {
        const SaveOutcome kept = history_.keep(name, current.bytes, current.version.mode);
        if (!kept.ok) { // nothing is replaced without a version of it
            saved.error = kept.reason;
            return saved;
        }
    }
    const SaveOutcome written = folder_->replace(name, rtf);
    saved.ok = written.ok;
    saved.error = written.reason;
    if (!saved.ok)
        return saved;
    history_.prune(name);
    if (opened)
        opened->saveTarget = versionOfContent(folder_->status(name), rtf);
    return saved;
}

bool MemoFiles::changedSince(QDate day, const Opened& opened, FileVersion* now) const {
    const FileVersion current = contentVersion(memoSaveName(day));
    if (now)
        *now = current;
    return !current.sameContent(opened.saveTarget);
}

QString freeBackupName(const MemoFolder& folder, const QString& name) {
    QString backup = name + QStringLiteral(".bak");
    for (int n = 1; folder.exists(backup); ++n)
        backup = name + QStringLiteral(".%1.bak").arg(n);
    return backup;
}

} // namespace orbeta
