// The configurator on a Wayland desktop, where the program may not place its window, hear other programs'
// keys or count on a tray: Weston on a private X server, with and without a StatusNotifier tray host.

#include "desktop.h"
#include "wayland_session.h"

#include <QTest>

#include <memory>
#include <optional>

namespace {

const QString kDist = QStringLiteral(J2_DIST_DIR);
const QString kAppId = QStringLiteral("j2-configurator");

} // namespace

class TestWaylandSession : public ProgramTest
{
    Q_OBJECT
public:
    TestWaylandSession() : ProgramTest(kDist) {}

private:
    std::unique_ptr<WaylandSession> session;

    std::unique_ptr<Program> startConfigurator()
    {
        QProcessEnvironment wayland = environment();
        session->addTo(wayland);
        // "j2-startup: frame shown" once the scene has revealed its controls.
        wayland.insert(QStringLiteral("J2_TRACE_STARTUP"), QStringLiteral("1"));
        auto program = std::make_unique<Program>(wayland);
        program->start(installDir + QStringLiteral("/configurator"), {});
        return program;
    }

    // The window exists but has not been shown: the mouse answered only after start-up.
    std::unique_ptr<Program> startHiddenWithMouse()
    {
        startDaemon();
        if (!daemon->ctl(QStringLiteral("unplug")))
            return nullptr;
        auto program = startConfigurator();
        if (!session->waitForTrayItem(10000) || !daemon->ctl(QStringLiteral("plug")) ||
            program->waitFor(QStringLiteral("Detect Mouse"), 8000) < 0)
            return nullptr;
        return program;
    }

    static void withAndWithoutTrayHost()
    {
        QTest::addColumn<bool>("trayHost");
        QTest::newRow("tray host") << true;
        QTest::newRow("no tray host") << false;
    }

private slots:
    void initTestCase()
    {
        session = std::make_unique<WaylandSession>();
        QVERIFY2(session->start(), qPrintable(session->failure));
    }

    void init() { QVERIFY(makeHome(QStringLiteral("vm.sock"))); }

    void cleanup()
    {
        daemon.reset();
        home.reset();
    }

    // The window is shown under our app id (the desktop entry's name), with or without a tray; without, the
    // program says that closing will only minimise.
    void showsItsWindow_data() { withAndWithoutTrayHost(); }
    void showsItsWindow()
    {
        QFETCH(bool, trayHost);
        QVERIFY(session->setTrayHost(trayHost));
        startDaemon();
        auto program = startConfigurator();
        QVERIFY2(program->waitFor(QStringLiteral("Detect Mouse"), 10000) >= 0, qPrintable(program->log()));
        QVERIFY2(session->waitForWindow(kConfiguratorTitle, kAppId, true, 10000),
                 qPrintable(session->sceneGraph() + program->log()));
        QCOMPARE(session->waitForTrayItem(trayHost ? 5000 : 0), trayHost);
        QCOMPARE(program->log().contains(QStringLiteral("no system tray on this desktop")), !trayHost);
        // Wayland lets no program hear the others: the program says so rather than record nothing.
        QVERIFY(program->log().contains(QStringLiteral("input: no global key and mouse events (Wayland)")));
    }

    // A hidden window comes back by the tray host's click (Activate, which Qt calls Trigger) or by starting
    // the program again; the second start leaves with 1.
    void hiddenWindowComesBack_data()
    {
        QTest::addColumn<bool>("bySecondStart");
        QTest::newRow("tray click") << false;
        QTest::newRow("second start") << true;
    }
    void hiddenWindowComesBack()
    {
        QFETCH(bool, bySecondStart);
        QVERIFY(session->setTrayHost(true));
        auto program = startHiddenWithMouse();
        QVERIFY2(program, qPrintable(daemon->log()));
        QVERIFY2(session->waitForWindow(kConfiguratorTitle, kAppId, false, 0),
                 qPrintable(session->sceneGraph()));
        if (bySecondStart) {
            auto second = startConfigurator();
            QVERIFY(second->process.waitForFinished(10000));
            QVERIFY2(second->process.exitCode() == 1, qPrintable(second->log()));
            QVERIFY2(second->log().contains(QStringLiteral("already running; its window is shown")),
                     qPrintable(second->log()));
        } else {
            QVERIFY(session->activateTrayItem());
        }
        QVERIFY2(session->waitForWindow(kConfiguratorTitle, kAppId, true, 5000),
                 qPrintable(session->sceneGraph() + program->log()));
        QCOMPARE(program->process.state(), QProcess::Running);
    }

    // Pressed on an empty spot and dragged, the window follows: the compositor moves it, asked at the start
    // of the drag, since it ignores a window placing itself.
    void dragMovesTheWindow()
    {
        QVERIFY(session->setTrayHost(true));
        startDaemon();
        auto program = startConfigurator();
        QVERIFY2(program->waitFor(QStringLiteral("j2-startup: frame shown"), 15000) >= 0,
                 qPrintable(program->log()));
        const std::optional<QPoint> start = session->windowPosition(kConfiguratorTitle);
        QVERIFY2(start, qPrintable(session->sceneGraph()));
        const QPoint press = *start + QPoint(300, 12); // the title strip, free of controls
        const auto moveTo = [&](const QPoint& point) {
            session->xdotool(
                {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())});
        };
        session->hover(press);
        session->xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        // The first motion asks the compositor to take over; the rest of the drag is its own.
        moveTo(press + QPoint(10, 6));
        QVERIFY2(program->waitFor(QStringLiteral("window: the system moves the window"), 5000) >= 0,
                 qPrintable(program->log()));
        for (int step = 2; step <= 10; ++step) {
            moveTo(press + QPoint(10 * step, 6 * step));
            QTest::qWait(20);
        }
        session->xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        QTRY_COMPARE_WITH_TIMEOUT(session->windowPosition(kConfiguratorTitle),
                                  std::optional(*start + QPoint(100, 60)), 3000);
    }

    // The scene's close button hides the window into the tray; without a tray it only minimises, and the
    // program says why. Either way a second start brings it back.
    void closeButton_data() { withAndWithoutTrayHost(); }
    void closeButton()
    {
        QFETCH(bool, trayHost);
        QVERIFY(session->setTrayHost(trayHost));
        startDaemon();
        auto program = startConfigurator();
        QVERIFY2(program->waitFor(QStringLiteral("j2-startup: frame shown"), 15000) >= 0,
                 qPrintable(program->log()));
        const std::optional<QPoint> start = session->windowPosition(kConfiguratorTitle);
        QVERIFY2(start, qPrintable(session->sceneGraph()));
        const QPoint close = *start + QPoint(982, 12);
        session->hover(close);
        session->xdotool({QStringLiteral("click"), QStringLiteral("1")});
        QVERIFY2(session->waitForWindow(kConfiguratorTitle, kAppId, false, 5000), qPrintable(program->log()));
        QVERIFY2((program->waitFor(QStringLiteral("minimised instead of hidden"), 500) >= 0) == !trayHost,
                 qPrintable(program->log()));
        QCOMPARE(program->process.state(), QProcess::Running);

        auto second = startConfigurator();
        QVERIFY(second->process.waitForFinished(10000));
        QVERIFY2(second->process.exitCode() == 1, qPrintable(second->log()));
        QVERIFY2(session->waitForWindow(kConfiguratorTitle, kAppId, true, 5000), qPrintable(program->log()));
    }
};

int main(int argc, char* argv[])
{
    const QString missing = WaylandSession::missingTool();
    if (!missing.isEmpty()) {
        std::printf(
            "SKIP: %s is not installed; the Wayland tests need weston, weston-debug and dbus-daemon\n",
            qPrintable(missing));
        return 77;
    }
    QCoreApplication app(argc, argv);
    TestWaylandSession test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_wayland_session.moc"
