// Injected faults: failed opens, lost and late replies, and a cable pulled in the middle of a bulk phase.

#include "host.h"

#include <QElapsedTimer>

using namespace vmtest;
using j2::vm::VirtualMouse;

class TestVmFaults : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        mouse = std::make_unique<VirtualMouse>();
        backend = j2::vm::makeInProcessBackend(*mouse);
        host = std::make_unique<Host>(*backend);
    }
    void cleanup()
    {
        host.reset();
        backend.reset();
        mouse.reset();
    }

    void failedOpensAreCounted();
    void droppedRepliesFailWithoutBulk_data();
    void droppedRepliesFailWithoutBulk();
    void withheldBulkAnswersWithoutData();
    void delayedRepliesArriveLate_data();
    void delayedRepliesArriveLate();
    void lateReportMissesTheReadTimeOut();
    void unplugDuringDelayEndsIt();
    void unplugAfterBulkReports_data();
    void unplugAfterBulkReports();
    void clearFaultsRestoresService();

private:
    std::unique_ptr<VirtualMouse> mouse;
    std::unique_ptr<j2::hid::Backend> backend;
    std::unique_ptr<Host> host;
};

void TestVmFaults::failedOpensAreCounted()
{
    mouse->failNextOpens(2);
    QVERIFY(backend->openPath(j2::vm::kControlPath) == nullptr);
    QVERIFY(backend->openPath(j2::vm::kNotifyPath) == nullptr);
    QVERIFY(backend->openPath(j2::vm::kControlPath) != nullptr);
    QCOMPARE(backend->enumerate(0, 0).size(), std::size_t(3)); // the device is still there
}

void TestVmFaults::droppedRepliesFailWithoutBulk_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("arguments");
    QTest::addColumn<int>("bulkLength");

    QTest::newRow("handshake") << 0x00 << QByteArray("01020304") << 0;
    QTest::newRow("firmware version") << 0x80 << QByteArray() << 0;
    QTest::newRow("profile read") << 0x8C << QByteArray("00") << 128;
    QTest::newRow("DPI set") << 0x91 << QByteArray() << 8;
}

void TestVmFaults::droppedRepliesFailWithoutBulk()
{
    QFETCH(int, command);
    QFETCH(QByteArray, arguments);
    QFETCH(int, bulkLength);

    mouse->dropNextReplies(1);
    const FeatureReport report = request(arguments, std::uint8_t(command));
    QCOMPARE(host->send(report), 9);
    QVERIFY(!host->fetch());
    std::uint8_t input[65];
    QCOMPARE(host->readReport(input, sizeof input, 0), 0);

    // Only the next one was dropped.
    if (bulkLength > 0)
        QVERIFY(host->readBulk(report, std::size_t(bulkLength)));
    else
        QVERIFY(host->query(report));
}

void TestVmFaults::withheldBulkAnswersWithoutData()
{
    mouse->withholdNextBulk(1);
    QVERIFY(host->query(request(0x8B))); // no bulk phase: not affected
    const auto reply = host->query(request(0x91));
    QVERIFY(reply);
    QCOMPARE((*reply)[2], std::uint8_t(4));
    std::uint8_t input[65];
    QCOMPARE(host->readReport(input, sizeof input, 50), 0);
    QVERIFY(host->readBulk(request(0x91), 8));
}

void TestVmFaults::delayedRepliesArriveLate_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("minimumMs"); // the whole exchange: feature get + two input reports

    QTest::newRow("every step") << 60 << 3 << 180;
    QTest::newRow("only the reply") << 150 << 1 << 150;
}

void TestVmFaults::delayedRepliesArriveLate()
{
    QFETCH(int, delayMs);
    QFETCH(int, count);
    QFETCH(int, minimumMs);

    QVERIFY(host->writeBulk(request(0x0C, {0x03, 0x80}), pattern(128, 2)));
    mouse->delayNextReplies(delayMs, count);
    QElapsedTimer timer;
    timer.start();
    const auto read = host->readBulk(request(0x8C, {0x03}), 128);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(read);
    QCOMPARE(*read, pattern(128, 2));
    QVERIFY2(elapsed >= minimumMs, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < minimumMs + 400, qPrintable(QString::number(elapsed)));
}

// "The device answered too late": a read whose time-out ends before the late report sees nothing, and the
// report is still there, on time, for a later read.
void TestVmFaults::lateReportMissesTheReadTimeOut()
{
    QVERIFY(host->query(request(0x91)));
    mouse->delayNextReplies(300, 1);
    std::uint8_t input[65];
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(host->readReport(input, sizeof input, 50), 0);
    QVERIFY2(timer.elapsed() < 250, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(host->readReport(input, sizeof input, 1000), j2::vm::kReportLength);
    QVERIFY2(timer.elapsed() >= 300, qPrintable(QString::number(timer.elapsed())));
}

void TestVmFaults::unplugDuringDelayEndsIt()
{
    mouse->delayNextReplies(5000, 1);
    QCOMPARE(host->send(request(0x80)), 9);
    auto device = host->control();
    QElapsedTimer timer;
    timer.start();
    std::thread cable([this] {
        sleepMs(50);
        mouse->unplug();
    });
    FeatureReport reply{};
    QCOMPARE(device->getFeatureReport(reply.data(), reply.size()), -1);
    cable.join();
    QVERIFY(timer.elapsed() < 1000);
}

void TestVmFaults::unplugAfterBulkReports_data()
{
    QTest::addColumn<bool>("writing");
    QTest::addColumn<int>("after");

    QTest::newRow("reading, after the first report") << false << 1;
    QTest::newRow("writing, after the first report") << true << 1;
    QTest::newRow("writing, after the last report") << true << 2;
}

void TestVmFaults::unplugAfterBulkReports()
{
    QFETCH(bool, writing);
    QFETCH(int, after);

    mouse->unplugAfterBulkReports(after);
    std::uint8_t buffer[65] = {};
    if (writing) {
        QCOMPARE(host->send(request(0x0C, {0x06, 0x80})), 9);
        sleepMs(kHostSettleMs);
        for (int report = 0; report < 2; ++report) {
            buffer[1] = 0x77;
            auto device = host->control();
            QCOMPARE(device ? device->write(buffer, sizeof buffer) : -1, report < after ? 65 : -1);
        }
        // A write whose last report made it through is complete; one cut short changes nothing.
        QCOMPARE(mouse->state().profiles[6][64] == 0x77, after == 2);
    } else {
        QVERIFY(host->query(request(0x8C, {0x00})));
        auto device = host->control();
        QVERIFY(device->readTimeout(buffer, sizeof buffer, 500) > 0);
        QCOMPARE(device->readTimeout(buffer, sizeof buffer, 500), -1);
    }
    QVERIFY(!mouse->pluggedIn());
    mouse->plug();
    QVERIFY(host->query(request(0x80))); // fault spent
}

void TestVmFaults::clearFaultsRestoresService()
{
    mouse->failNextOpens(5);
    mouse->dropNextReplies(5);
    mouse->delayNextReplies(2000, 5);
    mouse->unplugAfterBulkReports(1);
    mouse->clearFaults();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(host->readBulk(request(0x8C, {0x00}), 128));
    QVERIFY(timer.elapsed() < 500);
    QVERIFY(mouse->pluggedIn());
}

QTEST_GUILESS_MAIN(TestVmFaults)
#include "test_vm_faults.moc"
