#include "profile_store.h"
#include "settings_io.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

class ScriptedDialogs : public FileDialogs
{
public:
    QString openAnswer;
    QString saveAnswer;
    QStringList asked; // "open|caption|folder|filter" per dialog shown

    QString getOpenFileName(const QString& caption, const QString& folder, const QString& filter) override
    {
        asked << QStringList{QStringLiteral("open"), caption, folder, filter}.join(QLatin1Char('|'));
        return openAnswer;
    }
    QString getSaveFileName(const QString& caption, const QString& folder, const QString& filter) override
    {
        asked << QStringList{QStringLiteral("save"), caption, folder, filter}.join(QLatin1Char('|'));
        return saveAnswer;
    }
    void warning(const QString&, const QString&) override { asked << QStringLiteral("warning"); }
};

QVariantList ints(std::initializer_list<int> values)
{
    QVariantList list;
    for (const int value : values)
        list.append(value);
    return list;
}

QList<int> asInts(const QVariantList& values)
{
    QList<int> numbers;
    for (const QVariant& value : values)
        numbers.append(value.toInt());
    return numbers;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QString kShippedSettings = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../modules/setting");

} // namespace

class TestProfileStore : public QObject
{
    Q_OBJECT
private:
    // A fresh folder per test: QSettings keeps parsed files by path within the process.
    std::unique_ptr<QTemporaryDir> dir;
    QTemporaryDir scratch;
    int scratchCount = 0;
    int device = 1;
    ScriptedDialogs dialogs;

    QString folder() const { return dir->path(); }
    QString slotPath(int index) const { return folder() + QStringLiteral("/p%1.bin").arg(index + 1); }
    QString factoryPath() const { return folder() + QStringLiteral("/pD.bin"); }
    std::unique_ptr<ProfileStore> makeStore(FileDialogs* answers)
    {
        return std::make_unique<ProfileStore>(folder(), answers, [this] { return device; });
    }
    void writeProfile(const QString& path, const QVariantMap& values)
    {
        QSettings settings(path, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }
    // What the file holds on disk, read through a copy under a path no handle has seen.
    QVariant diskValue(const QString& path, const QString& key)
    {
        const QString copy = scratch.filePath(QString::number(++scratchCount));
        QFile::copy(path, copy);
        return QSettings(copy, QSettings::IniFormat).value(key);
    }
    QList<int> diskDefinition(int index, int button)
    {
        return asInts(diskValue(slotPath(index), QStringLiteral("keydefine_J2/%1").arg(button)).toList());
    }
    void runUpkeep(const std::function<void(ProfileStore&)>& upkeep);

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        device = 1;
        dialogs = ScriptedDialogs();
    }

    // A profile file that is missing or cannot be read starts as the factory profile, and the user is told
    // once, rather than every button "Deactivated" and every stage at the slider's default.
    void damagedProfileTakesTheFactoryProfile_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("garbage") << QByteArray("\x01\xff[\x00\x80 garbage =\n\xfe\xfd[[");
    }
    void damagedProfileTakesTheFactoryProfile()
    {
        QFETCH(QByteArray, damaged);
        QStringList notices;
        setWriteFailureNotice([&notices](const QString& text) { notices.append(text); });
        writeProfile(factoryPath(), {{QStringLiteral("sensor/reportRate_J2"), 4}});
        writeProfile(slotPath(0), {{QStringLiteral("sensor/reportRate_J2"), 8}});
        for (int index : {1, 2}) {
            if (damaged.isNull())
                QFile::remove(slotPath(index));
            else
                writeFile(slotPath(index), damaged);
        }
        auto store = makeStore(nullptr);
        QCOMPARE(store->slot(0).value(QStringLiteral("sensor/reportRate_J2")).toInt(), 8);
        for (int index : {1, 2}) {
            QCOMPARE(store->slot(index).value(QStringLiteral("sensor/reportRate_J2")).toInt(), 4);
            QCOMPARE(readFile(slotPath(index)), readFile(factoryPath()));
        }
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.first().contains(QStringLiteral("p2.bin")));
        setWriteFailureNotice({});
    }

    void singleKeysOfTheCurrentProfile()
    {
        auto store = makeStore(nullptr);
        QCOMPARE(store->getXYSensitive(QStringLiteral("0")), 4);
        QCOMPARE(store->getMacroKey(3), QStringLiteral("0"));
        store->setCurrentProfile(3);
        store->setXYSensitive(QStringLiteral("1"), 7);
        store->setMacroKey(2, QStringLiteral("Macro_1"));
        QCOMPARE(store->getXYSensitive(QStringLiteral("1")), 7);
        QCOMPARE(diskValue(slotPath(3), QStringLiteral("XYSensitive/1")).toInt(), 7);
        QCOMPARE(diskValue(slotPath(3), QStringLiteral("macro/2")).toString(), QStringLiteral("Macro_1"));
        QVERIFY(!diskValue(slotPath(0), QStringLiteral("macro/2")).isValid());
    }

    void getKeydefine_data()
    {
        QTest::addColumn<int>("deviceIndex");
        QTest::addColumn<QVariant>("matrixId");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("mouse family") << 1 << QVariant(3) << QList<int>{1, 0, 244, 0};
        QTest::newRow("id as text") << 1 << QVariant(QStringLiteral("3")) << QList<int>{1, 0, 244, 0};
        QTest::newRow("keyboard family") << 0 << QVariant(3) << QList<int>{5, 6, 7, 8};
        QTest::newRow("other device") << 2 << QVariant(3) << QList<int>{};
        QTest::newRow("absent key") << 1 << QVariant(9) << QList<int>{};
        QTest::newRow("one stored item") << 1 << QVariant(4) << QList<int>{240};
    }
    void getKeydefine()
    {
        QFETCH(int, deviceIndex);
        QFETCH(QVariant, matrixId);
        QFETCH(QList<int>, expected);
        writeProfile(slotPath(0), {{QStringLiteral("keydefine_J2/3"), ints({1, 0, 244, 0})},
                                   {QStringLiteral("keydefine_J2/4"), QStringLiteral("240")},
                                   {QStringLiteral("keydefine/3"), ints({5, 6, 7, 8})}});
        device = deviceIndex;
        QCOMPARE(makeStore(nullptr)->getKeydefine(matrixId.toString()), expected);
    }

    void getGunKeydefine()
    {
        writeProfile(slotPath(0), {{QStringLiteral("keydefine_J22/5"), ints({8, 0, 5, 1})}});
        auto store = makeStore(nullptr);
        QCOMPARE(store->getGunKeydefine(2, QStringLiteral("5")), (QList<int>{8, 0, 5, 1}));
        QVERIFY(store->getGunKeydefine(1, QStringLiteral("5")).isEmpty());
    }

    void copyProfile_data()
    {
        QTest::addColumn<int>("destination");
        QTest::addColumn<int>("source");
        QTest::newRow("0 from 3") << 0 << 3;
        QTest::newRow("3 from 0") << 3 << 0;
    }
    void copyProfile()
    {
        QFETCH(int, destination);
        QFETCH(int, source);
        writeProfile(slotPath(destination), {{QStringLiteral("marker"), QStringLiteral("destination")},
                                             {QStringLiteral("only/destination"), 1}});
        writeProfile(slotPath(source), {{QStringLiteral("marker"), QStringLiteral("source")}});
        auto store = makeStore(nullptr);
        // A value the source's handle has not written out yet is part of the copy.
        store->slot(source).setValue(QStringLiteral("late"), 11);
        store->copyProfile(destination, source);
        QCOMPARE(readFile(slotPath(destination)), readFile(slotPath(source)));
        QCOMPARE(store->slot(destination).value(QStringLiteral("marker")).toString(),
                 QStringLiteral("source"));
        QCOMPARE(store->slot(destination).value(QStringLiteral("late")).toInt(), 11);
        QVERIFY(!store->slot(destination).contains(QStringLiteral("only/destination")));
    }

    void copyOntoItselfOrFromNowhereKeepsTheProfile()
    {
        writeProfile(slotPath(2), {{QStringLiteral("marker"), QStringLiteral("two")}});
        const QByteArray before = readFile(slotPath(2));
        auto store = makeStore(nullptr);
        store->copyProfile(2, 2);
        store->copyProfile(2, ProfileStore::kSlots);
        store->copyProfile(2, -1);
        QCOMPARE(readFile(slotPath(2)), before);
        QCOMPARE(store->slot(2).value(QStringLiteral("marker")).toString(), QStringLiteral("two"));
    }

    void changeMacroFileIndex_data()
    {
        QTest::addColumn<QVariant>("macroIndex");
        QTest::addColumn<int>("button");
        QTest::addColumn<QVariantList>("stored");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("earlier code stays")
            << QVariant(2) << 0 << ints({9, 0, 1, 0}) << QList<int>{9, 0, 1, 0};
        QTest::newRow("deleted macro, right button")
            << QVariant(2) << 1 << ints({9, 1, 2, 0}) << QList<int>{1, 0, 241, 0};
        QTest::newRow("later code moves down")
            << QVariant(2) << 2 << ints({9, 2, 5, 0}) << QList<int>{9, 2, 4, 0};
        QTest::newRow("deleted macro, button 3")
            << QVariant(7) << 3 << ints({9, 0, 7, 0}) << QList<int>{1, 0, 244, 0};
        QTest::newRow("deleted macro, button 4")
            << QVariant(7) << 4 << ints({9, 0, 7, 0}) << QList<int>{1, 0, 243, 0};
        QTest::newRow("deleted macro, button 6")
            << QVariant(QStringLiteral("7")) << 6 << ints({9, 0, 7, 0}) << QList<int>{7, 0, 2, 0};
        QTest::newRow("other kind untouched")
            << QVariant(2) << 1 << ints({1, 0, 2, 0}) << QList<int>{1, 0, 2, 0};
        QTest::newRow("kind as a byte") << QVariant(2) << 0 << ints({265, 0, 5, 0}) << QList<int>{9, 0, 4, 0};
        QTest::newRow("code as a byte")
            << QVariant(2) << 0 << ints({9, 0, 258, 0}) << QList<int>{1, 0, 240, 0};
        QTest::newRow("three items") << QVariant(2) << 2 << ints({9, 1, 5}) << QList<int>{9, 1, 4, 0};
        QTest::newRow("two items, code counts as 0")
            << QVariant(0) << 2 << ints({9, 1}) << QList<int>{1, 0, 242, 0};
        QTest::newRow("button 7 out of reach")
            << QVariant(2) << 7 << ints({9, 0, 2, 0}) << QList<int>{9, 0, 2, 0};
    }
    void changeMacroFileIndex()
    {
        QFETCH(QVariant, macroIndex);
        runUpkeep([macroIndex](ProfileStore& store) { store.changeMacroFileIndex(macroIndex.toUInt()); });
    }

    void changeMacroFileType_data()
    {
        QTest::addColumn<QVariant>("macroIndex");
        QTest::addColumn<QVariant>("macroType");
        QTest::addColumn<int>("button");
        QTest::addColumn<QVariantList>("stored");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("type 1") << QVariant(4) << QVariant(1) << 0 << ints({9, 0, 4, 0})
                                << QList<int>{9, 2, 4, 0};
        QTest::newRow("type 0") << QVariant(4) << QVariant(0) << 0 << ints({9, 2, 4, 0})
                                << QList<int>{9, 0, 4, 0};
        QTest::newRow("type 2") << QVariant(4) << QVariant(2) << 0 << ints({9, 1, 4, 0})
                                << QList<int>{9, 0, 4, 0};
        QTest::newRow("other code rewritten as bytes")
            << QVariant(4) << QVariant(1) << 5 << ints({9, 1, 5, 300}) << QList<int>{9, 1, 5, 44};
        QTest::newRow("short definition")
            << QVariant(4) << QVariant(1) << 6 << ints({9, 0, 4}) << QList<int>{9, 2, 4, 0};
        QTest::newRow("other kind untouched")
            << QVariant(4) << QVariant(1) << 0 << ints({7, 0, 4, 0}) << QList<int>{7, 0, 4, 0};
    }
    void changeMacroFileType()
    {
        QFETCH(QVariant, macroIndex);
        QFETCH(QVariant, macroType);
        runUpkeep(
            [=](ProfileStore& store) { store.changeMacroFileType(macroIndex.toUInt(), macroType.toInt()); });
    }

    void upkeepWalksProfilesZeroToFourButTheCurrent()
    {
        for (int index = 0; index < ProfileStore::kSlots; ++index)
            writeProfile(slotPath(index), {{QStringLiteral("keydefine_J2/0"), ints({9, 0, 4, 0})}});
        auto store = makeStore(nullptr);
        store->setCurrentProfile(2);
        store->changeMacroFileType(4, 1);
        for (int index = 0; index < ProfileStore::kSlots; ++index) {
            const int option = (index < 5 && index != 2) ? 2 : 0;
            QCOMPARE(diskDefinition(index, 0), (QList<int>{9, option, 4, 0}));
        }
    }

    void loadDefaultProfile_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QList<int>>("expected");
        QList<int> buttons;
        for (int button = 0; button < 16; ++button)
            buttons << button << 0 << button + 100 << 0;
        QTest::newRow("key page") << 0 << buttons;
        QTest::newRow("page 1") << 1 << QList<int>{};
        QTest::newRow("lighting") << 2 << QList<int>{1, 2, 3, 3, 4, 3};
        QTest::newRow("performance") << 3 << QList<int>{1, 6, 3, 7, 400, 800, 4, 10, 11, 12, 13};
        QTest::newRow("unknown page") << 255 << QList<int>{};
    }
    void loadDefaultProfile()
    {
        QFETCH(int, page);
        QFETCH(QList<int>, expected);
        QVariantMap factory{{QStringLiteral("keydefine_J2/16"), ints({9, 9, 9, 9})},
                            {QStringLiteral("color_J2/type0"), ints({1, 2, 3})},
                            {QStringLiteral("color_J2/ledEffect"), ints({3, 4, 3})},
                            {QStringLiteral("color_J2/type1"), ints({10, 11})},
                            {QStringLiteral("color_J2/type2"), ints({12, 13})},
                            {QStringLiteral("sensor/dpi_J2"), ints({400, 800})},
                            {QStringLiteral("sensor/reportRate_J2"), 1},
                            {QStringLiteral("sensor/cursorSpeed_J2"), 6},
                            {QStringLiteral("sensor/verticalScrollLines_J2"), 3},
                            {QStringLiteral("sensor/doubleClickSpeed_J2"), 7},
                            {QStringLiteral("sensor/stage_J2"), 4}};
        for (int button = 0; button < 16; ++button)
            factory.insert(QStringLiteral("keydefine_J2/%1").arg(button), ints({button, 0, button + 100, 0}));
        writeProfile(factoryPath(), factory);
        QCOMPARE(makeStore(nullptr)->loadDefaultProfile(uchar(page)), expected);
    }

    void loadDefaultProfileWithoutFactoryValues()
    {
        auto store = makeStore(nullptr);
        QCOMPARE(store->loadDefaultProfile(3), (QList<int>{2, 5, 2, 5, 2}));
        writeFile(factoryPath(), QByteArray());
        QCOMPARE(store->loadDefaultProfile(3), (QList<int>{2, 5, 2, 5, 2}));
        QVERIFY(store->loadDefaultProfile(0).isEmpty());
        QVERIFY(store->loadDefaultProfile(2).isEmpty());
    }

    void shippedFactoryProfile()
    {
        const QByteArray shipped = readFile(kShippedSettings + QStringLiteral("/pD.bin"));
        QVERIFY(!shipped.isEmpty());
        // Every shipped profile starts as the factory profile.
        for (int index = 0; index < ProfileStore::kSlots; ++index)
            QCOMPARE(readFile(kShippedSettings + QStringLiteral("/p%1.bin").arg(index + 1)), shipped);
        QVERIFY(QFile::exists(kShippedSettings + QStringLiteral("/../gun/gunData.bin")));
        writeFile(factoryPath(), shipped);
        writeFile(slotPath(0), shipped);
        auto store = makeStore(nullptr);

        const QList<int> keys = store->loadDefaultProfile(0);
        QCOMPARE(keys.size(), 64);
        QCOMPARE(keys.mid(0, 28), (QList<int>{1,   0, 240, 0, 1,   0, 241, 0, 1, 0, 242, 0, 1, 0,
                                              244, 0, 1,   0, 243, 0, 7,   0, 1, 0, 7,   0, 2, 0}));
        QCOMPARE(keys.mid(56), (QList<int>{4, 0, 1, 0, 4, 0, 2, 0}));
        for (int button = 0; button < 32; ++button)
            QCOMPARE(store->getKeydefine(QString::number(button)).size(), 4);

        const QList<int> performance = store->loadDefaultProfile(3);
        QCOMPARE(performance.size(), 4 + 8 + 1 + 24 + 24);
        QVERIFY(QList<int>({1, 2, 4, 8}).contains(performance[0]));
        QVERIFY(performance[1] >= 0 && performance[1] <= 11);
        QVERIFY((performance[2] >= 1 && performance[2] <= 100) || performance[2] == 1000);
        QVERIFY(performance[3] >= 0 && performance[3] <= 11);
        for (int stage = 0; stage < 7; ++stage) {
            const int dpi = performance[4 + stage];
            QVERIFY2(dpi >= 200 && dpi <= 16400 && dpi % 100 == 0, qPrintable(QString::number(dpi)));
        }
        QCOMPARE(performance[11], 250);
        QVERIFY(performance[12] >= 1 && performance[12] <= 7);
        for (int i = 13; i < performance.size(); ++i)
            QVERIFY(performance[i] >= 0 && performance[i] <= 255);

        const QList<int> lighting = store->loadDefaultProfile(2);
        QCOMPARE(lighting.size(), 24 + 3);
        QVERIFY(lighting[24] >= 1 && lighting[24] <= 4);
        QVERIFY(lighting[25] >= 0 && lighting[25] <= 4);
        for (const QString& axis : {QStringLiteral("0"), QStringLiteral("1")})
            QVERIFY(store->getXYSensitive(axis) >= 0 && store->getXYSensitive(axis) <= 9);
    }

    void import_data()
    {
        QTest::addColumn<bool>("withDialogs");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("marker");
        QTest::newRow("no dialogs") << false << QString() << false << QStringLiteral("before");
        QTest::newRow("cancelled") << true << QString() << false << QStringLiteral("before");
        QTest::newRow("chosen") << true << QStringLiteral("chosen.pf") << true << QStringLiteral("imported");
        QTest::newRow("unreadable") << true << QStringLiteral("missing.pf") << true
                                    << QStringLiteral("before");
    }
    void import()
    {
        QFETCH(bool, withDialogs);
        QFETCH(QString, answer);
        QFETCH(bool, result);
        QFETCH(QString, marker);
        writeProfile(slotPath(4), {{QStringLiteral("marker"), QStringLiteral("before")}});
        writeProfile(dir->filePath(QStringLiteral("chosen.pf")),
                     {{QStringLiteral("marker"), QStringLiteral("imported")}});
        dialogs.openAnswer = answer.isEmpty() ? QString() : dir->filePath(answer);
        auto store = makeStore(withDialogs ? &dialogs : nullptr);
        QCOMPARE(store->loadProfile(4), result);
        QCOMPARE(store->slot(4).value(QStringLiteral("marker")).toString(), marker);
        QCOMPARE(diskValue(slotPath(4), QStringLiteral("marker")).toString(), marker);
        if (withDialogs) {
            const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
            QCOMPARE(dialogs.asked,
                     QStringList{QStringLiteral("open|Open File|%1|Profile(*.pf)").arg(desktop)});
        }
    }

    void exportCopiesTheLatestValues()
    {
        const QString target = dir->filePath(QStringLiteral("out.pf"));
        writeFile(target, "stale");
        writeProfile(slotPath(1), {{QStringLiteral("marker"), QStringLiteral("one")}});
        auto store = makeStore(&dialogs);
        store->saveProfile(1); // cancelled
        QCOMPARE(readFile(target), QByteArray("stale"));
        dialogs.saveAnswer = target;
        // Set on the handle a moment before, without a sync of its own.
        store->slot(1).setValue(QStringLiteral("late"), 12);
        store->saveProfile(1);
        QCOMPARE(readFile(target), readFile(slotPath(1)));
        QCOMPARE(diskValue(target, QStringLiteral("late")).toInt(), 12);
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QCOMPARE(dialogs.asked.last(), QStringLiteral("save|Save File|%1|Profile(*.pf)").arg(desktop));
        QCOMPARE(dialogs.asked.size(), 2);

        // Imported again into another profile, the export is the same profile.
        dialogs.openAnswer = target;
        QVERIFY(store->loadProfile(6));
        QCOMPARE(store->slot(6).value(QStringLiteral("marker")).toString(), QStringLiteral("one"));
        QCOMPARE(readFile(slotPath(6)), readFile(target));
    }

    void resetProfile_data()
    {
        QTest::addColumn<bool>("withFactory");
        QTest::newRow("factory profile") << true;
        QTest::newRow("no factory profile") << false;
    }
    void resetProfile()
    {
        QFETCH(bool, withFactory);
        if (withFactory)
            writeProfile(factoryPath(), {{QStringLiteral("XYSensitive/0"), 6}});
        writeProfile(slotPath(2), {{QStringLiteral("XYSensitive/0"), 9},
                                   {QStringLiteral("macro/1"), QStringLiteral("M")}});
        auto store = makeStore(nullptr);
        store->setCurrentProfile(2);
        store->resetProfile(2);
        QCOMPARE(store->getXYSensitive(QStringLiteral("0")), withFactory ? 6 : 4);
        QCOMPARE(store->getMacroKey(1), QStringLiteral("0"));
        QCOMPARE(readFile(slotPath(2)), withFactory ? readFile(factoryPath()) : QByteArray());
        // The reset profile is the user's again.
        store->setXYSensitive(QStringLiteral("0"), 3);
        QCOMPARE(diskValue(slotPath(2), QStringLiteral("XYSensitive/0")).toInt(), 3);
    }

    void nonAsciiSurvivesTheDisk()
    {
        const QString name = QStringLiteral("Makro_ä€中 Ω");
        const QString axis = QStringLiteral("Größe");
        {
            auto store = makeStore(nullptr);
            store->setMacroKey(1, name);
            store->setXYSensitive(axis, 7);
        }
        QVERIFY(readFile(slotPath(0)).contains(name.toUtf8()));
        // Read through a new handle on a path no handle has seen, so the values come from the bytes on disk.
        const QString copy = scratch.filePath(QStringLiteral("copy"));
        QVERIFY(QDir().mkpath(copy));
        QVERIFY(QFile::copy(slotPath(0), copy + QStringLiteral("/p1.bin")));
        ProfileStore reread(copy);
        QCOMPARE(reread.getMacroKey(1), name);
        QCOMPARE(reread.getXYSensitive(axis), 7);
    }
};

void TestProfileStore::runUpkeep(const std::function<void(ProfileStore&)>& upkeep)
{
    QFETCH(int, button);
    QFETCH(QVariantList, stored);
    QFETCH(QList<int>, expected);
    const QString key = QStringLiteral("keydefine_J2/%1").arg(button);
    for (const int index : {0, 1, 5})
        writeProfile(slotPath(index), {{key, stored}});
    auto store = makeStore(nullptr);
    upkeep(*store);
    QCOMPARE(diskDefinition(1, button), expected);
    // The current profile is the UI's own; profile 5 lies outside the profiles kept in step.
    QCOMPARE(diskDefinition(0, button), asInts(stored));
    QCOMPARE(diskDefinition(5, button), asInts(stored));
}

QTEST_GUILESS_MAIN(TestProfileStore)
#include "test_profile_store.moc"
