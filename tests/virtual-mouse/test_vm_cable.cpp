// What the host sees of the device's presence: enumeration, the notification interface, unplugging and
// plugging in again, and the listeners told about it.

#include "host.h"

#include <QElapsedTimer>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

using namespace vmtest;
using j2::vm::VirtualMouse;

class TestVmCable : public QObject
{
    Q_OBJECT

private slots:
    void enumerateFilters_data();
    void enumerateFilters();
    void notificationsFollowKeyboardOption_data();
    void notificationsFollowKeyboardOption();
    void dpiButtonWrapsAtMaxStage();
    void unplugWakesBlockedRead_data();
    void unplugWakesBlockedRead();
    void handlesDieWithTheirPlugIn();
    void listenersHearPlugEventsInOrder();
    void pointerInterfaceHasNoReports();
};

void TestVmCable::enumerateFilters_data()
{
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<bool>("plugged");
    QTest::addColumn<int>("expected");

    QTest::newRow("exact ids") << 0x04d9 << 0xa100 << true << 3;
    QTest::newRow("any device") << 0 << 0 << true << 3;
    QTest::newRow("any product of the maker") << 0x04d9 << 0 << true << 3;
    QTest::newRow("the keyboard's product") << 0x04d9 << 0x8008 << true << 0;
    QTest::newRow("another maker") << 0x046d << 0xa100 << true << 0;
    QTest::newRow("unplugged") << 0 << 0 << false << 0;
}

void TestVmCable::enumerateFilters()
{
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFETCH(bool, plugged);
    QFETCH(int, expected);

    VirtualMouse mouse;
    if (!plugged)
        mouse.unplug();
    auto backend = j2::vm::makeInProcessBackend(mouse);
    const auto devices = backend->enumerate(std::uint16_t(vendor), std::uint16_t(product));
    QCOMPARE(int(devices.size()), expected);
    if (expected == 0)
        return;
    // Control and notification collections by usage pair; the pointer is there but is not the host's.
    QCOMPARE(devices[0].path, std::string(j2::vm::kControlPath));
    QCOMPARE(devices[0].usagePage, std::uint16_t(0xff00));
    QCOMPARE(devices[0].usage, std::uint16_t(0xff00));
    QCOMPARE(devices[0].interfaceNumber, 0);
    QCOMPARE(devices[1].path, std::string(j2::vm::kNotifyPath));
    QCOMPARE(devices[1].usagePage, std::uint16_t(0xff01));
    QCOMPARE(devices[1].usage, std::uint16_t(0x0001));
    QCOMPARE(devices[1].interfaceNumber, 1);
    QCOMPARE(devices[2].usagePage, std::uint16_t(0x0001));
    QCOMPARE(devices[2].usage, std::uint16_t(0x0002));
    for (const auto& device : devices) {
        QCOMPARE(device.vendorId, std::uint16_t(0x04d9));
        QCOMPARE(device.productId, std::uint16_t(0xa100));
        QVERIFY(backend->openPath(device.path) != nullptr);
    }
}

void TestVmCable::notificationsFollowKeyboardOption_data()
{
    QTest::addColumn<int>("optionByte");
    QTest::addColumn<bool>("notifies");

    QTest::newRow("bit 0x08 set") << 0x08 << true;
    QTest::newRow("other bits set") << 0xF7 << false;
    QTest::newRow("all bits") << 0xFF << true;
    QTest::newRow("factory (off)") << -1 << false;
}

void TestVmCable::notificationsFollowKeyboardOption()
{
    QFETCH(int, optionByte);
    QFETCH(bool, notifies);

    VirtualMouse mouse;
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Host host(*backend);
    if (optionByte >= 0)
        QVERIFY(host.writeBulk(request(0x01, {std::uint8_t(optionByte), 0x00}), {}, false));

    auto notify = backend->openPath(j2::vm::kNotifyPath);
    QVERIFY(notify);
    mouse.pressDpiButton();
    std::uint8_t report[8] = {};
    const int got = notify->readTimeout(report, sizeof report, notifies ? 500 : 50);
    QCOMPARE(got, notifies ? 4 : 0);
    if (notifies)
        QCOMPARE(hex(report, 4), QByteArray("06070002"));
    QCOMPARE(mouse.state().currentDpiStage, std::uint8_t(2)); // the stage moves either way
}

void TestVmCable::dpiButtonWrapsAtMaxStage()
{
    VirtualMouse mouse;
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Host host(*backend);
    QVERIFY(host.writeBulk(request(0x01, {0x08, 0x00}), {}, false));
    QVERIFY(host.writeBulk(request(0x11, {0x03, 0x08}), pattern(8, 1)));

    auto notify = backend->openPath(j2::vm::kNotifyPath);
    QByteArray stages;
    for (int press = 0; press < 4; ++press) {
        mouse.pressDpiButton();
        std::uint8_t report[4] = {};
        QCOMPARE(notify->readTimeout(report, sizeof report, 500), 4);
        stages += char('0' + report[3]);
    }
    QCOMPARE(stages, QByteArray("2312"));
}

void TestVmCable::unplugWakesBlockedRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("timeoutMs");

    QTest::newRow("notify, blocking") << QString(j2::vm::kNotifyPath) << -1;
    QTest::newRow("notify, long time-out") << QString(j2::vm::kNotifyPath) << 5000;
    QTest::newRow("control, blocking") << QString(j2::vm::kControlPath) << -1;
}

void TestVmCable::unplugWakesBlockedRead()
{
    QFETCH(QString, path);
    QFETCH(int, timeoutMs);

    VirtualMouse mouse;
    auto backend = j2::vm::makeInProcessBackend(mouse);
    auto device = backend->openPath(path.toStdString());
    QVERIFY(device);
    std::atomic<bool> started{false};
    auto reader = std::async(std::launch::async, [&] {
        std::uint8_t report[65];
        started = true;
        return timeoutMs < 0 ? device->read(report, sizeof report)
                             : device->readTimeout(report, sizeof report, timeoutMs);
    });
    while (!started)
        sleepMs(1);
    sleepMs(50); // let it block
    QElapsedTimer timer;
    timer.start();
    mouse.unplug();
    QCOMPARE(reader.wait_for(std::chrono::milliseconds(1000)), std::future_status::ready);
    QCOMPARE(reader.get(), -1);
    QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
}

void TestVmCable::handlesDieWithTheirPlugIn()
{
    VirtualMouse mouse;
    auto backend = j2::vm::makeInProcessBackend(mouse);
    auto old = backend->openPath(j2::vm::kControlPath);
    QVERIFY(old);
    mouse.unplug();
    QVERIFY(!mouse.pluggedIn());
    QVERIFY(backend->openPath(j2::vm::kControlPath) == nullptr);
    mouse.plug();
    QVERIFY(mouse.pluggedIn());

    const FeatureReport report = request(0x80);
    QCOMPARE(old->sendFeatureReport(report.data(), report.size()), -1);
    FeatureReport reply{};
    QCOMPARE(old->getFeatureReport(reply.data(), reply.size()), -1);
    std::uint8_t output[65] = {};
    QCOMPARE(old->write(output, sizeof output), -1);
    QCOMPARE(old->readTimeout(output, sizeof output, 0), -1);

    Host host(*backend); // a fresh handle works
    const auto answer = host.query(report);
    QVERIFY(answer);
    QCOMPARE((*answer)[2], std::uint8_t(0x01));
}

void TestVmCable::listenersHearPlugEventsInOrder()
{
    VirtualMouse mouse;
    std::mutex mutex;
    QByteArray heard;
    const int listener = mouse.addPlugListener([&](bool pluggedIn) {
        std::lock_guard lock(mutex);
        heard += pluggedIn ? 'P' : 'U';
    });
    mouse.unplug();
    mouse.unplug(); // no change, no event
    mouse.plug();
    {
        std::lock_guard lock(mutex);
        QCOMPARE(heard, QByteArray("UP"));
        heard.clear();
    }

    // Threads pulling and pushing the cable at once: events still alternate and end on the real state.
    std::vector<std::thread> hands;
    for (int hand = 0; hand < 4; ++hand)
        hands.emplace_back([&mouse, hand] {
            for (int i = 0; i < 200; ++i)
                ((i + hand) % 2 == 0) ? mouse.unplug() : mouse.plug();
        });
    for (auto& thread : hands)
        thread.join();
    {
        std::lock_guard lock(mutex);
        QVERIFY(!heard.isEmpty());
        QVERIFY(!heard.contains("UU") && !heard.contains("PP"));
        QCOMPARE(heard.front(), 'U');
        QCOMPARE(heard.back() == 'P', mouse.pluggedIn());
        heard.clear();
    }

    mouse.removePlugListener(listener);
    mouse.pluggedIn() ? mouse.unplug() : mouse.plug();
    std::lock_guard lock(mutex);
    QVERIFY(heard.isEmpty());
}

void TestVmCable::pointerInterfaceHasNoReports()
{
    VirtualMouse mouse;
    auto backend = j2::vm::makeInProcessBackend(mouse);
    auto pointer = backend->openPath(j2::vm::kPointerPath);
    QVERIFY(pointer);
    const FeatureReport report = request(0x80);
    QCOMPARE(pointer->sendFeatureReport(report.data(), report.size()), -1);
    std::uint8_t input[8];
    QCOMPARE(pointer->readTimeout(input, sizeof input, 20), 0);
    QCOMPARE(mouse.wireLog().back().note, std::string("wrong-interface"));
}

QTEST_GUILESS_MAIN(TestVmCable)
#include "test_vm_cable.moc"
