#include "pointer_settings.h"
#include "win32_pointer_settings.h"

namespace j2::platform {

namespace {

class WindowsPointerSettings final : public PointerSettings
{
public:
    bool readAcceleration(PointerAcceleration& acceleration) override
    {
        int values[3] = {};
        if (!j2::win32::getMouseParameters(values))
            return false;
        acceleration = {values[0], values[1], values[2]};
        return true;
    }
    bool writeAcceleration(const PointerAcceleration& acceleration) override
    {
        const int values[3] = {acceleration.threshold1, acceleration.threshold2, acceleration.level};
        return j2::win32::setMouseParameters(values);
    }
    bool setPointerSpeed(unsigned speed) override { return j2::win32::setMouseSpeed(speed); }
    bool setDoubleClickTime(unsigned milliseconds) override
    {
        return j2::win32::setDoubleClickTime(milliseconds);
    }
    bool setWheelScrollLines(unsigned lines) override { return j2::win32::setWheelScrollLines(lines); }
    bool readPointerSpeed(unsigned& speed) override { return j2::win32::getMouseSpeed(speed); }
    bool readDoubleClickTime(unsigned& milliseconds) override
    {
        return j2::win32::getDoubleClickTime(milliseconds);
    }
    bool readWheelScrollLines(unsigned& lines) override { return j2::win32::getWheelScrollLines(lines); }
};

} // namespace

std::unique_ptr<PointerSettings> makeSystemPointerSettings()
{
    return std::make_unique<WindowsPointerSettings>();
}

} // namespace j2::platform
