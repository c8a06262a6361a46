// The programming library: its offline calls, and update runs against the virtual mouse's bootloader with
// the mishaps an update meets (a failed erase, a corrupted page, a pulled cable, a silent device).

#include "isp_library.h"
#include "virtual_mouse.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

using j2::isp::IspLibrary;
using j2::vm::VirtualMouse;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The target as docs/bootloader-protocol.md describes it.
constexpr std::uint32_t kPageBytes = 512;
constexpr int kPages = 128;
constexpr std::uint32_t kFlashBytes = kPageBytes * kPages;

// Firmware-like bytes: a different, reproducible run of values per seed.
Bytes firmware(std::size_t length, std::uint32_t seed)
{
    Bytes bytes(length);
    std::uint32_t value = seed * 2654435761u + 1;
    for (std::uint8_t& byte : bytes) {
        value = value * 1103515245u + 12345u;
        byte = std::uint8_t(value >> 16);
    }
    return bytes;
}

Bytes padded(const Bytes& image)
{
    Bytes flash(kFlashBytes, 0xFF);
    std::copy(image.begin(), image.end(), flash.begin());
    return flash;
}

std::uint16_t sumOf(const Bytes& bytes)
{
    unsigned sum = 0;
    for (const std::uint8_t byte : bytes)
        sum = (sum + byte) & 0xFFFFu;
    return std::uint16_t(sum);
}

Bytes flashOf(const VirtualMouse& mouse)
{
    const auto& flash = mouse.state().firmware.flash;
    return Bytes(flash.begin(), flash.end());
}

int load(IspLibrary& isp, const Bytes& image)
{
    return isp.LoadProgdata(image.data(), std::uint32_t(image.size()), nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr);
}

// The updater's bootloader run, step by step. Empty when every step gave what the updater relies on,
// otherwise the step that did not.
QString updateRun(IspLibrary& isp, const Bytes& image)
{
    if (isp.ConnectToBootloader() != 0 || load(isp, image) != 0)
        return "connect";
    for (std::uint16_t page = 0; page < kPages; ++page)
        if (isp.EraseByPage(page, 1, 0) != 0)
            return QString("erase %1").arg(page);
    if (isp.BlankCheck(0) != 0)
        return "blank check";
    for (std::uint16_t page = 0; page < kPages; ++page)
        if (isp.PartialProgram(std::uint16_t(page * kPageBytes), std::uint16_t(kPageBytes)) != 0)
            return QString("program %1").arg(page);
    for (std::uint16_t page = 0; page < kPages; ++page)
        if (isp.VerifyByPage(page, 1, 0) != 0)
            return QString("verify %1").arg(page);
    if (isp.ExecuteProgramFrom(2) != 0)
        return "execute";
    if (isp.LockAll() == 0)
        return "lock";
    if (isp.SwitchToUserProgram() != 0)
        return "switch";
    if (isp.DisConnectBootloader() != 0)
        return "disconnect";
    return {};
}

bool eventually(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

VirtualMouse::Options inBootloader()
{
    VirtualMouse::Options options;
    options.startInBootloader = true;
    return options;
}

// A mouse in its bootloader and a library that reaches it in-process.
struct Rig
{
    Rig() : mouse(inBootloader()), backend(j2::vm::makeInProcessBackend(mouse)), isp(backend) {}
    VirtualMouse mouse;
    std::shared_ptr<j2::hid::Backend> backend;
    IspLibrary isp;
};

// Lists decoy collections of the bootloader's vendor and product ahead of the real one, and records opens.
class DecoyBackend final : public j2::hid::Backend
{
public:
    explicit DecoyBackend(std::shared_ptr<j2::hid::Backend> real) : real_(std::move(real)) {}
    std::vector<j2::hid::DeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override
    {
        std::vector<j2::hid::DeviceInfo> devices = {
            {"decoy:usage", 0x04d9, 0x8022, 0xff00, 0x0021, 1}, // right page, wrong usage
            {"decoy:page", 0x04d9, 0x8022, 0xff01, 0x0020, 2},  // right usage, wrong page
            {"decoy:pair", 0x04d9, 0x8022, 0x0020, 0xff00, 3},  // the pair the wrong way round
        };
        const auto real = real_->enumerate(vendorId, productId);
        devices.insert(devices.end(), real.begin(), real.end());
        return devices;
    }
    std::unique_ptr<j2::hid::Device> openPath(const std::string& path) override
    {
        opened.push_back(path);
        return real_->openPath(path.rfind("decoy:", 0) == 0 ? std::string(j2::vm::kBootloaderPath) : path);
    }
    std::vector<std::string> opened;

private:
    std::shared_ptr<j2::hid::Backend> real_;
};

} // namespace

class TestIspLibrary : public QObject
{
    Q_OBJECT

private slots:
    void loadResults_data();
    void loadResults();
    void imageChecksums_data();
    void imageChecksums();
    void mcuInfo_data();
    void mcuInfo();
    void deviceCallsFailBeforeConnect_data();
    void deviceCallsFailBeforeConnect();
    void connectMatchesUsagePair();
    void wholeRun_data();
    void wholeRun();
    void corruptedPageStopsTheRun_data();
    void corruptedPageStopsTheRun();
    void injectedEraseFailure();
    void unplugInTheMiddle_data();
    void unplugInTheMiddle();
    void silentDeviceFailsWithinBound_data();
    void silentDeviceFailsWithinBound();
};

void TestIspLibrary::loadResults_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("pagesUsed");

    QTest::newRow("empty: nothing to program") << 0 << false << 0;
    QTest::newRow("one byte") << 1 << true << 1;
    QTest::newRow("one page") << 512 << true << 1;
    QTest::newRow("a page and a byte") << 513 << true << 2;
    QTest::newRow("the whole flash") << 65536 << true << 128;
    QTest::newRow("a byte too many") << 65537 << false << 0;
}

void TestIspLibrary::loadResults()
{
    QFETCH(int, length);
    QFETCH(bool, accepted);
    QFETCH(int, pagesUsed);

    IspLibrary isp(nullptr);
    const Bytes before = firmware(100, 1);
    QCOMPARE(load(isp, before), 0);
    const std::uint16_t checksumBefore = isp.GetChksum(1);

    const Bytes image = firmware(std::size_t(length), 2);
    std::uint32_t loaded = 7, imageSize = 7, pages = 7;
    std::uint16_t start = 7, pageSize = 7, checksum = 7;
    const int result = isp.LoadProgdata(image.data(), std::uint32_t(length), &loaded, &start, &imageSize,
                                        &pageSize, &pages, &checksum);
    if (!accepted) {
        QVERIFY(result != 0);
        QCOMPARE(isp.GetChksum(1), checksumBefore); // the previous image stays
        QCOMPARE(start, std::uint16_t(7));
        return;
    }
    QCOMPARE(result, 0);
    QCOMPARE(loaded, std::uint32_t(length));
    QCOMPARE(start, std::uint16_t(0x4000));
    QCOMPARE(imageSize, kFlashBytes);
    QCOMPARE(pageSize, std::uint16_t(kPageBytes));
    QCOMPARE(pages, std::uint32_t(pagesUsed));
    QCOMPARE(checksum, sumOf(padded(image)));
}

void TestIspLibrary::imageChecksums_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("expected");

    QTest::newRow("one FF byte, flash image") << QByteArray("\xFF") << 1 << 0x0000; // 0xFF * 65536 wraps to 0
    QTest::newRow("one FF byte, loaded bytes") << QByteArray("\xFF") << 0 << 0x00FF;
    QTest::newRow("01 02 03, flash image") << QByteArray("\x01\x02\x03") << 1 << 0xFD09;
    QTest::newRow("01 02 03, loaded bytes") << QByteArray("\x01\x02\x03") << 0 << 0x0006;
    QTest::newRow("a page of 80, flash image") << QByteArray(512, '\x80') << 1 << 0x0200;
    QTest::newRow("unknown mode") << QByteArray("\x01\x02\x03") << 7 << 0;
    QTest::newRow("device mode, offline") << QByteArray("\x01\x02\x03") << 2 << 0;
}

void TestIspLibrary::imageChecksums()
{
    QFETCH(QByteArray, image);
    QFETCH(int, mode);
    QFETCH(int, expected);

    IspLibrary isp(nullptr);
    QCOMPARE(load(isp, Bytes(image.begin(), image.end())), 0);
    QCOMPARE(int(isp.GetChksum(mode)), expected);
    if (mode == 1)
        QCOMPARE(isp.GetChksum(1), sumOf(padded(Bytes(image.begin(), image.end()))));
}

void TestIspLibrary::mcuInfo_data()
{
    QTest::addColumn<quint32>("size");
    QTest::addColumn<bool>("filled");

    QTest::newRow("36 bytes") << quint32(36) << true;
    QTest::newRow("35 bytes") << quint32(35) << false;
    QTest::newRow("40 bytes") << quint32(40) << false;
    QTest::newRow("not set") << quint32(0) << false;
}

void TestIspLibrary::mcuInfo()
{
    QFETCH(quint32, size);
    QFETCH(bool, filled);

    IspLibrary isp(nullptr); // the updater asks before any mouse is there
    j2::isp::DeviceInfo info;
    info.size = size;
    const int result = isp.GetMCUInfo(&info);
    QCOMPARE(result != 0, filled);
    // Read at the offsets the updater reads, not through the field names.
    const auto* raw = reinterpret_cast<const unsigned char*>(&info);
    auto at = [raw](std::size_t offset) {
        std::uint32_t value;
        std::memcpy(&value, raw + offset, sizeof value);
        return value;
    };
    QCOMPARE(at(4), filled ? 512u : 0u);
    QCOMPARE(at(8), filled ? 128u : 0u);
    QCOMPARE(at(16), filled ? 512u : 0u);
    QCOMPARE(isp.GetMCUInfo(nullptr), 0);
}

void TestIspLibrary::deviceCallsFailBeforeConnect_data()
{
    QTest::addColumn<bool>("backend");
    QTest::newRow("with a bootloader present") << true;
    QTest::newRow("offline, no backend") << false;
}

void TestIspLibrary::deviceCallsFailBeforeConnect()
{
    QFETCH(bool, backend);

    VirtualMouse mouse(inBootloader());
    IspLibrary isp(backend ? std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(mouse))
                           : nullptr);
    QCOMPARE(load(isp, firmware(2000, 3)), 0);
    if (!backend)
        QVERIFY(isp.ConnectToBootloader() != 0);
    const std::vector<std::pair<const char*, std::function<int()>>> calls = {
        {"erase", [&] { return isp.EraseByPage(0, 1, 0); }},
        {"blank check", [&] { return isp.BlankCheck(0); }},
        {"program", [&] { return isp.PartialProgram(0, 512); }},
        {"verify", [&] { return isp.VerifyByPage(0, 1, 0); }},
        {"execute", [&] { return isp.ExecuteProgramFrom(2); }},
        {"switch", [&] { return isp.SwitchToUserProgram(); }},
        {"disconnect", [&] { return isp.DisConnectBootloader(); }},
    };
    for (const auto& [name, call] : calls)
        QVERIFY2(call() != 0, name);
    QCOMPARE(isp.LockAll(), 0);
    QCOMPARE(isp.GetChksum(2), std::uint16_t(0)); // the device's sum: 0 when it cannot be had
    QVERIFY(mouse.wireLog().empty());             // nothing reached the device
    QVERIFY(mouse.state().firmware.flash == j2::vm::FirmwareState::factory().flash);
}

void TestIspLibrary::connectMatchesUsagePair()
{
    VirtualMouse mouse(inBootloader());
    auto decoys = std::make_shared<DecoyBackend>(j2::vm::makeInProcessBackend(mouse));
    IspLibrary isp(decoys);
    QCOMPARE(isp.ConnectToBootloader(), 0);
    QCOMPARE(decoys->opened, std::vector<std::string>{j2::vm::kBootloaderPath});

    // The mouse in user mode has no bootloader collection to open.
    VirtualMouse user;
    auto userDecoys = std::make_shared<DecoyBackend>(j2::vm::makeInProcessBackend(user));
    IspLibrary none(userDecoys);
    QVERIFY(none.ConnectToBootloader() != 0);
    QVERIFY(userDecoys->opened.empty());
}

void TestIspLibrary::wholeRun_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("overSocket");

    QTest::newRow("the whole flash") << 65536 << false;
    QTest::newRow("a small image") << 1000 << false;
    QTest::newRow("a one-byte image") << 1 << false;
    QTest::newRow("through the daemon's socket") << 30000 << true;
}

void TestIspLibrary::wholeRun()
{
    QFETCH(int, length);
    QFETCH(bool, overSocket);

    VirtualMouse mouse(inBootloader());
    j2::vm::DeviceState settings = mouse.state();
    settings.currentDpiStage = 3;
    settings.profiles[2].fill(0x42);
    mouse.setState(settings);
    QTemporaryDir dir;
    std::unique_ptr<j2::vm::Server> server;
    std::shared_ptr<j2::hid::Backend> backend;
    if (overSocket) {
        server = std::make_unique<j2::vm::Server>(mouse, dir.filePath("vm.sock").toStdString());
        QVERIFY(server->start());
        backend = j2::vm::makeSocketBackend(server->socketPath());
    } else {
        backend = j2::vm::makeInProcessBackend(mouse);
    }
    std::mutex mutex;
    QByteArray plugs;
    const int listener = mouse.addPlugListener([&](bool in) {
        std::lock_guard lock(mutex);
        plugs += in ? 'P' : 'U';
    });

    IspLibrary isp(backend);
    const Bytes image = firmware(std::size_t(length), 4);
    QCOMPARE(load(isp, image), 0);
    j2::isp::DeviceInfo info;
    QVERIFY(isp.GetMCUInfo(&info) != 0);
    QCOMPARE(isp.GetChksum(1), sumOf(padded(image)));
    QCOMPARE(updateRun(isp, image), QString());

    QVERIFY(eventually([&] { return !backend->enumerate(0x04d9, 0xa100).empty(); }, 2000));
    const j2::vm::DeviceState after = mouse.state();
    QCOMPARE(flashOf(mouse), padded(image));
    QVERIFY(!after.firmware.bootloaderMode);
    QVERIFY(after.firmware.locked);
    QVERIFY(after.firmware.runnable());
    QCOMPARE(after.currentDpiStage, std::uint8_t(3));
    QCOMPARE(after.profiles[2], settings.profiles[2]);
    QVERIFY(backend->enumerate(0x04d9, 0x8022).empty());
    QVERIFY(eventually(
        [&] {
            std::lock_guard lock(mutex);
            return plugs == "UP";
        },
        1000));
    mouse.removePlugListener(listener);
}

void TestIspLibrary::corruptedPageStopsTheRun_data()
{
    QTest::addColumn<QString>("mishap");
    QTest::newRow("flash changed after programming") << QString("changed");
    QTest::newRow("programmed without erasing") << QString("not erased");
}

void TestIspLibrary::corruptedPageStopsTheRun()
{
    QFETCH(QString, mishap);
    constexpr std::uint16_t kBadPage = 5; // within the factory firmware, so not erased means not blank

    Rig rig;
    const Bytes image = firmware(kFlashBytes, 5);
    QCOMPARE(load(rig.isp, image), 0);
    QCOMPARE(rig.isp.ConnectToBootloader(), 0);
    for (std::uint16_t page = 0; page < kPages; ++page)
        if (mishap != "not erased" || page != kBadPage)
            QCOMPARE(rig.isp.EraseByPage(page, 1, 0), 0);
    QCOMPARE(rig.isp.BlankCheck(0) == 0, mishap == "changed");
    for (std::uint16_t page = 0; page < kPages; ++page)
        QCOMPARE(rig.isp.PartialProgram(std::uint16_t(page * kPageBytes), std::uint16_t(kPageBytes)), 0);
    if (mishap == "changed") {
        j2::vm::DeviceState state = rig.mouse.state();
        state.firmware.flash[kBadPage * kPageBytes + 77] ^= 0x10;
        rig.mouse.setState(state);
    }
    QCOMPARE(rig.isp.GetChksum(2), sumOf(flashOf(rig.mouse)));
    QVERIFY(rig.isp.GetChksum(2) != rig.isp.GetChksum(1));
    QCOMPARE(rig.isp.VerifyByPage(0, kBadPage, 0), 0);
    QCOMPARE(rig.isp.VerifyByPage(kBadPage, 1, 0), 0x07); // mismatch
    QCOMPARE(rig.isp.VerifyByPage(kBadPage + 1, kPages - kBadPage - 1, 0), 0);
    QVERIFY(rig.isp.ExecuteProgramFrom(2) != 0);
    QCOMPARE(rig.isp.ExecuteProgramFrom(1), 0); // the boot page verified
    QCOMPARE(rig.isp.LockAll(), 0);
    QVERIFY(rig.isp.SwitchToUserProgram() != 0);
    QCOMPARE(rig.isp.DisConnectBootloader(), 0);

    // Nothing left the bootloader; a second run over the bad page repairs it.
    QVERIFY(rig.mouse.state().firmware.bootloaderMode);
    QCOMPARE(updateRun(rig.isp, image), QString());
    QVERIFY(eventually([&] { return !rig.mouse.state().firmware.bootloaderMode; }, 2000));
    QCOMPARE(flashOf(rig.mouse), image);
}

void TestIspLibrary::injectedEraseFailure()
{
    Rig rig;
    const Bytes factory = flashOf(rig.mouse);
    QCOMPARE(rig.isp.ConnectToBootloader(), 0);
    rig.mouse.failNextErases(1);
    QCOMPARE(rig.isp.EraseByPage(4, 3, 0), 0x05); // the first page fails, the others are not tried
    QCOMPARE(flashOf(rig.mouse), factory);
    QCOMPARE(rig.isp.EraseByPage(4, 3, 0), 0);
    const Bytes erased = flashOf(rig.mouse);
    QCOMPARE(Bytes(erased.begin() + 4 * kPageBytes, erased.begin() + 7 * kPageBytes),
             Bytes(3 * kPageBytes, 0xFF));
    QCOMPARE(Bytes(erased.begin(), erased.begin() + 4 * kPageBytes),
             Bytes(factory.begin(), factory.begin() + 4 * kPageBytes));
    QVERIFY(rig.isp.EraseByPage(127, 2, 0) != 0); // past the flash
    QVERIFY(rig.isp.EraseByPage(0, 1, 1) != 0);   // flags are reserved
}

void TestIspLibrary::unplugInTheMiddle_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("afterReports");

    // A page is programmed with 1 + 10 requests, each followed by its reply.
    QTest::newRow("erasing, before the reply") << QString("erase") << 1;
    QTest::newRow("programming, first chunk") << QString("program") << 3;
    QTest::newRow("programming, last chunk") << QString("program") << 21;
    QTest::newRow("programming, its last reply") << QString("program") << 22;
}

void TestIspLibrary::unplugInTheMiddle()
{
    QFETCH(QString, step);
    QFETCH(int, afterReports);

    Rig rig;
    const Bytes image = firmware(20000, 6);
    QCOMPARE(load(rig.isp, image), 0);
    QCOMPARE(rig.isp.ConnectToBootloader(), 0);
    if (step == "program")
        QCOMPARE(rig.isp.EraseByPage(0, 4, 0), 0);
    rig.mouse.unplugAfterBulkReports(afterReports);
    QElapsedTimer timer;
    timer.start();
    const int result = step == "erase" ? rig.isp.EraseByPage(0, 1, 0) : rig.isp.PartialProgram(512, 512);
    QVERIFY(afterReports == 22 ? result == 0 : result != 0); // the last reply made it before the cable went
    QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!rig.mouse.pluggedIn());
    QVERIFY(rig.isp.VerifyByPage(1, 1, 0) != 0); // the session is gone with the device

    rig.mouse.plug();
    QVERIFY(!rig.backend->enumerate(0x04d9, 0x8022).empty()); // back as the bootloader, ready to retry
    QCOMPARE(updateRun(rig.isp, image), QString());
    QVERIFY(eventually([&] { return !rig.mouse.state().firmware.bootloaderMode; }, 2000));
    QCOMPARE(flashOf(rig.mouse), padded(image));
}

void TestIspLibrary::silentDeviceFailsWithinBound_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("no reply") << QString("drop");
    QTest::newRow("a reply later than the time-out") << QString("late");
}

void TestIspLibrary::silentDeviceFailsWithinBound()
{
    QFETCH(QString, fault);

    Rig rig;
    QCOMPARE(rig.isp.ConnectToBootloader(), 0);
    if (fault == "drop")
        rig.mouse.dropNextReplies(1);
    else
        rig.mouse.delayNextReplies(1400, 1);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(rig.isp.EraseByPage(10, 1, 0), int(j2::isp::kTimedOut));
    const qint64 waited = timer.elapsed();
    QVERIFY2(waited >= 900 && waited < 1500, qPrintable(QString::number(waited)));

    // The session goes on; a reply that turns up late is not taken for the next one's.
    QCOMPARE(rig.isp.BlankCheck(0), 0x06); // not blank: the factory firmware is still there
    QCOMPARE(rig.isp.EraseByPage(11, 1, 0), 0);
    QCOMPARE(rig.isp.ExecuteProgramFrom(2), 0x08); // page 10 (erased, late) and 11 are not verified
}

QTEST_GUILESS_MAIN(TestIspLibrary)
#include "test_isp_library.moc"
