#include "store/memo_opening.h"

#include "richtext/document_replacement.h"
#include "richtext/rtf_reader.h"
#include "store/memo_limits.h"
#include "store/memo_names.h"
#include "store/memo_text.h"

#include <QDateTime>
#include <QTextDocument>

namespace orbeta {

namespace {

// Files up to this size are told apart by their content; larger ones by their stamp.
constexpr qint64 kMaxDigestedBytes = kMaxMemoFileBytes;

void clearDocument(QTextDocument& document) {
    rtf::replaceDocument(document, [](QTextCursor&) {});
}

// What the bytes of the file make of the document.
OpenedMemo::Found readBytes(const QByteArray& bytes, QTextDocument& document) {
    const rtf::ReadResult result = rtf::readRtf(bytes, document);
    if (result.isRtf())
        return result.status == rtf::ReadStatus::Damaged ? OpenedMemo::Found::Damaged
                                                         : OpenedMemo::Found::Rtf;
    if (bytes.isEmpty()) {
        clearDocument(document);
        return OpenedMemo::Found::Nothing;
    }
    // As much as the editor takes, at most four bytes a character.
    const QString text =
        plainMemoText(bytes.left(4 * kMaxEditableCharacters)).left(kMaxEditableCharacters + 1);
    rtf::replaceDocument(document, [&](QTextCursor& cursor) { cursor.insertText(text); });
    return OpenedMemo::Found::PlainText;
}

FileStamp withDigest(FileStamp stamp, const QByteArray& bytes) {
    stamp.digest = contentDigest(bytes);
    return stamp;
}

// A memo longer than the editor takes is shown as far as it may be: its beginning. Laid out in
// the background, as a memo read anew always is.
void cutToTheLimit(QTextDocument& document) {
    if (document.characterCount() - 1 <= kMaxEditableCharacters)
        return;
    const QSizeF page = document.pageSize();
    const bool undo = document.isUndoRedoEnabled();
    document.setPageSize(QSizeF(0, 0));
    document.setUndoRedoEnabled(false); // a memo read is not an edit
    QTextCursor tail(&document);
    tail.setPosition(static_cast<int>(kMaxEditableCharacters));
    tail.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    tail.removeSelectedText();
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
    document.setPageSize(page);
}

} // namespace

QString memoFileOf(const MemoFolder& folder, QDate day) {
    for (const QString& name : memoReadNames(day)) {
        if (folder.exists(name))
            return name;
    }
    return {};
}

QString backupName(const QString& name, int sequence) {
    return sequence == 0 ? name + QStringLiteral(".bak")
                         : name + QStringLiteral(".%1.bak").arg(sequence);
}

QString freeBackupName(const MemoFolder& folder, const QString& name) {
    int sequence = 0;
    while (folder.exists(backupName(name, sequence)))
        ++sequence;
    return backupName(name, sequence);
}

FileStamp contentStamp(const MemoFolder& folder, const QString& name) {
    const FileRead read = folder.read(name, kMaxDigestedBytes);
    if (read.ok())
        return withDigest(read.stamp, read.bytes);
    return folder.stamp(name); // there or not; its content is not to be had
}

OpenedMemo openMemo(const MemoFolder& folder, QDate day, QTextDocument& document) {
    OpenedMemo opened;
    opened.day = day;
    const QString saveName = memoSaveName(day);
    opened.name = memoFileOf(folder, day);
    if (opened.name.isEmpty()) {
        opened.name = saveName;
        clearDocument(document);
        return opened;
    }
    if (opened.name != saveName)
        opened.sharedWith = daySharingName(day);
    // Of a file too large to edit (another program's), what its beginning says is shown.
    const FileRead read =
        folder.read(opened.name, kMaxMemoFileBytes, MemoFolder::Larger::Beginning);
    opened.size = read.stamp.size;
    opened.saveTarget = opened.sharedWith ? contentStamp(folder, saveName) : read.stamp;
    if (!read.ok() && read.outcome != FileRead::Outcome::TooLarge) {
        clearDocument(document);
        opened.found = OpenedMemo::Found::Unreadable;
        opened.reason = read.reason();
        return opened;
    }
    opened.found = readBytes(read.bytes, document);
    if (read.outcome == FileRead::Outcome::TooLarge ||
        document.characterCount() - 1 > kMaxEditableCharacters) {
        cutToTheLimit(document);
        opened.found = OpenedMemo::Found::TooLarge;
        return opened;
    }
    if (opened.found == OpenedMemo::Found::Damaged ||
        opened.found == OpenedMemo::Found::PlainText) {
        opened.original = read.bytes;
        opened.backupName = freeBackupName(folder, opened.name);
    }
    if (!opened.sharedWith)
        opened.saveTarget.digest = contentDigest(read.bytes);
    opened.saveTargetSettled = opened.saveTarget.settledAt(QDateTime::currentMSecsSinceEpoch());
    return opened;
}

} // namespace orbeta
