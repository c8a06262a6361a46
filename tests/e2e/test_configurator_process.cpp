// The configurator as a user meets it: a real process on a private X desktop with a tray host, talking to
// the j2-virtual-mouse daemon.

#include "desktop.h"
#include "key_names.h"
#include "page_encoders.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const QString kDist = QStringLiteral(J2_DIST_DIR);

} // namespace

class TestConfiguratorProcess : public ProgramTest
{
    Q_OBJECT
public:
    TestConfiguratorProcess() : ProgramTest(kDist) {}

private:
    bool ctl(const QString& command) { return daemon->ctl(command); }

    // The program reports on stderr when its window is first drawn and when the start-up lock has revealed
    // it ("j2-startup: frame shown").
    std::unique_ptr<Program> startConfigurator(const QString& workingDirectory = {})
    {
        QProcessEnvironment traced = environment();
        traced.insert(QStringLiteral("J2_TRACE_STARTUP"), QStringLiteral("1"));
        auto program = std::make_unique<Program>(traced);
        program->start(installDir + QStringLiteral("/configurator"), {}, workingDirectory);
        return program;
    }

    int windowsTitled(const QString& title) const
    {
        const QByteArray ids =
            desktop->run(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                          QLatin1Char('^') + title + QLatin1Char('$')});
        const QByteArray lines = ids.trimmed();
        return lines.isEmpty() ? 0 : int(lines.split('\n').size());
    }

private slots:
    void initTestCase() { QVERIFY(startDesktop()); }

    void init() { QVERIFY(makeHome(QStringLiteral("vm.sock"))); }

    void cleanup()
    {
        daemon.reset();
        home.reset();
    }

    void secondInstanceExitsWith1()
    {
        startDaemon();
        auto first = startConfigurator();
        QVERIFY2(first->waitFor(QStringLiteral("Detect Mouse"), 10000) >= 0, qPrintable(first->log()));
        auto second = startConfigurator();
        QVERIFY(second->process.waitForFinished(10000));
        QCOMPARE(second->process.exitCode(), 1);
        QVERIFY(!second->log().contains(QStringLiteral("Detect Mouse")));
        // The first one still runs and still hears its mouse.
        QCOMPARE(first->process.state(), QProcess::Running);
        QVERIFY(waitForNotificationsOn());
        QVERIFY(ctl(QStringLiteral("press-dpi")));
        QVERIFY2(first->waitFor(QStringLiteral("DPI Switch to"), 5000) >= 0, qPrintable(first->log()));
    }

    void quitFromTheTrayMenu()
    {
        startDaemon();
        auto program = startConfigurator();
        QVERIFY2(program->waitFor(QStringLiteral("Detect Mouse"), 10000) >= 0, qPrintable(program->log()));
        // Move the window off the tray, then right-click the tray icon and choose Quit by its key.
        const QString window = desktop->waitForWindow(kConfiguratorTitle, 5000);
        QVERIFY(!window.isEmpty());
        desktop->run(QStringLiteral("xdotool"),
                     {QStringLiteral("windowmove"), window, QStringLiteral("200"), QStringLiteral("200")});
        QTest::qWait(500);
        desktop->run(QStringLiteral("xdotool"),
                     {QStringLiteral("mousemove"), QStringLiteral("11"), QStringLiteral("15"),
                      QStringLiteral("click"), QStringLiteral("3")});
        QTest::qWait(700);
        desktop->run(QStringLiteral("xdotool"),
                     {QStringLiteral("key"), QStringLiteral("q")}); // "Quit (&Q)", below "Show window"
        QVERIFY2(program->process.waitForFinished(5000), qPrintable(program->log()));
        QVERIFY2(program->process.exitStatus() == QProcess::NormalExit && program->process.exitCode() == 0,
                 qPrintable(program->log()));
    }

    void findsItsFilesFromAnotherWorkingDirectory()
    {
        startDaemon();
        auto program = startConfigurator(QDir::rootPath());
        QVERIFY2(program->waitFor(QStringLiteral("Detect Mouse"), 10000) >= 0, qPrintable(program->log()));
        // The title comes from apConfig.bin, seeded from the factory file beside the program.
        QElapsedTimer timer;
        timer.start();
        while (windowsTitled(kConfiguratorTitle) != 1 && timer.elapsed() < 15000)
            QTest::qWait(100);
        QVERIFY2(windowsTitled(kConfiguratorTitle) == 1, qPrintable(program->log()));
    }

    void screenshotOfTheStartedWindow()
    {
        startDaemon();
        // The file name is taken from where the user started the program, not from the program's folder.
        auto program = std::make_unique<Program>(environment());
        program->start(installDir + QStringLiteral("/configurator"),
                       {QStringLiteral("--screenshot"), QStringLiteral("shot.png")}, home->path());
        QVERIFY2(program->process.waitForFinished(15000), qPrintable(program->log()));
        QCOMPARE(program->process.exitCode(), 0);
        const QImage shot(home->filePath(QStringLiteral("shot.png")));
        QCOMPARE(shot.size(), QSize(1000, 640));
        // The revealed frame, not an empty or single-coloured window: many colours across a coarse grid.
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 20)
            for (int x = 0; x < shot.width(); x += 20)
                colours.insert(shot.pixel(x, y));
        QVERIFY2(colours.size() > 50, qPrintable(QString::number(colours.size())));
        // The corners outside the artwork's rounded outline are see-through, not the view's white.
        QCOMPARE(qAlpha(shot.pixel(0, 0)), 0);

        auto withoutFile = std::make_unique<Program>(environment());
        withoutFile->start(installDir + QStringLiteral("/configurator"), {QStringLiteral("--screenshot")});
        QVERIFY(withoutFile->process.waitForFinished(15000));
        QCOMPARE(withoutFile->process.exitCode(), 2);
        QVERIFY(withoutFile->log().contains(QStringLiteral("--screenshot needs a file name")));
    }

    void demoModeShowsItsBoxOnce()
    {
        // A mouse that scrambles with a code we do not hold, and the stored code that asks for demo mode.
        startDaemon({QStringLiteral("--encode"), QStringLiteral("--secrecy-code"), QStringLiteral("QZ-731")});
        {
            // The user's configuration as seeded from the factory file, with the code changed.
            const QString stored = settingsRoot() + QStringLiteral("/modules/setting/apConfig.bin");
            QVERIFY(QDir().mkpath(QFileInfo(stored).path()));
            QVERIFY(QFile::copy(installDir + QStringLiteral("/modules/setting/apConfig.bin"), stored));
            QSettings config(stored, QSettings::IniFormat);
            config.setValue(QStringLiteral("common/sCode1"), QStringLiteral("k-ravine"));
        }
        auto program = startConfigurator();
        QVERIFY2(program->waitFor(QStringLiteral("Device Error"), 10000) >= 0, qPrintable(program->log()));
        // The window and its warning box carry the same title.
        QElapsedTimer timer;
        timer.start();
        while (windowsTitled(kConfiguratorTitle) < 2 && timer.elapsed() < 5000)
            QTest::qWait(100);
        QTest::qWait(1000);
        QCOMPARE(windowsTitled(kConfiguratorTitle), 2);
        desktop->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
        timer.restart();
        while (windowsTitled(kConfiguratorTitle) != 1 && timer.elapsed() < 5000)
            QTest::qWait(100);
        QTest::qWait(500);
        QCOMPARE(windowsTitled(kConfiguratorTitle), 1);
        QCOMPARE(program->process.state(), QProcess::Running);
    }

    // A person's way through the window: record a macro from the keyboard in the macro editor, give it to
    // button 4 with the key menu's "Macro" entry, and find it in the mouse's slot for that button.
    void macroRecordedFromTheKeyboardReachesItsButton()
    {
        startDaemon();
        auto program = startConfigurator();
        QVERIFY2(program->waitFor(QStringLiteral("Detect Mouse"), 10000) >= 0, qPrintable(program->log()));
        recordMacroOnButton4(*program);

        // The mouse's slot for key index 5 (slot 6) plays what the keyboard typed, as the encoder of
        // reference writes it.
        QVERIFY(QFile::exists(settingsRoot() + QStringLiteral("/modules/macro/Macro_0.bin")));
        rebuildKeyNameMap();
        const QList<macro_stream::PageAction> typed = {{macro_stream::KeyPress, QStringLiteral("A")},
                                                       {macro_stream::KeyRelease, QStringLiteral("A")},
                                                       {macro_stream::KeyPress, QStringLiteral("B")},
                                                       {macro_stream::KeyRelease, QStringLiteral("B")}};
        QByteArray expected;
        for (uchar byte : macro_stream::deCode(typed, 1))
            expected.append(char(byte));
        const QJsonObject state =
            QJsonDocument::fromJson(daemon->ctlOutput({QStringLiteral("dump")})).object();
        const QByteArray slot =
            QByteArray::fromHex(state.value(QStringLiteral("macros")).toArray().at(6).toString().toLatin1());
        QVERIFY2(slot.startsWith(expected), qPrintable(slot.toHex(' ') + " / " + expected.toHex(' ')));
    }

    void unplugAndPlugBackIn()
    {
        startDaemon();
        auto program = startConfigurator();
        QVERIFY2(program->waitFor(QStringLiteral("Detect Mouse"), 10000) >= 0, qPrintable(program->log()));
        QVERIFY(ctl(QStringLiteral("unplug")));
        const qint64 removed = program->waitFor(QStringLiteral("Device removed"), 3000);
        QVERIFY2(removed >= 0 && removed < 1000, qPrintable(program->log()));
        QVERIFY(ctl(QStringLiteral("plug")));
        const qint64 detected = program->waitFor(QStringLiteral("Detect Mouse"), 6000, 2);
        // Detection runs once, about 2 s after the last device change.
        QVERIFY2(detected >= 1800 && detected < 3500, qPrintable(QString::number(detected) + program->log()));
        QVERIFY(waitForNotificationsOn());
        QVERIFY(ctl(QStringLiteral("press-dpi")));
        QVERIFY2(program->waitFor(QStringLiteral("DPI Switch to"), 5000) >= 0, qPrintable(program->log()));
    }
};

J2_DESKTOP_TEST_MAIN(TestConfiguratorProcess, "whole-program tests")

#include "test_configurator_process.moc"
