#pragma once

#include <QFont>
#include <QString>

// The windows ask for the Japanese Windows fonts by name. Linux has none of them, so each name
// is given installed Japanese families of the same kind as substitutes.
namespace orbeta::fonts {

inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");

QFont gothic(double points);
QFont pGothic(double points);

// Call once, before the first window is made.
void installJapaneseSubstitutes();

} // namespace orbeta::fonts
