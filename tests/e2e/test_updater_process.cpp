// The updater as a program on a private X desktop against the virtual mouse daemon: a data.bin built by the
// shipped tool programs the mouse end to end, and the configurator's help menu starts the updater.

#include "desktop.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <memory>

namespace {

const QString kDist = QStringLiteral(J2_DIST_DIR);
constexpr qsizetype kFlashBytes = 128 * 512;
// The configurator's window at a known place, and where its help button and the menu's "update" row are.
constexpr int kWindowX = 200;
constexpr int kWindowY = 200;
constexpr int kHelpButtonX = 942;
constexpr int kHelpButtonY = 12;
constexpr int kUpdateRowX = 870;
constexpr int kUpdateRowY = 56;

} // namespace

class TestUpdaterProcess : public ProgramTest
{
    Q_OBJECT
public:
    TestUpdaterProcess() : ProgramTest(kDist) {}

private:
    QByteArray image;

    void click(int x, int y) const
    {
        desktop->run(QStringLiteral("xdotool"),
                     {QStringLiteral("mousemove"), QString::number(x), QString::number(y),
                      QStringLiteral("click"), QStringLiteral("1")});
        QTest::qWait(300);
    }

    // Update has the focus from the start (Exit comes after it). No window manager runs here: give the window
    // the focus directly, then type into it.
    void pressUpdate() const
    {
        const QString window = desktop->waitForWindow(QStringLiteral("Update"));
        QVERIFY(!window.isEmpty());
        desktop->run(QStringLiteral("xdotool"),
                     {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        desktop->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("space")});
    }

    QByteArray flash() const
    {
        const QJsonObject state =
            QJsonDocument::fromJson(daemon->ctlOutput({QStringLiteral("dump")})).object();
        return QByteArray::fromHex(state.value(QStringLiteral("flash")).toString().toLatin1());
    }

private slots:
    void initTestCase() { QVERIFY(startDesktop()); }

    void init() { QVERIFY(makeHome(QStringLiteral("mouse.sock"))); }

    void cleanup() { daemon.reset(); }

    // The mouse waits in its bootloader; Update programs it, and the flash then holds the image.
    void programsTheMouseFromTheToolsFile()
    {
        startDaemon({QStringLiteral("--bootloader")});
        image = makeFirmware(30000, 7);
        QVERIFY(!image.isEmpty());
        Program updater(environment());
        updater.start(installDir + QStringLiteral("/update/update"), {}, installDir);
        QVERIFY2(updater.waitFor(QStringLiteral("Ready To Update!"), 10000) >= 0, qPrintable(updater.log()));
        pressUpdate();
        QVERIFY2(updater.waitFor(QStringLiteral("Update Success"), 30000) >= 0, qPrintable(updater.log()));
        const QByteArray programmed = flash();
        QCOMPARE(programmed.size(), kFlashBytes);
        QCOMPARE(programmed.left(image.size()), image);
        QCOMPARE(programmed.mid(image.size()), QByteArray(kFlashBytes - image.size(), char(0xFF)));
    }

    // A scrambling mouse in user mode: Update asks its code, switches it into its bootloader (it comes
    // back as another device) and programs it; the bar ends full.
    void userModeMouseIsSwitchedAndProgrammed()
    {
        startDaemon({QStringLiteral("--encode"), QStringLiteral("--secrecy-code"), QStringLiteral("918273")});
        image = makeFirmware(30000, 7);
        QVERIFY(!image.isEmpty());
        Program updater(environment());
        updater.start(installDir + QStringLiteral("/update/update"), {}, installDir);
        QVERIFY2(updater.waitFor(QStringLiteral("Connected to the Device!"), 10000) >= 0,
                 qPrintable(updater.log()));
        pressUpdate();
        QVERIFY2(updater.waitFor(QStringLiteral("Update Success"), 30000) >= 0, qPrintable(updater.log()));
        const QString log = updater.log();
        QVERIFY(log.contains(QStringLiteral("Secret")));
        QVERIFY(log.indexOf(QStringLiteral("Enter the bootloader mode...")) <
                log.indexOf(QStringLiteral("Erase ...")));
        QCOMPARE(flash().left(image.size()), image);

        // After a success the next mouse plugged in is updated without a key press.
        QVERIFY(daemon->ctl(QStringLiteral("unplug")));
        QVERIFY(daemon->ctl(QStringLiteral("plug")));
        QVERIFY2(updater.waitFor(QStringLiteral("Update Success"), 30000, 2) >= 0, qPrintable(updater.log()));
    }

    // Three failed bootloader runs, 5 s apart: the updater gives up and leaves only Exit.
    void failedRunsEndInFail()
    {
        startDaemon({QStringLiteral("--bootloader")});
        image = makeFirmware(30000, 7);
        QVERIFY(!image.isEmpty());
        QVERIFY(daemon->ctl(QStringLiteral("fail-erase"), QStringLiteral("3")));
        Program updater(environment());
        updater.start(installDir + QStringLiteral("/update/update"), {}, installDir);
        QVERIFY2(updater.waitFor(QStringLiteral("Ready To Update!"), 10000) >= 0, qPrintable(updater.log()));
        pressUpdate();
        const qint64 took = updater.waitFor(QStringLiteral("Update Fail!"), 30000);
        QVERIFY2(took >= 10000, qPrintable(updater.log()));
        QCOMPARE(updater.log().count(QStringLiteral("Erase Error")), 3);
        QVERIFY(!updater.log().contains(QStringLiteral("Update Success")));
    }

    // The help menu's "update" row stops the configurator's own watch and starts the updater, which then
    // finds the mouse in user mode.
    void helpMenuStartsTheUpdater()
    {
        startDaemon();
        image = makeFirmware(30000, 7);
        QVERIFY(!image.isEmpty());
        QProcessEnvironment traced = environment();
        traced.insert(QStringLiteral("J2_TRACE_STARTUP"), QStringLiteral("1"));
        Program configurator(traced);
        configurator.start(installDir + QStringLiteral("/configurator"), {}, installDir);
        QVERIFY2(configurator.waitFor(QStringLiteral("Detect Mouse"), 10000) >= 0,
                 qPrintable(configurator.log()));
        const QString window = desktop->waitForWindow(QStringLiteral("NORVEK SKARN J2"));
        QVERIFY(!window.isEmpty());
        desktop->run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), window,
                                                 QString::number(kWindowX), QString::number(kWindowY)});
        // Clicks before the start-up lock has revealed the scene go nowhere (slow under the sanitizers).
        QVERIFY2(configurator.waitFor(QStringLiteral("j2-startup: frame shown"), 20000) >= 0,
                 qPrintable(configurator.log()));
        QTest::qWait(300); // the window manager-free move
        click(kWindowX + kHelpButtonX, kWindowY + kHelpButtonY);
        click(kWindowX + kUpdateRowX, kWindowY + kUpdateRowY);
        // The updater is detached from the configurator but writes to the same output.
        QVERIFY2(configurator.waitFor(QStringLiteral("Connected to the Device!"), 15000) >= 0,
                 qPrintable(configurator.log()));
        const QString log = configurator.log();
        QVERIFY(log.indexOf(QStringLiteral("watch stopped")) >= 0);
        QVERIFY(log.indexOf(QStringLiteral("watch stopped")) <
                log.indexOf(QStringLiteral("Connected to the Device!")));
        QVERIFY(!desktop->waitForWindow(QStringLiteral("Update")).isEmpty());
        // It outlives the configurator; close it by its window.
        desktop->run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                                 QStringLiteral("^Update$"), QStringLiteral("windowclose")});
    }
};

J2_DESKTOP_TEST_MAIN(TestUpdaterProcess, "updater process tests")
#include "test_updater_process.moc"
