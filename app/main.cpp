// The configurator: one instance per user, living in the notification area with the mouse.

#include "device_change_monitor.h"
#include "input_hook.h"
#include "settings_root.h"
#include "single_instance.h"
#include "start_up.h"
#include "virtual_mouse.h"
#include "widget.h"

#include <QApplication>
#include <QDebug>
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
};

// Its state is kept with the user's settings, so the mouse remembers what was written to it.
std::unique_ptr<InProcessMouse> startVirtualMouse(const QString& settingsRoot)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    j2::vm::VirtualMouse::Options options;
    options.stateFile = (settingsRoot + QStringLiteral("/virtual-mouse.json")).toStdString();
    auto running = std::make_unique<InProcessMouse>();
    running->mouse = std::make_unique<j2::vm::VirtualMouse>(options);
    const QString socket = runtime + QStringLiteral("/j2-configurator-mouse.sock");
    running->server = std::make_unique<j2::vm::Server>(*running->mouse, socket.toStdString());
    std::string error;
    if (!running->server->start(&error)) {
        qWarning().noquote() << "virtual mouse:" << QString::fromStdString(error);
        return nullptr;
    }
    qputenv("J2_VIRTUAL_MOUSE", socket.toLocal8Bit());
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

    std::unique_ptr<InProcessMouse> virtualMouse;
    if (app.arguments().contains(QStringLiteral("--virtual-mouse"))) {
        virtualMouse = startVirtualMouse(locations.settings);
        if (!virtualMouse)
            return 2;
    }

    Widget widget(locations, nullptr);
    instance->listenForShowRequests([&widget] { return widget.restoreWindow(); });

    j2::platform::DeviceChangeMonitor* systemMonitor = j2::platform::makeSystemDeviceChangeMonitor(&widget);
    QObject::connect(systemMonitor, &j2::platform::DeviceChangeMonitor::deviceChanged, &widget,
                     &Widget::deviceChanged);
    // The virtual mouse's cable: its plug and unplug count as device changes too.
    std::unique_ptr<j2::vm::PlugEventWatcher> virtualCable;
    const QByteArray virtualSocket = qgetenv("J2_VIRTUAL_MOUSE");
    if (!virtualSocket.isEmpty()) {
        virtualCable =
            std::make_unique<j2::vm::PlugEventWatcher>(virtualSocket.toStdString(), [&widget](bool) {
                QMetaObject::invokeMethod(&widget, &Widget::deviceChanged, Qt::QueuedConnection);
            });
        virtualCable->start();
    }

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
            qWarning() << "--screenshot needs a file name";
            return 2;
        }
        // Relative to where the user started us, not to the program folder we moved into.
        saveScreenshotAndQuit(widget, QDir(startFolder).absoluteFilePath(file));
    }
    startConfigurator(widget);

    const int result = QApplication::exec();
    inputHook.remove();
    if (virtualCable)
        virtualCable->stop();
    return result;
}
