#include "demo_message.h"

#include <QTest>

class TestDemoMessage : public QObject
{
    Q_OBJECT
private slots:
    void demoPayload()
    {
        const CopyData payload = makeTextPayload(kDemoText);
        QCOMPARE(payload.tag, kTextPayloadTag);
        QCOMPARE(payload.length, quint32(21));
        QCOMPARE(payload.bytes.size(), 22);
        QCOMPARE(payload.bytes.back(), '\0');
        QCOMPARE(decodeTextPayload(payload).value_or(QString()), kDemoText);
    }

    void rejected_data()
    {
        QTest::addColumn<quint32>("tag");
        QTest::addColumn<int>("lengthDelta");
        QTest::newRow("another tag") << quint32(0x2510) << 0;
        QTest::newRow("length one short") << kTextPayloadTag << -1;
        QTest::newRow("length one long") << kTextPayloadTag << 1;
    }
    void rejected()
    {
        QFETCH(quint32, tag);
        QFETCH(int, lengthDelta);
        CopyData payload = makeTextPayload(kDemoText);
        payload.tag = tag;
        payload.length = quint32(int(payload.length) + lengthDelta);
        QVERIFY(!decodeTextPayload(payload).has_value());
    }

    void multiByteText()
    {
        const QString text = QStringLiteral("Демо режим");
        const CopyData payload = makeTextPayload(text);
        QCOMPARE(payload.length, quint32(text.toUtf8().size()));
        QCOMPARE(decodeTextPayload(payload).value_or(QString()), text);
    }
};

QTEST_GUILESS_MAIN(TestDemoMessage)
#include "test_demo_message.moc"
