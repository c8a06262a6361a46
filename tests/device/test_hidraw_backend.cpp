// Our hidapi backend, the unmodified hidapi library and the kernel's hidraw conventions, against the emulated
// hidraw mouse: byte 0 of feature and output reports is the report id (0: the device numbers no report),
// reads return one input report without it, and lengths are exact. One data-driven test per backend call.

#include "hidapi_backend.h"
#include "hidraw_rig.h"
#include "report.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

const QString kDist = QStringLiteral(J2_DIST_DIR);
constexpr std::uint8_t kGetFirmwareVersion = 0x80;
constexpr std::uint8_t kReadProfile = 0x8C;
constexpr std::uint8_t kSetProfile = 0x0C;
constexpr std::uint8_t kProfileBulk = 0x80; // argument byte 3 of 0C: 128 bytes follow
constexpr int kReportLength = 64;

// A feature report as the host sends it: report id 0, command, arguments, checksum.
Bytes request(std::uint8_t command, std::initializer_list<std::uint8_t> arguments = {})
{
    j2::wire::FeatureReport report{};
    report[j2::wire::kCommandOffset] = command;
    std::size_t offset = j2::wire::kFirstArgumentOffset;
    for (std::uint8_t value : arguments)
        report[offset++] = value;
    j2::wire::setChecksum(report);
    return Bytes(report.begin(), report.end());
}

QByteArray hex(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex();
}

} // namespace

class TestHidrawBackend : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<hidraw_rig::Mouse> mouse;
    std::unique_ptr<j2::hid::Backend> backend;
    std::unique_ptr<j2::hid::Device> device;

    // The wire log's entries of `kind` since the test started.
    QList<QJsonObject> entries(const QString& kind) const
    {
        QList<QJsonObject> found;
        for (const QJsonObject& entry : mouse->wireLog())
            if (entry.value(QStringLiteral("kind")).toString() == kind)
                found.append(entry);
        return found;
    }

private slots:
    void initTestCase()
    {
        // The real library, deliberately: inside this namespace the only hidraw node is the emulated one.
        qunsetenv("J2_FORBID_HIDAPI");
        backend = j2::hid::makeHidapiBackend();
    }

    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        mouse = std::make_unique<hidraw_rig::Mouse>(kDist, folder->path());
        QVERIFY2(mouse->start(), qPrintable(mouse->log()));
        device = backend->openPath(hidraw_rig::kNode.toStdString());
        QVERIFY(device);
    }

    void cleanup()
    {
        device.reset();
        const bool clean = mouse->stop();
        QVERIFY2(clean, qPrintable(mouse->log()));
        mouse.reset();
    }

    // One node carries both collections; each is listed with its usage pair and the USB interface.
    void enumerateListsBothCollectionsOfTheNode()
    {
        const auto found = backend->enumerate(0x04d9, 0xa100);
        QCOMPARE(found.size(), std::size_t(2));
        QCOMPARE(found[0].path, hidraw_rig::kNode.toStdString());
        QCOMPARE(found[1].path, hidraw_rig::kNode.toStdString());
        QCOMPARE((QList<int>{found[0].usagePage, found[0].usage, found[1].usagePage, found[1].usage}),
                 (QList<int>{0xff00, 0xff00, 0xff01, 0x0001}));
        QCOMPARE(found[0].interfaceNumber, 1);
        QVERIFY(backend->enumerate(0x04d9, 0x8022).empty());
    }

    void sendFeatureReport_data()
    {
        QTest::addColumn<Bytes>("report");
        QTest::addColumn<int>("result");
        const Bytes good = request(kGetFirmwareVersion);
        Bytes numbered = good;
        numbered[0] = 1;
        Bytes longer = good;
        longer.push_back(0);
        QTest::newRow("id 0 and 8 bytes: sent as it is") << good << 9;
        QTest::newRow("without the id byte: stalled") << Bytes(good.begin() + 1, good.end()) << -1;
        QTest::newRow("one byte too many: stalled") << longer << -1;
        QTest::newRow("report id 1, which the device lacks: stalled") << numbered << -1;
    }
    void sendFeatureReport()
    {
        QFETCH(Bytes, report);
        QFETCH(int, result);
        QCOMPARE(device->sendFeatureReport(report.data(), report.size()), result);
        const auto sent = entries(QStringLiteral("feature-set"));
        QCOMPARE(sent.size(), result < 0 ? 0 : 1);
        if (result > 0)
            QCOMPARE(sent[0].value(QStringLiteral("bytes")).toString().toLatin1(), hex(report));
    }

    void getFeatureReport_data()
    {
        QTest::addColumn<int>("buffer");
        QTest::addColumn<std::uint8_t>("reportId");
        QTest::addColumn<int>("result");
        QTest::newRow("9 bytes: id and the 8-byte report") << 9 << std::uint8_t(0) << 9;
        QTest::newRow("a longer buffer still gets 9") << 65 << std::uint8_t(0) << 9;
        QTest::newRow("a shorter one what fits") << 5 << std::uint8_t(0) << 5;
        QTest::newRow("report id 1: stalled") << 9 << std::uint8_t(1) << -1;
    }
    void getFeatureReport()
    {
        QFETCH(int, buffer);
        QFETCH(std::uint8_t, reportId);
        QFETCH(int, result);
        const Bytes ask = request(kGetFirmwareVersion);
        QCOMPARE(device->sendFeatureReport(ask.data(), ask.size()), 9);
        Bytes reply(std::size_t(buffer), 0xEE);
        reply[0] = reportId;
        QCOMPARE(device->getFeatureReport(reply.data(), reply.size()), result);
        if (result < 0)
            return;
        // Byte 0 stays the report id; the rest is what the device answered, as its log shows.
        const auto answered = entries(QStringLiteral("feature-get"));
        QCOMPARE(answered.size(), 1);
        const QByteArray expected =
            QByteArray::fromHex(answered[0].value(QStringLiteral("bytes")).toString().toLatin1());
        QCOMPARE(reply[0], std::uint8_t(0));
        QCOMPARE(hex(Bytes(reply.begin(), reply.begin() + result)), expected.left(result).toHex());
    }

    void write_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<std::uint8_t>("reportId");
        QTest::addColumn<int>("result");
        QTest::newRow("id 0 and 64 bytes") << 65 << std::uint8_t(0) << 65;
        QTest::newRow("the id byte forgotten: halted") << 64 << std::uint8_t(0) << -1;
        QTest::newRow("one byte too many: halted") << 66 << std::uint8_t(0) << -1;
        QTest::newRow("report id 1: halted") << 65 << std::uint8_t(1) << -1;
    }
    void write()
    {
        QFETCH(int, length);
        QFETCH(std::uint8_t, reportId);
        QFETCH(int, result);
        // A profile write waits for its 128 bytes in two output reports.
        const Bytes ask = request(kSetProfile, {0x00, kProfileBulk});
        QCOMPARE(device->sendFeatureReport(ask.data(), ask.size()), 9);
        Bytes report(static_cast<std::size_t>(length));
        for (std::size_t i = 1; i < report.size(); ++i)
            report[i] = std::uint8_t(i * 3);
        report[0] = reportId;
        QCOMPARE(device->write(report.data(), report.size()), result);
        const auto written = entries(QStringLiteral("output"));
        QCOMPARE(written.size(), result < 0 ? 0 : 1);
        if (result > 0)
            QCOMPARE(written[0].value(QStringLiteral("bytes")).toString().toLatin1(), hex(report));
    }

    void readTimeout_data()
    {
        QTest::addColumn<int>("buffer");
        QTest::addColumn<int>("result");
        QTest::newRow("65 bytes: the 64-byte report, no id in front") << 65 << kReportLength;
        QTest::newRow("64 bytes") << 64 << kReportLength;
        QTest::newRow("a shorter buffer: what fits, one report per read") << 10 << 10;
    }
    void readTimeout()
    {
        QFETCH(int, buffer);
        QFETCH(int, result);
        const Bytes ask = request(kReadProfile, {0x00});
        QCOMPARE(device->sendFeatureReport(ask.data(), ask.size()), 9);
        const QByteArray block = QByteArray::fromHex(
            mouse->state().value(QStringLiteral("profiles")).toArray().at(0).toString().toLatin1());
        QCOMPARE(block.size(), 2 * kReportLength);
        for (int half = 0; half < 2; ++half) {
            Bytes report(std::size_t(buffer), 0xEE);
            QCOMPARE(device->readTimeout(report.data(), report.size(), 1000), result);
            QCOMPARE(hex(Bytes(report.begin(), report.begin() + result)),
                     block.mid(half * kReportLength, result).toHex());
        }
        // Nothing more is pending: the next read times out.
        Bytes rest(static_cast<std::size_t>(buffer));
        QCOMPARE(device->readTimeout(rest.data(), rest.size(), 100), 0);
    }

    // The node goes while the host waits for a report: the wait ends at once and every later call fails.
    void removalFailsTheExchangeAtOnce()
    {
        QVERIFY(!mouse->ctl({QStringLiteral("unplug")}).isNull());
        Bytes report(65);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(device->readTimeout(report.data(), report.size(), 5000), -1);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        const Bytes ask = request(kGetFirmwareVersion);
        QCOMPARE(device->sendFeatureReport(ask.data(), ask.size()), -1);
        QCOMPARE(device->write(report.data(), report.size()), -1);
        j2::hid::OpenFailure failure;
        QVERIFY(!backend->openPath(hidraw_rig::kNode.toStdString(), failure));
        QVERIFY(!failure.permissionDenied);
        QVERIFY(!failure.reason.empty());
        QVERIFY(backend->enumerate(0x04d9, 0).empty());
    }
};

int main(int argc, char* argv[])
{
    if (!hidraw_rig::insideNamespace())
        return 77;
    QCoreApplication app(argc, argv);
    TestHidrawBackend test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hidraw_backend.moc"
