// Every command of both families, driven through the backend seam: write, read back, bulk phases and the
// codes that carry two commands.

#include "host.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace vmtest;

class TestVmCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        mouse = std::make_unique<j2::vm::VirtualMouse>();
        backend = j2::vm::makeInProcessBackend(*mouse);
        host = std::make_unique<Host>(*backend);
    }
    void cleanup()
    {
        QCOMPARE(mouse->busyViolations(), 0); // every test here waits like the configurator
        QCOMPARE(mouse->checksumErrors(), 0);
        host.reset();
        backend.reset();
        mouse.reset();
    }

    void plainWriteReadBack_data();
    void plainWriteReadBack();
    void factoryAnswers_data();
    void factoryAnswers();
    void bulkRoundTrip_data();
    void bulkRoundTrip();
    void writesSeenInState_data();
    void writesSeenInState();
    void outOfRangeWritesIgnored_data();
    void outOfRangeWritesIgnored();
    void outOfRangeReadsGiveZeros_data();
    void outOfRangeReadsGiveZeros();
    void keyboardMacroSlotZeroReadsAsDpiSet();
    void lightEffectReadDiscardsKeyboardMatrix();
    void recoveryKeepsCodeAndScrambling();

private:
    std::unique_ptr<j2::vm::VirtualMouse> mouse;
    std::unique_ptr<j2::hid::Backend> backend;
    std::unique_ptr<Host> host;
};

void TestVmCommands::plainWriteReadBack_data()
{
    QTest::addColumn<int>("setCommand");
    QTest::addColumn<QByteArray>("setArguments");
    QTest::addColumn<bool>("settled");
    QTest::addColumn<int>("getCommand");
    QTest::addColumn<QByteArray>("getArguments");
    QTest::addColumn<int>("replyFrom");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("function option") << 0x03 << QByteArray("01050304") << true << 0x83 << QByteArray("00")
                                     << 2 << QByteArray("01050304");
    QTest::newRow("report rate, keyboard form")
        << 0x03 << QByteArray("0006") << true << 0x83 << QByteArray("01") << 2 << QByteArray("06");
    QTest::newRow("LED instruction") << 0x07 << QByteArray("020a0b0c") << false << 0x87 << QByteArray("02")
                                     << 3 << QByteArray("0a0b0c");
    QTest::newRow("indicator light, keyboard form")
        << 0x07 << QByteArray("0503") << false << 0x87 << QByteArray("05") << 3 << QByteArray("030000");
    QTest::newRow("DPI stage") << 0x0B << QByteArray("03") << true << 0x8B << QByteArray() << 2
                               << QByteArray("03");
    QTest::newRow("RGB light effect")
        << 0x0D << QByteArray("040506") << true << 0x8D << QByteArray() << 2 << QByteArray("040506");
    QTest::newRow("current profile") << 0x02 << QByteArray("03") << false << 0x82 << QByteArray() << 2
                                     << QByteArray("03");
    QTest::newRow("keyboard option") << 0x01 << QByteArray("0801") << false << 0x81 << QByteArray() << 2
                                     << QByteArray("0801");
    QTest::newRow("LED type") << 0x08 << QByteArray("010203040506") << true << 0x88 << QByteArray() << 2
                              << QByteArray("010203040506");
    QTest::newRow("keyboard mode") << 0x09 << QByteArray("02") << true << 0x89 << QByteArray() << 2
                                   << QByteArray("02");
    QTest::newRow("colour slot 5") << 0x14 << QByteArray("0005112233") << false << 0x94 << QByteArray("0005")
                                   << 3 << QByteArray("05112233");
}

void TestVmCommands::plainWriteReadBack()
{
    QFETCH(int, setCommand);
    QFETCH(QByteArray, setArguments);
    QFETCH(bool, settled);
    QFETCH(int, getCommand);
    QFETCH(QByteArray, getArguments);
    QFETCH(int, replyFrom);
    QFETCH(QByteArray, expected);

    QVERIFY(host->writeBulk(request(setArguments, std::uint8_t(setCommand)), {}, settled));
    const auto reply = host->query(request(getArguments, std::uint8_t(getCommand)));
    QVERIFY(reply);
    QCOMPARE((*reply)[1], std::uint8_t(getCommand));
    QVERIFY(j2::wire::checksumValid(*reply));
    QCOMPARE(hex(reply->data() + replyFrom, std::size_t(expected.size() / 2)), expected);
}

void TestVmCommands::factoryAnswers_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("arguments");
    QTest::addColumn<QByteArray>("expectedReply"); // bytes 2-7

    QTest::newRow("firmware version") << 0x80 << QByteArray() << QByteArray("010a00000000");
    QTest::newRow("button sensitivity") << 0x84 << QByteArray() << QByteArray("050607080000");
    QTest::newRow("handshake echoes the challenge")
        << 0x00 << QByteArray("9c11e07f") << QByteArray("9c11e07f0000");
    QTest::newRow("function option") << 0x83 << QByteArray() << QByteArray("000200000000");
    QTest::newRow("report rate") << 0x83 << QByteArray("01") << QByteArray("020000000000");
    QTest::newRow("LED instruction never set") << 0x87 << QByteArray("09") << QByteArray("090000000000");
    QTest::newRow("DPI stage") << 0x8B << QByteArray() << QByteArray("010000000000");
    QTest::newRow("DPI set: stage count") << 0x91 << QByteArray() << QByteArray("040000000000");
    QTest::newRow("notifications off") << 0x81 << QByteArray() << QByteArray("000000000000");
}

void TestVmCommands::factoryAnswers()
{
    QFETCH(int, command);
    QFETCH(QByteArray, arguments);
    QFETCH(QByteArray, expectedReply);

    const auto reply = host->query(request(arguments, std::uint8_t(command)));
    QVERIFY(reply);
    QCOMPARE((*reply)[0], std::uint8_t(0));
    QCOMPARE((*reply)[1], std::uint8_t(command));
    QCOMPARE(hex(reply->data() + 2, 6), expectedReply);
    QVERIFY(j2::wire::checksumValid(*reply));
}

void TestVmCommands::bulkRoundTrip_data()
{
    QTest::addColumn<int>("setCommand");
    QTest::addColumn<QByteArray>("setArguments");
    QTest::addColumn<int>("writeLength");
    QTest::addColumn<int>("getCommand");
    QTest::addColumn<QByteArray>("getArguments");
    QTest::addColumn<int>("readLength");
    QTest::addColumn<int>("inputReports");

    QTest::newRow("stage colours, type 2")
        << 0x10 << QByteArray("0204") << 4 << 0x90 << QByteArray("02") << 4 << 1;
    QTest::newRow("stage colours, type 1")
        << 0x10 << QByteArray("0118") << 24 << 0x90 << QByteArray("01") << 24 << 1;
    QTest::newRow("DPI set") << 0x11 << QByteArray("0608") << 8 << 0x91 << QByteArray() << 8 << 1;
    QTest::newRow("key on/off") << 0x0E << QByteArray("000015") << 21 << 0x8E << QByteArray() << 21 << 1;
    QTest::newRow("key table 1, written as 0")
        << 0x0D << QByteArray("0080") << 128 << 0x92 << QByteArray("01") << 64 << 1;
    QTest::newRow("gun key table 3") << 0x0D << QByteArray("0480") << 128 << 0x92 << QByteArray("04") << 64
                                     << 1;
    QTest::newRow("profile block 5") << 0x0C << QByteArray("0580") << 128 << 0x8C << QByteArray("05") << 128
                                     << 2;
    QTest::newRow("macro slot 63") << 0x0F << QByteArray("3f80") << 128 << 0x93 << QByteArray("3f") << 128
                                   << 2;
    QTest::newRow("keyboard macro 7")
        << 0x11 << QByteArray("000703") << 192 << 0x91 << QByteArray("0007") << 192 << 3;
    QTest::newRow("user picture 3") << 0x12 << QByteArray("00030801") << 512 << 0x92 << QByteArray("0003")
                                    << 512 << 8;
    QTest::newRow("keyboard key matrix")
        << 0x0D << QByteArray("000008") << 512 << 0x8D << QByteArray() << 512 << 8;
}

void TestVmCommands::bulkRoundTrip()
{
    QFETCH(int, setCommand);
    QFETCH(QByteArray, setArguments);
    QFETCH(int, writeLength);
    QFETCH(int, getCommand);
    QFETCH(QByteArray, getArguments);
    QFETCH(int, readLength);
    QFETCH(int, inputReports);

    const Bytes written = pattern(std::size_t(writeLength), setCommand);
    QVERIFY(host->writeBulk(request(setArguments, std::uint8_t(setCommand)), written));
    mouse->clearWireLog();
    const auto read =
        host->readBulk(request(getArguments, std::uint8_t(getCommand)), std::size_t(readLength));
    QVERIFY(read);
    QCOMPARE(*read, Bytes(written.begin(), written.begin() + readLength));

    const auto inputs = logged(*mouse, "input");
    QCOMPARE(int(inputs.size()), inputReports);
    for (const auto& input : inputs)
        QCOMPARE(int(input.bytes.size()), j2::vm::kReportLength);
    // The last report of a phase is padded with zeros.
    const std::size_t tail = std::size_t(readLength) % j2::vm::kReportLength;
    if (tail != 0)
        QVERIFY(std::all_of(inputs.back().bytes.begin() + std::ptrdiff_t(tail), inputs.back().bytes.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
    // Nothing of the phase is left over.
    std::uint8_t extra[65];
    QCOMPARE(host->readReport(extra, sizeof extra, 0), 0);
}

void TestVmCommands::writesSeenInState_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("arguments");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    QTest::newRow("gun data") << 0x04 << QByteArray("0102030405") << "gunData"
                              << "0102030405";
    QTest::newRow("XY sensitivity") << 0x0E << QByteArray("0708") << "xySensitivity"
                                    << "0708";
    QTest::newRow("keyboard report rate") << 0x03 << QByteArray("0003") << "functionOption"
                                          << "00030000";
}

void TestVmCommands::writesSeenInState()
{
    QFETCH(int, command);
    QFETCH(QByteArray, arguments);
    QFETCH(QString, field);
    QFETCH(QString, expected);

    QVERIFY(host->writeBulk(request(arguments, std::uint8_t(command)), {}));
    const QJsonObject state = QJsonDocument::fromJson(QByteArray::fromStdString(mouse->dumpJson())).object();
    QCOMPARE(state.value(field).toString(), expected);
}

void TestVmCommands::outOfRangeWritesIgnored_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("arguments");
    QTest::addColumn<int>("bulkLength");

    QTest::newRow("profile block 8") << 0x0C << QByteArray("0880") << 128;
    QTest::newRow("profile without 0x80") << 0x0C << QByteArray("0100") << 128;
    QTest::newRow("macro slot 64") << 0x0F << QByteArray("4080") << 128;
    QTest::newRow("key table 9") << 0x0D << QByteArray("0980") << 128;
    QTest::newRow("DPI stage 0") << 0x0B << QByteArray("00") << 0;
    QTest::newRow("DPI stage 9") << 0x0B << QByteArray("09") << 0;
    QTest::newRow("DPI set of 9 stages") << 0x11 << QByteArray("0908") << 8;
    QTest::newRow("stage colours, length byte wrong") << 0x10 << QByteArray("0104") << 24;
    QTest::newRow("keyboard macro 32") << 0x11 << QByteArray("002003") << 192;
    QTest::newRow("user picture 8") << 0x12 << QByteArray("00080801") << 512;
    QTest::newRow("colour slot 32") << 0x14 << QByteArray("0020010203") << 0;
    QTest::newRow("recovery without 0xFF") << 0x13 << QByteArray("fe") << 0;
}

void TestVmCommands::outOfRangeWritesIgnored()
{
    QFETCH(int, command);
    QFETCH(QByteArray, arguments);
    QFETCH(int, bulkLength);

    mouse->setState([] {
        j2::vm::DeviceState changed = j2::vm::DeviceState::factory();
        changed.currentProfile = 4; // something a factory reset would undo
        return changed;
    }());
    const j2::vm::DeviceState before = mouse->state();
    QVERIFY(host->writeBulk(request(arguments, std::uint8_t(command)), pattern(std::size_t(bulkLength), 9)));
    QVERIFY(mouse->state() == before);

    const auto sets = logged(*mouse, "feature-set");
    QCOMPARE(sets.size(), std::size_t(1));
    QCOMPARE(sets[0].note, std::string("ignored"));
    for (const auto& output : logged(*mouse, "output"))
        QCOMPARE(output.note, std::string("unexpected")); // an ignored write expects no bulk phase
}

void TestVmCommands::outOfRangeReadsGiveZeros_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("arguments");
    QTest::addColumn<int>("length");

    QTest::newRow("profile block 8") << 0x8C << QByteArray("08") << 128;
    QTest::newRow("macro slot 64") << 0x93 << QByteArray("40") << 128;
    QTest::newRow("key table never written") << 0x92 << QByteArray("07") << 64;
    QTest::newRow("keyboard macro 32") << 0x91 << QByteArray("0020") << 192;
    QTest::newRow("user picture 8") << 0x92 << QByteArray("0008") << 512;
}

void TestVmCommands::outOfRangeReadsGiveZeros()
{
    QFETCH(int, command);
    QFETCH(QByteArray, arguments);
    QFETCH(int, length);

    // Fill every slot, so zeros can only mean "no such slot".
    j2::vm::DeviceState full = j2::vm::DeviceState::factory();
    for (auto& block : full.profiles)
        block.fill(0xAA);
    for (auto& block : full.macros)
        block.fill(0xAA);
    for (auto& block : full.keyboardMacros)
        block.fill(0xAA);
    for (auto& block : full.userPictures)
        block.fill(0xAA);
    for (std::uint8_t table = 1; table <= 6; ++table)
        full.keyMatrix[table].fill(0xAA);
    mouse->setState(full);

    const auto read = host->readBulk(request(arguments, std::uint8_t(command)), std::size_t(length));
    QVERIFY(read);
    QCOMPARE(*read, Bytes(std::size_t(length), 0));
}

void TestVmCommands::keyboardMacroSlotZeroReadsAsDpiSet()
{
    const Bytes macro = pattern(192, 3);
    QVERIFY(host->writeBulk(request(0x11, {0x00, 0x00, 0x03}), macro));
    const auto stored = mouse->state().keyboardMacros[0];
    QCOMPARE(Bytes(stored.begin(), stored.end()), macro);

    // Asking for slot 0 is the same report as asking for the DPI set.
    const auto reply = host->query(request(0x91, {0x00, 0x00}));
    QVERIFY(reply);
    QCOMPARE((*reply)[2], std::uint8_t(4));
    std::uint8_t input[65] = {};
    QVERIFY(host->readReport(input, sizeof input) > 0);
    QCOMPARE(hex(input, 8), QByteArray("070f1f3f00000000"));
    QCOMPARE(host->readReport(input, sizeof input, 0), 0);
}

void TestVmCommands::lightEffectReadDiscardsKeyboardMatrix()
{
    // A mouse host reads only the reply of 8D; the keyboard key matrix queued behind it must not reach the
    // next command's bulk phase.
    const auto effect = host->query(request(0x8D));
    QVERIFY(effect);
    QCOMPARE(hex(effect->data() + 2, 3), QByteArray("010300"));
    const auto dpi = host->readBulk(request(0x91), 8);
    QVERIFY(dpi);
    QCOMPARE(hex(dpi->data(), 8), QByteArray("070f1f3f00000000"));
}

void TestVmCommands::recoveryKeepsCodeAndScrambling()
{
    j2::vm::VirtualMouse::Options options;
    options.encode = true;
    options.secrecyCode = "ABC123";
    mouse = std::make_unique<j2::vm::VirtualMouse>(options);
    backend = j2::vm::makeInProcessBackend(*mouse);
    host = std::make_unique<Host>(*backend);
    host->encode = true;
    host->code = codeOf("ABC123");

    QVERIFY(host->writeBulk(request(0x0C, {0x02, 0x80}), pattern(128, 5)));
    QVERIFY(host->writeBulk(request(0x01, {0x08, 0x00}), {}, false));
    QVERIFY(host->writeBulk(request(0x13, {0xFF}), {}, false));

    j2::vm::DeviceState expected = j2::vm::DeviceState::factory();
    expected.encode = true;
    expected.secrecyCode = "ABC123";
    QVERIFY(mouse->state() == expected);
    const auto reply = host->query(request(0x00, {1, 2, 3, 4}));
    QVERIFY(reply);
    QCOMPARE(hex(reply->data() + 2, 4), QByteArray("01020304"));
}

QTEST_GUILESS_MAIN(TestVmCommands)
#include "test_vm_commands.moc"
