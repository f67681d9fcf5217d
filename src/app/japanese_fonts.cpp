#include "app/japanese_fonts.h"

#include <QStringList>

namespace orbeta::fonts {

namespace {

QFont japaneseFont(const QString& family, double points) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// Fixed-pitch first for the Gothic, proportional first for the P Gothic; Qt skips families
// that are not installed.
const QStringList kGothicFamilies{
    QStringLiteral("IPAGothic"),
    QStringLiteral("IPAexGothic"),
    QStringLiteral("TakaoGothic"),
    QStringLiteral("VL Gothic"),
    QStringLiteral("Noto Sans Mono CJK JP"),
    QStringLiteral("Noto Sans CJK JP"),
    QStringLiteral("Source Han Sans JP"),
    QStringLiteral("Droid Sans Fallback"),
};
const QStringList kPGothicFamilies{
    QStringLiteral("IPAPGothic"),       QStringLiteral("IPAexGothic"),
    QStringLiteral("TakaoPGothic"),     QStringLiteral("VL PGothic"),
    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Source Han Sans JP"),
    QStringLiteral("IPAGothic"),        QStringLiteral("Droid Sans Fallback"),
};
const QStringList kMinchoFamilies{
    QStringLiteral("IPAMincho"),   QStringLiteral("IPAexMincho"),
    QStringLiteral("IPAPMincho"),  QStringLiteral("Noto Serif CJK JP"),
    QStringLiteral("TakaoMincho"),
};

} // namespace

QFont gothic(double points) {
    return japaneseFont(kGothic, points);
}
QFont pGothic(double points) {
    return japaneseFont(kPGothic, points);
}

void installJapaneseSubstitutes() {
    const QStringList minchoThenGothic = kMinchoFamilies + kGothicFamilies;
    const QStringList pMinchoThenGothic = kMinchoFamilies + kPGothicFamilies;
    // Also the names old memos carry in their font tables, in both spellings.
    for (const QString& name :
         {kGothic, QStringLiteral("MS Gothic"), QStringLiteral("MS UI Gothic"),
          QStringLiteral("ＭＳ ＵＩ Ｇｏｔｈｉｃ"), QStringLiteral("Osaka－等幅")})
        QFont::insertSubstitutions(name, kGothicFamilies);
    for (const QString& name : {kPGothic, QStringLiteral("MS PGothic"), QStringLiteral("Osaka"),
                                QStringLiteral("メイリオ"), QStringLiteral("Meiryo"),
                                QStringLiteral("Yu Gothic"), QStringLiteral("游ゴシック")})
        QFont::insertSubstitutions(name, kPGothicFamilies);
    for (const QString& name : {QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS Mincho")})
        QFont::insertSubstitutions(name, minchoThenGothic);
    for (const QString& name : {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("MS PMincho"),
                                QStringLiteral("Yu Mincho"), QStringLiteral("游明朝")})
        QFont::insertSubstitutions(name, pMinchoThenGothic);
}

} // namespace orbeta::fonts
