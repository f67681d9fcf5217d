#pragma once

#include "app/twips.h"

#include <QSettings>
#include <QString>

#include <optional>

namespace orbeta {

// Remembers where the user left each window: per-user INI settings of the application "Orbeta",
// one section per window ("Form1_StrtUp"), keys "X1" and "Y1", the outer window's left and top
// in twips as text. Beside them, in sections of their own, the few things a user turns on.
class PositionStore {
public:
    // The user's own settings file.
    PositionStore();
    // A settings file of the caller's choosing.
    explicit PositionStore(const QString& iniFile);

    static QString sectionOf(const QString& windowClass) {
        return windowClass + QStringLiteral("_StrtUp");
    }

    // Reads X1 then Y1 of the section; a key never written, or holding something that is not a
    // number, gives the matching coordinate of `current`. Nothing at all when neither key holds
    // a number, so the window keeps its design position exactly as on a first run: before it is
    // shown a window's current position is its inner one, which moving it would take for the
    // outer one.
    std::optional<twips::Point> restore(const QString& section, twips::Point current) const;

    // Writes X1 then Y1 and flushes them to disk.
    void store(const QString& section, twips::Point position);

    // A choice that is on or off: "1" or "0". Off where never made or not understood.
    bool isOn(const QString& section, const QString& key) const;
    void setOn(const QString& section, const QString& key, bool on);

    QString fileName() const { return settings_.fileName(); }

private:
    QSettings settings_;
};

} // namespace orbeta
