#include "desktop_pointer_settings.h"

#include "x11_pointer_control.h"

#include <limits>
#include <utility>

namespace j2::platform {

namespace {

// The X server's own factor when acceleration is on, and none when it is off.
constexpr int kAcceleratedNumerator = 2;
constexpr int kAcceleratedDenominator = 1;

// GNOME's speed for a system pointer speed: 1 to 10 spread over -1 to 0 and 10 to 20 over 0 to 1, so that the
// two defaults meet. False for speeds the system does not accept, as Windows refuses them.
bool gnomeSpeedFor(unsigned speed, double& gnomeSpeed)
{
    constexpr unsigned slowest = PointerSettings::kSlowestSpeed;
    constexpr unsigned middle = PointerSettings::kDefaultSpeed;
    constexpr unsigned fastest = PointerSettings::kFastestSpeed;
    if (speed < slowest || speed > fastest)
        return false;
    const double span = speed < middle ? middle - slowest : fastest - middle;
    gnomeSpeed = (double(speed) - double(middle)) / span;
    return true;
}

class DesktopPointerSettings final : public PointerSettings
{
public:
    explicit DesktopPointerSettings(std::unique_ptr<gnome::MouseSettings> gnomeSettings)
        : gnome(std::move(gnomeSettings))
    {}

    bool readAcceleration(PointerAcceleration& acceleration) override
    {
        if (gnome) {
            // GNOME keeps no thresholds; the acceleration curve is the device's.
            bool accelerated = false;
            if (!gnome->readAccelerated(accelerated))
                return false;
            acceleration = {0, 0, accelerated ? 1 : 0};
            return true;
        }
        x11::PointerControl control;
        if (!x11::readPointerControl(control))
            return false;
        const bool accelerated = control.numerator > control.denominator;
        acceleration = {control.threshold, control.threshold, accelerated ? 1 : 0};
        return true;
    }

    bool writeAcceleration(const PointerAcceleration& acceleration) override
    {
        const bool accelerated = acceleration.level != 0;
        if (gnome)
            return gnome->setAccelerated(accelerated);
        return accelerated ? x11::writeAccelerationFactor(kAcceleratedNumerator, kAcceleratedDenominator)
                           : x11::writeAccelerationFactor(1, 1);
    }

    bool setPointerSpeed(unsigned speed) override
    {
        double gnomeSpeed = 0;
        return gnome && gnomeSpeedFor(speed, gnomeSpeed) && gnome->setSpeed(gnomeSpeed);
    }

    bool setDoubleClickTime(unsigned milliseconds) override
    {
        if (!gnome || milliseconds > unsigned(std::numeric_limits<int>::max()))
            return false;
        return gnome->setDoubleClick(int(milliseconds));
    }

    bool setWheelScrollLines(unsigned) override { return false; }

private:
    std::unique_ptr<gnome::MouseSettings> gnome;
};

} // namespace

std::unique_ptr<PointerSettings> makeDesktopPointerSettings(std::unique_ptr<gnome::MouseSettings> gnome)
{
    return std::make_unique<DesktopPointerSettings>(std::move(gnome));
}

std::unique_ptr<PointerSettings> makeSystemPointerSettings()
{
    return makeDesktopPointerSettings(gnome::MouseSettings::open());
}

} // namespace j2::platform
