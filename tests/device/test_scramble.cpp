#include "report.h"

#include <QRandomGenerator>
#include <QTest>

using j2::wire::Block;
using j2::wire::SecrecyCode;

namespace {

Block blockFromHex(const char* hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    Block block{};
    std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), 8), block.begin());
    return block;
}

SecrecyCode codeFrom(const char* text)
{
    SecrecyCode code{};
    j2::wire::loadSecrecyCode(code, text, std::strlen(text));
    return code;
}

} // namespace

class TestScramble : public QObject
{
    Q_OBJECT
private slots:
    void checksum_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("expected");
        QTest::newRow("function option example") << QByteArray::fromHex("03000100000000") << 0xFB;
        QTest::newRow("all zero") << QByteArray(7, '\0') << 0xFF;
        QTest::newRow("sum wraps past 256") << QByteArray::fromHex("FFFF0000000000") << 0x01;
        QTest::newRow("sum exactly 255") << QByteArray::fromHex("F00F0000000000") << 0x00;
        // Byte 7 counts as much as the others.
        QTest::newRow("only byte 7") << QByteArray::fromHex("00000000000042") << 0xBD;
        QTest::newRow("bootloader entry code") << QByteArray::fromHex("0A3CE1075A9D42") << 0x98;
        QTest::newRow("every byte 80") << QByteArray::fromHex("80808080808080") << 0x7F;
    }
    void checksum()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, expected);
        QCOMPARE(int(j2::wire::checksum(reinterpret_cast<const std::uint8_t*>(bytes.constData()))), expected);
    }

    void knownAnswers_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("scrambled");
        // Zero block and zero code: only the addends remain, nibble-swapped, in table order.
        QTest::newRow("zero block, zero code")
            << QByteArray() << QByteArray("0000000000000000") << QByteArray("45566517167596A7");
        // A single bit shows the permutation and the left rotation.
        QTest::newRow("one bit, zero code")
            << QByteArray() << QByteArray("0100000000000000") << QByteArray("45566517167D96A7");
        QTest::newRow("zero block, factory code") << QByteArray("260417") << QByteArray("0000000000000000")
                                                  << QByteArray("46E716"
                                                                "98B7FE4EA7");
        QTest::newRow("profile write, factory code")
            << QByteArray("260417") << QByteArray("0C02800000000071") << QByteArray("46E89E98C75E52A7");
    }
    void knownAnswers()
    {
        QFETCH(QByteArray, code);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, scrambled);
        const SecrecyCode secrecy = code.isEmpty() ? SecrecyCode{} : codeFrom(code.constData());
        Block block = blockFromHex(plain.constData());
        j2::wire::scramble(block.data(), secrecy);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(block.data()), 8).toHex().toUpper(), scrambled);
        j2::wire::descramble(block.data(), secrecy);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(block.data()), 8).toHex().toUpper(),
                 plain.toUpper());
    }

    void roundTripOverRandomBlocks()
    {
        QRandomGenerator random(20260417);
        for (int i = 0; i < 20000; ++i) {
            SecrecyCode code{};
            for (auto& byte : code)
                byte = static_cast<std::uint8_t>(random.bounded(256));
            Block block{};
            for (auto& byte : block)
                byte = static_cast<std::uint8_t>(random.bounded(256));
            Block work = block;
            j2::wire::scramble(work.data(), code);
            j2::wire::descramble(work.data(), code);
            QVERIFY2(work == block, qPrintable(QStringLiteral("round trip %1 failed").arg(i)));
        }
    }

    void unusedCodeBytesDoNotMatter()
    {
        // Bytes 0 and 7 of the code array never take part.
        SecrecyCode a = codeFrom("k-ravi");
        SecrecyCode b = a;
        b[0] = 0x5A;
        b[7] = 0xA5;
        Block one = blockFromHex("0123456789ABCDEF");
        Block two = one;
        j2::wire::scramble(one.data(), a);
        j2::wire::scramble(two.data(), b);
        QCOMPARE(one, two);
    }

    void differentCodesDisagree()
    {
        Block block = blockFromHex("0023456789ABCD00");
        Block other = block;
        j2::wire::scramble(block.data(), codeFrom("260417"));
        j2::wire::scramble(other.data(), codeFrom("260418"));
        QVERIFY(block != other);
    }

    void secrecyCodeLength_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("taken");
        QTest::newRow("six characters") << QByteArray("k-ravi") << true;
        QTest::newRow("five characters") << QByteArray("26041") << false;
        QTest::newRow("seven characters") << QByteArray("2604170") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void secrecyCodeLength()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, taken);
        SecrecyCode code{};
        code.fill(0x11);
        QCOMPARE(j2::wire::loadSecrecyCode(code, text.constData(), std::size_t(text.size())), taken);
        if (taken) {
            QCOMPARE(code[0], std::uint8_t(0x11));
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(code.data() + 1), 6), text);
            QCOMPARE(code[7], std::uint8_t(0x11));
        } else {
            SecrecyCode untouched{};
            untouched.fill(0x11);
            QCOMPARE(code, untouched);
        }
    }
};

QTEST_GUILESS_MAIN(TestScramble)
#include "test_scramble.moc"
