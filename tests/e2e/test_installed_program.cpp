// The configurator as installed on a user's machine: `cmake --install` with prefix /usr into a private
// DESTDIR, started through its launcher as an unprivileged user (when the test runs as root) on its built-in
// virtual mouse. A change made in the window survives a restart, each user keeps their own settings, and
// the installed tree is never written.

#include "desktop.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QString kWindowTitle = QStringLiteral("NORVEK SKARN J2");
const QString kRateKey = QStringLiteral("sensor/reportRate_J2");
// Window coordinates of the polling-rate selector's 125 Hz quadrant and of Save.
const QPoint kRate125(831, 476);
const QPoint kSave(937, 618);

struct User
{
    uint id;
    QString home;
};

// Every file and link of a tree with its permissions and content.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QByteArray entry = QByteArray::number(int(info.permissions()), 16);
        if (info.isSymLink()) {
            entry += " -> " + info.symLinkTarget().toUtf8();
        } else if (info.isFile()) {
            QFile file(info.filePath());
            if (file.open(QIODevice::ReadOnly))
                entry += ' ' + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        }
        entries.insert(info.filePath().mid(root.size()), entry);
    }
    return entries;
}

} // namespace

class TestInstalledProgram : public QObject
{
    Q_OBJECT

    QTemporaryDir scratch;
    QString destdir;
    Desktop desktop;
    bool asRoot = ::geteuid() == 0;

    // A home of the user's own, with a private runtime folder, as a login gives one.
    User makeUser(uint id, const QString& name)
    {
        const QString home = scratch.filePath(name);
        QDir().mkpath(home + QStringLiteral("/run"));
        QFile::setPermissions(home + QStringLiteral("/run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (asRoot)
            QProcess::execute(QStringLiteral("chown"),
                              {QStringLiteral("-R"), QStringLiteral("%1:%1").arg(id), home});
        return {id, home};
    }

    QString rootFile(const User& user) const
    {
        return user.home + QStringLiteral("/.local/share/j2-configurator/modules/setting/p1.bin");
    }

    // The launcher on the PATH, as the menu entry starts it, run as `user`.
    std::unique_ptr<Program> start(const User& user)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {QStringLiteral("XDG_DATA_HOME"), QStringLiteral("XDG_CONFIG_HOME"),
                                    QStringLiteral("J2_SETTINGS_DIR"), QStringLiteral("J2_VIRTUAL_MOUSE")})
            environment.remove(name);
        environment.insert(QStringLiteral("HOME"), user.home);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), user.home + QStringLiteral("/run"));
        environment.insert(QStringLiteral("DISPLAY"), desktop.display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("J2_TRACE_STARTUP"), QStringLiteral("1"));
        auto program = std::make_unique<Program>(environment);
        const QString launcher = destdir + QStringLiteral("/usr/bin/j2-configurator");
        if (asRoot)
            program->start(QStringLiteral("setpriv"),
                           {QStringLiteral("--reuid=%1").arg(user.id),
                            QStringLiteral("--regid=%1").arg(user.id), QStringLiteral("--clear-groups"),
                            launcher, QStringLiteral("--virtual-mouse")},
                           user.home);
        else
            program->start(launcher, {QStringLiteral("--virtual-mouse")}, user.home);
        return program;
    }

    void click(QPoint at)
    {
        const QString window = desktop.waitForWindow(kWindowTitle);
        desktop.run(QStringLiteral("xdotool"),
                    {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
                     QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
        QTest::qWait(300);
    }

    static int storedRate(const QString& file)
    {
        return QSettings(file, QSettings::IniFormat).value(kRateKey).toInt();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        // Another user must be able to reach the installed tree and their home below the scratch folder.
        QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                  QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                                  QFile::ExeGroup);
        destdir = scratch.filePath(QStringLiteral("root"));
        QProcess install;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), destdir);
        install.setProcessEnvironment(environment);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(J2_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(J2_BINARY_DIR), QStringLiteral("--prefix"),
                       QStringLiteral("/usr")});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
        QVERIFY(
            QFileInfo(destdir + QStringLiteral("/usr/lib/j2-configurator/modules/setting/pD.bin")).isFile());
        QVERIFY(QFileInfo(destdir + QStringLiteral("/usr/lib/udev/rules.d/70-j2-mouse.rules")).isFile());
        QVERIFY(QFileInfo(destdir + QStringLiteral("/etc/xdg/autostart/j2-configurator.desktop")).isFile());
        const QSettings entry(destdir + QStringLiteral("/usr/share/applications/j2-configurator.desktop"),
                              QSettings::IniFormat);
        QCOMPARE(entry.value(QStringLiteral("Desktop Entry/Exec")).toString(),
                 QStringLiteral("j2-configurator"));
        QVERIFY(desktop.start());
    }

    void changesSurviveARestartAndStayWithTheirUser()
    {
        const QMap<QString, QByteArray> installed = snapshot(destdir);
        const User first = makeUser(65534, QStringLiteral("first"));
        const User second = makeUser(65533, QStringLiteral("second"));

        auto program = start(first);
        QVERIFY2(program->waitFor(QStringLiteral("j2-startup: frame shown"), 30000) >= 0,
                 qPrintable(program->log()));
        const int factoryRate = storedRate(rootFile(first));
        QVERIFY(factoryRate != 8);
        click(kRate125);
        click(kSave);
        QVERIFY2(QTest::qWaitFor([&] { return storedRate(rootFile(first)) == 8; }, 5000),
                 qPrintable(program->log()));
        program.reset();

        program = start(first);
        QVERIFY2(program->waitFor(QStringLiteral("j2-startup: frame shown"), 30000) >= 0,
                 qPrintable(program->log()));
        QCOMPARE(storedRate(rootFile(first)), 8);
        QVERIFY(!program->log().contains(QStringLiteral("could not be saved")));
        program.reset();

        program = start(second);
        QVERIFY2(program->waitFor(QStringLiteral("j2-startup: frame shown"), 30000) >= 0,
                 qPrintable(program->log()));
        QCOMPARE(storedRate(rootFile(second)), factoryRate);
        program.reset();

        QCOMPARE(snapshot(destdir), installed);
    }
};

J2_DESKTOP_TEST_MAIN(TestInstalledProgram, "installed-program tests")
#include "test_installed_program.moc"
