// The user's settings root and what happens when a write does not reach the disk: seeding from the factory
// files, taking over an earlier version's settings, leftovers of interrupted writes, failed writes reported
// once with the old file whole, and a profile copy that survives being killed at any moment.
//
// Run as root, the test first mounts a small tmpfs in a mount namespace of its own (for the full disk) and
// then becomes nobody, since file permissions do not stop root.

#include "app_config.h"
#include "profile_store.h"
#include "settings_io.h"
#include "settings_root.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Where a full disk can be had: a 64 KiB tmpfs over /mnt, seen by this process only.
QString fullDiskFolder;
QString fullDiskSkipReason = QStringLiteral("a full disk needs root, to mount a small tmpfs");

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A factory tree ("modules/...") with the given files.
void makeTree(const QString& root, const QMap<QString, QByteArray>& files)
{
    for (auto it = files.begin(); it != files.end(); ++it)
        QVERIFY(writeFile(root + QStringLiteral("/modules/") + it.key(), it.value()));
}

const QMap<QString, QByteArray> kFactory = {
    {QStringLiteral("setting/p1.bin"), "[XYSensitive]\n0=4\n"},
    {QStringLiteral("setting/p2.bin"), "[XYSensitive]\n0=5\n"},
    {QStringLiteral("setting/pD.bin"), "[sensor]\nreportRate_J2=1\n"},
    {QStringLiteral("setting/apConfig.bin"), "[common]\nlanguage=English\n"},
    {QStringLiteral("setting/apConfigD.bin"), "[common]\nlanguage=English\n"},
    {QStringLiteral("gun/General.bin"), "[config]\ntotal=0\n"},
    {QStringLiteral("i18n/German.ini"), "[main]\n"},
};

} // namespace

class TestSettingsRoot : public QObject
{
    Q_OBJECT

    QTemporaryDir scratch;
    QStringList notices;

    QString factory() const { return scratch.filePath(QStringLiteral("factory")); }
    QString root() const { return scratch.filePath(QStringLiteral("user")); }
    QString user(const QString& name) const { return root() + QStringLiteral("/modules/") + name; }

private slots:
    void init()
    {
        QVERIFY(scratch.isValid());
        QDir(scratch.path()).removeRecursively();
        QDir().mkpath(scratch.path());
        makeTree(factory(), kFactory);
        // A shipped program folder is not the user's to write.
        QFile::setPermissions(factory() + QStringLiteral("/modules/setting"),
                              QFile::ReadOwner | QFile::ExeOwner);
        notices.clear();
        setWriteFailureNotice([this](const QString& text) { notices.append(text); });
    }
    void cleanup()
    {
        setWriteFailureNotice({});
        QFile::setPermissions(factory() + QStringLiteral("/modules/setting"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void rootFromArgumentsEnvironmentOrDataFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("expected");
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QTest::newRow("user's data folder") << QStringList{} << QString() << data;
        QTest::newRow("variable") << QStringList{} << "/srv/j2"
                                  << "/srv/j2";
        QTest::newRow("relative variable") << QStringList{} << "portable"
                                           << "/start/portable";
        QTest::newRow("option wins") << QStringList{"--settings", "/opt/j2"} << "/srv/j2"
                                     << "/opt/j2";
        QTest::newRow("relative option")
            << QStringList{"--virtual-mouse", "--settings", "here"} << QString() << "/start/here";
        QTest::newRow("option without folder") << QStringList{"--settings"} << QString() << data;
    }
    void rootFromArgumentsEnvironmentOrDataFolder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, variable);
        QFETCH(QString, expected);
        qputenv("J2_SETTINGS_DIR", variable.toLocal8Bit());
        QCOMPARE(chooseSettingsRoot(QStringList{QStringLiteral("configurator")} + arguments,
                                    QStringLiteral("/start")),
                 expected);
        qunsetenv("J2_SETTINGS_DIR");
    }

    void seedsFileByFileOnceAndKeepsTheUsersFiles()
    {
        QVERIFY(prepareSettingsRoot(root(), factory()));
        QCOMPARE(QFileInfo(root()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFile::Permissions());
        QCOMPARE(readFile(user(QStringLiteral("setting/p1.bin"))),
                 kFactory.value(QStringLiteral("setting/p1.bin")));
        QCOMPARE(readFile(user(QStringLiteral("gun/General.bin"))),
                 kFactory.value(QStringLiteral("gun/General.bin")));
        // Factory-only files are read where they ship; the macro folder exists, empty.
        QVERIFY(!QFile::exists(user(QStringLiteral("setting/pD.bin"))));
        QVERIFY(!QFile::exists(user(QStringLiteral("setting/apConfigD.bin"))));
        QVERIFY(!QFile::exists(user(QStringLiteral("i18n/German.ini"))));
        QVERIFY(QDir(user(QStringLiteral("macro"))).exists());

        // The user changes one file and deletes another; a later version ships a new one.
        QVERIFY(writeFile(user(QStringLiteral("setting/p1.bin")), "[XYSensitive]\n0=9\n"));
        QVERIFY(QFile::remove(user(QStringLiteral("gun/General.bin"))));
        QFile::setPermissions(factory() + QStringLiteral("/modules/setting"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        makeTree(factory(), {{QStringLiteral("setting/p3.bin"), "[XYSensitive]\n0=6\n"}});
        QVERIFY(prepareSettingsRoot(root(), factory()));
        QCOMPARE(readFile(user(QStringLiteral("setting/p1.bin"))), QByteArray("[XYSensitive]\n0=9\n"));
        QVERIFY(!QFile::exists(user(QStringLiteral("gun/General.bin"))));
        QCOMPARE(readFile(user(QStringLiteral("setting/p3.bin"))), QByteArray("[XYSensitive]\n0=6\n"));
        QVERIFY(notices.isEmpty());
    }

    void takesOverAWritableProgramFoldersSettingsOnce()
    {
        // An earlier version wrote into the program folder: a changed profile and a recorded macro.
        QFile::setPermissions(factory() + QStringLiteral("/modules/setting"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        makeTree(factory(), {{QStringLiteral("setting/p1.bin"), "[XYSensitive]\n0=7\n"},
                             {QStringLiteral("macro/Macro_0.bin"), "[config]\ntotal=2\n"}});
        QVERIFY(prepareSettingsRoot(root(), factory()));
        QCOMPARE(readFile(user(QStringLiteral("setting/p1.bin"))), QByteArray("[XYSensitive]\n0=7\n"));
        QCOMPARE(readFile(user(QStringLiteral("macro/Macro_0.bin"))), QByteArray("[config]\ntotal=2\n"));
        // Copied, never moved; and only while the user's folder is new.
        QVERIFY(QFile::exists(factory() + QStringLiteral("/modules/macro/Macro_0.bin")));
        QVERIFY(QFile::remove(user(QStringLiteral("macro/Macro_0.bin"))));
        QVERIFY(prepareSettingsRoot(root(), factory()));
        QVERIFY(!QFile::exists(user(QStringLiteral("macro/Macro_0.bin"))));
    }

    void removesWhatInterruptedWritesLeft()
    {
        QVERIFY(prepareSettingsRoot(root(), factory()));
        for (const QString& name :
             {QStringLiteral("setting/p1.bin.part"), QStringLiteral("setting/p2.bin.aB3xYz"),
              QStringLiteral("setting/p1.bin.lock"), QStringLiteral("macro/x.bin.ab.bin")})
            QVERIFY(writeFile(user(name), "x"));
        QVERIFY(prepareSettingsRoot(root(), factory()));
        QCOMPARE(QDir(user(QStringLiteral("setting"))).entryList(QDir::Files),
                 QStringList(
                     {QStringLiteral("apConfig.bin"), QStringLiteral("p1.bin"), QStringLiteral("p2.bin")}));
        // A macro whose own name looks like a leftover is the user's.
        QVERIFY(QFile::exists(user(QStringLiteral("macro/x.bin.ab.bin"))));
    }

    void failedWritesKeepTheOldFileAndSayItOnce_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << "read-only file" << QString::fromLocal8Bit(strerror(EACCES));
        QTest::newRow("unwritable folder") << "unwritable folder" << QString::fromLocal8Bit(strerror(EACCES));
        QTest::newRow("folder in place of the file") << "folder" << QString::fromLocal8Bit(strerror(EISDIR));
        QTest::newRow("full disk") << "full disk" << QString::fromLocal8Bit(strerror(ENOSPC));
    }
    void failedWritesKeepTheOldFileAndSayItOnce()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        // Qt keeps one cache per file name for the whole process: each row has files of its own.
        QString folder = scratch.filePath(QString::fromLatin1(QTest::currentDataTag()));
        if (obstacle == QLatin1String("full disk")) {
            if (fullDiskFolder.isEmpty())
                QSKIP(qPrintable(fullDiskSkipReason));
            folder = fullDiskFolder + QStringLiteral("/settings");
            QDir(folder).removeRecursively();
        }
        const QString p1 = folder + QStringLiteral("/p1.bin");
        const QString p2 = folder + QStringLiteral("/p2.bin");
        QVERIFY(writeFile(p1, "[XYSensitive]\n0=4\n"));
        QVERIFY(writeFile(p2, "[XYSensitive]\n0=5\n"));
        ProfileStore store(folder);
        QCOMPARE(store.getXYSensitive(QStringLiteral("0")), 4);

        if (obstacle == QLatin1String("read-only file")) {
            QVERIFY(QFile::setPermissions(p1, QFile::ReadOwner));
        } else if (obstacle == QLatin1String("unwritable folder")) {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        } else if (obstacle == QLatin1String("folder")) {
            QVERIFY(QFile::remove(p1));
            QVERIFY(QDir().mkdir(p1));
        } else {
            QFile filler(fullDiskFolder + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        const QByteArray before = readFile(p1);

        store.setXYSensitive(QStringLiteral("0"), 9);
        store.setMacroKey(1, QStringLiteral("Macro_1"));
        const QString expected = QStringLiteral("Settings could not be saved: ") +
                                 QDir::toNativeSeparators(p1) + QStringLiteral(": ") + reason;
        QCOMPARE(notices, QStringList{expected});
        QCOMPARE(readFile(p1), before);
        QCOMPARE(readFile(p2), QByteArray("[XYSensitive]\n0=5\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
                 obstacle == QLatin1String("folder") ? 1 : 2);

        // Once the obstacle is gone, the next write brings what waited along with it.
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(p1, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(fullDiskFolder + QStringLiteral("/filler"));
        QDir().rmdir(p1);
        store.setXYSensitive(QStringLiteral("1"), 3);
        const QSettings saved(p1, QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("XYSensitive/0")).toInt(), 9);
        QCOMPARE(saved.value(QStringLiteral("XYSensitive/1")).toInt(), 3);
        QCOMPARE(saved.value(QStringLiteral("macro/1")).toString(), QStringLiteral("Macro_1"));
        QCOMPARE(notices.size(), 1);
    }

    // A copy over a profile, killed at random moments: the profile is always the old file or the new one.
    void aKilledCopyNeverLosesTheProfile()
    {
        const QString target = scratch.filePath(QStringLiteral("p1.bin"));
        const QByteArray first(3000, 'a');
        const QByteArray second(5000, 'b');
        QVERIFY(writeFile(target, first));
        QVERIFY(writeFile(scratch.filePath(QStringLiteral("first.pf")), first));
        QVERIFY(writeFile(scratch.filePath(QStringLiteral("second.pf")), second));
        for (int round = 0; round < 100; ++round) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (int copy = 0;; ++copy)
                    replaceWithCopy(
                        scratch.filePath(copy % 2 ? QStringLiteral("first.pf") : QStringLiteral("second.pf")),
                        target);
            }
            ::usleep(useconds_t(QRandomGenerator::global()->bounded(200, 3000)));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QByteArray now = readFile(target);
            QVERIFY2(now == first || now == second,
                     qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
        }
        removeLeftoverTemporaries(scratch.path());
        QCOMPARE(QDir(scratch.path()).entryList({QStringLiteral("p1.bin*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("p1.bin")});
    }
};

int main(int argc, char* argv[])
{
    if (::geteuid() == 0) {
        // A tmpfs of our own over /mnt, in a mount namespace of our own, then the rights of nobody.
        if (::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
            ::mount("tmpfs", "/mnt", "tmpfs", 0, "size=64k,mode=0755,uid=65534,gid=65534") == 0)
            fullDiskFolder = QStringLiteral("/mnt");
        else
            fullDiskSkipReason = QStringLiteral("no small tmpfs could be mounted here: ") +
                                 QString::fromLocal8Bit(strerror(errno));
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            std::perror("cannot become nobody");
            return 1;
        }
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("j2-configurator"));
    TestSettingsRoot test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings_root.moc"
