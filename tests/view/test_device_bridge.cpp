// The mouse-family settings of the bridge against the virtual mouse: the bytes each setting puts into the
// device's profile blocks and nothing else, which blocks go out, what the profile file keeps, and the slots
// that must leave the device alone.

#include "bridge_fixture.h"
#include "qml_values.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace bridge_fixture;
using j2::vm::DeviceState;
namespace pb = profile_block;

namespace {

using Patches = QList<QPair<int, int>>; // offset, byte

ProfileBlock deviceBlock(int profileNo)
{
    return pattern<pb::kLength>(profileNo);
}

ProfileBlock patched(int profileNo, const Patches& patches)
{
    ProfileBlock bytes = deviceBlock(profileNo);
    for (const auto& [offset, value] : patches)
        bytes[std::size_t(offset)] = uchar(value);
    return bytes;
}

// Seeds every device block with its pattern and lets the bridge read all eight, as the main page does.
void loadImage(BridgeRig& rig)
{
    DeviceState state = rig.device.mouse->state();
    for (int n = 0; n < pb::kCount; ++n)
        state.profiles[std::size_t(n)] = deviceBlock(n);
    rig.device.mouse->setState(state);
    for (uint n = 0; n < uint(pb::kCount); ++n)
        rig.bridge.readProfileBlock(n);
    rig.device.mouse->clearWireLog();
}

QList<int> onDevice(BridgeRig& rig, int profileNo)
{
    rig.device.hid->waitForPendingWrite();
    return ints(rig.device.mouse->state().profiles[std::size_t(profileNo)]);
}

const QList<int> kPageBlocks{0, 1, 2, 3, 4};
const QList<int> kDpiValues{800, 1600, 3200, 6400, 200, 10800, 12000, 250};

// A setting that lives in the profile blocks: what the page calls, the blocks that must go out (in order),
// the bytes they must carry over what was read (offsets as the device defines them), and what reading the
// setting back from the profile gives.
struct BlockRow
{
    const char* name;
    std::function<void(DeviceBridge&)> set;
    QList<int> blocks;
    Patches patches;
    std::function<QList<int>(DeviceBridge&)> readBack;
    QList<int> stored{};
    bool wholeImage = false; // the patches reach blocks 5-7 of the image too, without a write
    // What the page reads back when it differs from what was stored: a value its control cannot show is
    // replaced (by the default here, as the test has no factory profile).
    QList<int> shown{};
};

BlockRow showing(BlockRow row, const QList<int>& shown)
{
    row.shown = shown;
    return row;
}

// Stage `stage` gets `code`, the other stages code 7 (800 DPI).
BlockRow dpiRow(const char* name, int stage, int code, int stored, bool halved)
{
    QList<int> codes(8, 7);
    codes[stage] = code;
    Patches patches{{83, halved ? 1 << stage : 0}};
    for (int i = 0; i < 8; ++i)
        patches << QPair(84 + i, i == stage ? stored : 7) << QPair(92 + i, i == stage ? stored : 7);
    return {name,
            [codes](DeviceBridge& b) { b.setDpiStages(codes, kDpiValues); },
            {0},
            patches,
            [](DeviceBridge& b) { return b.storedDpiValues(); },
            kDpiValues};
}

BlockRow selectRow(const char* name, const QList<int>& flags, int mask)
{
    return {name,          [flags](DeviceBridge& b) { b.setSelectableStages(flags); }, kPageBlocks,
            {{100, mask}}, [](DeviceBridge& b) { return b.selectableStages(); },       flags,
            true};
}

// correction -1: the byte stays as read.
BlockRow angleRow(const char* name, int snap, int step, int correction)
{
    Patches patches{{48, 0x11}, {50, 0x42}, {51, snap != 0 ? 0x80 : 0x00}};
    if (correction >= 0)
        patches.append({49, correction});
    return {name,    [=](DeviceBridge& b) { b.setAngleSnap(uchar(snap), uchar(step)); }, {0},
            patches, [](DeviceBridge& b) { return ints(b.storedAngleSnap()); },          {snap, step}};
}

// The page keeps other values than it sends; the profile must keep the page's.
BlockRow ledRow(const char* name, int effect, int option1, int option2, int effectCopy)
{
    const QList<int> configs{effect, 9, 3};
    return {
        name,
        [=](DeviceBridge& b) { b.setLightEffect(uchar(effect), uchar(option1), uchar(option2), configs); },
        {0},
        {{71, effect}, {72, option1}, {73, option2}, {101, effectCopy}, {102, option1}, {103, option2}},
        [](DeviceBridge& b) { return ints(b.storedLightEffect()); },
        configs};
}

BlockRow colourRow(const char* name, int type, const QList<int>& colours)
{
    Patches patches;
    for (int i = 0; i < 24; ++i)
        patches.append({104 + i, i < colours.size() ? colours[i] & 0xFF : 0});
    return {name,    [=](DeviceBridge& b) { b.setStageColours(uchar(type), colours); },           kPageBlocks,
            patches, [type](DeviceBridge& b) { return ints(b.storedStageColours(uchar(type))); }, colours};
}

const std::vector<BlockRow>& blockRows()
{
    static const std::vector<BlockRow> rows = {
        dpiRow("DPI code 1 (200)", 0, 1, 1, false),
        dpiRow("DPI code 107 (10800)", 1, 107, 107, false),
        dpiRow("DPI code 119, largest whole", 2, 119, 119, false),
        dpiRow("DPI code 120, halved", 3, 120, 60, true),
        dpiRow("DPI code 255, halved", 7, 255, 127, true),
        selectRow("stages, seven of eight", {1, 1, 1, 1, 1, 1, 1, 0}, 0x7F),
        showing(selectRow("stages, short list", {0, 2, 0, -1}, 0x0A), {0, 1, 0, 0, 1, 1, 1, 1}),
        showing(angleRow("angle snap on, step off the table", 1, 5, -1), {1, 4}),
        angleRow("angle snap off, -30", 0, 0, 0xE2),
        showing(angleRow("angle snap on, -10", 2, 1, 0xF6), {1, 1}),
        angleRow("angle snap off, 0", 0, 2, 0x00),
        angleRow("angle snap on, +15", 1, 3, 0x0F),
        angleRow("angle snap on, +30", 1, 4, 0x1E),
        ledRow("LED breath", 2, 3, 0, 0x12),
        ledRow("LED off", 0, 0, 0, 0x10),
        colourRow("stage colours", 1,
                  {9, 8, 7, 6, 5, 4, 3, 2, 1, 10, 20, 30, 40, 50, 60, 70, 80, 90, 11, 22, 33, 44, 55, 66}),
        colourRow("stage colours, short list of wide values", 2, {0x1FF, 0x100, 0x7F}),
        {"XY sensitivity",
         [](DeviceBridge& b) {
             b.setXySensitivity(qml_values::lowByte(QStringLiteral("60")), qml_values::lowByte(0x1A5));
         },
         kPageBlocks,
         {{74, 60}, {75, 0xA5}},
         {}},
    };
    return rows;
}

struct ReadRow
{
    const char* name;
    std::function<void(DeviceState&)> prepare;
    std::function<QVariant(DeviceBridge&)> call;
    QVariant answer;
    QVariant failed; // when the device gives no reply, or no bulk data after its reply
    bool bulk = false;
};

const std::vector<ReadRow>& readRows()
{
    static const auto keys = pattern<128>(9);
    static const std::vector<ReadRow> rows = {
        {"key matrix", [](DeviceState& s) { s.keyMatrix[1] = keys; },
         [](DeviceBridge& b) { return QVariant(variants(ints(b.deviceKeyTable()))); },
         variants(QList<int>(keys.begin(), keys.begin() + 64)), variants(QList<int>(64, 0)), true},
        {"DPI stage count", [](DeviceState& s) { s.dpiMaxStage = 6; },
         [](DeviceBridge& b) { return QVariant(int(b.deviceStageCount())); }, 6, 8, true},
        {"sensor type", [](DeviceState& s) { s.functionOption[0] = 3; },
         [](DeviceBridge& b) { return QVariant(b.sensorType()); }, 3, 0},
        {"logo LED works", [](DeviceState&) {},
         [](DeviceBridge& b) { return QVariant(b.isLogoLedWorking()); }, true, false},
        {"logo LED off",
         [](DeviceState& s) {
             s.ledInstruction[0] = {1, 0, 0};
         },
         [](DeviceBridge& b) { return QVariant(b.isLogoLedWorking()); }, false, false},
        {"DPI stage", [](DeviceState& s) { s.currentDpiStage = 3; },
         [](DeviceBridge& b) { return QVariant(b.dpiStage()); }, 3, 0},
    };
    return rows;
}

} // namespace

class TestDeviceBridge : public QObject
{
    Q_OBJECT
private slots:
    void blockSettings_data()
    {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < blockRows().size(); ++i)
            QTest::newRow(blockRows()[i].name) << int(i);
    }
    void blockSettings()
    {
        QFETCH(int, row);
        const BlockRow& r = blockRows()[std::size_t(row)];
        BridgeRig rig;
        loadImage(rig);

        r.set(rig.bridge);

        QCOMPARE(rig.writtenBlocks(), r.blocks);
        for (int n = 0; n < pb::kCount; ++n) // bytes no setting owns go back as they were read
            QCOMPARE(onDevice(rig, n), ints(patched(n, r.blocks.contains(n) ? r.patches : Patches{})));
        for (int n = pb::kPageBlocks; n < pb::kCount; ++n)
            QCOMPARE(ints(rig.bridge.profileBlock(n)),
                     ints(patched(n, r.wholeImage ? r.patches : Patches{})));
        QCOMPARE(rig.device.mouse->busyViolations(), 0);
        // The profile keeps the page's values, and every block as it went out.
        if (r.readBack)
            QCOMPARE(r.readBack(rig.bridge), r.shown.isEmpty() ? r.stored : r.shown);
        for (const int n : r.blocks)
            QCOMPARE(rig.storedInts(QStringLiteral("profileData/%1").arg(n)), onDevice(rig, n));
    }

    // The notice table follows the DPI values the page sends and the ones it reads back from a profile.
    void dpiNoticeValues()
    {
        BridgeRig rig;
        rig.bridge.setDpiStages({}, kDpiValues);
        for (std::size_t i = 0; i < dpiValues.size(); ++i) {
            QCOMPARE(dpiValues[i].load(), unsigned(kDpiValues[qsizetype(i)]));
            dpiValues[i] = 0;
        }
        QCOMPARE(ints(rig.bridge.storedDpiValues()), kDpiValues);
        QCOMPARE(dpiValues[5].load(), 10800u);
    }

    // Each write carries the settings before it: the image is patched in place, never re-read.
    void settingsAccumulate()
    {
        const BlockRow angle = angleRow("", 0, 3, 0x0F);
        const BlockRow led = ledRow("", 3, 4, 5, 0x13);
        BridgeRig rig;
        loadImage(rig);
        angle.set(rig.bridge);
        led.set(rig.bridge);
        QCOMPARE(rig.writtenBlocks(), (QList<int>{0, 0}));
        QCOMPARE(onDevice(rig, 0), ints(patched(0, angle.patches + led.patches)));
    }

    void keyTables_data()
    {
        QTest::addColumn<QVariant>("gunTable"); // invalid: the main key table
        QTest::addColumn<QString>("keyPrefix");
        QTest::addColumn<int>("indexAddOne");
        QTest::addColumn<int>("deviceTable");
        QTest::newRow("main table") << QVariant() << "keydefine_J2/" << 0 << 1;
        QTest::newRow("gun table 1") << QVariant(1) << "keydefine_J21/" << 2 << 2;
        QTest::newRow("gun table 3") << QVariant(QStringLiteral("3")) << "keydefine_J23/" << 4 << 4;
    }
    void keyTables()
    {
        QFETCH(QVariant, gunTable);
        QFETCH(QString, keyPrefix);
        QFETCH(int, indexAddOne);
        QFETCH(int, deviceTable);
        BridgeRig rig;
        QList<int> entries{0x0F, 0x00, 0x05, 0x00, 0x01, 0x0F, 0xF0, 0x00, 0x0F, 0x0F, 0x0F, 0x0F};
        for (int i = int(entries.size()); i < 128; ++i)
            entries.append(i % 4 == 0 ? 1 : i);
        entries[124] = 0x10F; // a type that is 0x0F only once truncated to a byte
        QList<int> sent;
        for (int i = 0; i < 128; ++i)
            sent.append(i % 4 == 0 && (entries[i] & 0xFF) == 0x0F ? 0 : entries[i] & 0xFF);

        if (gunTable.isValid())
            rig.bridge.setGunKeyTable(entries, gunTable.toUInt());
        else
            rig.bridge.setKeyTable(entries);

        const auto reports = rig.sentReports();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(int(reports[0].bytes[2]), indexAddOne);
        QCOMPARE(int(reports[0].bytes[3]), 0x80);
        const auto tables = rig.device.mouse->state().keyMatrix;
        QVERIFY(tables.count(uchar(deviceTable)));
        QCOMPARE(ints(tables.at(uchar(deviceTable))), sent);
        for (int button = 0; button < 32; ++button) // the profile keeps the page's own values
            QCOMPARE(rig.storedInts(keyPrefix + QString::number(button)), entries.mid(button * 4, 4));
    }

    void profileEnable_data()
    {
        QTest::addColumn<int>("marker");
        QTest::addColumn<int>("withheldReads");
        QTest::newRow("enabled") << 0xFF << 0;
        QTest::newRow("zero") << 0x00 << 0;
        QTest::newRow("other") << 0x7F << 0;
        QTest::newRow("zero, first read lost") << 0x00 << 1;
        // The image then holds zeros, not the mouse's block: nothing may be written over it.
        QTest::newRow("zero, block unreadable") << 0x00 << 2;
    }
    void profileEnable()
    {
        QFETCH(int, marker);
        QFETCH(int, withheldReads);
        struct Notices : HidOwner
        {
            QStringList shown;
            void showTrayMessage(const QString&, const QString& text) override { shown.append(text); }
            void hideWindow() override {}
            QString storedSecrecyCode(int) override { return {}; }
        } notices;
        BridgeRig rig;
        rig.device.hid->setOwner(&notices);
        DeviceState state = rig.device.mouse->state();
        state.profiles[0] = patched(0, {{pb::kEnabledMarker, marker}});
        rig.device.mouse->setState(state);
        rig.device.mouse->withholdNextBulk(withheldReads);
        rig.bridge.readProfileBlock(0);
        rig.device.mouse->clearWireLog();

        rig.bridge.markProfilesEnabled();
        rig.bridge.markProfilesEnabled(); // once enabled, nothing more to send
        rig.bridge.writeProfileBlock(0);

        const bool readable = withheldReads < 2;
        const QList<int> enableWrite = marker == 0xFF ? QList<int>{} : QList<int>{0};
        QCOMPARE(rig.writtenBlocks(), readable ? enableWrite + QList<int>{0} : QList<int>{});
        QCOMPARE(onDevice(rig, 0), ints(patched(0, {{pb::kEnabledMarker, readable ? 0xFF : marker}})));
        QCOMPARE(notices.shown.size(), readable ? 0 : 1);
        rig.device.hid->setOwner(nullptr);
    }

    void applicationProfile_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("profile");
        QTest::addColumn<int>("after");
        QTest::newRow("the current one") << 2 << 2 << 2;
        QTest::newRow("another") << 2 << 5 << 5;
        QTest::newRow("back to the first") << 3 << 0 << 0;
        QTest::newRow("below the files") << 2 << -1 << 2;
        QTest::newRow("past the files") << 2 << 10 << 2;
    }
    void applicationProfile()
    {
        QFETCH(int, before);
        QFETCH(int, profile);
        QFETCH(int, after);
        BridgeRig rig;
        rig.bridge.selectProfile(before);
        QVERIFY(QFile::remove(rig.config.fileName()));
        rig.device.mouse->clearWireLog();

        rig.bridge.selectProfile(profile);

        QCOMPARE(rig.profiles.currentProfile(), after);
        QCOMPARE(QFile::exists(rig.config.fileName()), after != before);
        QCOMPARE(AppConfig(rig.config.fileName()).profileNumber(), after != before ? after : 0);
        QVERIFY(rig.device.mouse->wireLog().empty());
    }

    void stageReadOnlyWhileShown()
    {
        bool shown = false;
        BridgeRig rig({[&shown] { return shown; }, {}, {}});
        DeviceState state = rig.device.mouse->state();
        state.currentDpiStage = 3;
        rig.device.mouse->setState(state);
        rig.device.mouse->clearWireLog();

        QCOMPARE(rig.bridge.dpiStage(), 0);
        QVERIFY(rig.device.mouse->wireLog().empty());
        shown = true;
        QCOMPARE(rig.bridge.dpiStage(), 3);
    }

    void mouseReportRateLivesInTheProfile()
    {
        BridgeRig rig;
        rig.device.mouse->clearWireLog();
        QCOMPARE(rig.bridge.reportRate(), 1); // none stored: the page's default, 1000 Hz
        rig.profiles.current().setValue(QStringLiteral("sensor/reportRate_J2"), 4);
        QCOMPARE(rig.bridge.reportRate(), 4);
        QVERIFY(rig.device.mouse->wireLog().empty());

        rig.bridge.setReportRate(8);
        QCOMPARE(rig.stored(QStringLiteral("sensor/reportRate_J2")).toInt(), 8);
        QCOMPARE(rig.sentReports().size(), 1);
        QCOMPARE(int(rig.device.mouse->state().functionOption[1]), 8);
    }

    void stageAndKeyMatrixNumber()
    {
        BridgeRig rig;
        rig.bridge.setDpiStage(3);
        rig.bridge.setDeviceKeyTableNumber(2);
        QCOMPARE(rig.sentReports().size(), 2);
        QCOMPARE(rig.stored(QStringLiteral("sensor/stage_J2")).toInt(), 3);
        QCOMPARE(int(rig.device.mouse->state().currentDpiStage), 3);
        QCOMPARE(int(rig.device.mouse->state().currentProfile), 2);
    }

    // Damaged values are shown within their controls' ranges; what cannot be read is the factory's.
    void damagedValuesAreShownWithinRange()
    {
        BridgeRig rig;
        QSettings factory(rig.folder.filePath(QStringLiteral("pD.bin")), QSettings::IniFormat);
        factory.setValue(QStringLiteral("sensor/dpi_J2"), QStringList{"400", "800", "1600", "2400"});
        factory.setValue(QStringLiteral("sensor/gestrueValue"), 2);
        factory.sync();
        QSettings& profile = rig.profiles.current();
        profile.setValue(QStringLiteral("sensor/dpi_J2"), QStringList{"99999999", "-5", "abc", "1234"});
        profile.setValue(QStringLiteral("sensor/reportRate_J2"), 3);
        profile.setValue(QStringLiteral("sensor/angleSnap"), QStringLiteral("x"));
        QCOMPARE(ints(rig.bridge.storedDpiValues()),
                 (QList<int>{16400, 200, 1600, 1200, 10800, 10800, 10800, 250}));
        QCOMPARE(ints(rig.bridge.storedAngleSnap()), (QList<int>{0, 2}));
        QCOMPARE(rig.bridge.reportRate(), 1);
        QCOMPARE(dpiValues[0].load(), 16400u);
    }

    void emptyProfileReadsDefaults()
    {
        BridgeRig rig;
        rig.device.mouse->clearWireLog();
        // The controls' defaults, since there is no factory profile either.
        QCOMPARE(ints(rig.bridge.storedAngleSnap()), (QList<int>{0, 0}));
        QCOMPARE(ints(rig.bridge.storedDpiValues()),
                 (QList<int>{10800, 10800, 10800, 10800, 10800, 10800, 10800, 250}));
        QCOMPARE(ints(rig.bridge.selectableStages()), QList<int>(8, 1));
        QVERIFY(rig.bridge.storedLightEffect().isEmpty());
        QVERIFY(rig.bridge.storedStageColours(1).isEmpty());
        QVERIFY(rig.device.mouse->wireLog().empty());
    }

    void profileNumbersPastTheImage_data()
    {
        QTest::addColumn<uint>("profileNo");
        QTest::newRow("8") << 8u;
        QTest::newRow("255") << 255u;
        QTest::newRow("largest") << 0xFFFFFFFFu;
    }
    void profileNumbersPastTheImage()
    {
        QFETCH(uint, profileNo);
        BridgeRig rig;
        loadImage(rig);
        QTest::ignoreMessage(QtDebugMsg,
                             QRegularExpression(QStringLiteral("ReadProfile.*%1$").arg(profileNo)));
        QTest::ignoreMessage(QtDebugMsg,
                             QRegularExpression(QStringLiteral("SetProfile.*%1$").arg(profileNo)));

        rig.bridge.readProfileBlock(profileNo);
        rig.bridge.writeProfileBlock(profileNo);

        QVERIFY(rig.device.mouse->wireLog().empty());
        QVERIFY(!rig.stored(QStringLiteral("profileData/%1").arg(profileNo)).isValid());
        QCOMPARE(ints(rig.bridge.profileBlock(0)), ints(deviceBlock(0)));
    }

    void reads_data()
    {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < readRows().size(); ++i)
            QTest::newRow(readRows()[i].name) << int(i);
    }
    void reads()
    {
        QFETCH(int, row);
        const ReadRow& r = readRows()[std::size_t(row)];
        BridgeRig rig;
        DeviceState state = rig.device.mouse->state();
        r.prepare(state);
        rig.device.mouse->setState(state);

        QCOMPARE(r.call(rig.bridge), r.answer);
        rig.device.mouse->dropNextReplies(1);
        QCOMPARE(r.call(rig.bridge), r.failed);
        if (r.bulk) {
            rig.device.mouse->withholdNextBulk(1);
            QCOMPARE(r.call(rig.bridge), r.failed);
        }
    }

    void foolProofingQuestion_data()
    {
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("asked");
        const QStringList full{"0", "1", "2", "3", "Title", "Text"};
        QTest::newRow("OK") << full << true << "Title|Text";
        QTest::newRow("Cancel") << full << false << "Title|Text";
        QTest::newRow("short list") << QStringList{"0", "1", "2", "3", "Title"} << true << "Title|";
    }
    void foolProofingQuestion()
    {
        QFETCH(QStringList, messages);
        QFETCH(bool, ok);
        QFETCH(QString, asked);
        QString shown;
        BridgeRig rig({{},
                       [messages] { return messages; },
                       [&](const QString& title, const QString& text) {
                           shown = title + '|' + text;
                           return ok;
                       }});
        QCOMPARE(rig.bridge.confirmChange(), ok);
        QCOMPARE(shown, asked);
    }
};

QTEST_GUILESS_MAIN(TestDeviceBridge)
#include "test_device_bridge.moc"
