// The Linux pointer settings against the desktop services themselves: GNOME's settings in GSettings'
// in-memory backend, and the pointer control of a private X server. Neither touches the user's desktop.

// GLib before Qt: GLib names a struct member `signals`, which Qt turns into a keyword.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include "desktop_pointer_settings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using j2::platform::PointerAcceleration;
using j2::platform::PointerSettings;
using j2::platform::gnome::MouseSettings;

namespace {

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

} // namespace

class TestPointerSettingsLinux : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Before GSettings is first used; the backend is chosen once per process.
        qputenv("GSETTINGS_BACKEND", "memory");
        GSettingsBackend* backend = g_settings_backend_get_default();
        const QByteArray backendType(G_OBJECT_TYPE_NAME(backend));
        g_object_unref(backend);
        QCOMPARE(backendType, QByteArray("GMemorySettingsBackend"));
        // Only a private X server of our own may be reached.
        qunsetenv("DISPLAY");
    }

    void init()
    {
        if (QByteArray(QTest::currentTestFunction()).startsWith("gnome") && !mouseSchemaInstalled())
            QSKIP("GNOME's mouse settings schema (gsettings-desktop-schemas) is not installed");
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

        QCOMPARE(j2::platform::makeSystemPointerSettings()->setPointerSpeed(speed), accepted);
        QCOMPARE(desktop.speed(), expected);
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
        QVERIFY(!j2::platform::makeSystemPointerSettings()->setWheelScrollLines(3));
    }

    void x11Acceleration()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            QSKIP("Xvfb is not installed: the X server's pointer control needs a private X server");
        PrivateXServer server;
        const QString display = server.start();
        QVERIFY2(!display.isEmpty(), "Xvfb did not start");
        qputenv("DISPLAY", display.toLatin1());
        auto settings = j2::platform::makeDesktopPointerSettings(nullptr);

        PointerAcceleration before;
        QVERIFY(settings->readAcceleration(before));
        QCOMPARE(before.level, 1); // an X server accelerates from the start
        for (const int level : {0, 1}) {
            // The thresholds asked for are not ours to change: the server's stays.
            QVERIFY(settings->writeAcceleration({before.threshold1 + 5, before.threshold2 + 5, level}));
            PointerAcceleration after;
            QVERIFY(settings->readAcceleration(after));
            QCOMPARE(after.level, level);
            QCOMPARE(after.threshold1, before.threshold1);
        }
        // Without GNOME's settings nothing else has an equivalent.
        QVERIFY(!settings->setPointerSpeed(10));
        QVERIFY(!settings->setDoubleClickTime(500));
        QVERIFY(!settings->setWheelScrollLines(3));
        qunsetenv("DISPLAY");
    }
};

QTEST_GUILESS_MAIN(TestPointerSettingsLinux)
#include "test_pointer_settings_linux.moc"
