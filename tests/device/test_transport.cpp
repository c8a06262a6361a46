// The transport under the commands: path lookup, refusal, the token, the settle delays as the device sees
// them, scrambling on the wire, and devices that fail or vanish in the middle of an exchange.

#include "mouse_fixture.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace {

std::array<uchar, 128> profilePattern(uchar seed)
{
    std::array<uchar, 128> block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uchar>(i * 3 + seed);
    return block;
}

j2::vm::VirtualMouse::Options scrambledMouse(const char* code)
{
    j2::vm::VirtualMouse::Options options;
    options.encode = true;
    options.secrecyCode = code;
    return options;
}

void useHostCode(const char* code)
{
    isEncode = true;
    QVERIFY(j2::wire::loadSecrecyCode(secrecyCode, code, std::strlen(code)));
}

} // namespace

class TestTransport : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture::resetFlags(); }

    void pathLookup_data()
    {
        QTest::addColumn<int>("mutation");
        QTest::addColumn<bool>("mouseFound");
        QTest::addColumn<int>("entries");
        QTest::newRow("shipped table") << 0 << true << 2;
        QTest::newRow("second pair absent") << 1 << false << 2;
        QTest::newRow("usage page right, usage wrong") << 2 << false << 2;
        QTest::newRow("page of one collection, usage of another") << 3 << false << 2;
        QTest::newRow("empty table") << 4 << false << 0;
        QTest::newRow("third record of defaults") << 5 << true << 3;
        QTest::newRow("mouse unplugged") << 6 << false << 2;
    }
    void pathLookup()
    {
        QFETCH(int, mutation);
        QFETCH(bool, mouseFound);
        QFETCH(int, entries);
        fixture::Rig rig;
        DevInfoList table = fixture::shippedTable();
        switch (mutation) {
        case 1:
            table[1].usagePage2 = 0xff02;
            break;
        case 2:
            table[1].usage2 = 0x0002;
            break;
        case 3:
            table[1].usagePage2 = 0x0001; // the pointer collection's page with the notification usage
            table[1].usage2 = 0x0001;
            break;
        case 4:
            table.clear();
            break;
        case 5:
            table.append(DevInfo{});
            break;
        case 6:
            rig.mouse->unplug();
            break;
        default:
            break;
        }
        rig.hid->setDeviceTable(table);
        const QList<HidDeviceEntry> devices = rig.hid->devices();
        QCOMPARE(devices.size(), entries);
        for (const HidDeviceEntry& entry : devices) {
            const bool isMouse = entry.index == 1;
            QCOMPARE(entry.controlPath.isEmpty(), !(isMouse && mouseFound));
            QCOMPARE(entry.notifyPath.isEmpty(), !(isMouse && mouseFound));
            QCOMPARE(entry.reportLength, int(table.at(entry.index).reportLength));
        }
        if (mouseFound) {
            QCOMPARE(devices[1].controlPath, QStringLiteral("virtual-j2:control"));
            QCOMPARE(devices[1].notifyPath, QStringLiteral("virtual-j2:notify"));
        }
        // Without paths every command fails at the first step and nothing reaches the wire.
        rig.mouse->clearWireLog();
        uchar stage = 9;
        rig.hid->hid_8BH_GetCurrentDPIStage(stage);
        QCOMPARE(rig.mouse->wireLog().empty(), !mouseFound);
        QVERIFY(rig.hid->deviceIsFree());
    }

    void keyboardEntryNeverReachesTheMouse()
    {
        fixture::Rig rig;
        rig.hid->selectDevice(0);
        QString version = QStringLiteral("x");
        rig.hid->hid_80H_GetFWVersion(version);
        QCOMPARE(version, QStringLiteral("unknown"));
        QVERIFY(rig.mouse->wireLog().empty());
    }

    void demoModeRefusesEverything()
    {
        fixture::Rig rig;
        isDemoMode = true;
        QVERIFY(rig.hid->waitDeviceFree());
        QVERIFY(!rig.hid->exchangeRead(0));
        QVERIFY(rig.hid->deviceIsFree());
        QVERIFY(rig.hid->waitDeviceFree());
        QVERIFY(!rig.hid->exchangeWrite(128, true));
        QVERIFY(rig.hid->deviceIsFree());
        const auto profile = profilePattern(1);
        QElapsedTimer timer;
        timer.start();
        rig.hid->hid_0CH_setProfile(profile.data(), 0);
        rig.hid->waitForPendingWrite();
        QVERIFY(timer.elapsed() < 50); // refused before any settle delay
        QVERIFY(rig.mouse->wireLog().empty());
    }

    // The settle delays as the device sees them: nothing arrives while it writes its flash.
    void settleDelaysOnTheWire()
    {
        fixture::Rig rig;
        const auto profile = profilePattern(5);
        rig.hid->hid_0CH_setProfile(profile.data(), 1);
        uchar stage = 0;
        rig.hid->hid_8BH_GetCurrentDPIStage(stage); // waits for the write to end
        const auto sets = fixture::entriesOfKind(*rig.mouse, "feature-set");
        const auto outputs = fixture::entriesOfKind(*rig.mouse, "output");
        QCOMPARE(sets.size(), 2);
        QCOMPARE(outputs.size(), 2);
        QVERIFY(outputs[0].timeMs - sets[0].timeMs >= 127.5);
        QVERIFY(outputs[1].timeMs - outputs[0].timeMs >= 7.5);
        QVERIFY(sets[1].timeMs - outputs[1].timeMs >= 8 + 127.5);
        QCOMPARE(rig.mouse->busyViolations(), 0);
        QCOMPARE(rig.mouse->state().profiles[1], profile);
    }

    // A write still running on the pool holds the token; the next command waits and then goes through.
    void tokenContention()
    {
        fixture::Rig rig;
        const auto profile = profilePattern(9);
        QElapsedTimer timer;
        timer.start();
        rig.hid->hid_0CH_setProfile(profile.data(), 2);
        QVERIFY2(timer.elapsed() < 50, "a write slot returns while its exchange runs");
        QVERIFY(!rig.hid->deviceIsFree());

        // The window stays alive while a command waits: a timer due meanwhile fires inside the wait.
        bool firedWhileHeld = false;
        QTimer::singleShot(20, [&] { firedWhileHeld = !rig.hid->deviceIsFree(); });
        std::array<uchar, 128> readBack{};
        rig.hid->hid_8CH_readProfile(readBack.data(), 2);
        QVERIFY(firedWhileHeld);
        QVERIFY(timer.elapsed() >= 128 + 8 + 8 + 128);
        QCOMPARE(readBack, profile);

        // Back-to-back writes: the second slot blocks until the first ends, then returns at once.
        timer.restart();
        rig.hid->hid_0BH_SetCurrentDPIStage(2);
        rig.hid->hid_0BH_SetCurrentDPIStage(3);
        const qint64 secondReturned = timer.elapsed();
        QVERIFY2(secondReturned >= 128 && secondReturned < 128 + 100,
                 qPrintable(QString::number(secondReturned)));
        rig.hid->waitForPendingWrite();
        QCOMPARE(rig.mouse->state().currentDpiStage, uchar(3));
        QCOMPARE(rig.mouse->busyViolations(), 0);
    }

    void scrambledRoundTrip()
    {
        fixture::Rig rig(scrambledMouse("260417"));
        useHostCode("260417");
        const auto profile = profilePattern(3);
        rig.hid->hid_0CH_setProfile(profile.data(), 4);
        std::array<uchar, 128> readBack{};
        rig.hid->hid_8CH_readProfile(readBack.data(), 4);
        QCOMPARE(readBack, profile);

        uchar a = 0x10, b = 0x20, c = 0x30, d = 0x40;
        rig.hid->hid_00H_GetSecrecyCode(a, b, c, d);
        QCOMPARE((std::array<uchar, 4>{a, b, c, d}), (std::array<uchar, 4>{0x10, 0x20, 0x30, 0x40}));
        QCOMPARE(rig.mouse->checksumErrors(), 0);

        // On the wire the feature report is scrambled; descrambled it is the plain report, checksum included.
        const auto sets = fixture::entriesOfKind(*rig.mouse, "feature-set");
        QVERIFY(!sets.isEmpty());
        j2::wire::FeatureReport wire{};
        std::copy_n(sets[0].bytes.begin(), wire.size(), wire.begin());
        QCOMPARE(wire[0], uchar(0)); // the report id is never scrambled
        QVERIFY(wire[1] != 0x0C);
        j2::wire::descramble(wire.data() + 1, secrecyCode);
        QCOMPARE(wire[1], uchar(0x0C));
        QCOMPARE(wire[2], uchar(4));
        QCOMPARE(wire[3], uchar(0x80));
        QVERIFY(j2::wire::checksumValid(wire));
        // Bulk reports travel in plain.
        const auto outputs = fixture::entriesOfKind(*rig.mouse, "output");
        QVERIFY(!outputs.isEmpty());
        QVERIFY(
            std::equal(profile.begin(), profile.begin() + 64, fixture::outputPayload(outputs[0]).begin()));
    }

    void wrongCodeIsRejectedByTheDevice()
    {
        fixture::Rig rig(scrambledMouse("260417"));
        useHostCode("999999");
        const auto before = rig.mouse->state().profiles[0];
        const auto profile = profilePattern(7);
        rig.hid->hid_0CH_setProfile(profile.data(), 0);
        uchar a = 1, b = 2, c = 3, d = 4;
        rig.hid->hid_00H_GetSecrecyCode(a, b, c, d);
        QVERIFY(rig.mouse->checksumErrors() >= 2);
        QCOMPARE(rig.mouse->state().profiles[0], before);
        QVERIFY(!(a == 1 && b == 2 && c == 3 && d == 4)); // no echo for a stranger
    }

    void plainReportsTravelAsBuilt()
    {
        fixture::Rig rig;
        rig.hid->hid_03H_SetFunctionOption(0, 1, 0, 0);
        rig.hid->waitForPendingWrite();
        const auto sets = fixture::entriesOfKind(*rig.mouse, "feature-set");
        QCOMPARE(sets.size(), 1);
        QCOMPARE(fixture::hex(sets[0].bytes), QByteArray("00 03 00 01 00 00 00 00 FB"));
    }

    void unplugDuringBulkRead()
    {
        fixture::Rig rig;
        std::array<uchar, 512> buffer{};
        buffer.fill(0x3C);
        rig.mouse->unplugAfterBulkReports(3);
        QElapsedTimer timer;
        timer.start();
        rig.hid->hid_8DH_GetKeyMatrix(buffer.data());
        QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(std::all_of(buffer.begin(), buffer.end(), [](uchar v) { return v == 0x3C; }),
                 "half a bulk phase must not reach the caller");
        QVERIFY(rig.hid->deviceIsFree());
        QVERIFY(rig.hid->devices()[1].controlPath.isEmpty()); // gone until the next device check

        rig.mouse->plug();
        rig.hid->setDeviceTable(fixture::shippedTable());
        rig.hid->hid_8DH_GetKeyMatrix(buffer.data());
        QCOMPARE(buffer, rig.mouse->state().keyboardKeyMatrix);
    }

    void unplugDuringBulkWrite()
    {
        fixture::Rig rig;
        const auto before = rig.mouse->state().keyboardKeyMatrix;
        std::array<uchar, 512> matrix{};
        matrix.fill(0x42);
        rig.mouse->unplugAfterBulkReports(2);
        rig.hid->hid_0DH_SetKeyMatrix(matrix.data());
        QElapsedTimer timer;
        timer.start();
        rig.hid->waitForPendingWrite();
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(rig.hid->deviceIsFree());
        QCOMPARE(rig.mouse->state().keyboardKeyMatrix, before);
    }

    // A device that answers the request but never sends its bulk data: the read gives up within its bound.
    void silentBulkPhaseIsBounded()
    {
        fixture::Rig rig;
        std::array<uchar, 128> buffer{};
        buffer.fill(0x11);
        rig.mouse->withholdNextBulk(1);
        QElapsedTimer timer;
        timer.start();
        rig.hid->hid_8CH_readProfile(buffer.data(), 0);
        const qint64 took = timer.elapsed();
        QVERIFY2(took >= Hid_Thread::kBulkReadTimeoutMs - 50 && took < Hid_Thread::kBulkReadTimeoutMs + 500,
                 qPrintable(QString::number(took)));
        QVERIFY(std::all_of(buffer.begin(), buffer.end(), [](uchar v) { return v == 0x11; }));
        QVERIFY(rig.hid->deviceIsFree());
        // The device is still there: the next command works.
        rig.hid->hid_8CH_readProfile(buffer.data(), 0);
        QCOMPARE(buffer, rig.mouse->state().profiles[0]);
    }

    void noReplyFailsTheRead()
    {
        fixture::Rig rig;
        rig.mouse->dropNextReplies(1);
        uchar effect = 7, option1 = 7, option2 = 7;
        rig.hid->hid_8DH_GetRGBLedEffect(effect, option1, option2);
        QCOMPARE((std::array<uchar, 3>{effect, option1, option2}), (std::array<uchar, 3>{0, 0, 0}));
        QVERIFY(rig.hid->deviceIsFree());
    }

    void failedOpenForgetsThePath()
    {
        fixture::Rig rig;
        rig.mouse->failNextOpens(1);
        uchar stage = 4;
        rig.hid->hid_8BH_GetCurrentDPIStage(stage);
        QCOMPARE(stage, uchar(0));
        QVERIFY(rig.hid->devices()[1].controlPath.isEmpty());
        rig.hid->hid_8BH_GetCurrentDPIStage(stage);
        QVERIFY(rig.mouse->wireLog().empty());
        rig.hid->setDeviceTable(fixture::shippedTable());
        rig.hid->hid_8BH_GetCurrentDPIStage(stage);
        QCOMPARE(stage, rig.mouse->state().currentDpiStage);
    }
};

QTEST_GUILESS_MAIN(TestTransport)
#include "test_transport.moc"
