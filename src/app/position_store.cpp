#include "app/position_store.h"

#include "app/single_text.h"

namespace orbeta {

namespace {

const QString kLeftKey = QStringLiteral("X1");
const QString kTopKey = QStringLiteral("Y1");

QString keyIn(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

double readCoordinate(const QSettings& settings, const QString& key, double fallback) {
    const QVariant stored = settings.value(key);
    if (!stored.isValid())
        return fallback;
    const std::optional<float> number = textToSingle(stored.toString());
    return number ? static_cast<double>(*number) : fallback;
}

} // namespace

PositionStore::PositionStore()
    : settings_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Orbeta"),
                QStringLiteral("Orbeta")) {}

PositionStore::PositionStore(const QString& iniFile) : settings_(iniFile, QSettings::IniFormat) {}

std::optional<twips::Point> PositionStore::restore(const QString& section,
                                                   twips::Point current) const {
    const QString leftKey = keyIn(section, kLeftKey);
    const QString topKey = keyIn(section, kTopKey);
    if (!settings_.contains(leftKey) && !settings_.contains(topKey))
        return std::nullopt;
    const double left = readCoordinate(settings_, leftKey, current.left);
    const double top = readCoordinate(settings_, topKey, current.top);
    return twips::Point{left, top};
}

void PositionStore::store(const QString& section, twips::Point position) {
    settings_.setValue(keyIn(section, kLeftKey), singleToText(static_cast<float>(position.left)));
    settings_.setValue(keyIn(section, kTopKey), singleToText(static_cast<float>(position.top)));
    settings_.sync();
}

} // namespace orbeta
