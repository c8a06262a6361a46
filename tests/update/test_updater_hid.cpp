// The updater's HID access against the in-process virtual mouse: finding the device in either mode, learning
// its secrecy code, and switching it into its bootloader. The mouse's wire log is the oracle.

#include "settle.h"
#include "updater_hid.h"
#include "virtual_mouse.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstring>

using j2::update::UpdaterHid;

namespace {

constexpr quint16 kMouseVendorId = 0x04D9;
constexpr quint16 kMouseProductId = 0xA100;

struct Rig
{
    explicit Rig(j2::vm::VirtualMouse::Options options = {})
        : mouse(std::make_unique<j2::vm::VirtualMouse>(options)),
          hid(std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(*mouse)))
    {}
    // What the updater does once data.bin is read and the device has arrived.
    void findMouse()
    {
        hid.setUserModeIds(kMouseVendorId, kMouseProductId);
        QCOMPARE(hid.findDeviceIndex(), UpdaterHid::Face::UserMode);
    }
    std::vector<j2::vm::WireEntry> featureReports() const
    {
        std::vector<j2::vm::WireEntry> found;
        for (const j2::vm::WireEntry& entry : mouse->wireLog())
            if (entry.kind.rfind("feature-", 0) == 0)
                found.push_back(entry);
        return found;
    }

    std::unique_ptr<j2::vm::VirtualMouse> mouse;
    UpdaterHid hid;
};

j2::vm::VirtualMouse::Options scrambling(const char* code)
{
    j2::vm::VirtualMouse::Options options;
    options.encode = true;
    options.secrecyCode = code;
    return options;
}

j2::wire::SecrecyCode codeOf(const QByteArray& text)
{
    j2::wire::SecrecyCode code{};
    j2::wire::loadSecrecyCode(code, text.constData(), std::size_t(text.size()));
    return code;
}

// A logged feature report as the device understood it.
QByteArray plainBytes(const j2::vm::WireEntry& entry, const j2::wire::SecrecyCode* code)
{
    std::vector<std::uint8_t> bytes = entry.bytes;
    if (code != nullptr && bytes.size() == j2::wire::kFeatureReportSize)
        j2::wire::descramble(bytes.data() + 1, *code);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
        .toHex(' ')
        .toUpper();
}

const QByteArray kCodeQuery = "00 00 00 00 00 00 00 00 FF";
// 0A, the entry code 3C E1 07 5A 9D 42, checksum NOT(0A+3C+E1+07+5A+9D+42 = 0x267 -> 67) = 98.
const QByteArray kEntryCommand = "00 0A 3C E1 07 5A 9D 42 98";
const QByteArray kEntryCheck = "00 8A 00 00 00 00 00 00 75";

} // namespace

class TestUpdaterHid : public QObject
{
    Q_OBJECT
private slots:
    void findDeviceIndex_data()
    {
        QTest::addColumn<bool>("plugged");
        QTest::addColumn<bool>("idsFromFile");
        QTest::addColumn<int>("productId");
        QTest::addColumn<UpdaterHid::Face>("expected");
        QTest::newRow("no device") << false << true << int(kMouseProductId) << UpdaterHid::Face::NoDevice;
        // Before data.bin is read the record names another product than the virtual mouse.
        QTest::newRow("built-in ids") << true << false << 0 << UpdaterHid::Face::NoDevice;
        QTest::newRow("user mode, ids from data.bin")
            << true << true << int(kMouseProductId) << UpdaterHid::Face::UserMode;
        QTest::newRow("data.bin names another product")
            << true << true << 0xA101 << UpdaterHid::Face::NoDevice;
    }
    void findDeviceIndex()
    {
        QFETCH(bool, plugged);
        QFETCH(bool, idsFromFile);
        QFETCH(int, productId);
        QFETCH(UpdaterHid::Face, expected);
        Rig rig;
        if (!plugged)
            rig.mouse->unplug();
        if (idsFromFile)
            rig.hid.setUserModeIds(kMouseVendorId, quint16(productId));
        QCOMPARE(rig.hid.findDeviceIndex(), expected);
        // The control collection, never the notification or pointer collection of the same device.
        QCOMPARE(rig.hid.device(UpdaterHid::Face::UserMode).path,
                 expected == UpdaterHid::Face::UserMode ? QString::fromLatin1(j2::vm::kControlPath)
                                                        : QString());
        QVERIFY(rig.hid.device(UpdaterHid::Face::BootLoader).path.isEmpty());
    }

    void newIdsForgetTheOldPath()
    {
        Rig rig;
        rig.findMouse();
        rig.hid.setUserModeIds(kMouseVendorId, 0xA101);
        QVERIFY(rig.hid.device(UpdaterHid::Face::UserMode).path.isEmpty());
        QVERIFY(!rig.hid.readSecrecyCode());
        QVERIFY(rig.mouse->wireLog().empty());
    }

    void scramblingDeviceGivesItsCode_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("factory code") << QByteArray("260417");
        QTest::newRow("letters and signs") << QByteArray("k-ravi");
        QTest::newRow("high bits") << QByteArray("\xF0\x81\x7F\x80\xFE\x01");
    }
    void scramblingDeviceGivesItsCode()
    {
        QFETCH(QByteArray, code);
        Rig rig(scrambling(code.constData()));
        QCOMPARE(QByteArray::fromStdString(rig.mouse->state().secrecyCode), code);
        rig.findMouse();
        const j2::wire::SecrecyCode expected = codeOf(code);

        // A second query must still go out plain: scrambled, it would tell nothing.
        for (int query = 0; query < 2; ++query) {
            QVERIFY(rig.hid.readSecrecyCode());
            QVERIFY(rig.hid.isEncode());
            QCOMPARE(rig.hid.secrecyCode(), expected);
        }
        const auto reports = rig.featureReports();
        QCOMPARE(reports.size(), std::size_t(4));
        QCOMPARE(plainBytes(reports[0], nullptr), kCodeQuery);
        QCOMPARE(plainBytes(reports[2], nullptr), kCodeQuery);

        // Later commands travel scrambled with that code, and the device reads them as they were built.
        rig.mouse->clearWireLog();
        rig.hid.enterBootLoader(UpdaterHid::Face::UserMode);
        const auto sets = [&] {
            std::vector<j2::vm::WireEntry> found;
            for (const j2::vm::WireEntry& entry : rig.featureReports())
                if (entry.kind == "feature-set")
                    found.push_back(entry);
            return found;
        }();
        QVERIFY(sets.size() >= 1);
        QVERIFY(plainBytes(sets[0], nullptr) != kEntryCommand);
        QCOMPARE(plainBytes(sets[0], &expected), kEntryCommand);
        if (sets.size() >= 2)
            QCOMPARE(plainBytes(sets[1], &expected), kEntryCheck);
        QCOMPARE(rig.mouse->checksumErrors(), 0);
    }

    void lostDeviceFailsTheQuery()
    {
        Rig rig;
        rig.findMouse();
        rig.mouse->unplug();
        QVERIFY(!rig.hid.readSecrecyCode());
        QVERIFY(rig.hid.deviceIsFree());
        // A failed open looks the device up again before it gives up: once is not enough to lose it...
        rig.mouse->plug();
        rig.mouse->failNextOpens(1);
        QVERIFY(rig.hid.readSecrecyCode());
        QCOMPARE(rig.hid.device(UpdaterHid::Face::UserMode).path, QString::fromLatin1(j2::vm::kControlPath));
        // ...but a device that will not open at all counts as gone.
        rig.mouse->failNextOpens(2);
        QVERIFY(!rig.hid.readSecrecyCode());
        QVERIFY(rig.hid.device(UpdaterHid::Face::UserMode).path.isEmpty());
        QVERIFY(rig.hid.deviceIsFree());
    }

    // A device that answers the entry check without FF did not take the entry: here a scrambling mouse
    // whose code was never asked for, so it refuses the plain 0A on its checksum.
    void refusedEntryIsAFailure()
    {
        Rig rig(scrambling("260417"));
        rig.findMouse();
        QVERIFY(!rig.hid.enterBootLoader(UpdaterHid::Face::UserMode));
        const auto reports = rig.featureReports();
        QCOMPARE(reports.size(), std::size_t(3)); // 0A, 8A and the reply that says "not armed"
        QCOMPARE(reports[2].kind, std::string("feature-get"));
        QVERIFY(rig.hid.deviceIsFree());
        QTest::qWait(1200); // longer than an armed mouse takes to switch
        QCOMPARE(rig.hid.findDeviceIndex(), UpdaterHid::Face::UserMode);
    }

    void alreadyInBootloader()
    {
        Rig rig;
        rig.findMouse();
        QVERIFY(rig.hid.enterBootLoader(UpdaterHid::Face::BootLoader));
        QVERIFY(rig.mouse->wireLog().empty());
        QVERIFY(rig.hid.deviceIsFree());
    }

    void busyTokenRefusesTheEntry()
    {
        Rig rig;
        rig.findMouse();
        QVERIFY(rig.hid.waitDeviceFree());
        QTest::ignoreMessage(QtDebugMsg, "enterBootLoader fail");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!rig.hid.enterBootLoader(UpdaterHid::Face::UserMode));
        // The wait is bounded: 255 rounds of 8 ms.
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(rig.mouse->wireLog().empty());
    }

    void entersTheBootloader_data()
    {
        QTest::addColumn<bool>("encode");
        QTest::newRow("plain") << false;
        QTest::newRow("scrambled") << true;
    }
    void entersTheBootloader()
    {
        QFETCH(bool, encode);
        Rig rig(encode ? scrambling("k-ravi") : j2::vm::VirtualMouse::Options{});
        rig.findMouse();
        QVERIFY(rig.hid.readSecrecyCode());
        QCOMPARE(rig.hid.isEncode(), encode);
        // The query goes out plain either way; a plain device echoes its zeros.
        QCOMPARE(plainBytes(rig.featureReports().front(), nullptr), kCodeQuery);
        const j2::wire::SecrecyCode code = rig.hid.secrecyCode();
        QCOMPARE(code == j2::wire::SecrecyCode{}, !encode);
        rig.mouse->clearWireLog();

        const bool entered = rig.hid.enterBootLoader(UpdaterHid::Face::UserMode);
        QVERIFY(rig.hid.deviceIsFree());

        // 0A with the entry code, the settle pause, 30 ms, then the 8A check and its reply.
        const auto reports = rig.featureReports();
        QCOMPARE(reports.size(), std::size_t(3));
        QCOMPARE(reports[0].kind, std::string("feature-set"));
        QCOMPARE(plainBytes(reports[0], encode ? &code : nullptr), kEntryCommand);
        QCOMPARE(reports[1].kind, std::string("feature-set"));
        QCOMPARE(plainBytes(reports[1], encode ? &code : nullptr), kEntryCheck);
        QCOMPARE(reports[2].kind, std::string("feature-get"));
        const double gap = reports[1].timeMs - reports[0].timeMs;
        QVERIFY2(gap >= 2 * j2::wire::kSettleHalfMs + UpdaterHid::kEntryCheckPauseMs,
                 qPrintable(QStringLiteral("0A to 8A took %1 ms").arg(gap)));
        QCOMPARE(rig.mouse->busyViolations(), 0);
        QCOMPARE(rig.mouse->checksumErrors(), 0);

        QVERIFY(entered);
        // The device re-enumerates as the bootloader shortly after it answered the check.
        QTRY_COMPARE_WITH_TIMEOUT(rig.hid.findDeviceIndex(), UpdaterHid::Face::BootLoader, 3000);
        QVERIFY(rig.hid.device(UpdaterHid::Face::BootLoader).path.size() > 0);
        QVERIFY(rig.hid.device(UpdaterHid::Face::UserMode).path.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUpdaterHid)
#include "test_updater_hid.moc"
