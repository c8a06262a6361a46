// The mouse's bootloader: entering it from user mode, its operations on the flash, the switch back, and the
// bench controls for it. Requests are built by hand from docs/bootloader-protocol.md, so the documented
// layout is what is checked, not the programming library's reading of it.

#include "daemon.h"
#include "host.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <mutex>
#include <numeric>

using namespace vmtest;
using j2::vm::VirtualMouse;

namespace {

constexpr std::size_t kPageBytes = 512;
constexpr std::size_t kChunk = 56;
constexpr std::uint32_t kErasedPageCrc = 0xBD7BC39F; // zlib.crc32(b"\xff" * 512)
const QByteArray kEntryCode = "3ce1075a9d42";

enum Op : std::uint8_t
{
    Hello = 0x01,
    MemoryInfo = 0x02,
    ErasePage = 0x10,
    BlankCheck = 0x11,
    ProgramStart = 0x20,
    ProgramData = 0x21,
    VerifyPage = 0x30,
    FlashChecksum = 0x31,
    RunCheck = 0x40,
    Lock = 0x41,
    SwitchToUser = 0x42,
};

enum Status : int
{
    Failed = -1, // the exchange itself failed
    Ok = 0x00,
    UnknownOperation = 0x01,
    NoSession = 0x02,
    BadArgument = 0x03,
    OutOfOrder = 0x04,
    EraseFailed = 0x05,
    NotBlank = 0x06,
    Mismatch = 0x07,
    NotVerified = 0x08,
    Locked = 0x09,
    ProgramFailed = 0x0A,
    LockFailed = 0x0B,
};

// Bit by bit, unlike the table-driven ones at either end.
std::uint32_t crc32(const Bytes& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

Bytes littleEndian(std::uint32_t value)
{
    return {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
            std::uint8_t(value >> 24)};
}

Bytes pageOf(const j2::vm::DeviceState& state, std::size_t page)
{
    const auto first = state.firmware.flash.begin() + std::ptrdiff_t(page * kPageBytes);
    return Bytes(first, first + std::ptrdiff_t(kPageBytes));
}

struct Reply
{
    int status = Failed;
    std::uint16_t value0 = 0;
    std::uint16_t value1 = 0;
    std::uint32_t value2 = 0;
};

// A raw client of the bootloader collection.
struct Boot
{
    explicit Boot(j2::hid::Backend& backend) : device(backend.openPath(j2::vm::kBootloaderPath)) {}

    bool send(std::uint8_t op, std::uint16_t argument0 = 0, std::uint16_t argument1 = 0,
              const Bytes& data = {})
    {
        std::uint8_t report[65] = {}; // report id 0, then the request
        report[1] = op;
        report[2] = ++sequence;
        report[3] = std::uint8_t(argument0);
        report[4] = std::uint8_t(argument0 >> 8);
        report[5] = std::uint8_t(argument1);
        report[6] = std::uint8_t(argument1 >> 8);
        std::copy(data.begin(), data.end(), report + 9);
        return device && device->write(report, sizeof report) == int(sizeof report);
    }

    Reply receive(std::uint8_t op, int timeoutMs = 1000)
    {
        Reply reply;
        std::uint8_t in[64] = {};
        if (!device || device->readTimeout(in, sizeof in, timeoutMs) != int(sizeof in) || in[0] != op ||
            in[1] != sequence)
            return reply;
        reply.status = in[2];
        reply.value0 = std::uint16_t(in[4] | in[5] << 8);
        reply.value1 = std::uint16_t(in[6] | in[7] << 8);
        reply.value2 = std::uint32_t(in[8] | in[9] << 8 | in[10] << 16 | std::uint32_t(in[11]) << 24);
        return reply;
    }

    Reply call(std::uint8_t op, std::uint16_t argument0 = 0, std::uint16_t argument1 = 0,
               const Bytes& data = {})
    {
        return send(op, argument0, argument1, data) ? receive(op) : Reply{};
    }

    // One program window for `bytes` at `address`; the status of the first step that is not ok.
    int program(std::size_t address, const Bytes& bytes)
    {
        int status = call(ProgramStart, std::uint16_t(address), std::uint16_t(bytes.size())).status;
        for (std::size_t at = 0; status == Ok && at < bytes.size(); at += kChunk) {
            const std::size_t count = std::min(kChunk, bytes.size() - at);
            const Bytes chunk(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + count));
            status = call(ProgramData, std::uint16_t(address + at), std::uint16_t(count), chunk).status;
        }
        return status;
    }

    int verify(std::uint16_t page, std::uint32_t crc)
    {
        return call(VerifyPage, page, 0, littleEndian(crc)).status;
    }

    std::unique_ptr<j2::hid::Device> device;
    std::uint8_t sequence = 0;
};

// Plug events as letters, U unplugged and P plugged in, with the time of the latest.
class PlugLog
{
public:
    explicit PlugLog(VirtualMouse& mouse) : mouse_(mouse)
    {
        clock_.start();
        id_ = mouse.addPlugListener([this](bool pluggedIn) {
            std::lock_guard lock(mutex_);
            events_ += pluggedIn ? 'P' : 'U';
            lastMs_ = clock_.elapsed();
        });
    }
    ~PlugLog() { mouse_.removePlugListener(id_); }

    QByteArray events() const
    {
        std::lock_guard lock(mutex_);
        return events_;
    }
    qint64 lastMs() const
    {
        std::lock_guard lock(mutex_);
        return lastMs_;
    }
    qint64 nowMs() const { return clock_.elapsed(); }
    bool waitFor(const QByteArray& expected, int timeoutMs)
    {
        const qint64 end = clock_.elapsed() + timeoutMs;
        while (events() != expected && clock_.elapsed() < end)
            sleepMs(5);
        return events() == expected;
    }

private:
    VirtualMouse& mouse_;
    QElapsedTimer clock_;
    int id_ = 0;
    mutable std::mutex mutex_;
    QByteArray events_;
    qint64 lastMs_ = -1;
};

VirtualMouse::Options inBootloader()
{
    VirtualMouse::Options options;
    options.startInBootloader = true;
    return options;
}

bool listsBootloaderOnly(j2::hid::Backend& backend)
{
    const auto devices = backend.enumerate(0, 0);
    return devices.size() == 1 && devices[0].path == j2::vm::kBootloaderPath &&
           devices[0].vendorId == 0x04d9 && devices[0].productId == 0x8022 &&
           devices[0].usagePage == 0xff00 && devices[0].usage == 0x0020 && devices[0].interfaceNumber == 0;
}

bool listsMouse(j2::hid::Backend& backend)
{
    return backend.enumerate(0x04d9, 0xa100).size() == 3 && backend.enumerate(0x04d9, 0x8022).empty();
}

} // namespace

class TestVmBootloader : public QObject
{
    Q_OBJECT

private slots:
    void entryCode_data();
    void entryCode();
    void reenumeratesAsBootloader_data();
    void reenumeratesAsBootloader();
    void startsInBootloader();
    void staysBootloaderAcrossPlugAndRestart();
    void operations_data();
    void operations();
    void programVerifyAndSwitchBack();
    void unverifiedImageKeepsBootloader_data();
    void unverifiedImageKeepsBootloader();
    void programWindowRules();
    void lockSealsUntilErase();
    void injectedFaults();
    void wireLogAndStateJson();
    void daemon();
};

void TestVmBootloader::entryCode_data()
{
    QTest::addColumn<bool>("deviceScrambles");
    QTest::addColumn<bool>("hostScrambles");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("note"); // of the 0A feature report in the wire log
    QTest::addColumn<bool>("armed");

    QTest::newRow("entry code") << false << false << kEntryCode << QString() << true;
    QTest::newRow("last byte off") << false << false << QByteArray("3ce1075a9d43") << QString("ignored")
                                   << false;
    QTest::newRow("scrambled, with the device's code") << true << true << kEntryCode << QString() << true;
    QTest::newRow("plain to a scrambling device")
        << true << false << kEntryCode << QString("checksum") << false;
}

void TestVmBootloader::entryCode()
{
    QFETCH(bool, deviceScrambles);
    QFETCH(bool, hostScrambles);
    QFETCH(QByteArray, code);
    QFETCH(QString, note);
    QFETCH(bool, armed);

    VirtualMouse::Options options;
    options.encode = deviceScrambles;
    options.secrecyCode = "Xy7Q2w";
    VirtualMouse mouse(options);
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Host host(*backend);
    host.encode = hostScrambles;
    host.code = codeOf("Xy7Q2w");
    if (hostScrambles) { // the secrecy handshake first, as a host does
        const auto echo = host.query(request(0x00, {0x5A, 0xC3, 0x01, 0xFE}));
        QVERIFY(echo);
        QCOMPARE(hex(echo->data() + 2, 4), QByteArray("5ac301fe"));
    }
    PlugLog plugs(mouse);

    QVERIFY(host.writeBulk(request(code, 0x0A), {}));
    const auto entry = logged(mouse, "feature-set").back();
    QCOMPARE(QString::fromStdString(entry.note), note);
    if (note != "checksum")
        QCOMPARE(entry.command, std::string("EnterBootLoader"));
    sleepMs(30);
    const auto state = host.query(request(0x8A));
    QVERIFY(state);
    QCOMPARE((*state)[2], std::uint8_t(armed ? 0xFF : 0x00));
    if (note != "checksum")
        QCOMPARE(logged(mouse, "feature-get").back().command, std::string("GetBootLoaderState"));
    QCOMPARE(mouse.busyViolations(), 0); // the host's settle covered the device's busy time

    // Armed, the mouse leaves soon after the 8A answer; not armed, not even after the fallback second.
    if (armed) {
        QVERIFY(plugs.waitFor("UP", 1000));
    } else {
        sleepMs(1300);
        QCOMPARE(plugs.events(), QByteArray());
    }
    QCOMPARE(listsBootloaderOnly(*backend), armed);
    QCOMPARE(mouse.state().firmware.bootloaderMode, armed);
}

void TestVmBootloader::reenumeratesAsBootloader_data()
{
    QTest::addColumn<bool>("ask8A");
    QTest::addColumn<int>("minMs"); // from the 8A answer, or from the 0A write without one
    QTest::addColumn<int>("maxMs");

    QTest::newRow("after the 8A answer") << true << 60 << 600;
    QTest::newRow("a second after arming") << false << 850 << 1600;
}

void TestVmBootloader::reenumeratesAsBootloader()
{
    QFETCH(bool, ask8A);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);

    VirtualMouse mouse;
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Host host(*backend);
    PlugLog plugs(mouse);
    auto old = backend->openPath(j2::vm::kControlPath);
    QVERIFY(host.send(request(kEntryCode, 0x0A)) == 9);
    qint64 from = plugs.nowMs();
    if (ask8A) {
        sleepMs(kHostSettleMs);
        QVERIFY(host.query(request(0x8A)));
        from = plugs.nowMs();
        QVERIFY(listsMouse(*backend)); // not inside the host's exchange
    }
    QVERIFY(plugs.waitFor("UP", maxMs + 500));
    const qint64 after = plugs.lastMs() - from;
    QVERIFY2(after >= minMs && after <= maxMs, qPrintable(QString::number(after)));

    QVERIFY(listsBootloaderOnly(*backend));
    const FeatureReport version = request(0x80);
    QCOMPARE(old->sendFeatureReport(version.data(), version.size()), -1);
    for (const char* path : {j2::vm::kControlPath, j2::vm::kNotifyPath, j2::vm::kPointerPath})
        QVERIFY(backend->openPath(path) == nullptr);
    Boot boot(*backend);
    QCOMPARE(boot.call(Hello, 1).status, int(Ok));
}

void TestVmBootloader::startsInBootloader()
{
    VirtualMouse mouse(inBootloader());
    auto backend = j2::vm::makeInProcessBackend(mouse);
    QVERIFY(listsBootloaderOnly(*backend));
    QVERIFY(backend->enumerate(0x04d9, 0xa100).empty());
    QVERIFY(backend->openPath(j2::vm::kControlPath) == nullptr);
    mouse.pressDpiButton(); // no user program runs to count it
    QCOMPARE(mouse.state().currentDpiStage, std::uint8_t(1));

    auto boot = backend->openPath(j2::vm::kBootloaderPath);
    QVERIFY(boot);
    const FeatureReport report = request(0x80);
    QCOMPARE(boot->sendFeatureReport(report.data(), report.size()), -1);
    QCOMPARE(mouse.wireLog().back().note, std::string("wrong-interface"));
    std::uint8_t input[64];
    QCOMPARE(boot->readTimeout(input, sizeof input, 20), 0); // nothing asked, nothing answered
}

void TestVmBootloader::staysBootloaderAcrossPlugAndRestart()
{
    QTemporaryDir dir;
    VirtualMouse::Options options = inBootloader();
    options.stateFile = dir.filePath("state.json").toStdString();
    {
        VirtualMouse mouse(options);
        auto backend = j2::vm::makeInProcessBackend(mouse);
        Boot boot(*backend);
        QCOMPARE(boot.call(Hello, 1).status, int(Ok));
        QCOMPARE(boot.call(ErasePage, 5).status, int(Ok));
        mouse.unplug();
        QVERIFY(backend->enumerate(0, 0).empty());
        QCOMPARE(boot.call(MemoryInfo).status, int(Failed));
        mouse.plug();
        QVERIFY(listsBootloaderOnly(*backend));
        QCOMPARE(boot.call(MemoryInfo).status, int(Failed)); // the handle died with the plug-in
        Boot again(*backend);
        QCOMPARE(again.call(MemoryInfo).status, int(NoSession)); // and so did the session
        QCOMPARE(again.call(Hello, 1).status, int(Ok));
    }
    // A daemon started again without --bootloader finds its mouse where it left it: erased page included.
    options.startInBootloader = false;
    VirtualMouse restarted(options);
    auto backend = j2::vm::makeInProcessBackend(restarted);
    QVERIFY(listsBootloaderOnly(*backend));
    QCOMPARE(pageOf(restarted.state(), 5), Bytes(kPageBytes, 0xFF));
    QCOMPARE(restarted.state().firmware.pageChecks[5], j2::vm::kPageModified);
}

void TestVmBootloader::operations_data()
{
    QTest::addColumn<bool>("hello");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("argument0");
    QTest::addColumn<int>("argument1");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("valueIndex"); // -1: no value to check
    QTest::addColumn<qint64>("value");

    const QByteArray none;
    QTest::newRow("hello") << false << 0x01 << 1 << 0 << none << int(Ok) << 0 << qint64(1);
    QTest::newRow("hello, bootloader version")
        << false << 0x01 << 1 << 0 << none << int(Ok) << 1 << qint64(0x0100);
    QTest::newRow("hello, runnable factory image")
        << false << 0x01 << 1 << 0 << none << int(Ok) << 2 << qint64(2);
    QTest::newRow("hello in another version")
        << false << 0x01 << 2 << 0 << none << int(BadArgument) << -1 << 0ll;
    QTest::newRow("page size") << true << 0x02 << 0 << 0 << none << int(Ok) << 0 << qint64(512);
    QTest::newRow("page count") << true << 0x02 << 0 << 0 << none << int(Ok) << 1 << qint64(128);
    QTest::newRow("flash size") << true << 0x02 << 0 << 0 << none << int(Ok) << 2 << qint64(65536);
    QTest::newRow("before hello") << false << 0x10 << 0 << 0 << none << int(NoSession) << -1 << 0ll;
    QTest::newRow("unknown operation")
        << true << 0x7E << 0 << 0 << none << int(UnknownOperation) << -1 << 0ll;
    QTest::newRow("erase past the flash")
        << true << 0x10 << 128 << 0 << none << int(BadArgument) << -1 << 0ll;
    QTest::newRow("blank check of the factory flash")
        << true << 0x11 << 0 << 0 << none << int(NotBlank) << 2 << 0ll;
    QTest::newRow("blank check, unknown mode")
        << true << 0x11 << 1 << 0 << none << int(BadArgument) << -1 << 0ll;
    QTest::newRow("program past the end")
        << true << 0x20 << 0xFF00 << 0x0200 << none << int(BadArgument) << -1 << 0ll;
    QTest::newRow("program nothing") << true << 0x20 << 0x0100 << 0 << none << int(BadArgument) << -1 << 0ll;
    QTest::newRow("program data, no window")
        << true << 0x21 << 0 << 4 << QByteArray("01020304") << int(OutOfOrder) << -1 << 0ll;
    QTest::newRow("checksum of an erased block")
        << true << 0x31 << 127 << 1 << none << int(Ok) << 0 << qint64(0xFE00);
    QTest::newRow("checksum past the flash")
        << true << 0x31 << 127 << 2 << none << int(BadArgument) << -1 << 0ll;
    QTest::newRow("verify an erased page, zlib's CRC")
        << true << 0x30 << 100 << 0 << QByteArray("9fc37bbd") << int(Ok) << 2 << qint64(kErasedPageCrc);
    QTest::newRow("verify an erased page, another CRC")
        << true << 0x30 << 100 << 0 << QByteArray("00000000") << int(Mismatch) << 2 << qint64(kErasedPageCrc);
    QTest::newRow("verify past the flash")
        << true << 0x30 << 128 << 0 << none << int(BadArgument) << -1 << 0ll;
    QTest::newRow("run check, factory image") << true << 0x40 << 2 << 0 << none << int(Ok) << -1 << 0ll;
    QTest::newRow("run check, unknown mode")
        << true << 0x40 << 3 << 0 << none << int(BadArgument) << -1 << 0ll;
    QTest::newRow("lock the factory image") << true << 0x41 << 0 << 0 << none << int(Ok) << -1 << 0ll;
}

void TestVmBootloader::operations()
{
    QFETCH(bool, hello);
    QFETCH(int, op);
    QFETCH(int, argument0);
    QFETCH(int, argument1);
    QFETCH(QByteArray, data);
    QFETCH(int, status);
    QFETCH(int, valueIndex);
    QFETCH(qint64, value);

    VirtualMouse mouse(inBootloader());
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Boot boot(*backend);
    if (hello)
        QCOMPARE(boot.call(Hello, 1).status, int(Ok));
    const QByteArray bytes = QByteArray::fromHex(data);
    const Reply reply = boot.call(std::uint8_t(op), std::uint16_t(argument0), std::uint16_t(argument1),
                                  Bytes(bytes.begin(), bytes.end()));
    QCOMPARE(reply.status, status);
    const qint64 values[] = {reply.value0, reply.value1, qint64(reply.value2)};
    if (valueIndex >= 0)
        QCOMPARE(values[valueIndex], value);
}

void TestVmBootloader::programVerifyAndSwitchBack()
{
    VirtualMouse mouse(inBootloader());
    j2::vm::DeviceState settings = mouse.state();
    settings.currentDpiStage = 3;
    mouse.setState(settings);
    const j2::vm::DeviceState before = mouse.state();
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Boot boot(*backend);
    PlugLog plugs(mouse);
    const Bytes firmware = pattern(kPageBytes, 9);

    QCOMPARE(boot.call(Hello, 1).status, int(Ok));
    QCOMPARE(boot.call(ErasePage, 3).status, int(Ok));
    QCOMPARE(pageOf(mouse.state(), 3), Bytes(kPageBytes, 0xFF));
    QCOMPARE(boot.program(3 * kPageBytes, firmware), int(Ok));
    const Reply unverified = boot.call(RunCheck, 2);
    QCOMPARE(unverified.status, int(NotVerified));
    QCOMPARE(unverified.value0, std::uint16_t(3));
    QCOMPARE(boot.verify(3, crc32(firmware)), int(Ok));
    QCOMPARE(boot.call(RunCheck, 2).status, int(Ok));
    QCOMPARE(boot.call(FlashChecksum, 3, 1).value0,
             std::uint16_t(std::accumulate(firmware.begin(), firmware.end(), 0u)));

    QCOMPARE(boot.call(SwitchToUser).status, int(Ok));
    QVERIFY(plugs.waitFor("UP", 1000));
    QVERIFY(listsMouse(*backend));
    QCOMPARE(boot.call(Hello, 1).status, int(Failed));
    const j2::vm::DeviceState after = mouse.state();
    QVERIFY(!after.firmware.bootloaderMode);
    QCOMPARE(pageOf(after, 3), firmware);
    QCOMPARE(pageOf(after, 4), pageOf(before, 4));
    j2::vm::DeviceState settingsOnly = after;
    settingsOnly.firmware = before.firmware;
    QVERIFY(settingsOnly == before); // the settings came through untouched
    Host host(*backend);
    const auto stage = host.query(request(0x8B));
    QVERIFY(stage);
    QCOMPARE((*stage)[2], std::uint8_t(3));
}

void TestVmBootloader::unverifiedImageKeepsBootloader_data()
{
    QTest::addColumn<QString>("mishap");
    QTest::newRow("erased, never verified") << QString("erased");
    QTest::newRow("verification failed") << QString("mismatch");
    QTest::newRow("programmed after verifying") << QString("reprogrammed");
}

void TestVmBootloader::unverifiedImageKeepsBootloader()
{
    QFETCH(QString, mishap);
    constexpr std::uint16_t kPage = 9;

    VirtualMouse mouse(inBootloader());
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Boot boot(*backend);
    PlugLog plugs(mouse);
    QCOMPARE(boot.call(Hello, 1).status, int(Ok));
    QCOMPARE(boot.call(ErasePage, kPage).status, int(Ok));
    if (mishap == "mismatch") {
        QCOMPARE(boot.verify(kPage, kErasedPageCrc ^ 1u), int(Mismatch));
        QCOMPARE(mouse.state().firmware.pageChecks[kPage], j2::vm::kPageFailed);
    } else if (mishap == "reprogrammed") {
        QCOMPARE(boot.verify(kPage, kErasedPageCrc), int(Ok));
        QCOMPARE(boot.program(kPage * kPageBytes + 7, {0x12}), int(Ok));
    }

    for (const std::uint8_t op : {RunCheck, Lock, SwitchToUser}) {
        const Reply refused = boot.call(op, std::uint16_t(op == RunCheck ? 2 : 0));
        QCOMPARE(refused.status, int(NotVerified));
        QCOMPARE(refused.value0, kPage);
    }
    QCOMPARE(boot.call(RunCheck, 1).status, int(Ok)); // the boot page itself is fine
    QCOMPARE(boot.call(Hello, 1).value2 & 2u, 0u);    // not runnable
    QVERIFY(!plugs.waitFor("UP", 300));
    QVERIFY(listsBootloaderOnly(*backend));

    // A mouse left in its bootloader can always be updated again.
    mouse.unplug();
    mouse.plug();
    QVERIFY(listsBootloaderOnly(*backend));
    QVERIFY(!mouse.state().firmware.locked);
}

void TestVmBootloader::programWindowRules()
{
    VirtualMouse mouse(inBootloader());
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Boot boot(*backend);
    QCOMPARE(boot.call(Hello, 1).status, int(Ok));
    constexpr std::uint16_t kAddress = 100 * kPageBytes; // an erased page of the factory flash

    QCOMPARE(boot.call(ProgramStart, kAddress, 8).status, int(Ok));
    QCOMPARE(boot.call(ProgramData, kAddress + 1u, 2, {0x01, 0x02}).status,
             int(OutOfOrder)); // not the next byte
    QCOMPARE(boot.call(ProgramData, kAddress, 2, {0x01, 0x02}).status,
             int(OutOfOrder)); // the window is closed

    QCOMPARE(boot.call(ProgramStart, kAddress, 4).status, int(Ok));
    QCOMPARE(boot.call(ProgramData, kAddress, 5, {1, 2, 3, 4, 5}).status,
             int(OutOfOrder)); // longer than the window

    QCOMPARE(boot.call(ProgramStart, kAddress, 4).status, int(Ok));
    const Reply first = boot.call(ProgramData, kAddress, 2, {0x0F, 0x3C});
    QCOMPARE(first.status, int(Ok));
    QCOMPARE(first.value2, 2u);                      // bytes still expected
    QCOMPARE(boot.call(MemoryInfo).status, int(Ok)); // any other request ...
    QCOMPARE(boot.call(ProgramData, kAddress + 2u, 2, {0, 0}).status,
             int(OutOfOrder)); // ... closes the window

    // Programming only clears bits: a second window over the same bytes ANDs into them.
    QCOMPARE(boot.program(kAddress, {0xF0, 0xFF}), int(Ok));
    const auto& flash = mouse.state().firmware.flash;
    QCOMPARE(hex(flash.data() + kAddress, 4), QByteArray("003cffff"));
}

void TestVmBootloader::lockSealsUntilErase()
{
    VirtualMouse mouse(inBootloader());
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Boot boot(*backend);
    QCOMPARE(boot.call(Hello, 1).status, int(Ok));
    QCOMPARE(boot.call(Lock).status, int(Ok));
    QCOMPARE(boot.call(Hello, 1).value2 & 1u, 1u);
    QCOMPARE(boot.call(ProgramStart, 0, 4).status, int(Locked));
    QCOMPARE(boot.verify(100, kErasedPageCrc), int(Ok)); // reading is fine
    QVERIFY(mouse.state().firmware.locked);

    QCOMPARE(boot.call(ErasePage, 60).status, int(Ok));
    QVERIFY(!mouse.state().firmware.locked);
    QCOMPARE(boot.program(60 * kPageBytes, {0x55}), int(Ok));
}

void TestVmBootloader::injectedFaults()
{
    VirtualMouse mouse(inBootloader());
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Boot boot(*backend);
    QCOMPARE(boot.call(Hello, 1).status, int(Ok));
    const Bytes factoryPage = pageOf(mouse.state(), 0);

    mouse.failNextErases(2);
    QCOMPARE(boot.call(ErasePage, 0).status, int(EraseFailed));
    QCOMPARE(boot.call(ErasePage, 0).status, int(EraseFailed));
    QCOMPARE(pageOf(mouse.state(), 0), factoryPage);
    QCOMPARE(boot.call(ErasePage, 0).status, int(Ok));
    mouse.failNextErases(1);
    mouse.clearFaults();
    QCOMPARE(boot.call(ErasePage, 1).status, int(Ok));

    // A lost reply: the next request is still answered, and a late one cannot be read before it is due.
    mouse.dropNextReplies(1);
    QVERIFY(boot.send(MemoryInfo));
    QCOMPARE(boot.receive(MemoryInfo, 100).status, int(Failed));
    mouse.delayNextReplies(300, 1);
    QVERIFY(boot.send(MemoryInfo));
    std::uint8_t input[64];
    QCOMPARE(boot.device->readTimeout(input, sizeof input, 100), 0);
    QCOMPARE(boot.receive(MemoryInfo, 500).status, int(Ok));

    // The cable is pulled after the erase request: it took effect, its reply never comes.
    mouse.unplugAfterBulkReports(1);
    QVERIFY(boot.send(ErasePage, 2));
    QCOMPARE(boot.receive(ErasePage).status, int(Failed));
    QVERIFY(!mouse.pluggedIn());
    QCOMPARE(pageOf(mouse.state(), 2), Bytes(kPageBytes, 0xFF));
    mouse.plug();
    QVERIFY(listsBootloaderOnly(*backend));
}

void TestVmBootloader::wireLogAndStateJson()
{
    QTemporaryDir dir;
    VirtualMouse::Options options = inBootloader();
    options.wireLogFile = dir.filePath("wire.jsonl").toStdString();
    VirtualMouse mouse(options);
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Boot boot(*backend);
    QCOMPARE(boot.call(Hello, 1).status, int(Ok));
    const auto log = mouse.wireLog();
    QCOMPARE(log.size(), std::size_t(2));
    QVERIFY(log[0].iface == j2::vm::Interface::Bootloader && log[0].toDevice && log[0].kind == "output");
    QVERIFY(log[1].iface == j2::vm::Interface::Bootloader && !log[1].toDevice && log[1].kind == "input");
    QCOMPARE(log[0].command, std::string("Hello"));
    QCOMPARE(log[0].bytes.size(), std::size_t(65)); // with its report id
    QCOMPARE(log[1].bytes.size(), std::size_t(64));
    QFile file(dir.filePath("wire.jsonl"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
    QCOMPARE(line.value("if").toString(), QString("bootloader"));
    QCOMPARE(line.value("cmd").toString(), QString("Hello"));

    // The firmware in the state JSON: flash as hex, page states, the two flags.
    j2::vm::DeviceState state = mouse.state();
    state.firmware.flash[0x1234] = 0xA5;
    state.firmware.pageChecks[9] = j2::vm::kPageFailed;
    state.firmware.locked = true;
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(j2::vm::stateToJson(state))).object();
    const QString flash = json.value("flash").toString();
    QCOMPARE(flash.size(), 2 * 65536);
    QCOMPARE(flash.mid(2 * 0x1234, 2), QString("a5"));
    QCOMPARE(flash.left(6), QString("001d3a")); // the factory firmware: (address * 29 + page) mod 256
    QCOMPARE(flash.mid(2 * 512, 4), QString("011e"));
    QCOMPARE(json.value("pageChecks").toString().mid(18, 2), QString("02"));
    QCOMPARE(json.value("bootloaderMode").toBool(), true);
    QCOMPARE(json.value("locked").toBool(), true);
    j2::vm::DeviceState read = j2::vm::DeviceState::factory();
    QVERIFY(j2::vm::stateFromJson(j2::vm::stateToJson(state), read));
    QVERIFY(read == state);

    // A state file from before the bootloader keeps the factory firmware; nonsense is refused.
    j2::vm::DeviceState old = j2::vm::DeviceState::factory();
    QVERIFY(j2::vm::stateFromJson(R"({"currentDpiStage": 3})", old));
    QCOMPARE(old.currentDpiStage, std::uint8_t(3));
    QVERIFY(old.firmware == j2::vm::FirmwareState::factory());
    std::string error;
    QVERIFY(!j2::vm::stateFromJson(R"({"pageChecks": ")" + std::string(254, '0') + R"(03"})", old, &error));
    QVERIFY2(QByteArray::fromStdString(error).contains("pageChecks"), error.c_str());
    QVERIFY(!j2::vm::stateFromJson(R"({"flash": "ffff"})", old, &error));
}

void TestVmBootloader::daemon()
{
    QTemporaryDir dir;
    const QString socket = dir.filePath("vm.sock");
    {
        Daemon bootloader;
        QVERIFY(bootloader.start({"--socket", socket, "--bootloader"}));
        auto backend = j2::vm::makeSocketBackend(socket.toStdString());
        QVERIFY(listsBootloaderOnly(*backend));
        Boot boot(*backend);
        QCOMPARE(boot.call(Hello, 1).status, int(Ok));
        QCOMPARE(run({"ctl", "--socket", socket, "fail-erase", "1"}).exitCode, 0);
        QCOMPARE(boot.call(ErasePage, 7).status, int(EraseFailed));
        QCOMPARE(boot.call(ErasePage, 7).status, int(Ok));

        // Every other step fails once through its ctl command, changes nothing, then works again.
        auto failNext = [&](const char* command) {
            return run({"ctl", "--socket", socket, command, "1"}).exitCode == 0;
        };
        QCOMPARE(boot.call(ErasePage, 0).status, int(Ok));
        QVERIFY(failNext("fail-blank-check"));
        const Reply stuck = boot.call(BlankCheck);
        QCOMPARE(stuck.status, int(NotBlank));
        QCOMPARE(stuck.value2, 0u); // erased page 0 reported as not blank
        QCOMPARE(boot.call(BlankCheck).value2, std::uint32_t(kPageBytes)); // factory page 1 comes first
        QVERIFY(failNext("fail-program"));
        QCOMPARE(boot.program(7 * kPageBytes, {0x55}), int(ProgramFailed));
        QCOMPARE(boot.program(7 * kPageBytes, {0x55}), int(Ok));
        Bytes page7(kPageBytes, 0xFF);
        page7[0] = 0x55; // the failed window left the page as it was
        QVERIFY(failNext("fail-verify"));
        QCOMPARE(boot.verify(7, crc32(page7)), int(Mismatch));
        QCOMPARE(boot.verify(7, crc32(page7)), int(Ok));
        QCOMPARE(boot.verify(0, kErasedPageCrc), int(Ok));
        QVERIFY(failNext("fail-lock"));
        QCOMPARE(boot.call(Lock).status, int(LockFailed));
        QCOMPARE(boot.call(Lock).status, int(Ok));
        QCOMPARE(run({"ctl", "--socket", socket, "fail-lock", "x"}).exitCode, 2);
        const Result dump = run({"ctl", "--socket", socket, "dump"});
        const QJsonObject json = QJsonDocument::fromJson(dump.out).object();
        QCOMPARE(json.value("bootloaderMode").toBool(), true);
        QCOMPARE(json.value("flash").toString().mid(2 * 7 * 512, 8), QString("55ffffff"));
        QCOMPARE(json.value("locked").toBool(), true);
        QCOMPARE(bootloader.stop(SIGTERM), 0);
    }

    Daemon mouse;
    QVERIFY(mouse.start({"--socket", socket}));
    auto backend = j2::vm::makeSocketBackend(socket.toStdString());
    QVERIFY(listsMouse(*backend));
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(run({"ctl", "--socket", socket, "enter-bootloader"}).exitCode, 0);
    while (!listsBootloaderOnly(*backend) && timer.elapsed() < 3000)
        sleepMs(20);
    QVERIFY(listsBootloaderOnly(*backend));
    QCOMPARE(run({"ctl", "--socket", socket, "plugged"}).out, QByteArray("plugged in\n"));
    QCOMPARE(run({"ctl", "--socket", socket, "fail-erase"}).exitCode, 2);
    QCOMPARE(mouse.stop(SIGTERM), 0);
}

QTEST_GUILESS_MAIN(TestVmBootloader)
#include "test_vm_bootloader.moc"
