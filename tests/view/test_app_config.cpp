#include "app_config.h"
#include "settings_io.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAppConfig : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString live() const { return dir.filePath(QStringLiteral("apConfig.bin")); }
    QString factory() const { return dir.filePath(QStringLiteral("apConfigD.bin")); }
    static void writeFile(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    static QString readKey(const QString& path, const QString& key)
    {
        return QSettings(path, QSettings::IniFormat).value(key).toString();
    }

private slots:
    void init()
    {
        QFile::remove(live());
        QFile::remove(factory());
    }

    void shorterListLeavesOldEntries()
    {
        AppConfig config(live(), factory());
        config.saveApConfig({"1", "2", "3", "4", "5"});
        config.saveApConfig({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        QCOMPARE(readKey(live(), QStringLiteral("common/total")), QStringLiteral("3"));
        QCOMPARE(readKey(live(), QStringLiteral("common/3")), QStringLiteral("4"));
        QCOMPARE(readKey(live(), QStringLiteral("common/4")), QStringLiteral("5"));
        const QStringList loaded = config.loadApConfig();
        QCOMPARE(loaded.size(), 3);
        QCOMPARE(loaded.at(2), QStringLiteral("c"));
    }

    void missingTotalGivesEmptyList()
    {
        writeFile(live(), "[common]\n0=zero\n1=one\n");
        AppConfig config(live(), factory());
        QVERIFY(config.loadApConfig().isEmpty());
    }

    void profileNumberWrittenThrough()
    {
        AppConfig config(live(), factory());
        config.setProfileNumber(4);
        QCOMPARE(config.profileNumber(), 4);
        // Written through: another reader sees it at once.
        QCOMPARE(readKey(live(), QStringLiteral("J2/profileNo")), QStringLiteral("4"));
    }

    void emptyFileDefaults()
    {
        writeFile(live(), "");
        AppConfig config(live(), factory());
        QCOMPARE(config.colorMaxStage(), 8);
        QVERIFY(!config.language());
        QCOMPARE(config.profileNumber(), 0);
        QCOMPARE(config.secrecyCode(0), QStringLiteral("260417"));
        QCOMPARE(config.secrecyCode(1), QStringLiteral("260417"));
        QVERIFY(config.productNames().isEmpty());
    }

    // A configuration that cannot be read (or lacks its title) must not start an untitled window in
    // another language: the factory configuration fills in, and the user is told once.
    void damagedFileFallsBackToTheFactoryCopy_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("garbage") << QByteArray("\xff\xfe[\x01 =\x80\n[[\x00") << true;
        QTest::newRow("title and language emptied") << QByteArray("[common]\nname=\nlanguage= \n") << false;
    }
    void damagedFileFallsBackToTheFactoryCopy()
    {
        QFETCH(QByteArray, damaged);
        QFETCH(bool, replaced);
        QStringList notices;
        setWriteFailureNotice([&notices](const QString& text) { notices.append(text); });
        writeFile(factory(), "[common]\nlanguage=English\nname=J2 Title\nproduct_name=Keyboard, Mouse\n");
        writeFile(live(), damaged);
        AppConfig config(live(), factory());
        QCOMPARE(config.windowTitle(), QStringLiteral("J2 Title"));
        QCOMPARE(config.language().value_or(QString()), QStringLiteral("English"));
        QCOMPARE(config.productNames(), (QStringList{QStringLiteral("Keyboard"), QStringLiteral("Mouse")}));
        QCOMPARE(notices.size(), replaced ? 1 : 0);
        setWriteFailureNotice({});
    }

    void storedValues()
    {
        writeFile(live(),
                  "[common]\nlanguage=German\nname=J2 Title\nproduct_name=Keyboard, Mouse\nsCode1=k-ravine\n"
                  "[J2]\ncolorMaxStage=6\n");
        AppConfig config(live(), factory());
        QCOMPARE(config.language().value_or(QString()), QStringLiteral("German"));
        QCOMPARE(config.windowTitle(), QStringLiteral("J2 Title"));
        QCOMPARE(config.productNames(), (QStringList{QStringLiteral("Keyboard"), QStringLiteral("Mouse")}));
        QCOMPARE(config.secrecyCode(1), QStringLiteral("k-ravine"));
        QCOMPARE(config.colorMaxStage(), 6);
    }

    void resetRestoresTheFactoryCopy()
    {
        writeFile(factory(), "[common]\nlanguage=Russian\ntotal=1\n0=x\n[J2]\nprofileNo=2\n");
        QFile::setPermissions(factory(), QFile::ReadOwner);
        AppConfig config(live(), factory());
        config.saveApConfig({"7", "8", "9"});
        config.setProfileNumber(4);
        config.resetApconfig();
        QCOMPARE(config.language().value_or(QString()), QStringLiteral("Russian"));
        QCOMPARE(config.profileNumber(), 2);
        QCOMPARE(config.loadApConfig(), QStringList{QStringLiteral("x")});
        // The live file stays writable even though the factory copy is not.
        config.setProfileNumber(3);
        QCOMPARE(readKey(live(), QStringLiteral("J2/profileNo")), QStringLiteral("3"));
        QFile::setPermissions(factory(), QFile::ReadOwner | QFile::WriteOwner);
    }

    void resetWithoutFactoryCopyReadsDefaults()
    {
        AppConfig config(live(), factory());
        config.setProfileNumber(5);
        config.resetApconfig();
        QVERIFY(!QFile::exists(live()));
        QCOMPARE(config.profileNumber(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAppConfig)
#include "test_app_config.moc"
