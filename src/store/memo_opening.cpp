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

// What a memo replaces is kept whole as a version, up to this size; a larger file another
// program put there is not replaced.
constexpr qint64 kMaxDigestedBytes = 4 * kMaxMemoFileBytes;

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
    const QString text = plainMemoText(bytes);
    rtf::replaceDocument(document, [&](QTextCursor& cursor) { cursor.insertText(text); });
    return OpenedMemo::Found::PlainText;
}

FileStamp withDigest(FileStamp stamp, const QByteArray& bytes) {
    stamp.digest = contentDigest(bytes);
    return stamp;
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
    const FileRead read = folder.read(opened.name, kMaxMemoFileBytes);
    opened.size = read.stamp.size;
    if (!read.ok()) {
        clearDocument(document);
        opened.found = read.outcome == FileRead::Outcome::TooLarge ? OpenedMemo::Found::TooLarge
                                                                   : OpenedMemo::Found::Unreadable;
        if (opened.found == OpenedMemo::Found::Unreadable)
            opened.reason = read.reason();
        opened.saveTarget = contentStamp(folder, saveName);
        return opened;
    }
    opened.found = readBytes(read.bytes, document);
    if (document.characterCount() > kMaxEditableCharacters) {
        clearDocument(document);
        opened.found = OpenedMemo::Found::TooLarge;
    }
    if (opened.found == OpenedMemo::Found::Damaged ||
        opened.found == OpenedMemo::Found::PlainText) {
        opened.original = read.bytes;
        opened.backupName = freeBackupName(folder, opened.name);
    }
    opened.saveTarget =
        opened.sharedWith ? contentStamp(folder, saveName) : withDigest(read.stamp, read.bytes);
    opened.saveTargetSettled = opened.saveTarget.settledAt(QDateTime::currentMSecsSinceEpoch());
    return opened;
}

} // namespace orbeta
