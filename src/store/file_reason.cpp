#include "store/file_reason.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace orbeta {

QString fileReason(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が足りません");
    case EFBIG:
        return QStringLiteral("ファイルの大きさが、このシステムで許される上限を超えます");
    case EACCES:
    case EPERM:
        return QStringLiteral("このファイルまたはフォルダーを使う権限がありません");
    case EROFS:
        return QStringLiteral("読み取り専用のディスクです");
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダーが見つかりません");
    case ENOTDIR:
    case ELOOP:
        return QStringLiteral(
            "フォルダーのあるべきところに、フォルダーでないもの（ファイルかリンク）"
            "があります");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダーがあります");
    case EIO:
        return QStringLiteral("ディスクの読み書きに失敗しました");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます");
    case ENAMETOOLONG:
        return QStringLiteral("ファイルの名前が長すぎます");
    case EEXIST:
        return QStringLiteral("同じ名前のファイルがすでにあります");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("ファイルがほかのプログラムに使われています");
    default:
        return QStringLiteral("システムのエラー %1（%2）")
            .arg(errorNumber)
            .arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

QString notRegularFileReason(unsigned int fileType) {
    QString kind;
    switch (fileType) {
    case S_IFDIR:
        return QStringLiteral("同じ名前のフォルダーがあります");
    case S_IFIFO:
        kind = QStringLiteral("名前付きパイプ");
        break;
    case S_IFSOCK:
        kind = QStringLiteral("ソケット");
        break;
    case S_IFCHR:
    case S_IFBLK:
        kind = QStringLiteral("デバイス");
        break;
    default:
        kind = QStringLiteral("特殊なファイル");
        break;
    }
    return QStringLiteral("通常のファイルではありません（%1）").arg(kind);
}

QString linkOutsideReason() {
    return QStringLiteral("メモのフォルダーの外を指すリンクです");
}

QString readOnlyReason() {
    return QStringLiteral("書き込みが許されていないファイルです（読み取り専用）");
}

} // namespace orbeta
