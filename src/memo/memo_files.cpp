#include "memo/memo_files.h"

#include "memo/file_reason.h"
#include "memo/memo_file_name.h"
#include "memo/safe_save.h"
#include "memo/whole_file.h"
#include "richtext/code_pages.h"
#include "richtext/rtf_plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextDocument>

namespace orbeta {

namespace {

void clearDocument(QTextDocument& document) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
}

void showPlainText(QTextDocument& document, const QString& text) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.setPlainText(text);
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
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
    showPlainText(document, plainMemoText(bytes));
    return MemoFiles::Found::PlainText;
}

} // namespace

QString MemoFiles::pathOf(const QString& fileName) const {
    return QDir(folder_).filePath(fileName);
}

QString MemoFiles::shownPath(const QString& fileName) const {
    return QDir::toNativeSeparators(QFileInfo(pathOf(fileName)).absoluteFilePath());
}

QString MemoFiles::fileOf(QDate date) const {
    for (const QString& name : memoReadNames(date)) {
        const QString path = pathOf(name);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            return path;
    }
    return {};
}

MemoFiles::Loaded MemoFiles::load(QDate date, QTextDocument& document) const {
    Loaded loaded;
    const QString saveName = pathOf(memoSaveName(date));
    loaded.path = fileOf(date);
    if (loaded.path.isEmpty()) {
        loaded.path = saveName;
        clearDocument(document);
        return loaded;
    }
    if (loaded.path != saveName)
        loaded.sharedWith = daySharingName(date);
    const FileRead read = readWholeFile(loaded.path, kMaxReadBytes);
    loaded.size = read.size;
    if (read.error != 0 || read.tooLarge) {
        clearDocument(document);
        loaded.found = read.tooLarge ? Found::TooLarge : Found::Unreadable;
        loaded.reason = read.tooLarge ? QString() : fileReason(read.error);
        loaded.saveTarget = FileSnapshot::of(saveName);
        return loaded;
    }
    loaded.found = readBytes(read.bytes, document);
    if (document.characterCount() > kMaxEditableCharacters) {
        clearDocument(document);
        loaded.found = Found::TooLarge;
    }
    if (loaded.found == Found::Damaged || loaded.found == Found::PlainText)
        loaded.original = read.bytes;
    loaded.saveTarget =
        loaded.sharedWith ? FileSnapshot::of(saveName) : FileSnapshot::of(read.bytes);
    return loaded;
}

MemoFiles::Saved MemoFiles::save(QDate date, const QTextDocument& document,
                                 const Loaded* loaded) const {
    Saved saved;
    saved.fileName = shownPath(memoSaveName(date));
    const QString path = pathOf(memoSaveName(date));
    if (loaded && loaded->needsBackup() && QFileInfo::exists(path)) {
        const QString backup = freeBackupName(path);
        const QByteArray original = loaded->original;
        const SaveOutcome kept = saveFileSafely(
            backup, [&](QIODevice& device) { return device.write(original) == original.size(); });
        if (!kept.ok) {
            saved.error = kept.reason;
            saved.backup = QDir::toNativeSeparators(QFileInfo(backup).absoluteFilePath());
            return saved;
        }
        saved.backup = QDir::toNativeSeparators(QFileInfo(backup).absoluteFilePath());
    }
    const SaveOutcome outcome =
        saveFileSafely(path, [&](QIODevice& device) { return rtf::writeRtf(document, device); });
    saved.ok = outcome.ok;
    saved.error = outcome.reason;
    return saved;
}

bool MemoFiles::changedSince(QDate date, const Loaded& loaded) const {
    return FileSnapshot::of(pathOf(memoSaveName(date))) != loaded.saveTarget;
}

QString plainMemoText(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        return utf16.decode(QByteArrayView(bytes).sliced(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text.clear();
    rtf::CodePageDecoder(rtf::kShiftJis).decode(bytes, text);
    return text;
}

QString memoFileText(const QByteArray& bytes) {
    rtf::ReadResult result;
    QString text = rtf::rtfPlainText(bytes, &result);
    return result.isRtf() ? text : plainMemoText(bytes);
}

QString freeBackupName(const QString& path) {
    QString name = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = path + QStringLiteral(".%1.bak").arg(n);
    return name;
}

} // namespace orbeta
