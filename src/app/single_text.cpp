#include "app/single_text.h"

#include <QLocale>

#include <cmath>

namespace orbeta {

QString singleToText(float value) {
    if (value == 0.0f)
        return QStringLiteral("0"); // never "-0"
    QString text = QString::number(static_cast<double>(value), 'G', 7);
    const QString separator = QLocale::system().decimalPoint();
    if (separator != QLatin1String("."))
        text.replace(QLatin1Char('.'), separator);
    return text;
}

std::optional<float> textToSingle(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale::system().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 3.4028234e38)
        return std::nullopt;
    return static_cast<float>(value);
}

} // namespace orbeta
