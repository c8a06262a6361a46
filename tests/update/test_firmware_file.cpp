// The firmware file: what a file on disk turns into, byte by byte, that the writer the tool uses makes files
// the parser gives back unchanged, and the programming library's verdict on the image.

#include "firmware_check.h"
#include "firmware_file.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using j2::update::FirmwareImage;
using j2::update::FirmwareLoad;
using j2::update::FirmwareRefusal;

Q_DECLARE_METATYPE(FirmwareRefusal)

namespace {

// A 120-byte header starting with `start`, padded with zeros (or cut).
QByteArray header(const QByteArray& start)
{
    QByteArray bytes = start;
    bytes.resize(j2::update::kHeaderSize, '\0');
    return bytes;
}

QByteArray magicHeader()
{
    return header(QByteArray::fromHex("55AA998877") + "anything may follow");
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Collects the debug output of one parse.
class DebugCapture
{
public:
    DebugCapture()
    {
        lines().clear();
        previous = qInstallMessageHandler(&DebugCapture::collect);
    }
    ~DebugCapture() { qInstallMessageHandler(previous); }
    static QStringList& lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    static void collect(QtMsgType, const QMessageLogContext&, const QString& text) { lines().append(text); }
    QtMessageHandler previous = nullptr;
};

bool refusalReported()
{
    for (const QString& line : DebugCapture::lines())
        if (line.startsWith(QLatin1String("data.bin refused")))
            return true;
    return false;
}

} // namespace

class TestFirmwareFile : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<FirmwareRefusal>("refusal");
        QTest::addColumn<bool>("hasTitle");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("fields"); // VID PID C K1 K0 as they must come out
        QTest::addColumn<QByteArray>("image");  // descrambled

        const auto accepted = FirmwareRefusal::None;
        QTest::newRow("magic header, zero keys: image as stored")
            << magicHeader() + hex("04D9A1000000041234"
                                   "0000"
                                   "DEADBEEF")
            << accepted << true << "Update" << hex("04D9A10012340000") << hex("DEADBEEF");
        // c = (5A & AA) | (3C & 55) = 1E, so the key stream is 5A 3C 1E E1.
        QTest::newRow("text header, known scramble")
            << header(QByteArray("J2 Firmware V1.0B\0text after the zero", 37)) + hex("1234ABCD000009BEEF"
                                                                                      "5A3C"
                                                                                      "00000000FFFFFFFF12")
            << accepted << true << "J2 Firmware V1.0B" << hex("1234ABCDBEEF5A3C")
            << hex("5A3C1EE1A5C3E11E48");
        // c = (FF & AA) | (00 & 55) = AA.
        QTest::newRow("K1 all ones, K0 zero")
            << magicHeader() + hex("04D9A1000000040001"
                                   "FF00"
                                   "00000000")
            << accepted << true << "Update" << hex("04D9A1000001FF00") << hex("FF00AA55");
        // Only two zero keys mean a plain image: c = (00 & AA) | (01 & 55) = 01.
        QTest::newRow("K1 zero, K0 one")
            << magicHeader() + hex("04D9A1000000040001"
                                   "0001"
                                   "00000000")
            << accepted << true << "Update" << hex("04D9A10000010001") << hex("000101FE");
        // The first body bytes read "AB"; a title running on into them would show it.
        QTest::newRow("header without a zero byte is cut at 120")
            << QByteArray(120, 'x') + hex("41424344000001FFFF"
                                          "0000"
                                          "7F")
            << accepted << true << QString(120, QLatin1Char('x')) << hex("41424344FFFF0000") << hex("7F");
        // An empty image would erase the mouse and leave it without firmware: refused, title still shown.
        QTest::newRow("empty text header, empty image")
            << header({}) + hex("04D9A100000000"
                                "0000"
                                "0000")
            << FirmwareRefusal::EmptyImage << true << "" << QByteArray() << QByteArray();
        QTest::newRow("length 0 with trailing bytes")
            << magicHeader() + hex("04D9A100000000"
                                   "0000"
                                   "1122"
                                   "334455")
            << FirmwareRefusal::EmptyImage << true << "Update" << QByteArray() << QByteArray();
        QTest::newRow("trailing bytes ignored")
            << magicHeader() + hex("04D9A10000000200000000"
                                   "0102"
                                   "030405")
            << accepted << true << "Update" << hex("04D9A10000000000") << hex("0102");
        QTest::newRow("four 0xFF are no marker")
            << magicHeader() + hex("FFFFFF00000001"
                                   "0000"
                                   "0000"
                                   "7A")
            << accepted << true << "Update" << hex("FFFFFF0000000000") << hex("7A");
        QByteArray largest = magicHeader() + hex("04D9A100023FF5"
                                                 "0000"
                                                 "0000");
        largest.resize(j2::update::kHeaderSize + j2::update::kMaxBodySize, '\0');
        QTest::newRow("largest body") << largest << accepted << true << "Update" << hex("04D9A10000000000")
                                      << QByteArray(j2::update::kMaxImageSize, '\0');

        QTest::newRow("body one byte too long") << largest + hex("00") << FirmwareRefusal::BodyTooLong << true
                                                << "Update" << QByteArray() << QByteArray();
        QTest::newRow("refusal marker")
            << header("Blank dump") + hex("FFFFFFFFFF"
                                          "FFFFFFFFFFFF"
                                          "FFFF")
            << FirmwareRefusal::RefusalMarker << true << "Blank dump" << QByteArray() << QByteArray();
        QTest::newRow("image length beyond the bytes present")
            << magicHeader() + hex("04D9A100000005"
                                   "0000"
                                   "0000"
                                   "01020304")
            << FirmwareRefusal::ImageBeyondEnd << true << "Update" << QByteArray() << QByteArray();
        QTest::newRow("image length at its 24-bit maximum")
            << magicHeader() + hex("04D9A100FFFFFF"
                                   "0000"
                                   "0000"
                                   "01020304")
            << FirmwareRefusal::ImageBeyondEnd << true << "Update" << QByteArray() << QByteArray();
        QTest::newRow("header cut short") << magicHeader().left(119) << FirmwareRefusal::TruncatedHeader
                                          << false << "" << QByteArray() << QByteArray();
        QTest::newRow("header only") << magicHeader() << FirmwareRefusal::TruncatedFields << true << "Update"
                                     << QByteArray() << QByteArray();
        QTest::newRow("fields end inside K0")
            << magicHeader() + hex("04D9A100000000"
                                   "0000"
                                   "00")
            << FirmwareRefusal::TruncatedFields << true << "Update" << QByteArray() << QByteArray();
        QTest::newRow("short body starting like the marker")
            << magicHeader() + hex("FFFF") << FirmwareRefusal::TruncatedFields << true << "Update"
            << QByteArray() << QByteArray();
    }
    void parse()
    {
        QFETCH(QByteArray, file);
        QFETCH(FirmwareRefusal, refusal);
        QFETCH(bool, hasTitle);
        QFETCH(QString, title);
        QFETCH(QByteArray, fields);
        QFETCH(QByteArray, image);

        FirmwareLoad load;
        {
            DebugCapture capture;
            load = j2::update::parseFirmwareFile(file);
        }
        QCOMPARE(load.refusal, refusal);
        QCOMPARE(load.accepted(), refusal == FirmwareRefusal::None);
        QCOMPARE(load.hasTitle, hasTitle);
        QCOMPARE(load.firmware.title, title);
        // Faults are reported; a marker says "not for you" and is refused quietly.
        const bool fault = refusal != FirmwareRefusal::None && refusal != FirmwareRefusal::RefusalMarker;
        QCOMPARE(refusalReported(), fault);
        if (!load.accepted())
            return;

        const FirmwareImage& firmware = load.firmware;
        QCOMPARE(firmware.vendorId, quint16(quint8(fields[0]) << 8 | quint8(fields[1])));
        QCOMPARE(firmware.productId, quint16(quint8(fields[2]) << 8 | quint8(fields[3])));
        QCOMPARE(firmware.checksum, quint16(quint8(fields[4]) << 8 | quint8(fields[5])));
        QCOMPARE(firmware.key1, quint8(fields[6]));
        QCOMPARE(firmware.key0, quint8(fields[7]));
        QCOMPARE(firmware.image.toHex(), image.toHex());
    }

    void loadFromDisk()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());

        {
            DebugCapture capture;
            const FirmwareLoad missing =
                j2::update::loadFirmwareFile(dir.filePath(QStringLiteral("data.bin")));
            QCOMPARE(missing.refusal, FirmwareRefusal::Unreadable);
            QVERIFY(!missing.hasTitle);
            QCOMPARE(DebugCapture::lines(), QStringList{QStringLiteral("Open data File fail")});
        }

        const auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        const QByteArray good = header("On disk") + hex("04D9A10000000300000000"
                                                        "010203");
        QVERIFY(write(QStringLiteral("good.bin"), good));
        const FirmwareLoad loaded = j2::update::loadFirmwareFile(dir.filePath(QStringLiteral("good.bin")));
        QVERIFY(loaded.accepted());
        QCOMPARE(loaded.firmware.title, QStringLiteral("On disk"));
        QCOMPARE(loaded.firmware.image, hex("010203"));

        // Reading stops early for a huge file, but never so early that it looks acceptable.
        QByteArray huge = good;
        huge.resize(2 * j2::update::kMaxBodySize, '\0');
        QVERIFY(write(QStringLiteral("huge.bin"), huge));
        DebugCapture capture;
        QCOMPARE(j2::update::loadFirmwareFile(dir.filePath(QStringLiteral("huge.bin"))).refusal,
                 FirmwareRefusal::BodyTooLong);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("titleBack");
        QTest::addColumn<int>("imageLength");
        QTest::addColumn<int>("key1");
        QTest::addColumn<int>("key0");

        QTest::newRow("magic header, one byte") << ""
                                                << "Update" << 1 << 0 << 0;
        QTest::newRow("zero keys") << "Plain"
                                   << "Plain" << 64 << 0 << 0;
        QTest::newRow("title, one byte, keys") << "J2 Firmware"
                                               << "J2 Firmware" << 1 << 0x5A << 0x3C;
        QTest::newRow("long title cut to leave its zero")
            << QString(200, QLatin1Char('t')) << QString(119, QLatin1Char('t')) << 64 << 0x12 << 0x34;
        // Two bytes per character in UTF-8: the cut never splits one.
        QTest::newRow("long non-ASCII title")
            << QString(100, QChar(0xE4)) << QString(59, QChar(0xE4)) << 16 << 0xA5 << 0x5A;
        QTest::newRow("largest image") << "Full"
                                       << "Full" << int(j2::update::kMaxImageSize) << 0x01 << 0x80;
    }
    void roundTrip()
    {
        QFETCH(QString, title);
        QFETCH(QString, titleBack);
        QFETCH(int, imageLength);
        QFETCH(int, key1);
        QFETCH(int, key0);

        FirmwareImage firmware;
        firmware.title = title;
        firmware.vendorId = 0x04D9;
        firmware.productId = 0xA100;
        firmware.checksum = 0xC0DE;
        firmware.key1 = quint8(key1);
        firmware.key0 = quint8(key0);
        firmware.image.resize(imageLength);
        QRandomGenerator random(quint32(imageLength) + 17);
        for (char& byte : firmware.image)
            byte = char(random.bounded(256));

        const QByteArray file = j2::update::buildFirmwareFile(firmware);
        QCOMPARE(file.size(), j2::update::kHeaderSize + j2::update::kImageOffset + imageLength);
        // The image travels scrambled unless both keys are zero.
        QCOMPARE(file.right(imageLength) == firmware.image, key1 == 0 && key0 == 0);

        const FirmwareLoad load = j2::update::parseFirmwareFile(file);
        QVERIFY(load.accepted());
        FirmwareImage expected = firmware;
        expected.title = titleBack;
        QCOMPARE(load.firmware.title, expected.title);
        QVERIFY(load.firmware == expected);
    }

    // The start-up check against the programming library: the image must be taken, and the checksum the
    // library will program must be the file's.
    void acceptFirmware_data()
    {
        QTest::addColumn<int>("imageLength");
        QTest::addColumn<int>("checksumOffset"); // added to the library's checksum to make the file's
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("shown");
        QTest::newRow("matching checksum") << 3000 << 0 << true << true;
        QTest::newRow("empty image") << 0 << 0 << false << false;
        QTest::newRow("checksum off by one") << 3000 << 1 << false << true;
        QTest::newRow("image longer than the flash") << int(j2::isp::kFlashSize) + 1 << 0 << false << false;
    }
    void acceptFirmware()
    {
        QFETCH(int, imageLength);
        QFETCH(int, checksumOffset);
        QFETCH(bool, accepted);
        QFETCH(bool, shown);

        FirmwareImage firmware;
        firmware.image.resize(imageLength);
        for (qsizetype i = 0; i < firmware.image.size(); ++i)
            firmware.image[i] = char(i * 13 + 5);
        j2::isp::IspLibrary reference(nullptr);
        const int loaded = reference.LoadProgdata(
            reinterpret_cast<const std::uint8_t*>(firmware.image.constData()), std::uint32_t(imageLength),
            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        const quint16 libraryChecksum = loaded == 0 ? reference.GetChksum(1) : 0;
        firmware.checksum = quint16(libraryChecksum + checksumOffset);

        j2::isp::IspLibrary library(nullptr);
        constexpr quint16 kUntouched = 0xBEEF;
        quint16 shownChecksum = kUntouched;
        QCOMPARE(j2::update::acceptFirmware(library, firmware, &shownChecksum), accepted);
        QCOMPARE(shownChecksum, shown ? libraryChecksum : kUntouched);
    }

    void writerRefusesAnImageTooLarge_data()
    {
        QTest::addColumn<qsizetype>("imageLength");
        QTest::newRow("one byte more than a file holds") << j2::update::kMaxImageSize + 1;
        QTest::newRow("empty") << qsizetype(0);
    }
    void writerRefusesAnImageTooLarge()
    {
        QFETCH(qsizetype, imageLength);
        FirmwareImage firmware;
        firmware.image.resize(imageLength);
        QVERIFY(j2::update::buildFirmwareFile(firmware).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFirmwareFile)
#include "test_firmware_file.moc"
