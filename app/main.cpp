// The configurator: one instance per user, living in the notification area with the mouse.

#include "app_log.h"
#include "cli_requests.h"
#include "device_changes.h"
#include "hid_choice.h"
#include "input_hook.h"
#include "settings_root.h"
#include "single_instance.h"
#include "start_up.h"
#include "virtual_mouse.h"
#include "widget.h"

#include <QApplication>
#include <QDir>
#include <QQuickWindow>
#include <QStandardPaths>

#include <memory>

namespace {

// `--virtual-mouse`: a virtual J2 mouse inside this process, served on a socket of our own so that the
// updater we start finds it too.
struct InProcessMouse
{
    std::unique_ptr<j2::vm::VirtualMouse> mouse;
    std::unique_ptr<j2::vm::Server> server;
    QString socket;
};

// Its state is kept with the user's settings, so the mouse remembers what was written to it.
std::unique_ptr<InProcessMouse> startVirtualMouse(const QString& settingsRoot)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    j2::vm::VirtualMouse::Options options;
    options.stateFile = (settingsRoot + QStringLiteral("/virtual-mouse.json")).toStdString();
    auto running = std::make_unique<InProcessMouse>();
    running->mouse = std::make_unique<j2::vm::VirtualMouse>(options);
    running->socket = runtime + QStringLiteral("/j2-configurator-mouse.sock");
    running->server = std::make_unique<j2::vm::Server>(*running->mouse, running->socket.toStdString());
    std::string error;
    if (!running->server->start(&error)) {
        qCWarning(lcApp).noquote() << "virtual mouse:" << QString::fromStdString(error);
        return nullptr;
    }
    // Only for the programs we start: the updater inherits it and talks to this mouse too.
    qputenv("J2_VIRTUAL_MOUSE", running->socket.toLocal8Bit());
    return running;
}

} // namespace

int main(int argc, char* argv[])
{
    // The scene is flat pictures and text: Qt Quick's software renderer draws it as fast as a GPU would and
    // keeps the GL driver's 90 MB out of a program that sits in the tray all day. QT_QUICK_BACKEND still
    // chooses another.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("j2-configurator"));
    // Wayland's app id: links the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("j2-configurator"));

    const std::unique_ptr<j2::platform::SingleInstance> instance =
        j2::platform::makeSingleInstance(QStringLiteral("j2-configurator"));
    if (!instance->tryAcquire()) {
        // The user is looking for the window: the running copy shows it, this one leaves.
        constexpr int kShowRequestWaitMs = 5000;
        instance->askRunningToShow(kShowRequestWaitMs);
        return 1;
    }

    const QString startFolder = QDir::currentPath();
    // The program folder holds only what ships; what the user changes lives in the settings root.
    StoreLocations locations;
    locations.factory = QCoreApplication::applicationDirPath();
    locations.settings = chooseSettingsRoot(app.arguments(), startFolder);
    const bool rootReady = prepareSettingsRoot(locations.settings, locations.factory);
    // Anything still named relative to the working folder lands with the user's files, never in ours.
    if (rootReady)
        QDir::setCurrent(locations.settings);

    // The mouse we talk to: our own virtual one, a j2-virtual-mouse daemon the environment names, or the real
    // one through hidapi.
    QString virtualSocket = j2::compose::virtualMouseSocketFromEnvironment();
    std::unique_ptr<InProcessMouse> virtualMouse;
    if (app.arguments().contains(QStringLiteral("--virtual-mouse"))) {
        virtualMouse = startVirtualMouse(locations.settings);
        if (!virtualMouse)
            return 2;
        virtualSocket = virtualMouse->socket;
    }

    Widget widget(locations, j2::compose::makeHidBackend(virtualSocket), nullptr);
    // A later start asks for the window; j2ctl hands over its command, which we run on our device object.
    instance->listenForShowRequests(
        [&widget] { return widget.restoreWindow(); },
        [&widget](const QByteArray& request) { return runCliRequest(widget, request); });

    // Some device came or went, the virtual mouse's cable included: detect again.
    QObject::connect(j2::compose::makeDeviceChangeMonitor(virtualSocket, &widget),
                     &j2::platform::DeviceChangeMonitor::deviceChanged, &widget, &Widget::deviceChanged);

    // Keys and buttons from anywhere on the desktop, for the recording pages and the hot key that brings the
    // window back. Without them the program still starts; recording and the hot key then do nothing.
    Input_Hook inputHook(false);
    inputHook.registerKeyboardCallback(keyboardCallback, &widget);
    inputHook.registerMouseCallback(mouseCallback, &widget);

    traceStartup(widget);
    const qsizetype screenshotOption = app.arguments().indexOf(QStringLiteral("--screenshot"));
    if (screenshotOption > 0) {
        const QString file = app.arguments().value(screenshotOption + 1);
        if (file.isEmpty()) {
            qCWarning(lcApp) << "--screenshot needs a file name";
            return 2;
        }
        // Relative to where the user started us, not to the program folder we moved into.
        saveScreenshotAndQuit(widget, QDir(startFolder).absoluteFilePath(file));
    }
    startConfigurator(widget);

    const int result = QApplication::exec();
    inputHook.remove();
    return result;
}
