// j2ctl against the window: the same change made on the window's panel and with j2ctl, each on a fresh
// virtual mouse with fresh settings, must put the same reports on the wire in the same order (the wire log
// is the oracle). Bad arguments and a running configurator must leave the wire and the files untouched, and
// `watch` must tell the stage the DPI button chose.

#include "action_folder.h"
#include "cli_requests.h"
#include "commands.h"
#include "my_qquick_view.h"
#include "scene_harness.h"
#include "settings_root.h"
#include "single_instance.h"
#include "virtual_mouse.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

using WindowChange = std::function<void(scene::Harness&)>;

// Reports that change something: feature reports of write commands and the bulk reports behind them.
QStringList writesOf(const std::vector<j2::vm::WireEntry>& log)
{
    QStringList writes;
    for (const j2::vm::WireEntry& entry : log) {
        if (!entry.toDevice || entry.iface != j2::vm::Interface::Control)
            continue;
        const bool write = entry.kind == "output" ||
                           (entry.kind == "feature-set" && entry.bytes.size() > 1 && entry.bytes[1] < 0x80);
        if (write)
            writes.append(
                QString::fromStdString(entry.command) + QLatin1Char(' ') +
                QByteArray(reinterpret_cast<const char*>(entry.bytes.data()), qsizetype(entry.bytes.size()))
                    .toHex());
    }
    return writes;
}

QByteArray treeDigest(const QString& folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
    QStringList names;
    while (files.hasNext())
        names.append(files.next());
    names.sort();
    for (const QString& name : names) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(name.toUtf8() + file.readAll());
    }
    return hash.result();
}

// With the gun page on, profile 2 and the profile file imported bind button 4 to a macro in slot 3 played
// three times and gun slot 1 to button 5 with the third gun ("Two fire", played once, from device slot 11):
// switching to it or importing it must write both, and the gun key tables, as the window does.
const QString kMacroName = QStringLiteral("burst");
constexpr int kMacroSlot = 3;
constexpr int kGunDeviceSlot = 11;

void bindMacroAndGun(QSettings& profile)
{
    profile.setValue(QStringLiteral("keydefine_J2/4"), QVariantList{0x09, 0, kMacroSlot, 0});
    profile.setValue(QStringLiteral("macro/%1").arg(kMacroSlot - 1), kMacroName);
    profile.setValue(QStringLiteral("selectGun/1"), 2);
    profile.setValue(QStringLiteral("selectGunKey/1"), 5);
    profile.setValue(QStringLiteral("selectGunKey/type1"), 2);
}

bool addBoundMacroAndGun(const QString& settingsRoot)
{
    QSettings config(settingsRoot + QStringLiteral("/modules/setting/apConfig.bin"), QSettings::IniFormat);
    config.setValue(QStringLiteral("common/total"), 1);
    config.setValue(QStringLiteral("common/0"), 1);
    config.sync();
    const ActionFolder macros(settingsRoot + QStringLiteral("/modules/macro"), QStringLiteral("macro"),
                              QStringLiteral("0"));
    if (!macros.create(kMacroName, 0) ||
        !macros.save(kMacroName, {"1,A", "0,40", "2,A", "3,MS-L", "0,1500", "4,MS-L"}, 3))
        return false;
    QSettings profile(settingsRoot + QStringLiteral("/modules/setting/p2.bin"), QSettings::IniFormat);
    bindMacroAndGun(profile);
    profile.sync();
    return config.status() == QSettings::NoError && profile.status() == QSettings::NoError;
}

void callPanel(scene::Harness& window, const char* panel, const char* function, QVariantList properties = {},
               const QList<const char*>& names = {})
{
    QQuickItem* item = window.item(QString::fromLatin1(panel));
    QVERIFY(item != nullptr);
    for (int i = 0; i < names.size(); ++i)
        item->setProperty(names.at(i), properties.at(i));
    QVERIFY(QMetaObject::invokeMethod(item, function));
}

} // namespace

class TestJ2ctl : public QObject
{
    Q_OBJECT
private:
    // A fresh mouse on a socket and fresh settings for one j2ctl run.
    struct Stand
    {
        QTemporaryDir home;
        std::unique_ptr<j2::vm::VirtualMouse> mouse =
            std::make_unique<j2::vm::VirtualMouse>(j2::vm::VirtualMouse::Options{});
        std::unique_ptr<j2::vm::Server> server;

        bool start()
        {
            if (!home.isValid() || !QDir().mkpath(runtime()) ||
                !prepareSettingsRoot(settings(), scene::Harness::factoryFolder()))
                return false;
            QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            server = std::make_unique<j2::vm::Server>(*mouse,
                                                      (runtime() + QStringLiteral("/vm.sock")).toStdString());
            if (!addBoundMacroAndGun(settings()))
                return false;
            return server->start();
        }
        QString runtime() const { return home.filePath(QStringLiteral("run")); }
        QString settings() const { return home.filePath(QStringLiteral("settings")); }

        // What j2ctl and the configurator run with: this stand's home, data and runtime folders and mouse.
        QProcessEnvironment environment() const
        {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("HOME"), home.path());
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
            environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
            environment.insert(QStringLiteral("J2_VIRTUAL_MOUSE"), runtime() + QStringLiteral("/vm.sock"));
            return environment;
        }

        // Runs j2ctl; its exit status, with its output in `out` and its notices in `err`.
        int run(const QStringList& arguments, QByteArray* out = nullptr, QByteArray* err = nullptr,
                int timeoutMs = 60000)
        {
            QProcess ctl;
            ctl.setProcessEnvironment(environment());
            ctl.start(QStringLiteral(J2CTL),
                      QStringList{QStringLiteral("--settings"), settings()} + arguments);
            if (!ctl.waitForFinished(timeoutMs))
                return -1;
            if (out != nullptr)
                *out = ctl.readAllStandardOutput();
            const QByteArray errors = ctl.readAllStandardError();
            if (!errors.isEmpty())
                qInfo().noquote() << "j2ctl:" << errors.trimmed();
            if (err != nullptr)
                *err = errors;
            return ctl.exitCode();
        }
    };

    QString profileFile;

private slots:
    void initTestCase()
    {
        // A .pf file as the window exports it, with values the factory profile does not have.
        static QTemporaryDir folder;
        profileFile = folder.filePath(QStringLiteral("changed.pf"));
        QVERIFY(QFile::copy(scene::Harness::factoryFolder() + QStringLiteral("/modules/setting/pD.bin"),
                            profileFile));
        QFile::setPermissions(profileFile, QFile::ReadOwner | QFile::WriteOwner);
        QSettings changed(profileFile, QSettings::IniFormat);
        changed.setValue(QStringLiteral("sensor/reportRate_J2"), 8);
        changed.setValue(QStringLiteral("sensor/dpi_J2"),
                         QVariantList{500, 900, 1500, 2000, 4000, 8000, 12000, 250});
        bindMacroAndGun(changed);
        changed.sync();
        QCOMPARE(changed.status(), QSettings::NoError);
    }

    void sameBytesAsTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<WindowChange>("window");
        QTest::addColumn<bool>("resendsProfile");
        QTest::newRow("dpi set") << QStringList{"dpi", "set", "2", "3200"}
                                 << WindowChange([](scene::Harness& w) {
                                        QVariantList values =
                                            w.value(QStringLiteral("dpiSettingMain"), "dpiValues").toList();
                                        values[1] = 3200;
                                        callPanel(w, "dpiSettingMain", "saveData", {values}, {"dpiValues"});
                                    })
                                 << false;
        QTest::newRow("dpi stage") << QStringList{"dpi", "3"} << WindowChange([](scene::Harness& w) {
            w.view().ui_0BH_SetCurrentDPIStage(3);
        }) << false;
        QTest::newRow("rate") << QStringList{"rate", "250"} << WindowChange([](scene::Harness& w) {
            callPanel(w, "reprotRateMain", "saveData", {4}, {"reportValue"});
        }) << false;
        QTest::newRow("light") << QStringList{"light", "breath", "1"} << WindowChange([](scene::Harness& w) {
            callPanel(w, "lightControlMain", "saveData", {2, 1, 3},
                      {"tmpEffect", "tmpOption0", "tmpOption1"});
        }) << false;
        QTest::newRow("light off") << QStringList{"light", "static", "0"}
                                   << WindowChange([](scene::Harness& w) {
                                          callPanel(w, "lightControlMain", "saveData", {1, 0, 3},
                                                    {"tmpEffect", "tmpOption0", "tmpOption1"});
                                      })
                                   << false;
        QTest::newRow("profile") << QStringList{"profile", "2"} << WindowChange([](scene::Harness& w) {
            QQuickItem* popup = w.item(QStringLiteral("profileMain"));
            QVERIFY(QMetaObject::invokeMethod(popup, "changeProfile", Q_ARG(int, 1)));
            QVERIFY(QMetaObject::invokeMethod(popup, "closeUI"));
        }) << true;
        QTest::newRow("import") << QStringList{"import", "CHANGED"}
                                << WindowChange([this](scene::Harness& w) {
                                       w.answerOpenDialog(profileFile);
                                       callPanel(w, "profileMain", "loadProfile");
                                   })
                                << true;
    }

    void sameBytesAsTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(WindowChange, window);
        QFETCH(bool, resendsProfile);
        arguments.replaceInStrings(QStringLiteral("CHANGED"), profileFile);

        QStringList windowStart;
        QStringList windowWrites;
        {
            scene::Options options;
            options.seed = addBoundMacroAndGun;
            scene::Harness harness(options);
            QVERIFY(harness.start());
            harness.deviceState();
            windowStart = writesOf(harness.mouse().wireLog());
            harness.mouse().clearWireLog();
            window(harness);
            QVERIFY(harness.waitUnlocked(10000));
            harness.deviceState(); // the last write has ended
            windowWrites = writesOf(harness.mouse().wireLog());
        }
        QVERIFY(!windowWrites.isEmpty());

        Stand stand;
        QVERIFY(stand.start());
        QByteArray notices;
        QCOMPARE(stand.run(arguments, nullptr, &notices), 0);
        QStringList ctlWrites = writesOf(stand.mouse->wireLog());
        // j2ctl starts as the window starts (handshake, notifications on, profiles marked enabled); the
        // handshake's challenge is random, so the start is compared by command.
        const auto commandOf = [](const QString& write) { return write.section(QLatin1Char(' '), 0, 0); };
        QVERIFY(ctlWrites.size() >= windowStart.size());
        for (qsizetype i = 0; i < windowStart.size(); ++i)
            QCOMPARE(commandOf(ctlWrites.at(i)), commandOf(windowStart.at(i)));
        ctlWrites.remove(0, windowStart.size());
        QCOMPARE(ctlWrites, windowWrites);
        // The macro's header (played three times) and the gun's (once) reached their slots.
        const j2::vm::Block128 macro = stand.mouse->state().macros.at(kMacroSlot);
        const j2::vm::Block128 gun = stand.mouse->state().macros.at(kGunDeviceSlot);
        QCOMPARE(macro[0] == 0x00 && macro[1] == 0x03, resendsProfile);
        QCOMPARE(gun[0] == 0x00 && gun[1] == 0x01, resendsProfile);
        // The profile's pointer settings were offered to the desktop; the tests run without one, and j2ctl
        // says so.
        QCOMPARE(notices.contains("did not take the profile's pointer speed, double-click time, wheel lines"),
                 resendsProfile);

        // The same command, on a fresh mouse and settings, while the configurator runs: it runs the command
        // itself, with the same reports.
        Stand running;
        QVERIFY(running.start());
        QProcess configurator;
        configurator.setProcessEnvironment(running.environment());
        configurator.setProcessChannelMode(QProcess::MergedChannels);
        configurator.start(QStringLiteral(J2_DIST_DIR "/configurator"),
                           {QStringLiteral("--settings"), running.settings()});
        QVERIFY(configurator.waitForStarted());
        // Its start has ended once its pages have read the profile blocks and marked them enabled.
        QTRY_VERIFY_WITH_TIMEOUT(writesOf(running.mouse->wireLog()).size() >= windowStart.size(), 20000);
        QTest::qWait(2000);
        running.mouse->clearWireLog();
        QCOMPARE(running.run(arguments), 0);
        const QStringList forwardedWrites = writesOf(running.mouse->wireLog());
        configurator.terminate();
        QVERIFY(configurator.waitForFinished(10000));
        QCOMPARE(forwardedWrites, windowWrites);
    }

    // A request the configurator runs for j2ctl leaves a page's unsaved changes for its Save, unless it chose
    // another profile, as choosing one in the list would.
    void forwardedRequestKeepsUnsavedPages_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("kept");
        // The sign that the pages were reloaded: this page's property shows the change.
        QTest::addColumn<QString>("page");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("shown");
        QTest::newRow("rate") << QStringList{"rate", "250"} << true << QStringLiteral("reprotRateMain")
                              << QByteArray("reportValue") << 4;
        QTest::newRow("profile") << QStringList{"profile", "2"} << false << QStringLiteral("profileMain")
                                 << QByteArray("profileNo") << 1;
    }

    void forwardedRequestKeepsUnsavedPages()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, kept);
        QFETCH(QString, page);
        QFETCH(QByteArray, property);
        QFETCH(int, shown);
        scene::Harness harness;
        QVERIFY(harness.start());
        QQuickItem* dpi = harness.item(QStringLiteral("dpiSettingMain"));
        QVariantList edited = dpi->property("dpiValues").toList();
        edited[1] = 3300;
        dpi->setProperty("dpiValues", edited);
        dpi->setProperty("isSave", true);

        const QByteArray answer = runCliRequest(
            harness.widget(), j2::cli::forwardRequest(arguments.at(0), arguments.mid(1), false));
        QCOMPARE(j2::cli::printForwardedAnswer(answer), std::optional<int>(0));
        // The pages reload on a later turn.
        QTRY_COMPARE(harness.value(page, property.constData()).toInt(), shown);
        QCOMPARE(dpi->property("isSave").toBool(), kept);
        QCOMPARE(dpi->property("dpiValues").toList().at(1).toInt() == 3300, kept);
        QCOMPARE(harness.value(QStringLiteral("frameHint"), "visible").toBool(), !kept);
    }

    void readsTellWhatTheMouseHolds()
    {
        Stand stand;
        QVERIFY(stand.start());
        QCOMPARE(stand.run({"dpi", "set", "3", "5000"}), 0);
        QCOMPARE(stand.run({"rate", "125"}), 0);
        QByteArray out;
        QCOMPARE(stand.run({"--json", "info"}, &out), 0);
        const QJsonObject info = QJsonDocument::fromJson(out).object();
        QCOMPARE(info.value(QStringLiteral("rate")).toInt(), 125);
        QCOMPARE(info.value(QStringLiteral("stages"))
                     .toArray()
                     .at(2)
                     .toObject()
                     .value(QStringLiteral("dpi"))
                     .toInt(),
                 5000);
        QCOMPARE(info.value(QStringLiteral("dpiStage")).toInt(), int(stand.mouse->state().currentDpiStage));
        QCOMPARE(info.value(QStringLiteral("device"))
                     .toObject()
                     .value(QStringLiteral("firmware"))
                     .toString()
                     .isEmpty(),
                 false);
    }

    // The profile file is all an export needs: it works with the mouse unplugged and asks it nothing.
    void exportNeedsNoMouse()
    {
        Stand stand;
        QVERIFY(stand.start());
        stand.mouse->unplug();
        const QString target = stand.home.filePath(QStringLiteral("backup.pf"));
        QCOMPARE(stand.run({QStringLiteral("export"), target}), 0);
        QVERIFY(stand.mouse->wireLog().empty());
        QFile exported(target);
        QFile profile(stand.settings() + QStringLiteral("/modules/setting/p1.bin"));
        QVERIFY(exported.open(QIODevice::ReadOnly) && profile.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll(), profile.readAll());
    }

    void nothingChangesOnRefusal_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("status");
        const QString usual;
        QTest::newRow("unknown command") << QStringList{"reboot"} << usual << 2;
        QTest::newRow("unknown profile") << QStringList{"profile", "7"} << usual << 2;
        QTest::newRow("stage out of range") << QStringList{"dpi", "set", "8", "800"} << usual << 2;
        QTest::newRow("dpi off the steps") << QStringList{"dpi", "set", "2", "850"} << usual << 2;
        QTest::newRow("dpi too high") << QStringList{"dpi", "set", "2", "16500"} << usual << 2;
        QTest::newRow("rate") << QStringList{"rate", "300"} << usual << 2;
        QTest::newRow("effect") << QStringList{"light", "disco"} << usual << 2;
        QTest::newRow("level") << QStringList{"light", "rgb", "5"} << usual << 2;
        QTest::newRow("too many") << QStringList{"dpi", "1", "2"} << usual << 2;
        QTest::newRow("missing file") << QStringList{"import", "/nonexistent/x.pf"} << usual << 2;
        QTest::newRow("configurator running")
            << QStringList{"rate", "500"} << QStringLiteral("configurator") << 1;
        QTest::newRow("no mouse") << QStringList{"dpi", "set", "2", "800"} << QStringLiteral("unplugged")
                                  << 1;
    }

    void nothingChangesOnRefusal()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, situation);
        QFETCH(int, status);
        Stand stand;
        QVERIFY(stand.start());
        std::unique_ptr<j2::platform::SingleInstance> running;
        if (situation == QLatin1String("configurator")) {
            qputenv("XDG_RUNTIME_DIR", stand.runtime().toLocal8Bit());
            running = j2::platform::makeSingleInstance(QStringLiteral("j2-configurator"));
            QVERIFY(running->tryAcquire());
        } else if (situation == QLatin1String("unplugged")) {
            stand.mouse->unplug();
        }
        const QByteArray before = treeDigest(stand.settings());
        QCOMPARE(stand.run(arguments), status);
        QVERIFY(stand.mouse->wireLog().empty()); // not even a question
        QCOMPARE(treeDigest(stand.settings()), before);
    }

    void watchTellsTheChosenStage()
    {
        Stand stand;
        QVERIFY(stand.start());
        QProcess ctl;
        ctl.setProcessEnvironment(stand.environment());
        ctl.start(QStringLiteral(J2CTL), {QStringLiteral("--settings"), stand.settings(),
                                          QStringLiteral("--json"), QStringLiteral("watch")});
        QVERIFY(ctl.waitForStarted());
        // Notifications are on once j2ctl has switched them on.
        QTRY_VERIFY_WITH_TIMEOUT((stand.mouse->state().keyboardOption[0] & 0x08) != 0, 10000);
        QList<int> stages;
        for (int press = 0; press < 2; ++press) {
            stand.mouse->pressDpiButton();
            QTRY_VERIFY_WITH_TIMEOUT(ctl.canReadLine() || ctl.waitForReadyRead(100), 5000);
            const QJsonObject line = QJsonDocument::fromJson(ctl.readLine()).object();
            stages.append(line.value(QStringLiteral("dpiStage")).toInt());
            QCOMPARE(stages.last(), int(stand.mouse->state().currentDpiStage));
        }
        QCOMPARE(stages, (QList<int>{2, 3}));
        ctl.terminate();
        QVERIFY(ctl.waitForFinished(5000));
        QCOMPARE(ctl.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ctl.exitCode(), 0);
    }
};

QTEST_MAIN(TestJ2ctl)
#include "test_j2ctl.moc"
