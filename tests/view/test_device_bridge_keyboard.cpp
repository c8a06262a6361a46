// The keyboard-family slots of the bridge against the virtual mouse: the command each sends, what lands in
// the device, what the profile file keeps, and what a read answers when the device fails it. The virtual
// mouse answers this family too; it sits on the mouse entry of the device table, the only one with paths.

#include "bridge_fixture.h"
#include "qml_values.h"

#include <QTest>

using namespace bridge_fixture;
using j2::vm::DeviceState;

namespace {

struct WriteRow
{
    const char* name;
    std::function<void(DeviceState&)> prepare;
    std::function<void(DeviceBridge&)> call;
    QByteArray report; // bytes 1..7 in hex; empty: nothing may be sent
    std::function<bool(const DeviceState&)> landed;
    QString key{}; // profile record, or empty
    QList<int> record{};
};

struct ReadRow
{
    const char* name;
    std::function<void(DeviceState&)> prepare;
    std::function<QVariant(DeviceBridge&)> call;
    QVariant answer;
    QVariant failed;
};

QList<int> counting(int count, int start)
{
    QList<int> values;
    for (int i = 0; i < count; ++i)
        values.append((start + i) & 0xFF);
    return values;
}

template <typename Bytes> bool holds(const Bytes& bytes, const QList<int>& values)
{
    return ints(bytes).mid(0, values.size()) == values;
}

const QList<int> kPicture = counting(512, 7);
const QList<int> kOnOff = counting(21, 1);

const std::vector<WriteRow>& writeRows()
{
    static const std::vector<WriteRow> rows = {
        {"01H keyboard option",
         {},
         [](DeviceBridge& b) { b.setKeyboardOption(0x08, 0x21); },
         "010821",
         [](const DeviceState& s) {
             return holds(s.keyboardOption, {0x08, 0x21});
         }},
        {"04H gun data",
         {},
         [](DeviceBridge& b) { b.setGunData(1, 2, 3, 4, 5); },
         "040102030405",
         [](const DeviceState& s) {
             return holds(s.gunData, {1, 2, 3, 4, 5});
         }},
        {"07H indicator light",
         {},
         [](DeviceBridge& b) { b.setIndicatorLight(2, 9); },
         "070209",
         [](const DeviceState& s) { return s.ledInstruction.count(2) && s.ledInstruction.at(2)[0] == 9; }},
        {"08H LED type",
         {},
         [](DeviceBridge& b) { b.setLedType(1, 2, 3, 4, 5, 6); },
         "08010203040506",
         [](const DeviceState& s) {
             return holds(s.ledType, {1, 2, 3, 4, 5, 6});
         },
         "color/ledType",
         {2, 3, 4, 5, 6}},
        {"09H keyboard mode",
         {},
         [](DeviceBridge& b) { b.setKeyboardMode(2); },
         "0902",
         [](const DeviceState& s) { return s.keyboardMode == 2; }},
        {"0EH key on/off, extra elements ignored",
         {},
         [](DeviceBridge& b) {
             b.setKeysEnabled(qml_values::lowBytes(variants(kOnOff + QList<int>{99, 98})));
         },
         "0E000015",
         [](const DeviceState& s) { return ints(s.keyOnOff) == kOnOff; }},
        {"0EH key on/off, short list",
         {},
         [](DeviceBridge& b) {
             b.setKeysEnabled(qml_values::lowBytes(variants({0x1F1, 2})));
         },
         "0E000015",
         [](const DeviceState& s) {
             return ints(s.keyOnOff) == QList<int>{0xF1, 2} + QList<int>(19, 0);
         }},
        {"12H user picture",
         {},
         [](DeviceBridge& b) { b.setUserPicture(2, 1, kPicture); },
         "1200020801",
         [](const DeviceState& s) { return ints(s.userPictures[2]) == kPicture; },
         "userPicture/2",
         kPicture},
        {"12H user picture, recorded only",
         {},
         [](DeviceBridge& b) { b.setUserPicture(3, 0xFF, kPicture); },
         "",
         [](const DeviceState& s) { return ints(s.userPictures[3]) == QList<int>(512, 0); },
         "userPicture/3",
         kPicture},
        {"13H recovery",
         [](DeviceState& s) {
             s.colors[3] = {9, 9, 9};
         },
         [](DeviceBridge& b) { b.restoreFactoryData(); }, "13FF",
         [](const DeviceState& s) { return s.colors[3] == DeviceState::factory().colors[3]; }},
        {"14H colour",
         {},
         [](DeviceBridge& b) { b.setColour(3, 10, 20, 30); },
         "1400030A141E",
         [](const DeviceState& s) {
             return holds(s.colors[3], {10, 20, 30});
         },
         "color/3",
         {10, 20, 30}},
    };
    return rows;
}

const std::vector<ReadRow>& readRows()
{
    static const auto matrix = pattern<512>(1);
    static const auto onOff = pattern<21>(3);
    static const std::vector<ReadRow> rows = {
        {"80H firmware version",
         [](DeviceState& s) {
             s.firmwareVersion = {0x02, 0x0B};
         },
         [](DeviceBridge& b) { return QVariant(b.firmwareVersion()); }, "2.0B", "unknown"},
        {"81H keyboard option",
         [](DeviceState& s) {
             s.keyboardOption = {0x08, 0x33};
         },
         [](DeviceBridge& b) { return QVariant(variants(ints(b.keyboardOption()))); }, variants({8, 0x33}),
         variants({0, 0})},
        {"82H current profile", [](DeviceState& s) { s.currentProfile = 2; },
         [](DeviceBridge& b) { return QVariant(b.deviceProfile()); }, 2, 0},
        {"84H button sensitivity", [](DeviceState&) {},
         [](DeviceBridge& b) { return QVariant(variants(ints(b.buttonSensitivity()))); },
         variants({5, 6, 7, 8}), variants({0, 0, 0, 0})},
        {"89H keyboard mode", [](DeviceState& s) { s.keyboardMode = 3; },
         [](DeviceBridge& b) { return QVariant(b.keyboardMode()); }, 3, 0},
        {"8DH key matrix", [](DeviceState& s) { s.keyboardKeyMatrix = matrix; },
         [](DeviceBridge& b) { return QVariant(variants(ints(b.keyboardKeyMatrix()))); },
         variants(ints(matrix)), variants(QList<int>(512, 0))},
        {"8EH key on/off", [](DeviceState& s) { s.keyOnOff = onOff; },
         [](DeviceBridge& b) { return QVariant(variants(ints(b.keysEnabled()))); }, variants(ints(onOff)),
         variants(QList<int>(21, 0))},
    };
    return rows;
}

} // namespace

class TestDeviceBridgeKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void writes_data()
    {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < writeRows().size(); ++i)
            QTest::newRow(writeRows()[i].name) << int(i);
    }
    void writes()
    {
        QFETCH(int, row);
        const WriteRow& w = writeRows()[std::size_t(row)];
        BridgeRig rig;
        if (w.prepare) {
            DeviceState state = rig.device.mouse->state();
            w.prepare(state);
            rig.device.mouse->setState(state);
            QVERIFY(!w.landed(state));
        }
        rig.device.mouse->clearWireLog();

        w.call(rig.bridge);

        const auto reports = rig.sentReports();
        QCOMPARE(reports.size(), w.report.isEmpty() ? 0 : 1);
        if (!w.report.isEmpty()) {
            QByteArray expected = QByteArray::fromHex(w.report);
            expected.resize(7, '\0');
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(reports[0].bytes.data()) + 1, 7).toHex(' '),
                     expected.toHex(' '));
        }
        QVERIFY(w.landed(rig.device.mouse->state()));
        QCOMPARE(rig.device.mouse->busyViolations(), 0);
        if (!w.key.isEmpty())
            QCOMPARE(rig.storedInts(w.key), w.record);
    }

    // What the device cannot give back comes from the profile, without an exchange.
    void profileReads()
    {
        BridgeRig rig;
        QVERIFY(rig.bridge.storedLedType().isEmpty());
        QVERIFY(rig.bridge.storedUserPicture(1).isEmpty());
        QVERIFY(rig.bridge.storedColour(6).isEmpty());
        rig.bridge.setLedType(0, 1, 2, 3, 4, 5);
        rig.bridge.setUserPicture(1, 0xFF, kPicture);
        rig.bridge.setColour(6, 7, 8, 9);
        rig.device.hid->waitForPendingWrite();
        rig.device.mouse->clearWireLog();

        QCOMPARE(ints(rig.bridge.storedLedType()), (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(ints(rig.bridge.storedUserPicture(1)), kPicture);
        QCOMPARE(ints(rig.bridge.storedColour(6)), (QList<int>{7, 8, 9}));
        QVERIFY(rig.device.mouse->wireLog().empty());
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
    }

    // With the keyboard entry current the rate belongs to the device: nothing is recorded, and the read asks
    // the device, which the shipped table never reaches (the failed read answers 1), not the profile.
    void keyboardReportRate()
    {
        BridgeRig rig;
        rig.profiles.current().setValue(QStringLiteral("sensor/reportRate_J2"), 4);
        rig.profiles.current().sync();
        rig.device.hid->selectDevice(0);

        rig.bridge.setReportRate(8);
        QCOMPARE(rig.stored(QStringLiteral("sensor/reportRate_J2")).toInt(), 4);
        QCOMPARE(rig.bridge.reportRate(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDeviceBridgeKeyboard)
#include "test_device_bridge_keyboard.moc"
