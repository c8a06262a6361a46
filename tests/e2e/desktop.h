#pragma once

// A private X desktop for whole-program tests: an Xvfb server on a free display with a tray host (trayer),
// torn down with the object; and a copy of an installation tree for the programs a test starts.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

class Desktop
{
public:
    ~Desktop()
    {
        for (QProcess* process : {&trayer, &xvfb}) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished(1000);
        }
    }

    // The tools a desktop needs, or the first one missing.
    static QString missingTool()
    {
        for (const char* tool : {"Xvfb", "trayer", "xdotool"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                return QString::fromLatin1(tool);
        return {};
    }

    bool start()
    {
        // -displayfd 1: the server picks a free display and writes its number to stdout once it listens.
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
        if (!xvfb.waitForStarted(5000))
            return false;
        QByteArray number;
        while (!number.contains('\n')) {
            if (!xvfb.waitForReadyRead(10000))
                return false;
            number += xvfb.readAllStandardOutput();
        }
        display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        trayer.setProcessEnvironment(environment);
        trayer.start(QStringLiteral("trayer"),
                     {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                      QStringLiteral("left"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                      QStringLiteral("--height"), QStringLiteral("32"), QStringLiteral("--SetDockType"),
                      QStringLiteral("true")});
        return trayer.waitForStarted(5000);
    }

    // Runs an X client (xdotool, import) on this desktop and returns its standard output.
    QByteArray run(const QString& program, const QStringList& arguments) const
    {
        QProcess client;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        client.setProcessEnvironment(environment);
        client.start(program, arguments);
        client.waitForFinished(10000);
        return client.readAllStandardOutput();
    }

    // The id of a visible window titled exactly `title`, waiting for it to appear; empty when it does not.
    QString waitForWindow(const QString& title, int timeoutMs = 10000) const
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            const QByteArray id = run(QStringLiteral("xdotool"),
                                      {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')})
                                      .trimmed()
                                      .split('\n')
                                      .value(0);
            if (!id.isEmpty())
                return QString::fromLatin1(id);
            QTest::qWait(100);
        }
        return {};
    }

    QString display;

private:
    QProcess xvfb;
    QProcess trayer;
};

// A process whose merged output we can wait on, line by line.
class Program
{
public:
    explicit Program(const QProcessEnvironment& environment)
    {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000))
                process.kill();
            process.waitForFinished(1000);
        }
    }

    void start(const QString& program, const QStringList& arguments, const QString& workingDirectory = {})
    {
        if (!workingDirectory.isEmpty())
            process.setWorkingDirectory(workingDirectory);
        process.start(program, arguments);
    }

    // Waits until the output holds `text` `count` times; returns the milliseconds it took, or -1.
    qint64 waitFor(const QString& text, int timeoutMs, int count = 1)
    {
        QElapsedTimer timer;
        timer.start();
        while (QString::fromLocal8Bit(output).count(text) < count) {
            if (timer.elapsed() > timeoutMs || process.state() == QProcess::NotRunning)
                return -1;
            process.waitForReadyRead(50);
            output += process.readAll();
        }
        return timer.elapsed();
    }

    QString log()
    {
        output += process.readAll();
        return QString::fromLocal8Bit(output);
    }

    QProcess process;

private:
    QByteArray output;
};

// The j2-virtual-mouse daemon of a test, on a socket of the test's, with its control commands.
class MouseDaemon
{
public:
    // `control` is the program that takes `ctl` commands, when not the daemon itself.
    MouseDaemon(const QString& program, const QString& socket, const QProcessEnvironment& environment,
                const QString& control = {})
        : executable(program), controlProgram(control.isEmpty() ? program : control), socketPath(socket),
          process(environment)
    {}

    // Serves until destroyed; false (with the daemon's output in `log`) when the socket never appeared.
    bool start(const QStringList& extra = {})
    {
        process.start(executable,
                      QStringList{QStringLiteral("serve"), QStringLiteral("--socket"), socketPath} + extra);
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(socketPath) && timer.elapsed() < 5000)
            QTest::qWait(20);
        return QFile::exists(socketPath);
    }

    // `j2-virtual-mouse ctl` with one command and its arguments; the standard output, or a null array when
    // the command failed.
    QByteArray ctlOutput(const QStringList& command) const
    {
        QProcess control;
        control.start(controlProgram,
                      QStringList{QStringLiteral("ctl"), QStringLiteral("--socket"), socketPath} + command);
        if (!control.waitForFinished(5000) || control.exitCode() != 0)
            return {};
        const QByteArray output = control.readAllStandardOutput();
        return output.isNull() ? QByteArray("") : output;
    }
    bool ctl(const QString& command, const QString& argument = {}) const
    {
        return !ctlOutput(argument.isEmpty() ? QStringList{command} : QStringList{command, argument})
                    .isNull();
    }

    QString log() { return process.log(); }

private:
    QString executable;
    QString controlProgram;
    QString socketPath;
    Program process;
};

// A copy of an installation tree, for a test that puts files beside the programs (the updater's data.bin).
inline bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(source, target))
            return false;
    }
    return true;
}

// What the whole-program tests share: a desktop for the test, and per test function a home of its own
// with a private runtime folder (home/run), a data folder (home/data, where the programs keep the user's
// settings), a copy of the installation tree and the virtual mouse daemon's socket in it. Derived tests
// call makeHome() from init() and may start the daemon.
class ProgramTest : public QObject
{
protected:
    explicit ProgramTest(QString distFolder) : dist(std::move(distFolder)) {}

    bool startDesktop()
    {
        desktop = std::make_unique<Desktop>();
        return desktop->start();
    }

    bool makeHome(const QString& socketName)
    {
        daemon.reset();
        home = std::make_unique<QTemporaryDir>();
        if (!home->isValid() || !QDir().mkpath(home->filePath(QStringLiteral("run"))))
            return false;
        QFile::setPermissions(home->filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        installDir = home->filePath(QStringLiteral("install"));
        socketPath = home->filePath(QStringLiteral("run/") + socketName);
        return copyTree(dist, installDir);
    }

    // The configurator's settings root for the test's user.
    QString settingsRoot() const { return home->filePath(QStringLiteral("data/j2-configurator")); }

    // What a program runs with: the test's home, data and runtime folders, X through xcb when the test has an
    // X desktop, and the daemon's socket.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (desktop) {
            environment.insert(QStringLiteral("DISPLAY"), desktop->display);
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        }
        environment.insert(QStringLiteral("HOME"), home->path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home->filePath(QStringLiteral("data")));
        environment.remove(QStringLiteral("J2_SETTINGS_DIR"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home->filePath(QStringLiteral("run")));
        environment.insert(QStringLiteral("J2_VIRTUAL_MOUSE"), socketPath);
        return environment;
    }

    static inline const QString kConfiguratorTitle = QStringLiteral("NORVEK SKARN J2");

    // The DPI button notifies only once the program has switched the mouse's notifications on, which it
    // does right after saying "Detect Mouse"; a person is never that quick, a test is.
    bool waitForNotificationsOn() const
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            const QJsonObject state =
                QJsonDocument::fromJson(daemon->ctlOutput({QStringLiteral("dump")})).object();
            const QByteArray options =
                QByteArray::fromHex(state.value(QStringLiteral("keyboardOption")).toString().toLatin1());
            if (!options.isEmpty() && (options.at(0) & 0x08) != 0)
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    // A person's way through the window: record "ab" from the keyboard in the macro editor and give it to
    // button row 4 with the key menu's "Macro" entry; the program writes it into the mouse's slot for key
    // index 5.
    void recordMacroOnButton4(Program& program)
    {
        const QString window = desktop->waitForWindow(kConfiguratorTitle);
        QVERIFY(!window.isEmpty());
        // Clicks before the start-up lock has revealed the scene go nowhere (slow under the sanitizers).
        QVERIFY2(program.waitFor(QStringLiteral("j2-startup: frame shown"), 20000) >= 0,
                 qPrintable(program.log()));
        const auto click = [&](int x, int y) {
            desktop->run(QStringLiteral("xdotool"),
                         {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
                          QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
            QTest::qWait(300);
        };
        // Window coordinates of the layout: the macro button under the button rows, the editor centred
        // (600 x 430 at 200, 105), the key menu beside row 4, the macro dialog centred (360 x 250 at 320,
        // 195).
        click(139, 316); // "Macro Manager"
        click(256, 487); // "New": Macro_0, selected
        click(704, 183); // "Start Record"
        desktop->run(QStringLiteral("xdotool"),
                     {QStringLiteral("key"), QStringLiteral("a"), QStringLiteral("b")});
        QTest::qWait(300);
        click(704, 183); // "Stop Record"
        click(644, 509); // "OK"
        click(139, 205); // row 4 (key index 5)
        click(317, 479); // "Macro"
        click(420, 274); // the name field
        click(420, 300); // Macro_0
        click(524, 421); // "OK"
    }

    // A random image of `size` bytes (the same for a seed) made into data.bin beside the copied programs by
    // the tool that ships with the updater; empty when the tool failed.
    QByteArray makeFirmware(int size, quint32 seed)
    {
        QByteArray image(size, 0);
        QRandomGenerator generator(seed);
        for (char& byte : image)
            byte = char(generator.bounded(256));
        const QString raw = home->filePath(QStringLiteral("firmware.raw"));
        QFile file(raw);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
            return {};
        file.close();
        QProcess tool;
        tool.start(installDir + QStringLiteral("/update/make-data-bin"),
                   {QStringLiteral("--image"), raw, QStringLiteral("--out"),
                    installDir + QStringLiteral("/data.bin"), QStringLiteral("--key1"), QStringLiteral("a5"),
                    QStringLiteral("--key0"), QStringLiteral("3c")});
        if (!tool.waitForFinished(10000) || tool.exitCode() != 0) {
            std::fprintf(stderr, "make-data-bin: %s\n", tool.readAllStandardError().constData());
            return {};
        }
        return image;
    }

    void startDaemon(const QStringList& extra = {})
    {
        daemon = std::make_unique<MouseDaemon>(dist + QStringLiteral("/j2-virtual-mouse"), socketPath,
                                               environment());
        QVERIFY2(daemon->start(extra), qPrintable(daemon->log()));
    }

    QString dist;
    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<MouseDaemon> daemon;
    QString installDir;
    QString socketPath;
};

// The main function of a desktop test: skipped (exit 77) with the missing tool named, when there is one.
#define J2_DESKTOP_TEST_MAIN(TestClass, what)                                                                \
    int main(int argc, char* argv[])                                                                         \
    {                                                                                                        \
        const QString missing = Desktop::missingTool();                                                      \
        if (!missing.isEmpty()) {                                                                            \
            std::printf("SKIP: %s is not installed; " what " need Xvfb, trayer and xdotool\n",               \
                        qPrintable(missing));                                                                \
            return 77;                                                                                       \
        }                                                                                                    \
        QCoreApplication app(argc, argv);                                                                    \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
