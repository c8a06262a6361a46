#include "kde_input_settings.h"

#include "platform_log.h"

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace j2::platform::kde {

namespace {

// Pointer speed and acceleration (kcminputrc). Plasma keeps them in two places, one per display server:
// - X11 (kcm_mouse's libinput backend): [Mouse] XLbInptPointerAcceleration (-1 to 1) and
//   XLbInptAccelProfileFlat, which the settings page applies to the X devices and kcminit again at login;
// - Wayland (KWin, Plasma 5 and 6): [Libinput][<vendor>][<product>][<name>] per device, over
//   [Libinput][Defaults][Pointer] for every pointer; PointerAcceleration (-1 to 1, written "%.3f") and
//   PointerAccelerationProfile (libinput's bits: 1 flat, 2 adaptive). KWin reads them again for every pointer
//   on the reload signal below.
// We write both, so that the value holds whichever session the user logs into next. A mouse the user set up
// on its own in the settings page has the key in its own group, which wins over the defaults: there we
// change it too. Touchpads are left alone (the page is about the mouse), though KWin lets them fall back to
// the pointer defaults when no touchpad defaults exist.
const ConfigEntry kX11Speed{{QStringLiteral("Mouse")}, QStringLiteral("XLbInptPointerAcceleration")};
const ConfigEntry kX11Flat{{QStringLiteral("Mouse")}, QStringLiteral("XLbInptAccelProfileFlat")};
const QStringList kPointerDefaults{QStringLiteral("Libinput"), QStringLiteral("Defaults"),
                                   QStringLiteral("Pointer")};
const ConfigEntry kWaylandSpeed{kPointerDefaults, QStringLiteral("PointerAcceleration")};
const ConfigEntry kWaylandProfile{kPointerDefaults, QStringLiteral("PointerAccelerationProfile")};
constexpr int kFlatProfile = 1;
constexpr int kAdaptiveProfile = 2;
// Double-click time and wheel lines (kdeglobals), read by every KDE and Qt program through Plasma's platform
// theme.
const ConfigEntry kDoubleClick{{QStringLiteral("KDE")}, QStringLiteral("DoubleClickInterval")};
const ConfigEntry kWheelLines{{QStringLiteral("KDE")}, QStringLiteral("WheelScrollLines")};
constexpr int kDefaultDoubleClick = 400;
constexpr int kDefaultWheelLines = 3;

// KGlobalSettings' change notice: SettingsChanged (3) for SETTINGS_MOUSE (0) is what Plasma's mouse settings
// page sends; KWin reapplies its input configuration on it, the platform theme of running programs rereads
// kdeglobals.
constexpr int kSettingsChanged = 3;
constexpr int kMouseSettings = 0;

QString header(const QStringList& group)
{
    return QLatin1Char('[') + group.join(QStringLiteral("][")) + QLatin1Char(']');
}

// Where an entry is in a file's lines, and whether the administrator locked it.
struct Found
{
    qsizetype groupLine = -1; // the group's header; -1 when absent
    qsizetype keyLine = -1;   // -1 when the group does not hold the key
    qsizetype lastLine = -1;  // the group's last line with content
    bool locked = false;
};

// The key of a "key[flags]=value" line when it is `key` itself (not a translation such as "key[de]").
bool isKeyLine(const QString& line, const QString& key, bool& locked)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return false;
    const QString name = line.left(equals).trimmed();
    if (name == key)
        return true;
    if (!name.startsWith(key + QStringLiteral("[$")) || !name.endsWith(QLatin1Char(']')))
        return false;
    if (name.mid(key.size()).contains(QLatin1Char('i')))
        locked = true;
    return true;
}

Found find(const QStringList& lines, const ConfigEntry& entry)
{
    Found found;
    const QString wanted = header(entry.group);
    bool inGroup = false;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString line = lines[index].trimmed();
        if (line == QStringLiteral("[$i]"))
            found.locked = true; // the whole file
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == wanted || line == wanted + QStringLiteral("[$i]");
            if (inGroup) {
                found.groupLine = found.lastLine = index;
                found.locked = found.locked || line != wanted;
            }
            continue;
        }
        if (!inGroup || line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        found.lastLine = index;
        if (isKeyLine(line, entry.key, found.locked))
            found.keyLine = index;
    }
    return found;
}

bool readLines(const QString& path, QStringList& lines, QString& error)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return true;
}

// The group names of a header line ("[A][B]" gives A, B), or nothing for a line that is no header.
std::optional<QStringList> headerGroups(const QString& line)
{
    if (!line.startsWith(QLatin1Char('[')) || !line.endsWith(QLatin1Char(']')))
        return std::nullopt;
    return line.mid(1, line.size() - 2).split(QStringLiteral("]["));
}

// KWin's groups of single mice ([Libinput][<vendor>][<product>][<name>]) that hold `key`.
QList<QStringList> mouseGroupsHolding(const QStringList& lines, const QString& key)
{
    // Keys only a touchpad has.
    static const QStringList touchpadKeys{
        QStringLiteral("TapToClick"),      QStringLiteral("TapAndDrag"),
        QStringLiteral("TapDragLock"),     QStringLiteral("DisableWhileTyping"),
        QStringLiteral("ScrollTwoFinger"), QStringLiteral("ScrollEdge"),
        QStringLiteral("LmrTapButtonMap"), QStringLiteral("ClickMethod")};
    constexpr qsizetype kDeviceDepth = 4;
    QList<QStringList> groups;
    QStringList group;
    bool holdsKey = false;
    bool touchpad = false;
    const auto finish = [&] {
        if (group.size() == kDeviceDepth && group[0] == QLatin1String("Libinput") &&
            group[1] != QLatin1String("Defaults") && holdsKey && !touchpad)
            groups << group;
    };
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (const std::optional<QStringList> header = headerGroups(line)) {
            finish();
            group = *header;
            holdsKey = false;
            touchpad = group.size() == kDeviceDepth &&
                       group[3].contains(QLatin1String("touchpad"), Qt::CaseInsensitive);
            continue;
        }
        const QString name = line.left(line.indexOf(QLatin1Char('='))).trimmed();
        holdsKey = holdsKey || name == key;
        touchpad = touchpad || touchpadKeys.contains(name);
    }
    finish();
    return groups;
}

} // namespace

std::optional<QString> readConfigValue(const QString& path, const ConfigEntry& entry)
{
    QStringList lines;
    QString error;
    if (!readLines(path, lines, error))
        return std::nullopt;
    const Found found = find(lines, entry);
    if (found.keyLine < 0)
        return std::nullopt;
    const QString& line = lines[found.keyLine];
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

bool writeConfigValues(const QString& path, const QList<std::pair<ConfigEntry, QString>>& values,
                       QString& error)
{
    QStringList lines;
    if (!readLines(path, lines, error))
        return false;
    for (const auto& [entry, value] : values) {
        const Found found = find(lines, entry);
        if (found.locked) {
            error = QStringLiteral("%1 is locked").arg(header(entry.group) + entry.key);
            return false;
        }
        const QString line = entry.key + QLatin1Char('=') + value;
        if (found.keyLine >= 0) {
            lines[found.keyLine] = line;
        } else if (found.groupLine >= 0) {
            lines.insert(found.lastLine + 1, line);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << header(entry.group) << line;
        }
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("cannot create the folder");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

InputSettings::InputSettings(QString configFolder, QDBusConnection sessionBus)
    : folder(std::move(configFolder)), bus(std::move(sessionBus))
{}

bool InputSettings::write(const char* setting, const QString& file,
                          const QList<std::pair<ConfigEntry, QString>>& values)
{
    const QString path = folder + QLatin1Char('/') + file;
    QString error;
    if (!writeConfigValues(path, values, error)) {
        qCDebug(lcPlatform).noquote() << setting << "not applied: cannot write" << path << ":" << error;
        return false;
    }
    return announce(setting);
}

bool InputSettings::announce(const char* setting)
{
    // A signal, not a call: nothing to wait for.
    QDBusMessage notice =
        QDBusMessage::createSignal(QStringLiteral("/KGlobalSettings"),
                                   QStringLiteral("org.kde.KGlobalSettings"), QStringLiteral("notifyChange"));
    notice << kSettingsChanged << kMouseSettings;
    if (bus.isConnected() && bus.send(notice))
        return true;
    qCDebug(lcPlatform) << setting
                        << "saved for the next login but not applied now: the desktop could not be told"
                        << (bus.isConnected() ? bus.lastError().message() : QStringLiteral("no session bus"));
    return false;
}

QList<std::pair<ConfigEntry, QString>> InputSettings::withMouseGroups(const ConfigEntry& defaults,
                                                                      const QString& value) const
{
    QList<std::pair<ConfigEntry, QString>> values{{defaults, value}};
    QStringList lines;
    QString error;
    if (readLines(folder + QStringLiteral("/kcminputrc"), lines, error)) {
        for (const QStringList& group : mouseGroupsHolding(lines, defaults.key))
            values.append({ConfigEntry{group, defaults.key}, value});
    } // else the write that follows reports the file
    return values;
}

bool InputSettings::setPointerSpeed(double speed)
{
    const QString value = QString::number(speed, 'f', 3);
    return write("pointer speed", QStringLiteral("kcminputrc"),
                 QList<std::pair<ConfigEntry, QString>>{{kX11Speed, value}} +
                     withMouseGroups(kWaylandSpeed, value));
}

std::optional<double> InputSettings::pointerSpeed() const
{
    const QString path = folder + QStringLiteral("/kcminputrc");
    std::optional<QString> text = readConfigValue(path, kWaylandSpeed);
    if (!text)
        text = readConfigValue(path, kX11Speed);
    bool isNumber = false;
    const double speed = text ? text->toDouble(&isNumber) : 0.0;
    return !text || isNumber ? std::optional<double>(speed) : std::nullopt;
}

bool InputSettings::setAccelerated(bool accelerated)
{
    return write(
        "pointer acceleration", QStringLiteral("kcminputrc"),
        QList<std::pair<ConfigEntry, QString>>{
            {kX11Flat, accelerated ? QStringLiteral("false") : QStringLiteral("true")}} +
            withMouseGroups(kWaylandProfile, QString::number(accelerated ? kAdaptiveProfile : kFlatProfile)));
}

std::optional<bool> InputSettings::accelerated() const
{
    const QString path = folder + QStringLiteral("/kcminputrc");
    if (const std::optional<QString> profile = readConfigValue(path, kWaylandProfile))
        return profile->toInt() != kFlatProfile;
    if (const std::optional<QString> flat = readConfigValue(path, kX11Flat))
        return *flat != QStringLiteral("true");
    return true; // libinput's default profile accelerates
}

bool InputSettings::setDoubleClickInterval(int milliseconds)
{
    return write("double-click time", QStringLiteral("kdeglobals"),
                 {{kDoubleClick, QString::number(milliseconds)}});
}

std::optional<int> InputSettings::doubleClickInterval() const
{
    const std::optional<QString> text = readConfigValue(folder + QStringLiteral("/kdeglobals"), kDoubleClick);
    bool isNumber = false;
    const int milliseconds = text ? text->toInt(&isNumber) : kDefaultDoubleClick;
    return !text || isNumber ? std::optional<int>(milliseconds) : std::nullopt;
}

bool InputSettings::setWheelScrollLines(int lines)
{
    return write("wheel scroll lines", QStringLiteral("kdeglobals"), {{kWheelLines, QString::number(lines)}});
}

std::optional<int> InputSettings::wheelScrollLines() const
{
    const std::optional<QString> text = readConfigValue(folder + QStringLiteral("/kdeglobals"), kWheelLines);
    bool isNumber = false;
    const int lines = text ? text->toInt(&isNumber) : kDefaultWheelLines;
    return !text || isNumber ? std::optional<int>(lines) : std::nullopt;
}

} // namespace j2::platform::kde
