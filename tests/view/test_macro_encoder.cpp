// The macro stream encoders on known examples: the macro and gun pages' encoders, the macro page's length
// count (their examples in tests/data/macro_examples.json and gun_examples.json), the text-line encoder on
// both device families, and the fitting of a long stream into its slot.

#include "key_names.h"
#include "page_encoders.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// The pages' examples, shared with the page libraries' own tests so that both encoders agree.
QString examplesPath(const QString& fileName)
{
    return QStringLiteral(J2_TEST_DATA_DIR "/") + fileName;
}

QJsonObject examplesIn(const QString& fileName)
{
    QFile file(examplesPath(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonObject examples()
{
    return examplesIn(QStringLiteral("macro_examples.json"));
}

QJsonObject gunExamples()
{
    return examplesIn(QStringLiteral("gun_examples.json"));
}

// One row per example of a page's encoder: its actions, its repeat count (named `countField`) and the
// bytes expected.
void addPageRows(const QJsonArray& rows, const QString& countField)
{
    for (const QJsonValue& value : rows) {
        const QJsonObject row = value.toObject();
        QStringList actions;
        for (const QJsonValue& action : row.value("actions").toArray())
            actions << action.toString();
        QTest::newRow(qPrintable(row.value("name").toString()))
            << actions << row.value(countField).toInt()
            << QByteArray::fromHex(row.value("expected").toString().toLatin1());
    }
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
    void initTestCase()
    {
        rebuildKeyNameMap();
        QVERIFY2(!examples().isEmpty(), qPrintable("no examples in " + examplesPath("macro_examples.json")));
        QVERIFY(!examples().value("macroPage").toArray().isEmpty());
        QVERIFY(!examples().value("recordCount").toArray().isEmpty());
        QVERIFY2(!gunExamples().isEmpty(), qPrintable("no examples in " + examplesPath("gun_examples.json")));
        QVERIFY(!gunExamples().value("gunPage").toArray().isEmpty());
    }

    void macroPage_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QByteArray>("expected");
        addPageRows(examples().value("macroPage").toArray(), QStringLiteral("repeat"));
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

    // The page's length limit relies on the count: lists of many events, with and without pauses.
    void recordCountOfLongLists_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<QString>("pauseMs");
        QTest::addColumn<QString>("pauseBeforeLastMs");
        QTest::addColumn<int>("expected");
        for (const QJsonValue& value : examples().value("recordCount").toArray()) {
            const QJsonObject row = value.toObject();
            QTest::newRow(qPrintable(row.value("name").toString()))
                << row.value("events").toInt() << row.value("pauseMs").toString()
                << row.value("pauseBeforeLastMs").toString() << row.value("expected").toInt();
        }
    }
    void recordCountOfLongLists()
    {
        QFETCH(int, events);
        QFETCH(QString, pauseMs);
        QFETCH(QString, pauseBeforeLastMs);
        QFETCH(int, expected);
        QStringList actions;
        for (int i = 0; i < events; ++i) {
            const QString pause =
                i + 1 == events && !pauseBeforeLastMs.isEmpty() ? pauseBeforeLastMs : pauseMs;
            if (i > 0 && !pause.isEmpty())
                actions << "0," + pause;
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
        addPageRows(gunExamples().value("gunPage").toArray(), QStringLiteral("loopTimes"));
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
        const int mouse = deviceIndex(DeviceFamily::Mouse);
        const int keyboard = deviceIndex(DeviceFamily::Keyboard);
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
        QTest::newRow("a stream that fits stays whole") << keyLines(62) << deviceIndex(DeviceFamily::Mouse)
                                                        << kSlotBytes << header + keyRecords(62) + marker;
        QTest::newRow("mouse: the records that leave room for the end marker")
            << keyLines(70) << deviceIndex(DeviceFamily::Mouse) << kSlotBytes
            << header + keyRecords(62) + marker;
        QTest::newRow("mouse: a pause record is dropped whole")
            << keyLines(61) + QStringList{pause("6000"), down("B")} << deviceIndex(DeviceFamily::Mouse)
            << kSlotBytes << header + keyRecords(61) + marker;
        QTest::newRow("keyboard: 192 bytes") << keyLines(100) << deviceIndex(DeviceFamily::Keyboard)
                                             << kKeyboardSlotBytes << header + keyRecords(94) + marker;
        QTest::newRow("keyboard: a pause record is dropped whole")
            << keyLines(93) + QStringList{pause("2000"), down("B")} << deviceIndex(DeviceFamily::Keyboard)
            << kKeyboardSlotBytes << header + keyRecords(93) + marker;
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
