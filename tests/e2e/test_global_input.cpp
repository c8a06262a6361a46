// Keys and buttons typed into a real X server (with xdotool, through XTEST) reach the program from the whole
// desktop: first the system's input source on its own, then the configurator's hot key that brings its
// hidden window back.

#include "desktop.h"
#include "recording_sink.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const QString kDist = QStringLiteral(J2_DIST_DIR);
const QString kWindowTitle = QStringLiteral("NORVEK SKARN J2");

} // namespace

class TestGlobalInput : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<Desktop> desktop;

    void xdotool(const QStringList& arguments) { desktop->run(QStringLiteral("xdotool"), arguments); }

    int visibleWindowsTitled(const QString& title) const
    {
        const QByteArray ids =
            desktop->run(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                          QLatin1Char('^') + title + QLatin1Char('$')});
        const QByteArray lines = ids.trimmed();
        return lines.isEmpty() ? 0 : int(lines.split('\n').size());
    }

    bool waitForVisibleWindows(int count, int timeoutMs) const
    {
        QElapsedTimer timer;
        timer.start();
        while (visibleWindowsTitled(kWindowTitle) != count) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QTest::qWait(100);
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        desktop = std::make_unique<Desktop>();
        QVERIFY(desktop->start());
    }

    void desktopKeysAndButtonsReachTheSource_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("expected");

        // Keys by name, except the modifiers: typed by name, xdotool also presses the modifier they stand
        // for (left Shift for right Shift) and releases some twice. By X keycode (the kernel's code + 8)
        // they are exactly one press and one release.
        QTest::newRow("a") << words("key a") << words("+1E -1E");
        QTest::newRow("keypad Enter and Enter") << words("key KP_Enter Return") << words("+1Ce -1Ce +1C -1C");
        QTest::newRow("right Shift (62) and right Ctrl (105)")
            << words("key 62 105") << words("+36e -36e +1De -1De");
        QTest::newRow("Pause and Num Lock (77)") << words("key Pause 77") << words("+45 -45 +45e -45e");
        QTest::newRow("Print Screen, then with left Alt (64)")
            << words("key Print keydown 64 key Print keyup 64")
            << words("+37e -37e +38/alt +54/alt -54/alt -38");
        QTest::newRow("left, right and middle button; not the wheel")
            << words("mousemove 100 150 click 1 click 3 click 2 click 4")
            << words("201@100,150 202@100,150 204@100,150 205@100,150 207@100,150 208@100,150");
    }

    void desktopKeysAndButtonsReachTheSource()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, expected);
        qputenv("DISPLAY", desktop->display.toLocal8Bit());
        RecordingSink sink;
        const std::unique_ptr<j2::platform::InputSource> source = j2::platform::makeSystemInputSource(sink);
        QVERIFY2(source->install(), "XInput 2 raw events on the X server");
        xdotool(typed);
        QTRY_VERIFY_WITH_TIMEOUT(sink.events.size() >= expected.size(), 3000);
        QTest::qWait(100); // and nothing more
        QVERIFY2(sink.events == expected, qPrintable(sink.events.join(QLatin1Char(' '))));
        source->remove();
    }

    // An X server in a Wayland session (Xwayland) hears only what goes to X programs: the source says so.
    void xwaylandIsNamed()
    {
        qputenv("DISPLAY", desktop->display.toLocal8Bit());
        qputenv("XDG_SESSION_TYPE", "wayland");
        const auto restore = qScopeGuard([] { qunsetenv("XDG_SESSION_TYPE"); });
        RecordingSink sink;
        const std::unique_ptr<j2::platform::InputSource> source = j2::platform::makeSystemInputSource(sink);
        QTest::ignoreMessage(QtDebugMsg,
                             "input: X server under Wayland (Xwayland): only keys and buttons going "
                             "to X programs are heard");
        QVERIFY(source->install());
    }

    void hotKeyBringsTheHiddenConfiguratorBack()
    {
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("run")));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString installDir = home.filePath(QStringLiteral("install"));
        QVERIFY(copyTree(kDist, installDir));

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), desktop->display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        environment.remove(QStringLiteral("J2_VIRTUAL_MOUSE"));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(installDir + QStringLiteral("/configurator"), {QStringLiteral("--virtual-mouse")});
        const auto stop = qScopeGuard([&program] {
            program.terminate();
            if (!program.waitForFinished(3000))
                program.kill();
        });
        const auto log = [&program] { return QString::fromLocal8Bit(program.readAll()); };
        QVERIFY2(waitForVisibleWindows(1, 15000), qPrintable(log()));
        const QString window = QString::fromLatin1(
            desktop->run(QStringLiteral("xdotool"), words("search --onlyvisible --name") << kWindowTitle)
                .trimmed());

        // The title bar's close button hides the window, once the scene has revealed its frame.
        QElapsedTimer timer;
        timer.start();
        while (visibleWindowsTitled(kWindowTitle) != 0 && timer.elapsed() < 15000) {
            xdotool(QStringList{QStringLiteral("mousemove"), QStringLiteral("--window"), window} +
                    words("982 12 click 1"));
            QTest::qWait(300);
        }
        QVERIFY2(visibleWindowsTitled(kWindowTitle) == 0, qPrintable(log()));

        xdotool(words("mousemove 600 600 key F12 ctrl+alt+F12"));
        QTest::qWait(500);
        QCOMPARE(visibleWindowsTitled(kWindowTitle), 0);
        xdotool(words("key shift+alt+F12"));
        QVERIFY2(waitForVisibleWindows(1, 3000), qPrintable(log()));
        QCOMPARE(program.state(), QProcess::Running);
    }
};

J2_DESKTOP_TEST_MAIN(TestGlobalInput, "global input tests")

#include "test_global_input.moc"
