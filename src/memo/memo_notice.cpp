#include "memo/memo_notice.h"

#include "store/memo_limits.h"

#include <QLocale>

#include <algorithm>

namespace orbeta {

namespace {

QString dayText(QDate date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString timeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm"));
}

QString countText(qsizetype count) {
    return QLocale(QLocale::Japanese).toString(count);
}

QString copyText(const MemoVersion& copy) {
    return copy.madeAt.isValid()
               ? QStringLiteral("%1（%2、%3）").arg(copy.name, copy.tool, timeText(copy.madeAt))
               : QStringLiteral("%1（%2）").arg(copy.name, copy.tool);
}

} // namespace

QString memoNotice(const OpenedMemo& opened, const QString& file) {
    QStringList lines;
    using Found = OpenedMemo::Found;
    switch (opened.found) {
    case Found::Unreadable:
        lines << QStringLiteral(
                     "このメモのファイルを読み込めませんでした（%1）。%2 はそのまま残し、"
                     "ここからは保存しません。")
                     .arg(opened.reason, file);
        break;
    case Found::TooLarge:
        lines << QStringLiteral("このメモは大きすぎて（%1）編集できません。%2 はそのまま残します。")
                     .arg(japaneseSize(opened.size), file);
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

QString refusalToSave(const OpenedMemo& opened, const QString& file) {
    if (opened.found == OpenedMemo::Found::TooLarge)
        return QStringLiteral(
                   "このメモは大きすぎて編集できないため、保存しません。\n\nファイル: %1")
            .arg(file);
    return QStringLiteral(
               "このメモのファイルは読み込めなかったため、保存すると読み込めなかった内容が"
               "失われます。保存しませんでした。\n\nファイル: %1\n理由: %2")
        .arg(file, opened.reason);
}

QString saveFailure(const SaveResult& saved, const QString& removedFolder) {
    if (saved.backupFailed)
        return QStringLiteral("元のファイルを残せなかったため、メモを保存しませんでした。\n\n"
                              "残すファイル: %1\n理由: %2")
            .arg(saved.backup, saved.error);
    QString text = QStringLiteral("メモを保存できませんでした。\n\nファイル: %1\n理由: %2")
                       .arg(saved.fileName, saved.error);
    if (!removedFolder.isEmpty())
        text += QStringLiteral("\n\nメモのフォルダー %1 は削除されています。").arg(removedFolder);
    if (!saved.backup.isEmpty())
        text += QStringLiteral("\n\n元のファイルは %1 として残してあります。").arg(saved.backup);
    return text;
}

QString versionNotMade(const SaveResult& saved) {
    return QStringLiteral("メモを保存しました。ただし、置き換えた内容を以前の版として残せません"
                          "でした: %1\n\n置き換えた内容は %2 として残してあります。")
        .arg(saved.versionProblem, saved.replacedWrittenAs);
}

QString recoveryNotice(const MemoVersion& newest, qsizetype others) {
    QString text = QStringLiteral("前回、保存されないまま終了したときの内容が残っています"
                                  "（%1、%2）。")
                       .arg(newest.name, timeText(newest.madeAt));
    if (others > 0)
        text += QStringLiteral("ほかに %1 つあります。").arg(countText(others));
    return text;
}

QString copiesNotice(const QList<MemoVersion>& copies) {
    if (copies.isEmpty())
        return {};
    if (copies.size() == 1)
        return QStringLiteral("このメモには、ほかの端末で保存された版があります: ") +
               copyText(copies.first());
    const auto newest = std::max_element(
        copies.cbegin(), copies.cend(),
        [](const MemoVersion& a, const MemoVersion& b) { return a.madeAt < b.madeAt; });
    return QStringLiteral("同期のコピーが %1 件あります: %2 ほか %3 件")
        .arg(countText(copies.size()), copyText(*newest), countText(copies.size() - 1));
}

QString journalNotice(const QString& reason) {
    return QStringLiteral("保存していない内容を控えておけません（%1）。編集は続けられますが、"
                          "こまめに保存してください。")
        .arg(reason);
}

} // namespace orbeta
