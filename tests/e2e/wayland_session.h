#pragma once

// A private Wayland desktop for whole-program tests: Weston nested in a private X server (Xvfb), so that
// xdotool's pointer in the X server is Weston's pointer, and a private D-Bus session bus on which the test
// itself can play the tray host, the StatusNotifier watcher that KDE Plasma, GNOME's AppIndicator extension
// and waybar provide.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <optional>

// The tray host's side of the StatusNotifier protocol, as far as Qt's tray icon uses it: the item registers
// with it, and the host tells it about clicks by calling the item's Activate. It answers from a thread of its
// own: the program asks it while the test waits on the program's output.
class StatusNotifierWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    static inline const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");

    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

    QStringList registeredItems() const
    {
        const QMutexLocker locker(&lock);
        return items;
    }
    void clear()
    {
        const QMutexLocker locker(&lock);
        items.clear();
    }

public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message)
    {
        // An item gives its bus name, or only its path and is found by the caller's name.
        const QMutexLocker locker(&lock);
        items.append(service.startsWith(QLatin1Char('/')) ? message.service() : service);
    }
    Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString&) {}

private:
    mutable QMutex lock;
    QStringList items;
};

class WaylandSession
{
public:
    ~WaylandSession()
    {
        QDBusConnection(kBusName).unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        QDBusConnection::disconnectFromBus(kBusName);
        hostThread.quit();
        hostThread.wait(3000);
        for (QProcess* process : {&weston, &bus, &xvfb}) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished(1000);
        }
    }

    static QString missingTool()
    {
        for (const char* tool : {"weston", "weston-debug", "dbus-daemon", "Xvfb", "xdotool"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                return QString::fromLatin1(tool);
        return {};
    }

    // False with the reason in `failure`.
    bool start()
    {
        if (!runtime.isValid())
            return fail(QStringLiteral("no temporary folder"));
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // -displayfd 1: the server picks a free display and writes its number once it listens.
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
        QByteArray number;
        while (!number.contains('\n')) {
            if (!xvfb.waitForReadyRead(10000))
                return fail(QStringLiteral("Xvfb did not start"));
            number += xvfb.readAllStandardOutput();
        }
        xDisplay = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("DISPLAY"), xDisplay);
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        weston.setProcessEnvironment(environment);
        weston.setProcessChannelMode(QProcess::MergedChannels);
        // One output at the X screen's origin, a little smaller so that the pointer can leave it: X's pointer
        // coordinates are Weston's. --debug: the scene graph, with every window's title, app id and place,
        // can be read back.
        weston.start(QStringLiteral("weston"),
                     {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"),
                      QStringLiteral("--width=1200"), QStringLiteral("--height=760"),
                      QStringLiteral("--socket=wayland-j2"), QStringLiteral("--idle-time=0"),
                      QStringLiteral("--no-config"), QStringLiteral("--debug")});
        if (!weston.waitForStarted(5000))
            return fail(QStringLiteral("weston cannot be started"));
        display = runtime.filePath(QStringLiteral("wayland-j2"));
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(display) && timer.elapsed() < 10000 && weston.state() == QProcess::Running)
            QTest::qWait(20);
        if (!QFile::exists(display))
            return fail(QStringLiteral("weston did not start: ") + QString::fromLocal8Bit(weston.readAll()));
        // The shell fades the desktop in under a surface that takes the pointer until it is gone.
        while (!sceneGraph().contains(QStringLiteral("Layer 0 (pos 0xffffffff):\n\t[no views]"))) {
            if (timer.elapsed() > 10000)
                return fail(QStringLiteral("weston's desktop never faded in: ") + sceneGraph());
            QTest::qWait(50);
        }

        bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--print-address=1")});
        while (!busAddress.contains('\n')) {
            if (!bus.waitForReadyRead(5000))
                return fail(QStringLiteral("dbus-daemon did not start"));
            busAddress += bus.readAllStandardOutput();
        }
        busAddress = busAddress.trimmed();
        QDBusConnection connection = QDBusConnection::connectToBus(QString::fromLatin1(busAddress), kBusName);
        if (!connection.isConnected())
            return fail(connection.lastError().message());
        if (!connection.registerObject(QStringLiteral("/StatusNotifierWatcher"), watcher,
                                       QDBusConnection::ExportScriptableContents |
                                           QDBusConnection::ExportAllProperties))
            return fail(QStringLiteral("cannot export the watcher"));
        watcher->moveToThread(&hostThread);
        QObject::connect(&hostThread, &QThread::finished, watcher, &QObject::deleteLater);
        hostThread.start();
        return true;
    }

    // A tray host comes or goes.
    bool setTrayHost(bool present)
    {
        watcher->clear();
        QDBusConnection connection(kBusName);
        if (connection.interface()->isServiceRegistered(StatusNotifierWatcher::kService).value() == present)
            return true;
        return present ? connection.registerService(StatusNotifierWatcher::kService)
                       : connection.unregisterService(StatusNotifierWatcher::kService);
    }

    // The tray host's click on the first registered item.
    bool activateTrayItem()
    {
        const QStringList items = watcher->registeredItems();
        if (items.isEmpty())
            return false;
        QDBusMessage call = QDBusMessage::createMethodCall(
            items.first(), QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"));
        call << 10 << 10;
        return QDBusConnection(kBusName).call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }

    bool waitForTrayItem(int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (watcher->registeredItems().isEmpty() && timer.elapsed() < timeoutMs)
            QTest::qWait(20);
        return !watcher->registeredItems().isEmpty();
    }

    // Weston's scene graph: one line per mapped window, "top-level window '<title>' of <app id>".
    QString sceneGraph() const
    {
        QProcess reader;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), display);
        reader.setProcessEnvironment(environment);
        reader.start(QStringLiteral("weston-debug"), {QStringLiteral("scene-graph")});
        reader.waitForFinished(5000);
        return QString::fromLocal8Bit(reader.readAllStandardOutput());
    }

    // Where the window titled `title` is; null when it is not mapped.
    std::optional<QPoint> windowPosition(const QString& title) const
    {
        const QString graph = sceneGraph();
        const qsizetype view = graph.indexOf(QStringLiteral("top-level window '%1'").arg(title));
        if (view < 0)
            return std::nullopt;
        static const QRegularExpression position(QStringLiteral("position: \\((-?\\d+), (-?\\d+)\\)"));
        const QRegularExpressionMatch match = position.match(graph, view);
        if (!match.hasMatch())
            return std::nullopt;
        return QPoint(match.captured(1).toInt(), match.captured(2).toInt());
    }

    // Puts the pointer on `point` as a hand comes in from outside: Weston follows the X pointer only once it
    // has entered Weston's window, and a client sees a button only under a pointer that entered it.
    void hover(const QPoint& point) const
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("1270"), QStringLiteral("790")});
        QTest::qWait(100);
        xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())});
        QTest::qWait(300);
    }

    // The X pointer, which is Weston's.
    void xdotool(const QStringList& arguments) const
    {
        QProcess client;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), xDisplay);
        client.setProcessEnvironment(environment);
        client.start(QStringLiteral("xdotool"), arguments);
        client.waitForFinished(10000);
    }

    bool waitForWindow(const QString& title, const QString& appId, bool shown, int timeoutMs) const
    {
        const QString line = QStringLiteral("top-level window '%1' of %2").arg(title, appId);
        QElapsedTimer timer;
        timer.start();
        while (sceneGraph().contains(line) != shown) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QTest::qWait(100);
        }
        return true;
    }

    // What a program needs to live on this desktop.
    void addTo(QProcessEnvironment& environment) const
    {
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        // Qt 6.4's input method module crashes on a compositor without a seat.
        environment.insert(QStringLiteral("QT_IM_MODULE"), QStringLiteral("none"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLatin1(busAddress));
        environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    }

    QString failure;

private:
    static inline const QString kBusName = QStringLiteral("j2-test-session");

    bool fail(const QString& reason)
    {
        failure = reason;
        return false;
    }

    QTemporaryDir runtime;
    QProcess xvfb;
    QString xDisplay;
    QProcess weston;
    QProcess bus;
    QString display;
    QByteArray busAddress;
    QThread hostThread;
    // Lives and dies on the host thread.
    StatusNotifierWatcher* watcher = new StatusNotifierWatcher;
};
