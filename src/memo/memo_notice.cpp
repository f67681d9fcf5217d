#include "memo/memo_notice.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace orbeta {

namespace {

QString dayText(QDate date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString fileText(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString sizeText(qint64 bytes) {
    return QLocale(QLocale::Japanese)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

QString memoNotice(const MemoFiles::Loaded& loaded, QDate date, const QString& backup) {
    QStringList lines;
    using Found = MemoFiles::Found;
    switch (loaded.found) {
    case Found::Unreadable:
        lines << QStringLiteral(
                     "このメモのファイルを読み込めませんでした（%1）。%2 はそのまま残し、"
                     "ここからは保存しません。")
                     .arg(loaded.reason, fileText(loaded.path));
        break;
    case Found::TooLarge:
        lines << QStringLiteral("このメモは大きすぎて（%1）編集できません。%2 はそのまま残します。")
                     .arg(sizeText(loaded.size), fileText(loaded.path));
        break;
    case Found::Damaged:
        lines << QStringLiteral("ファイルが壊れているため、このメモの一部を読み込めませんでした。");
        break;
    case Found::PlainText:
        lines << QStringLiteral("このメモは RTF ではないテキストのファイルから読み込みました。");
        break;
    case Found::Nothing:
    case Found::Rtf:
        break;
    }
    if (loaded.needsBackup())
        lines.last() += QStringLiteral("保存するときは、元のファイルを %1 として残します。")
                            .arg(QFileInfo(backup).fileName());
    if (loaded.sharedWith && loaded.found != Found::Nothing) {
        const QDate first = std::min(date, *loaded.sharedWith);
        const QDate second = std::max(date, *loaded.sharedWith);
        lines << QStringLiteral("このメモは %1 と %2 が共有していた %3 から読み込みました")
                     .arg(dayText(first), dayText(second), QFileInfo(loaded.path).fileName());
    }
    return lines.join(QLatin1Char('\n'));
}

QString refusalToSave(const MemoFiles::Loaded& loaded) {
    if (loaded.found == MemoFiles::Found::TooLarge)
        return QStringLiteral(
                   "このメモは大きすぎて編集できないため、保存しません。\n\nファイル: %1")
            .arg(fileText(loaded.path));
    return QStringLiteral(
               "このメモのファイルは読み込めなかったため、保存すると読み込めなかった内容が"
               "失われます。保存しませんでした。\n\nファイル: %1\n理由: %2")
        .arg(fileText(loaded.path), loaded.reason);
}

} // namespace orbeta
