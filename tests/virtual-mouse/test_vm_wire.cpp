// How the device treats what travels: scrambling, checksums, reports it does not expect, aborted phases and
// the settle time of flash writes.

#include "host.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace vmtest;

namespace {

struct Rig
{
    explicit Rig(j2::vm::VirtualMouse::Options options = {})
        : mouse(options), backend(j2::vm::makeInProcessBackend(mouse)), host(*backend)
    {}
    j2::vm::VirtualMouse mouse;
    std::unique_ptr<j2::hid::Backend> backend;
    Host host;
};

j2::vm::VirtualMouse::Options scrambling(const char* code)
{
    j2::vm::VirtualMouse::Options options;
    options.encode = true;
    options.secrecyCode = code;
    return options;
}

} // namespace

class TestVmWire : public QObject
{
    Q_OBJECT

private slots:
    void scrambledHandshake_data();
    void scrambledHandshake();
    void scrambledRepliesTravelScrambled();
    void plainCodeQueryRevealsCode();
    void badChecksumIsIgnoredAndClearsReply();
    void unknownCommands_data();
    void unknownCommands();
    void outputWithoutWriteIsUnexpected_data();
    void outputWithoutWriteIsUnexpected();
    void wireLogFileIsPrivate_data();
    void wireLogFileIsPrivate();
    void newCommandAbortsReadPhase();
    void newCommandAbortsWritePhase();
    void shortBuffersGetFewerBytes();
    void busyAfterSettledWrite_data();
    void busyAfterSettledWrite();
    void busyAgainAfterBulkPhase();
};

void TestVmWire::scrambledHandshake_data()
{
    QTest::addColumn<bool>("hostScrambles");
    QTest::addColumn<QByteArray>("hostCode");
    QTest::addColumn<bool>("echoMatches");

    QTest::newRow("same code") << true << QByteArray("260417") << true;
    QTest::newRow("wrong code") << true << QByteArray("123456") << false;
    QTest::newRow("host sends plain") << false << QByteArray() << false;
}

void TestVmWire::scrambledHandshake()
{
    QFETCH(bool, hostScrambles);
    QFETCH(QByteArray, hostCode);
    QFETCH(bool, echoMatches);

    Rig rig(scrambling("260417"));
    rig.host.encode = hostScrambles;
    rig.host.code = codeOf(hostCode.constData());
    const auto reply = rig.host.query(request(0x00, {0x5A, 0xC3, 0x01, 0xFE}));
    QVERIFY(reply);
    QCOMPARE(hex(reply->data() + 2, 4) == "5ac301fe", echoMatches);
    QCOMPARE(rig.mouse.checksumErrors(), echoMatches ? 0 : 1);
    if (!echoMatches) {
        // The reply of a rejected report is all zero as it travels: nothing stale to mistake for an echo.
        const auto raw = rig.host.fetchRaw();
        QVERIFY(raw);
        QCOMPARE(*raw, FeatureReport{});
        QCOMPARE(logged(rig.mouse, "feature-set").back().note, std::string("checksum"));
    }
}

void TestVmWire::scrambledRepliesTravelScrambled()
{
    Rig rig(scrambling("Qw3rty"));
    rig.host.encode = true;
    rig.host.code = codeOf("Qw3rty");
    const auto reply = rig.host.query(request(0x80));
    QVERIFY(reply);
    QCOMPARE(hex(reply->data() + 1, 3), QByteArray("80010a"));
    QVERIFY(j2::wire::checksumValid(*reply));

    // The log shows the bytes as they travelled: both directions scrambled, the report id untouched.
    const auto set = logged(rig.mouse, "feature-set").back();
    const auto get = logged(rig.mouse, "feature-get").back();
    QCOMPARE(set.command, std::string("GetFWVersion"));
    QCOMPARE(set.bytes[0], std::uint8_t(0));
    QVERIFY(set.bytes[1] != 0x80);
    QCOMPARE(get.bytes[0], std::uint8_t(0));
    QVERIFY(get.bytes != std::vector<std::uint8_t>(reply->begin(), reply->end()));
}

void TestVmWire::plainCodeQueryRevealsCode()
{
    // An updater that does not know the code sends 00 in plain with zero arguments; undoing the addition and
    // the rotation of the answer leaves the code in bytes 2-7.
    Rig rig(scrambling("K7p2Zx"));
    const auto raw = rig.host.query(request(0x00));
    QVERIFY(raw);
    std::uint8_t block[8];
    std::copy(raw->begin() + 1, raw->end(), block);
    static const char addend[] = "TeVqaWiz";
    for (int k = 0; k < 8; ++k) {
        const auto value = std::uint8_t(addend[k]);
        block[k] = std::uint8_t(block[k] - std::uint8_t((value << 4) | (value >> 4)));
    }
    std::uint64_t number = 0;
    for (const std::uint8_t byte : block)
        number = (number << 8) | byte;
    number = (number >> 3) | (number << 61);
    for (int k = 7; k >= 0; --k, number >>= 8)
        block[k] = std::uint8_t(number & 0xFF);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(block + 1), 6), QByteArray("K7p2Zx"));
    QCOMPARE(rig.mouse.checksumErrors(), 0);

    // A device that does not scramble answers the same report with a plain zero echo.
    Rig plain;
    const auto echo = plain.host.query(request(0x00));
    QVERIFY(echo);
    QCOMPARE(hex(echo->data() + 2, 3), QByteArray("000000"));
}

void TestVmWire::badChecksumIsIgnoredAndClearsReply()
{
    Rig rig;
    QVERIFY(rig.host.query(request(0x80))); // leaves a reply behind
    FeatureReport broken = request(0x0B, {0x03});
    broken[8] ^= 0x01;
    QCOMPARE(rig.host.send(broken), 9);
    const auto reply = rig.host.fetchRaw();
    QVERIFY(reply);
    QCOMPARE(*reply, FeatureReport{});
    QCOMPARE(rig.mouse.checksumErrors(), 1);
    QCOMPARE(rig.mouse.state().currentDpiStage, std::uint8_t(1));
    QCOMPARE(rig.mouse.busyViolations(), 0); // an ignored write does not make the device busy
}

void TestVmWire::unknownCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::newRow("05") << 0x05;
    QTest::newRow("85") << 0x85;
    QTest::newRow("8F") << 0x8F;
    QTest::newRow("FF") << 0xFF;
}

void TestVmWire::unknownCommands()
{
    QFETCH(int, command);
    Rig rig;
    QVERIFY(rig.host.query(request(0x80)));
    const auto reply = rig.host.query(request(std::uint8_t(command), {1, 2, 3}));
    QVERIFY(reply);
    QCOMPARE(*reply, FeatureReport{});
    QCOMPARE(logged(rig.mouse, "feature-set").back().note, std::string("unknown"));
    QCOMPARE(rig.mouse.checksumErrors(), 0);
}

void TestVmWire::outputWithoutWriteIsUnexpected_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("loggedSize");
    QTest::addColumn<QString>("note");
    QTest::newRow("one report") << 65 << 65 << "unexpected";
    // The log keeps what a report can hold, not the megabyte someone sent.
    QTest::newRow("a megabyte") << (1 << 20) << 128 << "unexpected,truncated";
}

void TestVmWire::outputWithoutWriteIsUnexpected()
{
    QFETCH(int, size);
    QFETCH(int, loggedSize);
    QFETCH(QString, note);
    Rig rig;
    std::vector<std::uint8_t> output(std::size_t(size), 0);
    output[1] = 0x11;
    output[2] = 0x22;
    QCOMPARE(rig.host.control()->write(output.data(), output.size()), size);
    const auto outputs = logged(rig.mouse, "output");
    QCOMPARE(outputs.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(outputs[0].note), note);
    QCOMPARE(outputs[0].bytes.size(), std::size_t(loggedSize));
    QVERIFY(rig.mouse.state() == j2::vm::DeviceState::factory());
}

// The wire log shows secrecy-code queries: a new file is the user's alone, and the log never goes through
// a link or into a file that another user made.
void TestVmWire::wireLogFileIsPrivate_data()
{
    QTest::addColumn<QString>("existing"); // what is at the path before the mouse starts
    QTest::addColumn<bool>("written");
    QTest::newRow("nothing") << "" << true;
    QTest::newRow("our own file, open to others") << "file 0644" << true;
    QTest::newRow("a symbolic link") << "link" << false;
    QTest::newRow("another user's file") << "foreign file" << false;
}

void TestVmWire::wireLogFileIsPrivate()
{
    QFETCH(QString, existing);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath("wire.jsonl");
    const QString target = dir.filePath("elsewhere");
    if (existing == "link") {
        QVERIFY(QFile(target).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(target, path));
    } else if (!existing.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(::chmod(path.toLocal8Bit().constData(), 0644) == 0);
        if (existing == "foreign file") {
            constexpr uid_t kNobody = 65534;
            if (::geteuid() != 0)
                QSKIP("making a file of another user needs root");
            QVERIFY(::chown(path.toLocal8Bit().constData(), kNobody, kNobody) == 0);
        }
    }
    {
        j2::vm::VirtualMouse::Options options;
        options.wireLogFile = path.toStdString();
        Rig rig(options);
        QVERIFY(rig.host.query(request(0x80)));
    }
    struct stat info
    {};
    QCOMPARE(::lstat(path.toLocal8Bit().constData(), &info), 0);
    QCOMPARE(QFileInfo(path).size() > 0, written);
    if (written)
        QCOMPARE(int(info.st_mode & 07777), 0600);
    if (existing == "link") {
        QVERIFY(S_ISLNK(info.st_mode));
        QCOMPARE(QFileInfo(target).size(), 0);
    }
}

void TestVmWire::newCommandAbortsReadPhase()
{
    Rig rig;
    QVERIFY(rig.host.query(request(0x8C, {0x00})));
    std::uint8_t input[65];
    QVERIFY(rig.host.readReport(input, sizeof input) > 0); // first of two reports
    QVERIFY(rig.host.query(request(0x8B)));
    QCOMPARE(rig.host.readReport(input, sizeof input, 0), 0);
}

void TestVmWire::newCommandAbortsWritePhase()
{
    Rig rig;
    QCOMPARE(rig.host.send(request(0x0C, {0x01, 0x80})), 9);
    sleepMs(kHostSettleMs);
    std::uint8_t output[65] = {0x00, 0xEE};
    QCOMPARE(rig.host.control()->write(output, sizeof output), 65); // one of two
    QVERIFY(rig.host.query(request(0x8B)));
    QCOMPARE(rig.host.control()->write(output, sizeof output), 65);
    QCOMPARE(logged(rig.mouse, "output").back().note, std::string("unexpected"));
    QVERIFY(rig.mouse.state().profiles[1] == j2::vm::DeviceState::factory().profiles[1]);
}

void TestVmWire::shortBuffersGetFewerBytes()
{
    Rig rig;
    QCOMPARE(rig.host.send(request(0x91)), 9);
    std::uint8_t reply[4] = {};
    QCOMPARE(rig.host.control()->getFeatureReport(reply, sizeof reply), 4);
    QCOMPARE(hex(reply, 4), QByteArray("00910400"));
    std::uint8_t input[3] = {};
    QCOMPARE(rig.host.readReport(input, sizeof input), 3);
    QCOMPARE(hex(input, 3), QByteArray("070f1f"));
}

void TestVmWire::busyAfterSettledWrite_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("arguments");
    QTest::addColumn<bool>("settled");

    QTest::newRow("03 function option") << 0x03 << QByteArray("00020000") << true;
    QTest::newRow("0B DPI stage") << 0x0B << QByteArray("02") << true;
    QTest::newRow("0D light effect") << 0x0D << QByteArray("010200") << true;
    QTest::newRow("04 gun data") << 0x04 << QByteArray("0101") << true;
    QTest::newRow("08 LED type") << 0x08 << QByteArray("01") << true;
    QTest::newRow("09 keyboard mode") << 0x09 << QByteArray("01") << true;
    QTest::newRow("0E XY sensitivity") << 0x0E << QByteArray("0303") << true;
    QTest::newRow("0C profile") << 0x0C << QByteArray("0080") << true;
    QTest::newRow("07 LED instruction") << 0x07 << QByteArray("01") << false;
    QTest::newRow("01 keyboard option") << 0x01 << QByteArray("08") << false;
    QTest::newRow("02 current profile") << 0x02 << QByteArray("01") << false;
    QTest::newRow("14 colour") << 0x14 << QByteArray("0001") << false;
    QTest::newRow("reads never settle") << 0x8C << QByteArray("00") << false;
}

void TestVmWire::busyAfterSettledWrite()
{
    QFETCH(int, command);
    QFETCH(QByteArray, arguments);
    QFETCH(bool, settled);

    Rig rig;
    QCOMPARE(rig.host.send(request(arguments, std::uint8_t(command))), 9);
    QCOMPARE(rig.host.send(request(0x8B)), 9); // at once: a host that skipped the settle delay
    QCOMPARE(rig.mouse.busyViolations(), settled ? 1 : 0);
    if (settled) {
        QCOMPARE(logged(rig.mouse, "feature-set").back().note, std::string("busy"));
        sleepMs(kHostSettleMs);
        QVERIFY(rig.host.query(request(0x8B)));
        QCOMPARE(rig.mouse.busyViolations(), 1);
    }
}

void TestVmWire::busyAgainAfterBulkPhase()
{
    Rig rig;
    QCOMPARE(rig.host.send(request(0x0F, {0x02, 0x80})), 9);
    sleepMs(kHostSettleMs);
    std::uint8_t output[65] = {0x00, 0x42};
    // The reports of the phase follow each other without a settle; only the last one starts a flash write.
    QCOMPARE(rig.host.control()->write(output, sizeof output), 65);
    QCOMPARE(rig.host.control()->write(output, sizeof output), 65);
    QCOMPARE(rig.mouse.busyViolations(), 0);
    QCOMPARE(rig.mouse.state().macros[2][0], std::uint8_t(0x42));
    QCOMPARE(rig.host.control()->write(output, sizeof output), 65);
    QCOMPARE(rig.mouse.busyViolations(), 1);
    QCOMPARE(logged(rig.mouse, "output").back().note, std::string("busy"));
}

QTEST_GUILESS_MAIN(TestVmWire)
#include "test_vm_wire.moc"
