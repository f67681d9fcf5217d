#include "memo/memo_notice.h"

#include <QLocale>

namespace orbeta {

namespace {

QString dayText(QDate date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString timeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm"));
}

QString sizeText(qint64 bytes) {
    return QLocale(QLocale::Japanese)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

QString memoNotice(const MemoFiles::Opened& opened, const MemoFolder& folder) {
    QStringList lines;
    using Found = MemoFiles::Found;
    switch (opened.found) {
    case Found::Unreadable:
        lines << QStringLiteral(
                     "このメモのファイルを読み込めませんでした（%1）。%2 はそのまま残し、"
                     "ここからは保存しません。")
                     .arg(opened.reason, folder.shownPath(opened.name));
        break;
    case Found::TooLarge:
        lines << QStringLiteral("このメモは大きすぎて（%1）編集できません。%2 はそのまま残します。")
                     .arg(sizeText(opened.size), folder.shownPath(opened.name));
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
    if (opened.needsBackup())
        lines.last() += QStringLiteral("保存するときは、元のファイルを %1 として残します。")
                            .arg(opened.backupName);
    if (opened.sharedWith && opened.found != Found::Nothing) {
        const QDate first = std::min(opened.day, *opened.sharedWith);
        const QDate second = std::max(opened.day, *opened.sharedWith);
        lines << QStringLiteral("このメモは %1 と %2 が共有していた %3 から読み込みました")
                     .arg(dayText(first), dayText(second), opened.name);
    }
    return lines.join(QLatin1Char('\n'));
}

QString refusalToSave(const MemoFiles::Opened& opened, const MemoFolder& folder) {
    if (opened.found == MemoFiles::Found::TooLarge)
        return QStringLiteral(
                   "このメモは大きすぎて編集できないため、保存しません。\n\nファイル: %1")
            .arg(folder.shownPath(opened.name));
    return QStringLiteral(
               "このメモのファイルは読み込めなかったため、保存すると読み込めなかった内容が"
               "失われます。保存しませんでした。\n\nファイル: %1\n理由: %2")
        .arg(folder.shownPath(opened.name), opened.reason);
}

QString saveFailure(const MemoFiles::Saved& saved, const MemoFolder& folder) {
    if (saved.backupFailed)
        return QStringLiteral("元のファイルを残せなかったため、メモを保存しませんでした。\n\n"
                              "残すファイル: %1\n理由: %2")
            .arg(saved.backup, saved.error);
    QString text = QStringLiteral("メモを保存できませんでした。\n\nファイル: %1\n理由: %2")
                       .arg(saved.fileName, saved.error);
    if (folder.removed())
        text +=
            QStringLiteral("\n\nメモのフォルダー %1 は削除されています。").arg(folder.startPath());
    if (!saved.backup.isEmpty())
        text += QStringLiteral("\n\n元のファイルは %1 として残してあります。").arg(saved.backup);
    return text;
}

QString recoveryNotice(const QList<RecoveryFile>& recoveries) {
    if (recoveries.isEmpty())
        return {};
    QString text = QStringLiteral("前回、保存されないまま終了したときの内容が残っています"
                                  "（%1、%2）。")
                       .arg(recoveries.first().name, timeText(recoveries.first().writtenAt));
    if (recoveries.size() > 1)
        text += QStringLiteral("ほかに %1 つあります。").arg(recoveries.size() - 1);
    return text;
}

QString copiesNotice(const QList<ConflictCopy>& copies) {
    if (copies.isEmpty())
        return {};
    QStringList named;
    for (const ConflictCopy& copy : copies)
        named << (copy.madeAt.isValid() ? QStringLiteral("%1（%2、%3）")
                                              .arg(copy.name, copy.tool, timeText(copy.madeAt))
                                        : QStringLiteral("%1（%2）").arg(copy.name, copy.tool));
    return QStringLiteral("このメモには、ほかの端末で保存された版があります: ") +
           named.join(QStringLiteral("、"));
}

} // namespace orbeta
