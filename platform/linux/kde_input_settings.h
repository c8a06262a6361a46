#pragma once

// Plasma's own pointer settings: the files its settings pages write and the D-Bus signal that makes the
// running desktop read them again.

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <optional>

namespace j2::platform::kde {

// One value in a KDE configuration file (KConfig's INI dialect: nested groups as "[A][B]", flags such as
// "[$i]" after keys and groups). Only the line of the key changes; every other group, key, comment and flag
// stays as it was. The file is replaced in one rename.
struct ConfigEntry
{
    QStringList group;
    QString key;
};
std::optional<QString> readConfigValue(const QString& path, const ConfigEntry& entry);
// False, with the reason in `error`, when the file cannot be read or written, or the group or key is
// locked by the administrator ("[$i]").
bool writeConfigValues(const QString& path, const QList<std::pair<ConfigEntry, QString>>& values,
                       QString& error);

class InputSettings
{
public:
    // `configFolder`: where kcminputrc and kdeglobals live ($XDG_CONFIG_HOME or ~/.config). `bus`: the
    // session bus of the desktop.
    InputSettings(QString configFolder, QDBusConnection bus);

    // libinput's accel speed, -1 to 1.
    bool setPointerSpeed(double speed);
    std::optional<double> pointerSpeed() const;
    bool setAccelerated(bool accelerated);
    std::optional<bool> accelerated() const;
    bool setDoubleClickInterval(int milliseconds);
    std::optional<int> doubleClickInterval() const;
    bool setWheelScrollLines(int lines);
    std::optional<int> wheelScrollLines() const;

private:
    bool write(const char* setting, const QString& file,
               const QList<std::pair<ConfigEntry, QString>>& values);
    bool announce(const char* setting);
    // `defaults` with `value`, and the same key of every mouse whose own group holds it.
    QList<std::pair<ConfigEntry, QString>> withMouseGroups(const ConfigEntry& defaults,
                                                           const QString& value) const;

    QString folder;
    QDBusConnection bus;
};

} // namespace j2::platform::kde
