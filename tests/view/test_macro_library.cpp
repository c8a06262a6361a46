// The macro library and the name list on temporary folders: files, profile scans, renames, ".mc" import and
// export, and names that try to leave the macro folder.

#include "macro_library.h"
#include "name_list.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

class ScriptedDialogs final : public FileDialogs
{
public:
    QString answer; // empty: cancelled
    QStringList asked;
    QString getOpenFileName(const QString& caption, const QString&, const QString& filter) override
    {
        asked << caption << filter;
        return answer;
    }
    QString getSaveFileName(const QString& caption, const QString&, const QString& filter) override
    {
        asked << caption << filter;
        return answer;
    }
    void warning(const QString&, const QString&) override {}
};

// Every file below `root` with a hash of its bytes: equal snapshots mean nothing was written anywhere.
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

class TestMacroLibrary : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> root;
    int device = 1;
    ScriptedDialogs dialogs;
    std::unique_ptr<ProfileStore> profiles;
    std::unique_ptr<MacroLibrary> library;

    QString path(const QString& relative) const { return root->filePath(relative); }
    QString macroFile(const QString& name) const { return path(QStringLiteral("macro/") + name + ".bin"); }
    QList<int> configOf(const QString& name) const
    {
        const std::optional<MacroConfig> config = library->loadMacroIniConfig(name);
        return config ? QList<int>{config->index, config->repeat} : QList<int>{};
    }
    void assign(int profile, const QString& key, const QString& macro)
    {
        profiles->slot(profile).setValue(QStringLiteral("macro/") + key, macro);
        profiles->slot(profile).sync();
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(root->path()).mkpath(QStringLiteral("macro")));
        device = 1;
        dialogs.answer.clear();
        dialogs.asked.clear();
        profiles = std::make_unique<ProfileStore>(path(QStringLiteral("setting")), nullptr,
                                                  [this] { return device; });
        library = std::make_unique<MacroLibrary>(*profiles, &dialogs, path(QStringLiteral("macro")));
    }

    void nameListRoundTrip_data()
    {
        QTest::addColumn<QVariant>("type");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("readBack");
        QTest::newRow("one name gets the placeholder")
            << QVariant(0) << QStringList{"A"} << QStringList{"A", "loaderkorvid"};
        QTest::newRow("two names") << QVariant(1) << QStringList{"G1", "G2"} << QStringList{"G1", "G2"};
        QTest::newRow("comma and accents")
            << QVariant(2) << QStringList{"a, b", "Ünï3"} << QStringList{"a, b", "Ünï3"};
        QTest::newRow("type as text")
            << QVariant("3") << QStringList{"0", "1", "2"} << QStringList{"0", "1", "2"};
    }
    void nameListRoundTrip()
    {
        QFETCH(QVariant, type);
        QFETCH(QStringList, names);
        QFETCH(QStringList, readBack);
        const NameList list(path(QStringLiteral("setting")));
        QCOMPARE(list.updataNameList(type.toInt(), names), true);
        QCOMPARE(NameList(path(QStringLiteral("setting"))).getNameList(type.toInt()), readBack);
    }

    void nameListEmptyRemovesOnlyItsKey()
    {
        const NameList list(path(QStringLiteral("setting")));
        list.updataNameList(0, {"M1", "M2"});
        list.updataNameList(1, {"G1", "G2"});
        list.updataNameList(1, {});
        QVERIFY(list.getNameList(1).isEmpty());
        QVERIFY(!QSettings(list.fileName(), QSettings::IniFormat).contains(QStringLiteral("gun/gunName")));
        QCOMPARE(list.getNameList(0).size(), 2);
    }

    void nameListUnknownTypeWritesNothing()
    {
        const NameList list(path(QStringLiteral("setting")));
        QCOMPARE(list.updataNameList(7, {"A", "B"}), true);
        QCOMPARE(list.updataNameList(-1, {"A", "B"}), true);
        QVERIFY(!QFile::exists(list.fileName()));
        QVERIFY(list.getNameList(7).isEmpty());
    }

    void missingMacroReadsDefaultsAndCreatesNothing()
    {
        QCOMPARE(library->saveMacroIni("M", {"1,A"}, 1), false);
        library->setMacroIndex("M", 4);
        library->setMacroIniConfig("M", {4, 2});
        QVERIFY(!QFile::exists(macroFile("M")));
        QVERIFY(library->loadMacroIni("M").isEmpty());
        QVERIFY(!library->loadMacroIniConfig("M"));
        QCOMPARE(library->loadMacroType("M"), 0);
        QCOMPARE(library->loadMacroIndex("M"), 0);
        QCOMPARE(library->deleteMacroIni("M"), false);
    }

    void createSaveAndLoad()
    {
        QCOMPARE(library->createMacroIni("M", 3), true);
        QCOMPARE(library->loadMacroIni("M"), QStringList{"1"});
        QCOMPARE(library->loadMacroIndex("M"), 3);
        QCOMPARE(library->loadMacroType("M"), -1);
        QCOMPARE(configOf("M"), (QList<int>{-1, 1}));

        QVERIFY(library->saveMacroIni("M", {"1,A", "0,50", "2,A"}, 7));
        QCOMPARE(library->loadMacroIni("M"), (QStringList{"1,A", "0,50", "2,A", "7"}));
        // A shorter edit leaves no stale lines behind.
        QVERIFY(library->saveMacroIni("M", {"3,MS-L"}, 2));
        QCOMPARE(library->loadMacroIni("M"), (QStringList{"3,MS-L", "2"}));
        QVERIFY(!QSettings(macroFile("M"), QSettings::IniFormat).contains(QStringLiteral("macro/1")));
    }

    void damagedLineCountIsBounded()
    {
        QFile file(macroFile("M"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[config]\ntotal=2000000000\nrepeat=3\n[macro]\n0=\"1,A\"\n");
        file.close();
        const QStringList lines = library->loadMacroIni("M");
        QCOMPARE(lines.size(), 65536);
        QCOMPARE(lines.first(), QStringLiteral("1,A"));
        QCOMPARE(lines.at(1), QStringLiteral("0"));
        QCOMPARE(lines.last(), QStringLiteral("3"));
    }

    void configBelongsToTheDevice()
    {
        library->createMacroIni("M", 0);
        library->setMacroIniConfig("M", {4, 7});
        QCOMPARE(stored(macroFile("M"), QStringLiteral("config/did")), QStringLiteral("1"));
        QCOMPARE(configOf("M"), (QList<int>{4, 7}));
        device = 0;
        QCOMPARE(configOf("M"), (QList<int>{-1, 7}));
    }

    void usageListsEveryShownProfile()
    {
        assign(0, "2", "M");
        assign(3, "2", "M");
        assign(3, "5", "Other");
        assign(7, "1", "M"); // not a shown profile
        QCOMPARE(library->isMacroUse("M"), (QStringList{"Name", "2", "2"}));
        QCOMPARE(library->isMacroUse("Nobody"), QStringList{"Name"});
    }

    void renameFollowsIntoShownProfiles()
    {
        library->createMacroIni("M", 0);
        assign(0, "1", "M");
        assign(5, "4", "M");
        assign(6, "1", "M");
        assign(2, "3", "Other");
        QCOMPARE(library->modifyMacroName("M", "N"), true);
        QVERIFY(!QFile::exists(macroFile("M")) && QFile::exists(macroFile("N")));
        QCOMPARE(stored(profiles->slotFile(0), QStringLiteral("macro/1")), QStringLiteral("N"));
        QCOMPARE(stored(profiles->slotFile(5), QStringLiteral("macro/4")), QStringLiteral("N"));
        QCOMPARE(stored(profiles->slotFile(6), QStringLiteral("macro/1")), QStringLiteral("M"));
        QCOMPARE(stored(profiles->slotFile(2), QStringLiteral("macro/3")), QStringLiteral("Other"));
        QCOMPARE(library->modifyMacroName("Gone", "X"), false);
    }

    void renameOntoAnExistingMacroChangesNothing()
    {
        library->createMacroIni("M", 0);
        library->createMacroIni("N", 1);
        assign(0, "1", "M");
        QCOMPARE(library->modifyMacroName("M", "N"), false);
        QCOMPARE(library->loadMacroIndex("M"), 0);
        QCOMPARE(library->loadMacroIndex("N"), 1);
        QCOMPARE(stored(profiles->slotFile(0), QStringLiteral("macro/1")), QStringLiteral("M"));
    }

    void exportThenImport()
    {
        library->createMacroIni("M", 2);
        library->saveMacroIni("M", {"1,A", "2,A"}, 4);
        dialogs.answer = path(QStringLiteral("out.mc"));
        library->saveMacroIniToFile("M");
        QCOMPARE(dialogs.asked, (QStringList{"Save File", "Macro(*.mc)"}));
        library->saveMacroIni("M", {"0,10"}, 1);
        QCOMPARE(library->loadMacroIniFromFile("M"), dialogs.answer);
        QCOMPARE(library->loadMacroIni("M"), (QStringList{"1,A", "2,A", "4"}));
        QCOMPARE(dialogs.asked.mid(2), (QStringList{"Open File", "Macro(*.mc)"}));
    }

    void failedImportKeepsTheMacro_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("macro");
        QTest::newRow("cancelled") << QString() << "M";
        QTest::newRow("unreadable file") << path(QStringLiteral("absent.mc")) << "M";
        QTest::newRow("no such macro") << path(QStringLiteral("good.mc")) << "Unknown";
    }
    void failedImportKeepsTheMacro()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, macro);
        library->createMacroIni("M", 0);
        library->saveMacroIni("M", {"1,B", "2,B"}, 3);
        QFile::copy(macroFile("M"), path(QStringLiteral("good.mc")));
        const auto before = snapshot(root->path());
        dialogs.answer = chosen;
        QCOMPARE(library->loadMacroIniFromFile(macro), QVariant(QStringLiteral(" ")));
        QCOMPARE(snapshot(root->path()), before);
        QCOMPARE(library->loadMacroIni("M"), (QStringList{"1,B", "2,B", "3"}));
    }

    void unsafeNamesStayInTheFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("operation");
        const QStringList names{"../x", "a/b", "a\\b", "", "..", "tab\tname", "C:evil"};
        const QStringList operations{"create",    "save",      "delete",  "rename from",
                                     "rename to", "move from", "move to", "import"};
        for (const QString& operation : operations) {
            for (const QString& name : names)
                QTest::addRow("%s %s", qPrintable(operation), qPrintable(name)) << name << operation;
        }
        // No file can have this name: creating it must not be reported as done.
        QTest::addRow("create a name too long for a file") << QString(252, QLatin1Char('x')) << "create";
    }
    void unsafeNamesStayInTheFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, operation);
        library->createMacroIni("ok", 0);
        assign(0, "1", "ok");
        // The file a plain concatenation would reach, present so that a slot that used it would succeed.
        const QString bait = macroFile(name);
        if (!operation.endsWith(QLatin1String(" to")) && QFileInfo(bait).fileName().size() <= 255) {
            QVERIFY(QDir().mkpath(QFileInfo(bait).absolutePath()));
            QVERIFY(QFile::copy(macroFile("ok"), bait));
        }
        QFile::copy(macroFile("ok"), path(QStringLiteral("source.mc")));
        dialogs.answer = path(QStringLiteral("source.mc"));
        const auto before = snapshot(root->path());

        bool result = false;
        if (operation == "create")
            result = library->createMacroIni(name, 1);
        else if (operation == "save")
            result = library->saveMacroIni(name, {"1,A"}, 2);
        else if (operation == "delete")
            result = library->deleteMacroIni(name);
        else if (operation == "rename from")
            result = library->modifyMacroName(name, "fresh");
        else if (operation == "rename to")
            result = library->modifyMacroName("ok", name);
        else if (operation == "move from")
            library->renameMacroIniFile(name, "fresh");
        else if (operation == "move to")
            library->renameMacroIniFile("ok", name);
        else
            result = library->loadMacroIniFromFile(name) != QStringLiteral(" ");
        QCOMPARE(result, false);
        QCOMPARE(snapshot(root->path()), before);
    }
};

QTEST_GUILESS_MAIN(TestMacroLibrary)
#include "test_macro_library.moc"
