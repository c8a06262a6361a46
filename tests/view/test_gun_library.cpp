// The gun library on temporary folders: gun files, the gun parameter file with and without gunData.bin, the
// gun slots of the profiles, and names that try to leave the gun folder.

#include "gun_library.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            files.insert(file.fileName(), QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5));
    }
    return files;
}

QString stored(const QString& file, const QString& key)
{
    return QSettings(file, QSettings::IniFormat).value(key).toString();
}

} // namespace

class TestGunLibrary : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<ProfileStore> profiles;
    std::unique_ptr<GunLibrary> library;

    QString gunFile(const QString& name) const { return root->filePath("gun/" + name + ".bin"); }
    void installGunData()
    {
        QFile file(library->gunDataFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    void set(int profile, const QString& key, const QVariant& value)
    {
        profiles->slot(profile).setValue(key, value);
        profiles->slot(profile).sync();
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(root->path()).mkpath(QStringLiteral("gun")));
        profiles = std::make_unique<ProfileStore>(root->filePath(QStringLiteral("setting")));
        library = std::make_unique<GunLibrary>(*profiles, root->filePath(QStringLiteral("gun")));
    }

    void gunFilesKeepTheirLinesInGroupGun()
    {
        QCOMPARE(library->saveGunIni("G", {"5,3", "6,-2"}, 2), false);
        QVERIFY(!QFile::exists(gunFile("G")));
        QCOMPARE(library->createGunIni("G", 4), true);
        QCOMPARE(library->loadGunIni("G"), QStringList{"1"});
        QCOMPARE(library->loadGunIndex("G"), 4);
        QCOMPARE(library->loadGunType("G"), -1);
        QVERIFY(library->saveGunIni("G", {"5,3", "6,-2"}, 9));
        QCOMPARE(library->loadGunIni("G"), (QStringList{"5,3", "6,-2", "9"}));
        QCOMPARE(stored(gunFile("G"), QStringLiteral("gun/1")), QStringLiteral("6,-2"));
        QVERIFY(library->modifyGunName("G", "H"));
        QCOMPARE(library->loadGunIni("H").size(), 3);
        QVERIFY(library->deleteGunIni("H"));
        QVERIFY(!library->deleteGunIni("H"));
    }

    // The shipped guns, written by hand without quotes, load line by line as the page shows them.
    void factoryGunsLoadWhole_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"General", "Three fire", "Two fire"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void factoryGunsLoadWhole()
    {
        QFETCH(QString, name);
        const QString shipped = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../modules/gun");
        QVERIFY(QFile::copy(shipped + QLatin1Char('/') + name + QStringLiteral(".bin"), gunFile(name)));
        const QStringList lines = library->loadGunIni(name);
        const int total =
            QSettings(gunFile(name), QSettings::IniFormat).value(QStringLiteral("config/total")).toInt();
        QVERIFY(total > 0);
        QCOMPARE(lines.size(), total + 1);
        static const QRegularExpression actionLine(QStringLiteral("^[0-9]+,[^,]+$"));
        for (const QString& line : lines.mid(0, total))
            QVERIFY2(actionLine.match(line).hasMatch(), qPrintable(line));
    }

    void gunUseScansGroupGun()
    {
        set(1, QStringLiteral("gun/0"), QStringLiteral("G"));
        set(1, QStringLiteral("macro/3"), QStringLiteral("G"));
        QCOMPARE(library->isGunUse("G"), (QStringList{"Name", "0"}));
    }

    void gunDataNeedsItsFile()
    {
        library->saveGundata({"G", {1, 2, 3, 4, 5}});
        library->renameGundata("F", {"G", {1, 2, 3, 4, 5}});
        library->removeGundata("G");
        QVERIFY(!QFile::exists(library->gunDataFile()));
        QVERIFY(library->getGunData("G").isEmpty());
        QVERIFY(library->getGunDataKey().isEmpty());
    }

    void gunDataRecords()
    {
        installGunData();
        library->saveGundata({"G", {1, 2, 3, 4, 5}});
        library->saveGundata({"F", {0, 0, 0, 0, 0}});
        QCOMPARE(library->getGunData("G"), (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(library->getGunDataKey(), (QStringList{"F", "G"}));
        // Same old and new name: the record is replaced by the new values.
        library->renameGundata("G", {"G", {6, 7, 8, 9, 10}});
        QCOMPARE(library->getGunData("G"), (QList<int>{6, 7, 8, 9, 10}));
        library->renameGundata("G", {"H", {1, 1, 1, 1, 1}});
        QCOMPARE(library->getGunDataKey(), (QStringList{"F", "H"}));
        library->removeGundata("F");
        QCOMPARE(library->getGunDataKey(), QStringList{"H"});
    }

    void newProfileHasEmptySelections()
    {
        for (const GunSlot& slot : library->selectedGuns())
            QVERIFY(!slot.gun && !slot.key && !slot.keyType);
    }

    void selectionsOfTheCurrentProfile()
    {
        profiles->setCurrentProfile(4);
        library->setSelectGun({0, 1, 2});
        library->setSelectGunKey({3, -1, 7}, {2, 2, 1});
        const QString file = profiles->slotFile(4);
        QCOMPARE(stored(file, QStringLiteral("selectGun/2")), QStringLiteral("2"));
        QCOMPARE(stored(file, QStringLiteral("selectGunKey/1")), QStringLiteral("-1"));
        QCOMPARE(stored(file, QStringLiteral("selectGunKey/type2")), QStringLiteral("1"));
        const auto gunSlots = library->selectedGuns();
        QCOMPARE(gunSlots[2].key, 7);
        QCOMPARE(gunSlots[0].keyType, 2);
        QVERIFY(!QFile::exists(profiles->slotFile(0)));
    }

    void deletedGunReleasesOtherProfiles()
    {
        profiles->setCurrentProfile(1);
        set(2, QStringLiteral("selectGun/1"), 5);
        set(2, QStringLiteral("selectGunKey/1"), 3);
        set(2, QStringLiteral("selectGun/0"), 4);
        set(1, QStringLiteral("selectGun/0"), 5);
        set(6, QStringLiteral("selectGun/0"), 5);
        library->upDateDeleteGun(5);
        const QString other = profiles->slotFile(2);
        QCOMPARE(stored(other, QStringLiteral("selectGun/1")), QStringLiteral("2"));
        QCOMPARE(stored(other, QStringLiteral("selectGunKey/1")), QStringLiteral("-1"));
        QCOMPARE(stored(other, QStringLiteral("selectGun/0")), QStringLiteral("4"));
        QCOMPARE(stored(profiles->slotFile(1), QStringLiteral("selectGun/0")), QStringLiteral("5"));
        QCOMPARE(stored(profiles->slotFile(6), QStringLiteral("selectGun/0")), QStringLiteral("5"));
    }

    // The list closes up behind a deleted gun: a slot holding a later gun keeps that gun at its new place.
    void laterGunsMoveDownInOtherProfiles()
    {
        profiles->setCurrentProfile(1);
        set(2, QStringLiteral("selectGun/0"), 7);
        set(2, QStringLiteral("selectGunKey/0"), 3);
        set(2, QStringLiteral("selectGun/2"), 4);
        set(1, QStringLiteral("selectGun/0"), 7);
        library->upDateDeleteGun(5);
        const QString other = profiles->slotFile(2);
        QCOMPARE(stored(other, QStringLiteral("selectGun/0")), QStringLiteral("6"));
        QCOMPARE(stored(other, QStringLiteral("selectGunKey/0")), QStringLiteral("3"));
        QCOMPARE(stored(other, QStringLiteral("selectGun/2")), QStringLiteral("4"));
        QVERIFY(!QSettings(other, QSettings::IniFormat).contains(QStringLiteral("selectGun/1")));
        QCOMPARE(stored(profiles->slotFile(1), QStringLiteral("selectGun/0")), QStringLiteral("7"));
    }

    void absentSelectionsCountAsGunZero()
    {
        profiles->setCurrentProfile(0);
        library->upDateDeleteGun(0);
        const QString file = profiles->slotFile(3);
        for (const QString slot : {"0", "1", "2"}) {
            QCOMPARE(stored(file, "selectGun/" + slot), QStringLiteral("2"));
            QCOMPARE(stored(file, "selectGunKey/" + slot), QStringLiteral("-1"));
        }
        QVERIFY(
            !QSettings(profiles->slotFile(0), QSettings::IniFormat).contains(QStringLiteral("selectGun/0")));
    }

    void unsafeNamesStayInTheFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("operation");
        const QStringList names{"../x", "a/b", "a\\b", "", "..", "tab\tname", "C:evil"};
        for (const QString operation : {"create", "save", "delete", "rename from", "rename to"}) {
            for (const QString& name : names)
                QTest::addRow("%s %s", qPrintable(operation), qPrintable(name)) << name << operation;
        }
    }
    void unsafeNamesStayInTheFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, operation);
        library->createGunIni("ok", 0);
        const QString bait = gunFile(name);
        if (operation != "rename to") {
            QVERIFY(QDir().mkpath(QFileInfo(bait).absolutePath()));
            QVERIFY(QFile::copy(gunFile("ok"), bait));
        }
        const auto before = snapshot(root->path());
        bool result = false;
        if (operation == "create")
            result = library->createGunIni(name, 1);
        else if (operation == "save")
            result = library->saveGunIni(name, {"1,A"}, 2);
        else if (operation == "delete")
            result = library->deleteGunIni(name);
        else if (operation == "rename from")
            result = library->modifyGunName(name, "fresh");
        else
            result = library->modifyGunName("ok", name);
        QCOMPARE(result, false);
        QCOMPARE(snapshot(root->path()), before);
    }
};

QTEST_GUILESS_MAIN(TestGunLibrary)
#include "test_gun_library.moc"
