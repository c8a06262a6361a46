#include "key_names.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

#include <set>

namespace {

// Renames the arrows the way a translation would, and notes the contexts it was asked with.
class ArrowWords : public QTranslator
{
public:
    mutable QList<QByteArray> contexts;

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        const QString source = QString::fromUtf8(sourceText);
        if (source == QStringLiteral("►") || source == QStringLiteral("◄") || source == QStringLiteral("▼") ||
            source == QStringLiteral("▲"))
            contexts.append(QByteArray(context));
        if (source == QStringLiteral("►"))
            return QStringLiteral("Right");
        if (source == QStringLiteral("▲"))
            return QStringLiteral("Up");
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestKeyNames : public QObject
{
    Q_OBJECT
private slots:
    void init() { rebuildKeyNameMap(); }

    void everyCodeOnce()
    {
        // The codes the mouse can play: each key once, 0x32 and the unnamed international keys left out.
        std::multiset<int> expected;
        for (int code = 0x04; code <= 0x73; ++code)
            if (code != 0x32)
                expected.insert(code);
        for (int code : {0x85, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x90, 0x91})
            expected.insert(code);
        for (int code = 0xE0; code <= 0xE7; ++code)
            expected.insert(code);
        for (int code = 0xF0; code <= 0xF4; ++code)
            expected.insert(code);

        std::multiset<int> codes;
        for (unsigned char code : keyNameMap())
            codes.insert(code);
        QCOMPARE(keyNameMap().size(), 132);
        QVERIFY(codes == expected);
    }

    void ruleRanges_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("firstNumber");
        QTest::addColumn<int>("lastNumber");
        QTest::addColumn<int>("firstCode");
        QTest::newRow("digits 1-9") << QString() << 1 << 9 << 0x1E;
        QTest::newRow("F1-F12") << QStringLiteral("F") << 1 << 12 << 0x3A;
        QTest::newRow("keypad 1-9") << QStringLiteral("KP ") << 1 << 9 << 0x59;
        QTest::newRow("F13-F24") << QStringLiteral("F") << 13 << 24 << 0x68;
    }
    void ruleRanges()
    {
        QFETCH(QString, prefix);
        QFETCH(int, firstNumber);
        QFETCH(int, lastNumber);
        QFETCH(int, firstCode);
        for (int number = firstNumber; number <= lastNumber; ++number) {
            const QString name = prefix + QString::number(number);
            QCOMPARE(int(keyCodeForName(name)), firstCode + number - firstNumber);
        }
    }

    void letters()
    {
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            QCOMPARE(int(keyCodeForName(QString(QLatin1Char(letter)))), 0x04 + letter - 'A');
    }

    void namedKeys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::newRow("zero after nine") << QStringLiteral("0") << 0x27;
        QTest::newRow("backslash") << QStringLiteral("\\ |") << 0x31;
        QTest::newRow("apostrophe") << QStringLiteral("' \"") << 0x34;
        QTest::newRow("right arrow") << QStringLiteral("►") << 0x4F;
        QTest::newRow("up arrow") << QStringLiteral("▲") << 0x52;
        QTest::newRow("keypad enter") << QStringLiteral("KP Enter") << 0x58;
        QTest::newRow("keypad 0 after 9") << QStringLiteral("KP 0") << 0x62;
        QTest::newRow("Intl'2") << QStringLiteral("Intl'2") << 0x88;
        QTest::newRow("Int'l 2") << QStringLiteral("Int'l 2") << 0x89;
        QTest::newRow("right windows") << QStringLiteral("R Win") << 0xE7;
        QTest::newRow("forward mouse") << QStringLiteral("MS-B5") << 0xF4;
    }
    void namedKeys()
    {
        QFETCH(QString, name);
        QFETCH(int, code);
        QCOMPARE(int(keyCodeForName(name)), code);
    }

    void unknownNamesGiveZero_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << QStringLiteral("enter");
        QTest::newRow("trailing space") << QStringLiteral("KP Enter ");
        QTest::newRow("no Int'l 3") << QStringLiteral("Int'l 3");
        QTest::newRow("F25") << QStringLiteral("F25");
        QTest::newRow("empty") << QString();
    }
    void unknownNamesGiveZero()
    {
        QFETCH(QString, name);
        QCOMPARE(int(keyCodeForName(name)), 0);
    }

    void arrowsFollowTheTranslator()
    {
        ArrowWords words;
        QCoreApplication::installTranslator(&words);
        rebuildKeyNameMap();
        QCoreApplication::removeTranslator(&words);

        QCOMPARE(int(keyCodeForName(QStringLiteral("Right"))), 0x4F);
        QCOMPARE(int(keyCodeForName(QStringLiteral("Up"))), 0x52);
        QCOMPARE(int(keyCodeForName(QStringLiteral("►"))), 0);
        // Untranslated arrows keep their triangles; other names never reach the translator.
        QCOMPARE(int(keyCodeForName(QStringLiteral("◄"))), 0x50);
        QCOMPARE(words.contexts.size(), 4);
        for (const QByteArray& context : std::as_const(words.contexts))
            QVERIFY(context.isEmpty());

        // A rebuild starts from an empty map: the translated names are gone again.
        rebuildKeyNameMap();
        QCOMPARE(int(keyCodeForName(QStringLiteral("Right"))), 0);
        QCOMPARE(int(keyCodeForName(QStringLiteral("►"))), 0x4F);
        QCOMPARE(keyNameMap().size(), 132);
    }
};

QTEST_GUILESS_MAIN(TestKeyNames)
#include "test_key_names.moc"
