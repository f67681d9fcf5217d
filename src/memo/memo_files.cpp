#include "memo/memo_files.h"

#include "memo/file_reason.h"
#include "memo/memo_file_name.h"
#include "memo/safe_save.h"
#include "richtext/code_pages.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextDocument>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbeta {

namespace {

struct FileRead {
    QByteArray bytes;
    int error = 0; // errno of what failed
    qint64 size = 0;
    bool tooLarge = false;
};

// Reads a whole file, telling why not in the system's words: a missing permission, an I/O error,
// a file that went away after it was seen, a folder in its place.
FileRead readWholeFile(const QString& path) {
    FileRead read;
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        read.error = errno;
        return read;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        read.error = S_ISDIR(status.st_mode) ? EISDIR : errno != 0 ? errno : EIO;
    } else if (status.st_size > MemoFiles::kMaxReadBytes) {
        read.size = status.st_size;
        read.tooLarge = true;
    } else {
        read.bytes.resize(status.st_size);
        qint64 got = 0;
        while (got < read.bytes.size()) {
            const ssize_t now = ::read(descriptor, read.bytes.data() + got,
                                       static_cast<std::size_t>(read.bytes.size() - got));
            if (now < 0 && errno == EINTR)
                continue;
            if (now < 0) {
                read.error = errno;
                break;
            }
            if (now == 0)
                break; // shorter than it was: what is there
            got += now;
        }
        read.bytes.truncate(got);
        read.size = got;
    }
    ::close(descriptor);
    return read;
}

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

MemoFiles::Loaded MemoFiles::load(QDate date, QTextDocument& document) const {
    Loaded loaded;
    const QStringList names = memoReadNames(date);
    loaded.path = pathOf(names.first());
    for (const QString& name : names) {
        const QString path = pathOf(name);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            continue;
        loaded.path = path;
        if (name != names.first())
            loaded.sharedWith = daySharingName(date);
        const FileRead read = readWholeFile(path);
        loaded.size = read.size;
        if (read.error != 0 || read.tooLarge) {
            clearDocument(document);
            loaded.found = read.tooLarge ? Found::TooLarge : Found::Unreadable;
            loaded.reason = read.tooLarge ? QString() : fileReason(read.error);
            loaded.saveTarget = FileSnapshot::of(pathOf(names.first()));
            return loaded;
        }
        loaded.found = readBytes(read.bytes, document);
        if (document.characterCount() > kMaxEditableCharacters) {
            clearDocument(document);
            loaded.found = Found::TooLarge;
        }
        if (loaded.found == Found::Damaged || loaded.found == Found::PlainText)
            loaded.original = read.bytes;
        loaded.saveTarget = name == names.first() ? FileSnapshot::of(read.bytes)
                                                  : FileSnapshot::of(pathOf(names.first()));
        return loaded;
    }
    clearDocument(document);
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

QSet<int> MemoFiles::daysWithMemos(int year, int month) const {
    QSet<int> days;
    const QDate first(year, month, 1);
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        for (const QString& name : memoReadNames(QDate(year, month, day))) {
            if (QFileInfo::exists(pathOf(name))) {
                days.insert(day);
                break;
            }
        }
    }
    return days;
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

QString freeBackupName(const QString& path) {
    QString name = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = path + QStringLiteral(".%1.bak").arg(n);
    return name;
}

} // namespace orbeta
