#include "app/position_store.h"

#include "app/single_text.h"

namespace orbeta {

namespace {

const QString kLeftKey = QStringLiteral("X1");
const QString kTopKey = QStringLiteral("Y1");

QString keyIn(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

std::optional<double> readCoordinate(const QSettings& settings, const QString& key) {
    const QVariant stored = settings.value(key);
    if (!stored.isValid())
        return std::nullopt;
    const std::optional<float> number = textToSingle(stored.toString());
    return number ? std::optional<double>(*number) : std::nullopt;
}

} // namespace

PositionStore::PositionStore()
    : settings_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Orbeta"),
                QStringLiteral("Orbeta")) {}

PositionStore::PositionStore(const QString& iniFile) : settings_(iniFile, QSettings::IniFormat) {}

std::optional<twips::Point> PositionStore::restore(const QString& section,
                                                   twips::Point current) const {
    const std::optional<double> left = readCoordinate(settings_, keyIn(section, kLeftKey));
    const std::optional<double> top = readCoordinate(settings_, keyIn(section, kTopKey));
    if (!left && !top)
        return std::nullopt;
    return twips::Point{left.value_or(current.left), top.value_or(current.top)};
}

void PositionStore::store(const QString& section, twips::Point position) {
    settings_.setValue(keyIn(section, kLeftKey), singleToText(static_cast<float>(position.left)));
    settings_.setValue(keyIn(section, kTopKey), singleToText(static_cast<float>(position.top)));
    settings_.sync();
}

bool PositionStore::isOn(const QString& section, const QString& key) const {
    return settings_.value(keyIn(section, key)).toString().trimmed() == QStringLiteral("1");
}

void PositionStore::setOn(const QString& section, const QString& key, bool on) {
    settings_.setValue(keyIn(section, key), on ? QStringLiteral("1") : QStringLiteral("0"));
    settings_.sync();
}

} // namespace orbeta
