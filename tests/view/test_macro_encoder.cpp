// The macro stream encoders on known examples: the macro and gun pages' encoders, the macro page's length
// count, the text-line encoder on both device families, and the fitting of a long stream into its slot.

#include "key_names.h"
#include "macro_encoder.h"

#include <QTest>

using namespace macro_stream;

namespace {

// Actions in the page's stored form: the type digit, a comma, the info.
QList<PageAction> parseActions(const QStringList& lines)
{
    QList<PageAction> actions;
    for (const QString& line : lines)
        actions.append({line.left(1).toInt(), line.mid(2)});
    return actions;
}

QByteArray bytes(const QList<uchar>& stream)
{
    return QByteArray(reinterpret_cast<const char*>(stream.constData()), stream.size());
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QString down(const QString& key)
{
    return key + kDownTag;
}
QString up(const QString& key)
{
    return key + kUpTag;
}
QString pause(const QString& ms)
{
    return ms + kDelayTag;
}

// `count` alternating press and release lines of A, and the records they encode to.
QStringList keyLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << (i % 2 == 0 ? down("A") : up("A"));
    return lines;
}
QByteArray keyRecords(int count)
{
    QByteArray records;
    for (int i = 0; i < count; ++i)
        records += i % 2 == 0 ? hex("01 04") : hex("81 04");
    return records;
}

} // namespace

class TestMacroEncoder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { rebuildKeyNameMap(); }

    void macroPage_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray pressA50ReleaseA = hex("00 01 05 04 81 04 00 00");
        QTest::newRow("press, 50 ms, release") << QStringList{"1,A", "0,50", "2,A"} << 1 << pressA50ReleaseA;
        QTest::newRow("pauses add up") << QStringList{"1,A", "0,20", "0,30", "2,A"} << 1 << pressA50ReleaseA;
        QTest::newRow("no pause plays one tick")
            << QStringList{"1,A", "2,A"} << 1 << hex("00 01 01 04 81 04 00 00");
        QTest::newRow("repeat 300") << QStringList{"1,A", "2,A"} << 300 << hex("01 2C 01 04 81 04 00 00");
        QTest::newRow("nothing") << QStringList{} << 1 << hex("00 01");
        QTest::newRow("pauses only") << QStringList{"0,50", "0,10"} << 1 << hex("00 01");
        QTest::newRow("a single press") << QStringList{"1,A"} << 7 << hex("00 07");
        QTest::newRow("a single press after pauses") << QStringList{"0,300", "1,A"} << 1 << hex("00 01");
        QTest::newRow("a press and a trailing pause")
            << QStringList{"1,A", "0,50"} << 1 << hex("00 01 01 04 00 00");
        QTest::newRow("leading pauses are left out")
            << QStringList{"0,300", "1,A", "2,A"} << 1 << hex("00 01 01 04 81 04 00 00");
        QTest::newRow("the last record plays one tick")
            << QStringList{"1,A", "2,A", "0,500"} << 1 << hex("00 01 01 04 81 04 00 00");
        QTest::newRow("a pause after a release keeps the release bit")
            << QStringList{"1,A", "2,A", "0,30", "1,B", "2,B"} << 1
            << hex("00 01 01 04 83 04 01 05 81 05 00 00");
        QTest::newRow("mouse buttons")
            << QStringList{"3,MS-L", "0,100", "4,MS-L", "3,MS-R", "4,MS-R", "3,MS-M", "4,MS-M"} << 1
            << hex("00 01 0A F0 81 F0 01 F1 81 F1 01 F2 81 F2 00 00");
        QTest::newRow("an unknown name plays code 0")
            << QStringList{"1,Foo", "2,Foo"} << 1 << hex("00 01 01 00 81 00 00 00");
        QTest::newRow("half a tick after a press rounds up")
            << QStringList{"1,A", "0,15", "2,A"} << 1 << hex("00 01 02 04 81 04 00 00");
        QTest::newRow("half a tick after a release is cut")
            << QStringList{"1,A", "2,A", "0,15", "1,B"} << 1 << hex("00 01 01 04 81 04 01 05 00 00");
        QTest::newRow("less than a tick still plays one")
            << QStringList{"1,A", "0,4", "2,A", "0,4", "1,B"} << 1 << hex("00 01 01 04 81 04 01 05 00 00");
        QTest::newRow("1260 ms fits the delay bits")
            << QStringList{"1,A", "0,1260", "2,A"} << 1 << hex("00 01 7E 04 81 04 00 00");
        QTest::newRow("1270 ms needs an extension")
            << QStringList{"1,A", "0,1270", "2,A"} << 1 << hex("00 01 00 04 00 01 00 3F 81 04 00 00");
        QTest::newRow("2000 ms in 20 ms units")
            << QStringList{"1,A", "0,2000", "2,A"} << 1 << hex("00 01 00 04 00 01 00 64 81 04 00 00");
        QTest::newRow("a long pause after a release") << QStringList{"1,A", "2,A", "0,2000", "1,B"} << 1
                                                      << hex("00 01 01 04 80 04 00 01 00 64 01 05 00 00");
        QTest::newRow("1000 s in 50 ms units")
            << QStringList{"1,A", "0,1000000", "2,A"} << 1 << hex("00 01 00 04 00 02 4E 20 81 04 00 00");
        QTest::newRow("3000 s in 100 ms units")
            << QStringList{"1,A", "0,3000000", "2,A"} << 1 << hex("00 01 00 04 00 03 75 30 81 04 00 00");
        QTest::newRow("just under 6000 s in 100 ms units")
            << QStringList{"1,A", "0,5999990", "2,A"} << 1 << hex("00 01 00 04 00 03 EA 5F 81 04 00 00");
        QTest::newRow("6000 s and more are limited")
            << QStringList{"1,A", "0,7000000", "2,A"} << 1 << hex("00 01 00 04 00 03 FF FF 81 04 00 00");
        QTest::newRow("cursor steps are not the macro page's")
            << QStringList{"1,A", "5,3", "6,4", "2,A"} << 1 << hex("00 01 01 04 81 04 00 00");
    }
    void macroPage()
    {
        QFETCH(QStringList, actions);
        QFETCH(int, repeat);
        QFETCH(QByteArray, expected);
        const QList<PageAction> parsed = parseActions(actions);
        QCOMPARE(bytes(deCode(parsed, repeat)).toHex(' '), expected.toHex(' '));
        QCOMPARE(recordCount(parsed), expected.size());
    }

    // The page's length limit relies on the count; lists long enough to reach it.
    void recordCountOfLongLists_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<QString>("pauseMs");
        QTest::addColumn<int>("expected");
        QTest::newRow("61 events without pauses reach 126") << 61 << QString() << 126;
        QTest::newRow("60 events without pauses stay below") << 60 << QString() << 124;
        QTest::newRow("short pauses cost nothing") << 61 << QStringLiteral("1260") << 126;
        QTest::newRow("long pauses cost four bytes each")
            << 20 << QStringLiteral("1270") << 2 + 2 * 20 + 4 * 19 + 2;
    }
    void recordCountOfLongLists()
    {
        QFETCH(int, events);
        QFETCH(QString, pauseMs);
        QFETCH(int, expected);
        QStringList actions;
        for (int i = 0; i < events; ++i) {
            if (i > 0 && !pauseMs.isEmpty())
                actions << "0," + pauseMs;
            actions << (i % 2 == 0 ? "1,B" : "2,B");
        }
        const QList<PageAction> parsed = parseActions(actions);
        QCOMPARE(recordCount(parsed), expected);
        QCOMPARE(deCode(parsed, 1).size(), expected);
    }

    void gunPage_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("loopTimes");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("no pause plays 20 ms, also last")
            << QStringList{"1,A", "2,A"} << 1 << hex("00 01 0A 04 8A 04 00 00");
        QTest::newRow("50 ms in 2 ms ticks")
            << QStringList{"1,A", "0,50", "2,A"} << 1 << hex("00 01 19 04 8A 04 00 00");
        QTest::newRow("252 ms fits the delay bits")
            << QStringList{"1,A", "0,252", "2,A"} << 1 << hex("00 01 7E 04 8A 04 00 00");
        QTest::newRow("254 ms needs an extension")
            << QStringList{"1,A", "0,254", "2,A"} << 1 << hex("00 01 00 04 00 01 00 0C 8A 04 00 00");
        QTest::newRow("cursor step, Y turned over") << QStringList{"5,10", "6,-20", "0,40", "1,A", "2,A"} << 1
                                                    << hex("00 01 14 F9 0A 14 0A 04 8A 04 00 00");
        QTest::newRow("cursor step between key events")
            << QStringList{"1,A", "5,-5", "6,7", "2,A"} << 1 << hex("00 01 0A 04 0A F9 FB F9 8A 04 00 00");
        QTest::newRow("a cursor step alone, three loops")
            << QStringList{"5,1", "6,1"} << 3 << hex("00 03 0A F9 01 FF 00 00");
    }
    void gunPage()
    {
        QFETCH(QStringList, actions);
        QFETCH(int, loopTimes);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes(gunDeCode(parseActions(actions), loopTimes)).toHex(' '), expected.toHex(' '));
    }

    void textLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("device");
        QTest::addColumn<QByteArray>("expected");
        const int mouse = kMouseFamily;
        const int keyboard = kKeyboardFamily;
        QTest::newRow("mouse: a short pause merges into the press")
            << QStringList{down("A"), pause("50"), up("A")} << mouse << hex("00 01 05 04 81 04 00 00");
        QTest::newRow("mouse: a merged pause after a release keeps its bit")
            << QStringList{down("A"), up("A"), pause("100")} << mouse << hex("00 01 01 04 8A 04 00 00");
        QTest::newRow("mouse: 1270 ms merges as 127 ticks")
            << QStringList{down("A"), pause("1270")} << mouse << hex("00 01 7F 04 00 00");
        QTest::newRow("mouse: 1271 ms is a 20 ms record")
            << QStringList{down("A"), pause("1271")} << mouse << hex("00 01 01 04 40 01 00 00");
        QTest::newRow("mouse: 3000 ms after a key")
            << QStringList{down("A"), pause("3000")} << mouse << hex("00 01 01 04 96 01 00 00");
        QTest::newRow("mouse: 3000 ms first")
            << QStringList{pause("3000")} << mouse << hex("00 01 96 01 00 00");
        QTest::newRow("mouse: 5100 ms") << QStringList{pause("5100")} << mouse << hex("00 01 FF 01 00 00");
        QTest::newRow("mouse: 5101 ms takes four bytes")
            << QStringList{pause("5101")} << mouse << hex("00 01 00 01 00 FF 00 00");
        QTest::newRow("mouse: 6000 ms")
            << QStringList{down("A"), pause("6000")} << mouse << hex("00 01 01 04 00 01 01 2C 00 00");
        QTest::newRow("mouse: 500 ms first")
            << QStringList{pause("500")} << mouse << hex("00 01 00 01 00 19 00 00");
        QTest::newRow("mouse: 500 ms after another pause")
            << QStringList{down("A"), pause("50"), pause("500")} << mouse
            << hex("00 01 05 04 00 01 00 19 00 00");
        QTest::newRow("mouse: a zero pause still counts as a pause line")
            << QStringList{down("A"), pause("0"), pause("50")} << mouse
            << hex("00 01 01 04 00 01 00 03 00 00");
        QTest::newRow("mouse: an unknown first key leaves the header alone")
            << QStringList{"Foo" + kDownTag, pause("50")} << mouse << hex("00 01 00 01 00 03 00 00");
        QTest::newRow("mouse: a stray line between pauses does not merge")
            << QStringList{pause("3000"), QStringLiteral("junk"), pause("50")} << mouse
            << hex("00 01 96 01 00 01 00 03 00 00");
        QTest::newRow("mouse: an unknown key merges into the key before it")
            << QStringList{down("A"), "Foo" + kUpTag, pause("50")} << mouse << hex("00 01 05 04 00 00");
        QTest::newRow("mouse: a pause beyond the count is limited")
            << QStringList{pause("99999999")} << mouse << hex("00 01 00 01 FF FF 00 00");
        QTest::newRow("keyboard: 2000 ms")
            << QStringList{pause("2000")} << keyboard << hex("00 01 7F 00 00 C8 00 00");
        QTest::newRow("keyboard: pauses never merge")
            << QStringList{down("A"), pause("50"), up("A")} << keyboard
            << hex("00 01 01 04 7F 00 00 05 81 04 00 00");
        QTest::newRow("keyboard: a pause beyond the count is limited")
            << QStringList{pause("99999999")} << keyboard << hex("00 01 7F 00 FF FF 00 00");
        QTest::newRow("keyboard: a negative pause adds nothing")
            << QStringList{down("A"), pause("-50")} << keyboard << hex("00 01 01 04 00 00");
        QTest::newRow("other family: pauses are left out")
            << QStringList{down("A"), pause("50"), up("A")} << 2 << hex("00 01 01 04 81 04 00 00");
        QTest::newRow("zero and non-number pauses add nothing")
            << QStringList{down("A"), pause("0"), pause("abc"), up("A")} << mouse
            << hex("00 01 01 04 81 04 00 00");
        QTest::newRow("mouse buttons and names with spaces")
            << QStringList{down("MS-L"), up("MS-L"), down("KP Enter")} << mouse
            << hex("00 01 01 F0 81 F0 01 58 00 00");
        QTest::newRow("unknown names, other tags, short lines, page lines")
            << QStringList{"Foo" + kDownTag, QStringLiteral("A    [Hold]"), QStringLiteral("[Up]"),
                           QStringLiteral("1,A"), QStringLiteral("1")}
            << mouse << hex("00 01 00 00");
    }
    void textLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, device);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes(macroIncode(lines, device)).toHex(' '), expected.toHex(' '));
    }

    void fitToSlot_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray header = hex("00 01");
        const QByteArray marker = hex("00 00");
        QTest::newRow("a stream that fits stays whole")
            << keyLines(62) << kMouseFamily << kSlotBytes << header + keyRecords(62) + marker;
        QTest::newRow("mouse: the records that leave room for the end marker")
            << keyLines(70) << kMouseFamily << kSlotBytes << header + keyRecords(62) + marker;
        QTest::newRow("mouse: a pause record is dropped whole")
            << keyLines(61) + QStringList{pause("6000"), down("B")} << kMouseFamily << kSlotBytes
            << header + keyRecords(61) + marker;
        QTest::newRow("keyboard: 192 bytes")
            << keyLines(100) << kKeyboardFamily << kKeyboardSlotBytes << header + keyRecords(94) + marker;
        QTest::newRow("keyboard: a pause record is dropped whole")
            << keyLines(93) + QStringList{pause("2000"), down("B")} << kKeyboardFamily << kKeyboardSlotBytes
            << header + keyRecords(93) + marker;
    }
    void fitToSlot()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, device);
        QFETCH(int, slot);
        QFETCH(QByteArray, expected);
        const StreamPieces pieces = textLinePieces(lines, device);
        QCOMPARE(bytes(macroIncode(lines, device)).size(), streamLength(pieces));
        const QList<uchar> fitted = macro_stream::fitToSlot(pieces, slot);
        QVERIFY(fitted.size() <= slot);
        QCOMPARE(bytes(fitted).toHex(' '), expected.toHex(' '));
    }
};

QTEST_GUILESS_MAIN(TestMacroEncoder)
#include "test_macro_encoder.moc"
