#include "desktop_pointer_settings.h"

#include "gnome_mouse_settings.h"
#include "kde_input_settings.h"
#include "platform_log.h"
#include "x11_libinput.h"
#include "x11_pointer_control.h"

#include <QDBusConnection>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace j2::platform {

namespace {

// The X server's own factor when acceleration is on, and none when it is off.
constexpr int kAcceleratedNumerator = 2;
constexpr int kAcceleratedDenominator = 1;

constexpr const char* kSpeed = "pointer speed";
constexpr const char* kDoubleClick = "double-click time";
constexpr const char* kWheelLines = "wheel scroll lines";
constexpr const char* kAcceleration = "pointer acceleration";

bool notApplied(const char* setting, const std::string& why)
{
    qCDebug(lcPlatform).noquote() << setting << "not applied:" << QString::fromStdString(why);
    return false;
}

// libinput's accel speed (GNOME's, Plasma's and the X driver's) for a system pointer speed: 1 to 10 spread
// over -1 to 0 and 10 to 20 over 0 to 1, so that the two defaults meet. Nothing for speeds the system does
// not accept, as Windows refuses them.
std::optional<double> accelSpeedFor(unsigned speed)
{
    constexpr unsigned slowest = PointerSettings::kSlowestSpeed;
    constexpr unsigned middle = PointerSettings::kDefaultSpeed;
    constexpr unsigned fastest = PointerSettings::kFastestSpeed;
    if (speed < slowest || speed > fastest)
        return std::nullopt;
    const double span = speed < middle ? middle - slowest : fastest - middle;
    return (double(speed) - double(middle)) / span;
}

// The nearest system pointer speed for an accel speed.
unsigned systemSpeedFor(double accelSpeed)
{
    constexpr double slowest = PointerSettings::kSlowestSpeed;
    constexpr double middle = PointerSettings::kDefaultSpeed;
    constexpr double fastest = PointerSettings::kFastestSpeed;
    const double clamped = std::clamp(accelSpeed, -1.0, 1.0);
    const double span = clamped < 0 ? middle - slowest : fastest - middle;
    return unsigned(std::lround(middle + clamped * span));
}

bool fitsInt(unsigned value)
{
    return value <= unsigned(std::numeric_limits<int>::max());
}

// Acceleration on an X server: the libinput driver's profile on the devices that have it; the core pointer
// control, which the driver ignores, only where none has.
bool readX11Acceleration(PointerAcceleration& acceleration)
{
    bool accelerated = false;
    if (x11::readAccelerated(accelerated)) {
        acceleration = {0, 0, accelerated ? 1 : 0};
        return true;
    }
    x11::PointerControl control;
    if (!x11::readPointerControl(control))
        return false;
    acceleration = {control.threshold, control.threshold, control.numerator > control.denominator ? 1 : 0};
    return true;
}

bool writeX11Acceleration(const PointerAcceleration& acceleration)
{
    const bool accelerated = acceleration.level != 0;
    switch (x11::writeAccelerated(accelerated)) {
    case x11::LibinputResult::Applied:
        return true;
    case x11::LibinputResult::Failed:
        return notApplied(kAcceleration, "the X server refused the libinput profile");
    case x11::LibinputResult::NoDevices:
        break;
    }
    const bool written = accelerated
                             ? x11::writeAccelerationFactor(kAcceleratedNumerator, kAcceleratedDenominator)
                             : x11::writeAccelerationFactor(1, 1);
    return written || notApplied(kAcceleration, "no X display");
}

bool writeX11Speed(unsigned speed)
{
    const std::optional<double> accelSpeed = accelSpeedFor(speed);
    if (!accelSpeed)
        return notApplied(kSpeed, "out of the range the system knows");
    switch (x11::writeAccelSpeed(*accelSpeed)) {
    case x11::LibinputResult::Applied:
        return true;
    case x11::LibinputResult::Failed:
        return notApplied(kSpeed, "the X server refused libinput's accel speed");
    case x11::LibinputResult::NoDevices:
        break;
    }
    return notApplied(kSpeed, "no pointer device on the X server is driven by libinput, and the core pointer "
                              "control has only acceleration");
}

bool readX11Speed(unsigned& speed)
{
    double accelSpeed = 0;
    if (!x11::readAccelSpeed(accelSpeed))
        return false;
    speed = systemSpeedFor(accelSpeed);
    return true;
}

class GnomePointerSettings final : public PointerSettings
{
public:
    explicit GnomePointerSettings(std::unique_ptr<gnome::MouseSettings> settings) : gnome(std::move(settings))
    {}

    bool readAcceleration(PointerAcceleration& acceleration) override
    {
        // GNOME keeps no thresholds; the acceleration curve is the device's.
        bool accelerated = false;
        if (!gnome->readAccelerated(accelerated))
            return false;
        acceleration = {0, 0, accelerated ? 1 : 0};
        return true;
    }
    bool writeAcceleration(const PointerAcceleration& acceleration) override
    {
        return gnome->setAccelerated(acceleration.level != 0) ||
               notApplied(kAcceleration, "GSettings refused the accel profile");
    }
    bool setPointerSpeed(unsigned speed) override
    {
        const std::optional<double> accelSpeed = accelSpeedFor(speed);
        if (!accelSpeed)
            return notApplied(kSpeed, "out of the range the system knows");
        return gnome->setSpeed(*accelSpeed) || notApplied(kSpeed, "GSettings refused the speed");
    }
    bool setDoubleClickTime(unsigned milliseconds) override
    {
        if (!fitsInt(milliseconds))
            return notApplied(kDoubleClick, "out of the range the system knows");
        return gnome->setDoubleClick(int(milliseconds)) ||
               notApplied(kDoubleClick, "GSettings refused the time");
    }
    bool setWheelScrollLines(unsigned) override
    {
        return notApplied(kWheelLines, "GNOME has no setting for it; each program chooses its own");
    }
    bool readPointerSpeed(unsigned& speed) override
    {
        double accelSpeed = 0;
        if (!gnome->readSpeed(accelSpeed))
            return false;
        speed = systemSpeedFor(accelSpeed);
        return true;
    }
    bool readDoubleClickTime(unsigned& milliseconds) override
    {
        int value = 0;
        if (!gnome->readDoubleClick(value) || value < 0)
            return false;
        milliseconds = unsigned(value);
        return true;
    }
    bool readWheelScrollLines(unsigned&) override { return false; }

private:
    std::unique_ptr<gnome::MouseSettings> gnome;
};

class KdePointerSettings final : public PointerSettings
{
public:
    KdePointerSettings(const QString& configFolder, bool onX11)
        : plasma(configFolder, QDBusConnection::sessionBus()), x11(onX11)
    {}

    bool readAcceleration(PointerAcceleration& acceleration) override
    {
        const std::optional<bool> accelerated = plasma.accelerated();
        if (!accelerated)
            return false;
        acceleration = {0, 0, *accelerated ? 1 : 0};
        return true;
    }
    bool writeAcceleration(const PointerAcceleration& acceleration) override
    {
        // On X11 Plasma applies its file only at login; the settings page changes the devices itself.
        const bool saved = plasma.setAccelerated(acceleration.level != 0);
        return x11 ? writeX11Acceleration(acceleration) && saved : saved;
    }
    bool setPointerSpeed(unsigned speed) override
    {
        const std::optional<double> accelSpeed = accelSpeedFor(speed);
        if (!accelSpeed)
            return notApplied(kSpeed, "out of the range the system knows");
        const bool saved = plasma.setPointerSpeed(*accelSpeed);
        return x11 ? writeX11Speed(speed) && saved : saved;
    }
    bool setDoubleClickTime(unsigned milliseconds) override
    {
        if (!fitsInt(milliseconds))
            return notApplied(kDoubleClick, "out of the range the system knows");
        return plasma.setDoubleClickInterval(int(milliseconds));
    }
    bool setWheelScrollLines(unsigned lines) override
    {
        if (!fitsInt(lines))
            return notApplied(kWheelLines, "out of the range the system knows");
        return plasma.setWheelScrollLines(int(lines));
    }
    bool readPointerSpeed(unsigned& speed) override
    {
        const std::optional<double> accelSpeed = plasma.pointerSpeed();
        if (!accelSpeed)
            return false;
        speed = systemSpeedFor(*accelSpeed);
        return true;
    }
    bool readDoubleClickTime(unsigned& milliseconds) override
    {
        const std::optional<int> value = plasma.doubleClickInterval();
        if (!value || *value < 0)
            return false;
        milliseconds = unsigned(*value);
        return true;
    }
    bool readWheelScrollLines(unsigned& lines) override
    {
        const std::optional<int> value = plasma.wheelScrollLines();
        if (!value || *value < 0)
            return false;
        lines = unsigned(*value);
        return true;
    }

private:
    kde::InputSettings plasma;
    bool x11;
};

// An X server whose desktop we do not know: only what the X server itself holds.
class X11PointerSettings final : public PointerSettings
{
public:
    bool readAcceleration(PointerAcceleration& acceleration) override
    {
        return readX11Acceleration(acceleration);
    }
    bool writeAcceleration(const PointerAcceleration& acceleration) override
    {
        return writeX11Acceleration(acceleration);
    }
    bool setPointerSpeed(unsigned speed) override { return writeX11Speed(speed); }
    bool setDoubleClickTime(unsigned) override { return notApplied(kDoubleClick, kNoServerSetting); }
    bool setWheelScrollLines(unsigned) override { return notApplied(kWheelLines, kNoServerSetting); }
    bool readPointerSpeed(unsigned& speed) override { return readX11Speed(speed); }
    bool readDoubleClickTime(unsigned&) override { return false; }
    bool readWheelScrollLines(unsigned&) override { return false; }

private:
    static constexpr const char* kNoServerSetting =
        "the X server keeps no such setting and no known desktop runs (each toolkit has its own)";
};

// A Wayland compositor that keeps its input settings to itself (sway, Hyprland, Weston, ...).
class UnreachablePointerSettings final : public PointerSettings
{
public:
    explicit UnreachablePointerSettings(std::string desktop)
        : why("the compositor" + (desktop.empty() ? std::string() : " of " + desktop) +
              " offers no settings interface we know")
    {}

    bool readAcceleration(PointerAcceleration&) override { return false; }
    bool writeAcceleration(const PointerAcceleration&) override { return notApplied(kAcceleration, why); }
    bool setPointerSpeed(unsigned) override { return notApplied(kSpeed, why); }
    bool setDoubleClickTime(unsigned) override { return notApplied(kDoubleClick, why); }
    bool setWheelScrollLines(unsigned) override { return notApplied(kWheelLines, why); }
    bool readPointerSpeed(unsigned&) override { return false; }
    bool readDoubleClickTime(unsigned&) override { return false; }
    bool readWheelScrollLines(unsigned&) override { return false; }

private:
    std::string why;
};

std::string environment(const char* name)
{
    return qEnvironmentVariable(name).toStdString();
}

} // namespace

PointerSession currentPointerSession()
{
    PointerSession session;
    session.name = environment("XDG_CURRENT_DESKTOP");
    const QString type = qEnvironmentVariable("XDG_SESSION_TYPE");
    const bool wayland = type == QLatin1String("wayland") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    // Under a Wayland compositor DISPLAY names Xwayland, whose devices are not the compositor's.
    session.x11 = !wayland && !qEnvironmentVariable("DISPLAY").isEmpty();
    // A list such as "ubuntu:GNOME" or "Budgie:GNOME", most specific first.
    const QStringList desktops = QString::fromStdString(session.name).toUpper().split(QLatin1Char(':'));
    // Desktops whose settings daemon reads GNOME's peripherals schema. Cinnamon and MATE have schemas of
    // their own and are left to the X server.
    const QStringList gnomeFamily{QStringLiteral("GNOME"), QStringLiteral("UNITY"), QStringLiteral("BUDGIE"),
                                  QStringLiteral("PANTHEON")};
    if (desktops.contains(QStringLiteral("KDE")))
        session.desktop = PointerDesktop::Kde;
    else if (std::any_of(desktops.begin(), desktops.end(),
                         [&](const QString& desktop) { return gnomeFamily.contains(desktop); }))
        session.desktop = PointerDesktop::Gnome;
    else
        session.desktop = session.x11 ? PointerDesktop::X11 : PointerDesktop::None;
    return session;
}

std::unique_ptr<PointerSettings> makeDesktopPointerSettings(const PointerSession& session)
{
    switch (session.desktop) {
    case PointerDesktop::Gnome:
        if (auto gnome = gnome::MouseSettings::open())
            return std::make_unique<GnomePointerSettings>(std::move(gnome));
        qCDebug(lcPlatform)
            << "GNOME's mouse settings schema is not installed: pointer settings are limited to"
            << (session.x11 ? "the X server" : "nothing");
        break;
    case PointerDesktop::Kde:
        return std::make_unique<KdePointerSettings>(
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), session.x11);
    case PointerDesktop::X11:
    case PointerDesktop::None:
        break;
    }
    if (session.x11)
        return std::make_unique<X11PointerSettings>();
    return std::make_unique<UnreachablePointerSettings>(session.name);
}

std::unique_ptr<PointerSettings> makeSystemPointerSettings()
{
    return makeDesktopPointerSettings(currentPointerSession());
}

} // namespace j2::platform
