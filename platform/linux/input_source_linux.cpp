#include "input_source.h"

#include "platform_log.h"
#include "window_input_source.h"
#include "xinput2_source.h"

#include <QGuiApplication>

namespace j2::platform {

namespace {

// XInput 2 where an X server gives the whole desktop's events; the program's own windows otherwise, with
// the same translation behind both.
class LinuxInputSource final : public InputSource
{
public:
    explicit LinuxInputSource(InputSink& sink)
        : desktop(linux_input::makeXInput2Source(sink)), window(linux_input::makeWindowInputSource(sink))
    {}

    bool install() override
    {
        remove();
        // Under Wayland the X server (Xwayland) hears only what goes to X windows.
        const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        if (!wayland && desktop->install()) {
            // Xwayland: X programs' keys only; the Wayland programs around us are not heard.
            if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland"))
                qCDebug(lcPlatform)
                    << "input: X server under Wayland (Xwayland): only keys and buttons going to X "
                       "programs are heard";
            return true;
        }
        const QString reason =
            wayland ? QStringLiteral("Wayland") : QString::fromStdString(desktop->failure());
        qCDebug(lcPlatform).noquote() << "input: no global key and mouse events (" + reason +
                                             "); keys and buttons are heard only in the program's own window";
        window->install();
        return false;
    }

    void remove() override
    {
        desktop->remove();
        window->remove();
    }

private:
    std::unique_ptr<linux_input::XInput2Source> desktop;
    std::unique_ptr<InputSource> window;
};

} // namespace

std::unique_ptr<InputSource> makeSystemInputSource(InputSink& sink)
{
    return std::make_unique<LinuxInputSource>(sink);
}

} // namespace j2::platform
