#include "memo/memo_files.h"

#include "memo/memo_file_name.h"
#include "richtext/code_pages.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextDocument>

namespace orbeta {

QString MemoFiles::pathOf(const QString& fileName) const {
    return QDir(folder_).filePath(fileName);
}

MemoFiles::Found MemoFiles::load(QDate date, QTextDocument& document) const {
    for (const QString& name : memoReadNames(date)) {
        QFile file(pathOf(name));
        if (!file.exists())
            continue;
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
            return Found::Unreadable;
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Found::Unreadable;
        if (rtf::readRtf(bytes, document).isRtf())
            return Found::Rtf;
        if (bytes.isEmpty())
            return Found::Nothing;
        const bool undo = document.isUndoRedoEnabled();
        document.setUndoRedoEnabled(false);
        document.setPlainText(plainMemoText(bytes));
        document.setUndoRedoEnabled(undo);
        document.setModified(false);
        return Found::PlainText;
    }
    return Found::Nothing;
}

MemoFiles::Saved MemoFiles::save(QDate date, const QTextDocument& document) const {
    Saved saved;
    saved.fileName = pathOf(memoSaveName(date));
    QSaveFile file(saved.fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        saved.error = file.errorString();
        return saved;
    }
    QString error;
    if (!rtf::writeRtf(document, file, &error)) {
        file.cancelWriting();
        saved.error = error;
        return saved;
    }
    if (!file.commit()) {
        saved.error = file.errorString();
        return saved;
    }
    saved.ok = true;
    return saved;
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
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text.clear();
    rtf::CodePageDecoder(rtf::kShiftJis).decode(bytes, text);
    return text;
}

} // namespace orbeta
