// The Linux pointer settings against each desktop's own mechanism in isolation: GNOME's settings in
// GSettings' in-memory backend, Plasma's files in a private config folder with its reload signal on a private
// session bus, and the devices of a private X server. None touches the user's desktop.

// GLib before Qt: GLib names a struct member `signals`, which Qt turns into a keyword.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include "desktop_pointer_settings.h"
#include "gnome_mouse_settings.h"
#include "x11_pointer_control.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

using j2::platform::PointerAcceleration;
using j2::platform::PointerDesktop;
using j2::platform::PointerSettings;
using j2::platform::gnome::MouseSettings;

Q_DECLARE_METATYPE(PointerDesktop)

namespace {

QStringList platformLog;
QtMessageHandler previousHandler = nullptr;

void recordPlatformLog(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg && QByteArray(context.category) == "j2.platform")
        platformLog << message;
    previousHandler(type, context, message);
}

// The session as the desktop's login would describe it; an empty value is unset.
void useSession(const QByteArray& desktop, const QByteArray& type, const QByteArray& display = {},
                const QByteArray& wayland = {})
{
    const std::pair<const char*, QByteArray> variables[] = {{"XDG_CURRENT_DESKTOP", desktop},
                                                            {"XDG_SESSION_TYPE", type},
                                                            {"DISPLAY", display},
                                                            {"WAYLAND_DISPLAY", wayland}};
    for (const auto& [name, value] : variables) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
}

QByteArray fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Plasma's own change notices as a listener on the bus sees them.
class ReloadReceiver : public QObject
{
    Q_OBJECT
public:
    QList<QPair<int, int>> notices;
public slots:
    void notifyChange(int type, int arg) { notices << qMakePair(type, arg); }
};

// A private session bus, stopped with the object.
class PrivateBus
{
public:
    ~PrivateBus()
    {
        daemon.terminate();
        if (!daemon.waitForFinished(3000))
            daemon.kill();
        daemon.waitForFinished(1000);
    }
    // The bus address, or empty when the daemon did not come up.
    QString start()
    {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address")});
        if (!daemon.waitForStarted(5000))
            return {};
        QByteArray address;
        while (!address.contains('\n')) {
            if (!daemon.waitForReadyRead(10000))
                return {};
            address += daemon.readAllStandardOutput();
        }
        return QString::fromUtf8(address.trimmed());
    }

private:
    QProcess daemon;
};

const QByteArray kInputFile = "[$Version]\n"
                              "update_info=kcminputrc_repair.upd:kcminputrc-repair-layout\n"
                              "\n"
                              "[Libinput][1133][49271][Logitech USB Optical Mouse]\n"
                              "PointerAcceleration=-0.400\n"
                              "\n"
                              "[Libinput][1267][12377][ELAN1300:00 04F3:3057]\n"
                              "PointerAcceleration=0.200\n"
                              "TapToClick=true\n"
                              "\n"
                              "[Mouse]\n"
                              "# set by hand\n"
                              "cursorTheme=breeze_cursors\n"
                              "\n"
                              "[Keyboard]\n"
                              "NumLock=0\n";
const QByteArray kGlobalsFile = "[General]\n"
                                "ColorScheme=BreezeDark\n"
                                "\n"
                                "[KDE]\n"
                                "LookAndFeelPackage=org.kde.breezedark.desktop\n"
                                "WheelScrollLines=5\n"
                                "WheelScrollLines[de]=9\n"
                                "\n"
                                "[KDE][Notes]\n"
                                "DoubleClickInterval=1\n";

bool mouseSchemaInstalled()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source != nullptr
                                  ? g_settings_schema_source_lookup(source, MouseSettings::kMouseSchema, TRUE)
                                  : nullptr;
    if (schema == nullptr)
        return false;
    g_settings_schema_unref(schema);
    return true;
}

// GNOME's mouse settings as the desktop would read them.
class DesktopMouse
{
public:
    DesktopMouse() : settings(g_settings_new(MouseSettings::kMouseSchema)) {}
    ~DesktopMouse() { g_object_unref(settings); }
    DesktopMouse(const DesktopMouse&) = delete;
    DesktopMouse& operator=(const DesktopMouse&) = delete;

    double speed() const { return g_settings_get_double(settings, "speed"); }
    void setSpeed(double value) { g_settings_set_double(settings, "speed", value); }
    int doubleClick() const { return g_settings_get_int(settings, "double-click"); }
    QByteArray accelProfile() const
    {
        gchar* profile = g_settings_get_string(settings, "accel-profile");
        QByteArray text(profile);
        g_free(profile);
        return text;
    }
    void setAccelProfile(const QByteArray& profile)
    {
        g_settings_set_string(settings, "accel-profile", profile.constData());
    }

private:
    GSettings* settings;
};

// A private X server on a free display, stopped with the object.
class PrivateXServer
{
public:
    ~PrivateXServer()
    {
        server.terminate();
        if (!server.waitForFinished(3000))
            server.kill();
        server.waitForFinished(1000);
    }

    // The display name (":n"), or empty when the server did not come up.
    QString start()
    {
        // -displayfd: the server picks a free display and writes its number once it listens. -noreset: each
        // call is a client of its own, and a server left without clients would start afresh in between.
        server.start(QStringLiteral("Xvfb"),
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!server.waitForStarted(5000))
            return {};
        QByteArray number;
        while (!number.contains('\n')) {
            if (!server.waitForReadyRead(10000))
                return {};
            number += server.readAllStandardOutput();
        }
        return QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    }

private:
    QProcess server;
};

// The X server's own pointer for input sent through XTEST, whose device properties a test can set as a
// driver would.
class XTestPointer
{
public:
    ~XTestPointer()
    {
        if (connection != nullptr)
            xcb_disconnect(connection);
    }

    bool open()
    {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection) != 0)
            return false;
        free(xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 0),
                                              nullptr));
        xcb_input_xi_query_device_reply_t* reply = xcb_input_xi_query_device_reply(
            connection, xcb_input_xi_query_device(connection, XCB_INPUT_DEVICE_ALL), nullptr);
        if (reply == nullptr)
            return false;
        for (auto it = xcb_input_xi_query_device_infos_iterator(reply); it.rem > 0;
             xcb_input_xi_device_info_next(&it)) {
            const QByteArray name(xcb_input_xi_device_info_name(it.data),
                                  xcb_input_xi_device_info_name_length(it.data));
            if (it.data->type == XCB_INPUT_DEVICE_TYPE_SLAVE_POINTER && name.contains("XTEST"))
                device = it.data->deviceid;
        }
        free(reply);
        return device != 0;
    }

    bool set(const char* property, const char* type, std::uint8_t format, const QByteArray& bytes)
    {
        QByteArray padded = bytes;
        padded.resize((bytes.size() + 3) / 4 * 4, '\0');
        const auto items = std::uint32_t(bytes.size() / (format / 8));
        xcb_generic_error_t* error = xcb_request_check(
            connection,
            xcb_input_xi_change_property_checked(connection, device, XCB_PROP_MODE_REPLACE, format,
                                                 atom(property), atom(type), items, padded.constData()));
        free(error);
        return error == nullptr;
    }

    QByteArray get(const char* property)
    {
        xcb_input_xi_get_property_reply_t* reply = xcb_input_xi_get_property_reply(
            connection,
            xcb_input_xi_get_property(connection, device, 0, atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 8),
            nullptr);
        if (reply == nullptr)
            return {};
        const QByteArray bytes(static_cast<const char*>(xcb_input_xi_get_property_items(reply)),
                               qsizetype(reply->num_items) * (reply->format / 8));
        free(reply);
        return bytes;
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    }

    xcb_connection_t* connection = nullptr;
    xcb_input_device_id_t device = 0;
};

constexpr const char* kAccelSpeed = "libinput Accel Speed";
constexpr const char* kAccelProfile = "libinput Accel Profile Enabled";

QByteArray floatBytes(float value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

class TestPointerSettingsLinux : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir configHome;
    PrivateBus bus;

private slots:
    void initTestCase()
    {
        // Before GSettings is first used; the backend is chosen once per process.
        qputenv("GSETTINGS_BACKEND", "memory");
        GSettingsBackend* backend = g_settings_backend_get_default();
        const QByteArray backendType(G_OBJECT_TYPE_NAME(backend));
        g_object_unref(backend);
        QCOMPARE(backendType, QByteArray("GMemorySettingsBackend"));
        // Only a private X server, config folder and session bus of our own may be reached.
        QVERIFY(configHome.isValid());
        qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
        const QString address =
            QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ? QString() : bus.start();
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                address.isEmpty() ? QByteArray("unix:path=/nonexistent") : address.toUtf8());
        previousHandler = qInstallMessageHandler(recordPlatformLog);
    }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void init()
    {
        // GNOME on Wayland: no X server is reached unless a test starts its own.
        useSession("ubuntu:GNOME", "wayland", {}, "wayland-0");
        platformLog.clear();
        if (QByteArray(QTest::currentTestFunction()).startsWith("gnome") && !mouseSchemaInstalled())
            QSKIP("GNOME's mouse settings schema (gsettings-desktop-schemas) is not installed");
    }

    void sessionChoosesTheMechanism_data()
    {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<PointerDesktop>("expected");
        QTest::addColumn<bool>("x11");
        QTest::newRow("GNOME on Wayland") << QByteArray("GNOME") << QByteArray("wayland") << QByteArray(":0")
                                          << QByteArray("wayland-0") << PointerDesktop::Gnome << false;
        QTest::newRow("Ubuntu's GNOME") << QByteArray("ubuntu:GNOME") << QByteArray("x11") << QByteArray(":0")
                                        << QByteArray() << PointerDesktop::Gnome << true;
        QTest::newRow("Budgie") << QByteArray("Budgie:GNOME") << QByteArray("x11") << QByteArray(":0")
                                << QByteArray() << PointerDesktop::Gnome << true;
        QTest::newRow("Plasma on Wayland") << QByteArray("KDE") << QByteArray("wayland") << QByteArray(":1")
                                           << QByteArray("wayland-0") << PointerDesktop::Kde << false;
        QTest::newRow("Plasma on X11") << QByteArray("KDE") << QByteArray("x11") << QByteArray(":0")
                                       << QByteArray() << PointerDesktop::Kde << true;
        // Cinnamon keeps its own schema: GNOME's keys would change nothing there.
        QTest::newRow("Cinnamon") << QByteArray("X-Cinnamon") << QByteArray("x11") << QByteArray(":0")
                                  << QByteArray() << PointerDesktop::X11 << true;
        QTest::newRow("bare X server") << QByteArray() << QByteArray() << QByteArray(":0") << QByteArray()
                                       << PointerDesktop::X11 << true;
        // Xwayland's devices are not the compositor's.
        QTest::newRow("sway with Xwayland") << QByteArray("sway") << QByteArray("wayland") << QByteArray(":0")
                                            << QByteArray("wayland-1") << PointerDesktop::None << false;
        QTest::newRow("Weston without a session type")
            << QByteArray() << QByteArray() << QByteArray() << QByteArray("wayland-0") << PointerDesktop::None
            << false;
    }
    void sessionChoosesTheMechanism()
    {
        QFETCH(QByteArray, desktop);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(PointerDesktop, expected);
        QFETCH(bool, x11);
        useSession(desktop, type, display, wayland);
        const j2::platform::PointerSession session = j2::platform::currentPointerSession();
        QCOMPARE(session.desktop, expected);
        QCOMPARE(session.x11, x11);
    }

    // A compositor we cannot reach: every setting says so, the read side knows nothing, and GNOME's keys
    // (installed with any GTK program) stay as they were.
    void unknownWaylandDesktopAppliesNothing_data()
    {
        QTest::addColumn<QByteArray>("desktop");
        QTest::newRow("sway") << QByteArray("sway");
        QTest::newRow("Hyprland") << QByteArray("Hyprland");
        QTest::newRow("unnamed") << QByteArray();
    }
    void unknownWaylandDesktopAppliesNothing()
    {
        QFETCH(QByteArray, desktop);
        useSession(desktop, "wayland", ":0", "wayland-1");
        std::unique_ptr<DesktopMouse> gnome;
        if (mouseSchemaInstalled()) {
            gnome = std::make_unique<DesktopMouse>();
            gnome->setSpeed(0.25);
        }
        auto settings = j2::platform::makeSystemPointerSettings();

        QVERIFY(!settings->setPointerSpeed(15));
        QVERIFY(!settings->setDoubleClickTime(500));
        QVERIFY(!settings->setWheelScrollLines(7));
        QVERIFY(!settings->writeAcceleration({0, 0, 0}));
        unsigned held = 0;
        PointerAcceleration acceleration;
        QVERIFY(!settings->readPointerSpeed(held));
        QVERIFY(!settings->readDoubleClickTime(held));
        QVERIFY(!settings->readWheelScrollLines(held));
        QVERIFY(!settings->readAcceleration(acceleration));
        QCOMPARE(platformLog.size(), 4);
        for (const char* setting :
             {"pointer speed", "double-click time", "wheel scroll lines", "acceleration"})
            QVERIFY2(
                platformLog.filter(QLatin1String(setting)).filter(QStringLiteral("not applied")).size() == 1,
                setting);
        if (gnome)
            QCOMPARE(gnome->speed(), 0.25);
    }

    void gnomePointerSpeed_data()
    {
        QTest::addColumn<uint>("speed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("expected");
        QTest::newRow("slowest") << 1u << true << -1.0;
        QTest::newRow("slower half") << 5u << true << -5.0 / 9.0;
        QTest::newRow("default") << 10u << true << 0.0;
        QTest::newRow("faster half") << 15u << true << 0.5;
        QTest::newRow("fastest") << 20u << true << 1.0;
        // A speed the system does not know leaves the setting as it was.
        QTest::newRow("past the range") << 22u << false << 0.25;
    }
    void gnomePointerSpeed()
    {
        QFETCH(uint, speed);
        QFETCH(bool, accepted);
        QFETCH(double, expected);
        DesktopMouse desktop;
        desktop.setSpeed(0.25);

        auto settings = j2::platform::makeSystemPointerSettings();
        QCOMPARE(settings->setPointerSpeed(speed), accepted);
        QCOMPARE(desktop.speed(), expected);
        // Read back as the nearest system speed: 0.25 is 12.5, rounded up.
        unsigned held = 0;
        QVERIFY(settings->readPointerSpeed(held));
        QCOMPARE(held, accepted ? speed : 13u);
    }

    void gnomeDoubleClickTime()
    {
        DesktopMouse desktop;
        auto settings = j2::platform::makeSystemPointerSettings();
        for (const int milliseconds : {900, 130, 550}) {
            QVERIFY(settings->setDoubleClickTime(unsigned(milliseconds)));
            QCOMPARE(desktop.doubleClick(), milliseconds);
        }
        QVERIFY(!settings->setDoubleClickTime(3000000000u));
        QCOMPARE(desktop.doubleClick(), 550);
        unsigned held = 0;
        QVERIFY(settings->readDoubleClickTime(held));
        QCOMPARE(held, 550u);
    }

    void gnomeAcceleration_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<int>("readLevel");
        QTest::addColumn<int>("writtenLevel");
        QTest::addColumn<QByteArray>("writtenProfile");
        // The device's default profile accelerates.
        QTest::newRow("default, switched off") << QByteArray("default") << 1 << 0 << QByteArray("flat");
        QTest::newRow("flat, switched on") << QByteArray("flat") << 0 << 1 << QByteArray("adaptive");
        QTest::newRow("adaptive, switched off") << QByteArray("adaptive") << 1 << 0 << QByteArray("flat");
        QTest::newRow("any level is on") << QByteArray("flat") << 0 << 2 << QByteArray("adaptive");
    }
    void gnomeAcceleration()
    {
        QFETCH(QByteArray, profile);
        QFETCH(int, readLevel);
        QFETCH(int, writtenLevel);
        QFETCH(QByteArray, writtenProfile);
        DesktopMouse desktop;
        desktop.setAccelProfile(profile);
        auto settings = j2::platform::makeSystemPointerSettings();

        PointerAcceleration acceleration;
        QVERIFY(settings->readAcceleration(acceleration));
        QCOMPARE(acceleration.level, readLevel);
        acceleration.level = writtenLevel;
        QVERIFY(settings->writeAcceleration(acceleration));
        QCOMPARE(desktop.accelProfile(), writtenProfile);
    }

    void gnomeHasNoWheelLines()
    {
        auto settings = j2::platform::makeSystemPointerSettings();
        QVERIFY(!settings->setWheelScrollLines(3));
        unsigned held = 0;
        QVERIFY(!settings->readWheelScrollLines(held));
        QCOMPARE(
            platformLog.filter(QStringLiteral("wheel scroll lines not applied: GNOME has no setting")).size(),
            1);
    }

    void kdeWritesPlasmasFilesAndAsksForAReload_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<unsigned>("value");
        QTest::addColumn<QByteArray>("globals");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QByteArray>("expectedInput");
        QTest::addColumn<QByteArray>("expectedGlobals");
        // Every other group, key, comment and translation stays; new keys go to the end of their group.
        const QByteArray mouseGroup = "[Mouse]\n# set by hand\ncursorTheme=breeze_cursors\n";
        QByteArray fasterInput = kInputFile;
        fasterInput.replace(mouseGroup, mouseGroup + "XLbInptPointerAcceleration=0.500\n");
        // The mouse set up on its own follows; the touchpad keeps its speed.
        fasterInput.replace("PointerAcceleration=-0.400\n", "PointerAcceleration=0.500\n");
        fasterInput += "\n[Libinput][Defaults][Pointer]\nPointerAcceleration=0.500\n";
        QTest::newRow("speed") << "speed" << 15u << kGlobalsFile << true << fasterInput << kGlobalsFile;
        QByteArray flatInput = kInputFile;
        flatInput.replace(mouseGroup, mouseGroup + "XLbInptAccelProfileFlat=true\n");
        flatInput += "\n[Libinput][Defaults][Pointer]\nPointerAccelerationProfile=1\n";
        QTest::newRow("acceleration off")
            << "acceleration" << 0u << kGlobalsFile << true << flatInput << kGlobalsFile;
        QByteArray doubleClick = kGlobalsFile;
        doubleClick.replace("WheelScrollLines[de]=9\n", "WheelScrollLines[de]=9\nDoubleClickInterval=500\n");
        QTest::newRow("double-click")
            << "double-click" << 500u << kGlobalsFile << true << kInputFile << doubleClick;
        QByteArray lines = kGlobalsFile;
        lines.replace("WheelScrollLines=5\n", "WheelScrollLines=7\n");
        QTest::newRow("wheel lines") << "lines" << 7u << kGlobalsFile << true << kInputFile << lines;
        // The administrator locked the group: nothing changes, and the page is told.
        QByteArray locked = kGlobalsFile;
        locked.replace("[KDE]\n", "[KDE][$i]\n");
        QTest::newRow("locked") << "lines" << 7u << locked << false << kInputFile << locked;
    }
    void kdeWritesPlasmasFilesAndAsksForAReload()
    {
        QFETCH(QString, setting);
        QFETCH(unsigned, value);
        QFETCH(QByteArray, globals);
        QFETCH(bool, applied);
        QFETCH(QByteArray, expectedInput);
        QFETCH(QByteArray, expectedGlobals);
        const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        if (address.startsWith(QLatin1String("unix:path=/nonexistent")))
            QSKIP("dbus-daemon is not installed: Plasma's reload signal needs a private session bus");
        const QString input = configHome.filePath(QStringLiteral("kcminputrc"));
        const QString kdeglobals = configHome.filePath(QStringLiteral("kdeglobals"));
        QVERIFY(writeFile(input, kInputFile));
        QVERIFY(writeFile(kdeglobals, globals));
        QDBusConnection listener = QDBusConnection::connectToBus(address, QStringLiteral("plasma"));
        ReloadReceiver receiver;
        QVERIFY(listener.connect(QString(), QStringLiteral("/KGlobalSettings"),
                                 QStringLiteral("org.kde.KGlobalSettings"), QStringLiteral("notifyChange"),
                                 &receiver, SLOT(notifyChange(int, int))));
        useSession("KDE", "wayland", {}, "wayland-0");
        auto settings = j2::platform::makeSystemPointerSettings();

        const std::map<QString, std::function<bool()>> apply{
            {QStringLiteral("speed"), [&] { return settings->setPointerSpeed(value); }},
            {QStringLiteral("acceleration"),
             [&] {
                 return settings->writeAcceleration({0, 0, int(value)});
             }},
            {QStringLiteral("double-click"), [&] { return settings->setDoubleClickTime(value); }},
            {QStringLiteral("lines"), [&] { return settings->setWheelScrollLines(value); }},
        };
        QCOMPARE(apply.at(setting)(), applied);
        QCOMPARE(fileText(input), expectedInput);
        QCOMPARE(fileText(kdeglobals), expectedGlobals);

        // The read side reports what the files now hold.
        unsigned held = 0;
        PointerAcceleration acceleration;
        const std::map<QString, std::function<bool()>> read{
            {QStringLiteral("speed"), [&] { return settings->readPointerSpeed(held); }},
            {QStringLiteral("acceleration"),
             [&] {
                 return settings->readAcceleration(acceleration) &&
                        (held = unsigned(acceleration.level), true);
             }},
            {QStringLiteral("double-click"), [&] { return settings->readDoubleClickTime(held); }},
            {QStringLiteral("lines"), [&] { return settings->readWheelScrollLines(held); }},
        };
        QVERIFY(read.at(setting)());
        QCOMPARE(held, applied ? value : 5u);
        if (applied) {
            // SettingsChanged (3) for the mouse settings (0), as Plasma's own settings page sends it.
            QTRY_COMPARE(receiver.notices, (QList<QPair<int, int>>{{3, 0}}));
        } else {
            QVERIFY(platformLog.filter(QStringLiteral("is locked")).size() == 1);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("plasma"));
    }

    // A bare X server: the libinput driver's device properties where a device has them, the core pointer
    // control for acceleration only where none has, and nothing for what the server does not keep. Xvfb has
    // no libinput device; the test gives its XTEST pointer the two properties as the driver creates them.
    void x11Settings_data()
    {
        QTest::addColumn<bool>("libinput");
        QTest::newRow("core pointer only") << false;
        QTest::newRow("libinput pointer") << true;
    }
    void x11Settings()
    {
        QFETCH(bool, libinput);
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            QSKIP("Xvfb is not installed: the X server's settings need a private X server");
        PrivateXServer server;
        const QString display = server.start();
        QVERIFY2(!display.isEmpty(), "Xvfb did not start");
        useSession({}, "x11", display.toLatin1());
        XTestPointer device;
        QVERIFY2(device.open(), "no XTEST pointer on the private X server");
        if (libinput) {
            QVERIFY(device.set(kAccelSpeed, "FLOAT", 32, floatBytes(0.0f)));
            QVERIFY(device.set(kAccelProfile, "INTEGER", 8, QByteArray("\x01\x00\x00", 3)));
        }
        auto settings = j2::platform::makeSystemPointerSettings();

        j2::platform::x11::PointerControl coreBefore;
        QVERIFY(j2::platform::x11::readPointerControl(coreBefore));
        PointerAcceleration before;
        QVERIFY(settings->readAcceleration(before));
        QCOMPARE(before.level, 1); // both accelerate from the start
        for (const int level : {0, 1}) {
            // The thresholds asked for are not ours to change: the server's stays.
            QVERIFY(settings->writeAcceleration({before.threshold1 + 5, before.threshold2 + 5, level}));
            PointerAcceleration after;
            QVERIFY(settings->readAcceleration(after));
            QCOMPARE(after.level, level);
            QCOMPARE(after.threshold1, before.threshold1);
            if (libinput) {
                // Adaptive or flat on the device; the core control, which libinput ignores, is left alone.
                QCOMPARE(device.get(kAccelProfile),
                         level ? QByteArray("\x01\x00\x00", 3) : QByteArray("\x00\x01\x00", 3));
                j2::platform::x11::PointerControl core;
                QVERIFY(j2::platform::x11::readPointerControl(core));
                QCOMPARE(core.numerator, coreBefore.numerator);
            }
        }

        unsigned speed = 0;
        QCOMPARE(settings->setPointerSpeed(15), libinput);
        QCOMPARE(settings->readPointerSpeed(speed), libinput);
        if (libinput) {
            QCOMPARE(device.get(kAccelSpeed), floatBytes(0.5f));
            QCOMPARE(speed, 15u);
        } else {
            QCOMPARE(
                platformLog.filter(QStringLiteral("pointer speed not applied: no pointer device")).size(), 1);
        }
        QVERIFY(!settings->setDoubleClickTime(500));
        QVERIFY(!settings->setWheelScrollLines(3));
        QCOMPARE(platformLog.filter(QStringLiteral("not applied: the X server keeps no such setting")).size(),
                 2);
    }
};

QTEST_GUILESS_MAIN(TestPointerSettingsLinux)
#include "test_pointer_settings_linux.moc"
