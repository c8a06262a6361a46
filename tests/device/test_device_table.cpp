#include "device_table.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDeviceTable : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString tableFile(const QByteArray& text)
    {
        const QString path = dir.filePath(QStringLiteral("DevInfo%1.ini").arg(++files));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return path;
    }
    int files = 0;

private slots:
    void shippedTable()
    {
        const DeviceTable table =
            loadDeviceTable(kDeviceTableResource, {QStringLiteral("Keyboard"), QStringLiteral("Mouse")});
        QCOMPARE(table.records.size(), 2);
        QVERIFY(!table.isEncode);
        const DevInfo& keyboard = table.records[0];
        QCOMPARE(keyboard.type, 0);
        QCOMPARE(keyboard.vid, quint16(0x04d9));
        QCOMPARE(keyboard.pid, quint16(0x8008));
        QCOMPARE(keyboard.usagePage, quint16(0xff01));
        QCOMPARE(keyboard.usage, quint16(0x0001));
        QCOMPARE(keyboard.usagePage2, quint16(0xff02));
        QCOMPARE(keyboard.usage2, quint16(0x0001));
        QCOMPARE(keyboard.reportLength, quint32(64));
        QCOMPARE(keyboard.product_name, QStringLiteral("Keyboard"));
        const DevInfo& mouse = table.records[1];
        QCOMPARE(mouse.type, 1);
        QCOMPARE(mouse.pid, quint16(0xa100));
        QCOMPARE(mouse.usagePage, quint16(0xff00));
        QCOMPARE(mouse.usage, quint16(0xff00));
        QCOMPARE(mouse.usagePage2, quint16(0xff01));
        QCOMPARE(mouse.usage2, quint16(0x0001));
        QCOMPARE(mouse.reportLength, quint32(64));
        QCOMPARE(mouse.product_name, QStringLiteral("Mouse"));
    }

    void productNamesShorterThanTable()
    {
        const DeviceTable table = loadDeviceTable(kDeviceTableResource, {QStringLiteral("Only one")});
        QCOMPARE(table.records[0].product_name, QStringLiteral("Only one"));
        QVERIFY(table.records[1].product_name.isEmpty());
    }

    void zeroTotal()
    {
        QVERIFY(loadDeviceTable(tableFile("[common]\ntotal=0\n[0]\ntype=1\n"), {}).records.isEmpty());
        QVERIFY(loadDeviceTable(dir.filePath(QStringLiteral("missing.ini")), {}).records.isEmpty());
    }

    void missingGroupTakesDefaults()
    {
        const DeviceTable table =
            loadDeviceTable(tableFile("[common]\ntotal=3\n[0]\ntype=0\n[1]\ntype=1\nvid=04d9\n"), {});
        QCOMPARE(table.records.size(), 3);
        const DevInfo& third = table.records[2];
        QCOMPARE(third.type, -1);
        QCOMPARE(third.vid, quint16(0));
        QCOMPARE(third.pid, quint16(0));
        QCOMPARE(third.usagePage, quint16(0));
        QCOMPARE(third.reportLength, quint32(0));
    }

    void hexParsing_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("vid");
        QTest::newRow("bare digits") << QByteArray("type=1\nvid=04d9") << 1 << 0x04d9;
        QTest::newRow("upper case") << QByteArray("type=1\nvid=04D9") << 1 << 0x04d9;
        QTest::newRow("not hexadecimal") << QByteArray("type=zz\nvid=xyz") << 0 << 0;
        QTest::newRow("truncated to 16 bits") << QByteArray("type=1\nvid=104d9") << 1 << 0x04d9;
        QTest::newRow("type in hex") << QByteArray("type=a\nvid=1") << 10 << 1;
    }
    void hexParsing()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, type);
        QFETCH(int, vid);
        const DeviceTable table = loadDeviceTable(tableFile("[common]\ntotal=1\n[0]\n" + line + "\n"), {});
        QCOMPARE(table.records[0].type, type);
        QCOMPARE(int(table.records[0].vid), vid);
    }

    void isEncode_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("encode");
        QTest::newRow("true") << QByteArray("true") << true;
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("false") << QByteArray("false") << false;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("empty") << QByteArray("") << false;
    }
    void isEncode()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, encode);
        QCOMPARE(loadDeviceTable(tableFile("[common]\nisEncode=" + value + "\ntotal=0\n"), {}).isEncode,
                 encode);
    }
};

QTEST_GUILESS_MAIN(TestDeviceTable)
#include "test_device_table.moc"
