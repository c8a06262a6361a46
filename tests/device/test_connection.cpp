// The secrecy handshake, demo mode and the notification watch against the virtual mouse.

#include "mouse_fixture.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QTest>

namespace {

class RecordingOwner final : public HidOwner
{
public:
    void showTrayMessage(const QString& title, const QString& text) override
    {
        QMutexLocker lock(&mutex);
        notices.append(title + QLatin1Char('|') + text);
    }
    void hideWindow() override { ++hidden; }
    QString storedSecrecyCode(int did) override
    {
        askedFor.append(did);
        return codes.value(did, QStringLiteral("260417"));
    }

    QStringList takeNotices()
    {
        QMutexLocker lock(&mutex);
        return std::exchange(notices, {});
    }

    QMap<int, QString> codes;
    QList<int> askedFor;
    int hidden = 0;

private:
    QMutex mutex;
    QStringList notices;
};

j2::vm::VirtualMouse::Options mouseWithCode(bool encode, const char* code)
{
    j2::vm::VirtualMouse::Options options;
    options.encode = encode;
    options.secrecyCode = code;
    return options;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        fixture::resetFlags();
        setDpiNoticeTexts(QStringList(8, QStringLiteral("DPI Switch to")));
        for (auto& value : dpiValues)
            value = 0;
    }

    void handshake_data()
    {
        QTest::addColumn<bool>("mouseEncodes");
        QTest::addColumn<QString>("mouseCode");
        QTest::addColumn<bool>("hostEncodes");
        QTest::addColumn<QString>("storedCode");
        QTest::addColumn<bool>("unplugged");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("demo");
        QTest::newRow("plain echo") << false << "260417" << false << "260417" << false << true << false;
        QTest::newRow("plain echo, any stored code")
            << false << "260417" << false << "abcdef" << false << true << false;
        QTest::newRow("scrambled, same code")
            << true << "Q7x-2a" << true << "Q7x-2a" << false << true << false;
        QTest::newRow("scrambled, another code")
            << true << "Q7x-2a" << true << "260417" << false << false << false;
        QTest::newRow("no device") << false << "260417" << false << "260417" << true << false << false;
        QTest::newRow("demo code, no device")
            << false << "260417" << false << "k-ravine" << true << true << true;
        QTest::newRow("demo code, scrambled stranger")
            << true << "Q7x-2a" << true << "k-ravine" << false << true << true;
    }
    void handshake()
    {
        QFETCH(bool, mouseEncodes);
        QFETCH(QString, mouseCode);
        QFETCH(bool, hostEncodes);
        QFETCH(QString, storedCode);
        QFETCH(bool, unplugged);
        QFETCH(bool, found);
        QFETCH(bool, demo);
        fixture::Rig rig(mouseWithCode(mouseEncodes, mouseCode.toLatin1().constData()));
        RecordingOwner owner;
        owner.codes[1] = storedCode;
        rig.hid->setOwner(&owner);
        if (unplugged) {
            rig.mouse->unplug();
            rig.hid->setDeviceTable(fixture::shippedTable());
        }
        isEncode = hostEncodes;

        QTest::ignoreMessage(QtDebugMsg, found && !demo ? "Device Connect" : "Device Error");
        rig.hid->swichCurDevice(1);

        QCOMPARE(isDeviceFound.load(), found);
        QCOMPARE(isDemoMode.load(), demo);
        QCOMPARE(owner.askedFor, QList<int>{1});
        const bool connected = found && !demo;
        QCOMPARE(owner.takeNotices(),
                 connected ? QStringList{QStringLiteral("Info|Detect Mouse")} : QStringList{});
        QCOMPARE(rig.hid->isWatchRunning(), connected);
        QCOMPARE(owner.hidden, !found ? 1 : 0);
        if (demo)
            QVERIFY(!isEncode.load());
        if (connected)
            QVERIFY(rig.mouse->state().notificationsOn());
        rig.hid->stopNotificationWatch();
    }

    void busyDeviceCountsAsConnected()
    {
        fixture::Rig rig;
        RecordingOwner owner;
        rig.hid->setOwner(&owner);
        QVERIFY(rig.hid->waitDeviceFree()); // someone holds the token for good
        QTest::ignoreMessage(QtDebugMsg, "cmd Failed 00");
        QTest::ignoreMessage(QtDebugMsg, "Device Connect");
        rig.hid->chkDeviceIsEnCode();
        QVERIFY(isDeviceFound.load());
        QCOMPARE(owner.takeNotices(), QStringList{QStringLiteral("Info|Detect Mouse")});
    }

    void oddCodeLengthsKeepTheOldCode_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("five characters") << "12345";
        QTest::newRow("seven characters") << "1234567";
    }
    void oddCodeLengthsKeepTheOldCode()
    {
        QFETCH(QString, stored);
        fixture::Rig rig;
        RecordingOwner owner;
        owner.codes[1] = stored;
        rig.hid->setOwner(&owner);
        j2::wire::loadSecrecyCode(secrecyCode, "OLDone", 6);
        const j2::wire::SecrecyCode before = secrecyCode;
        QTest::ignoreMessage(QtDebugMsg, "Device Connect"); // a plain mouse echoes whatever the code
        rig.hid->chkDeviceIsEnCode();
        QCOMPARE(secrecyCode, before);
        rig.hid->stopNotificationWatch();
    }

    void deviceIndexAboveOneReadsNoCode()
    {
        fixture::Rig rig;
        RecordingOwner owner;
        rig.hid->setOwner(&owner);
        DevInfoList table = fixture::shippedTable();
        table.append(DevInfo{});
        rig.hid->setDeviceTable(table);
        QTest::ignoreMessage(QtDebugMsg, "Device Error");
        rig.hid->swichCurDevice(2);
        QVERIFY(owner.askedFor.isEmpty());
        QVERIFY(!isDeviceFound.load());
        QVERIFY(waitFor([&] { return !rig.hid->isWatchRunning(); }, 1000)); // nothing to watch on that entry
    }

    void switchingBackToTheMouseRestartsTheWatch()
    {
        fixture::Rig rig;
        RecordingOwner owner;
        rig.hid->setOwner(&owner);
        rig.hid->selectDevice(0);
        QTest::ignoreMessage(QtDebugMsg, "Device Connect");
        rig.hid->swichCurDevice(1);
        QCOMPARE(rig.hid->currentDevice(), 1);
        QVERIFY(rig.hid->isWatchRunning());
        rig.hid->stopNotificationWatch();
        QVERIFY(!rig.hid->isWatchRunning());
    }

    void dpiButtonNotices_data()
    {
        QTest::addColumn<int>("fromStage");
        QTest::addColumn<int>("maxStage");
        QTest::addColumn<QString>("notice");
        QTest::newRow("stage 3") << 2 << 4 << "Info|DPI Switch to 1600";
        QTest::newRow("wraps to stage 1") << 4 << 4 << "Info|DPI Switch to 400";
        QTest::newRow("stage 7 uses the sixth text") << 6 << 8 << "Info|t6 7000";
        QTest::newRow("stage 8 uses the sixth text") << 7 << 8 << "Info|t6 8000";
        QTest::newRow("stage 6") << 5 << 8 << "Info|t6 6000";
        QTest::newRow("stage 9 is dropped") << 8 << 9 << "";
    }
    void dpiButtonNotices()
    {
        QFETCH(int, fromStage);
        QFETCH(int, maxStage);
        QFETCH(QString, notice);
        if (maxStage == 8)
            setDpiNoticeTexts({"t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8"});
        const unsigned values[8] = {400, 800, 1600, 4000, 5000, 6000, 7000, 8000};
        for (std::size_t i = 0; i < 8; ++i)
            dpiValues[i] = values[i];
        fixture::Rig rig;
        j2::vm::DeviceState state = rig.mouse->state();
        state.currentDpiStage = uchar(fromStage);
        state.dpiMaxStage = uchar(maxStage);
        rig.mouse->setState(state);
        RecordingOwner owner;
        rig.hid->setOwner(&owner);
        QTest::ignoreMessage(QtDebugMsg, "Device Connect");
        rig.hid->swichCurDevice(1);
        rig.hid->waitForPendingWrite(); // the write that switches notifications on
        owner.takeNotices();

        rig.mouse->pressDpiButton();
        if (notice.isEmpty()) {
            QTest::qWait(700);
            QVERIFY(owner.takeNotices().isEmpty());
        } else {
            QStringList notices;
            QVERIFY(waitFor(
                [&] {
                    notices += owner.takeNotices();
                    return !notices.isEmpty();
                },
                2000));
            QCOMPARE(notices, QStringList{notice});
        }
        rig.hid->stopNotificationWatch();
    }

    void unplugEndsTheWatch()
    {
        fixture::Rig rig;
        RecordingOwner owner;
        rig.hid->setOwner(&owner);
        QTest::ignoreMessage(QtDebugMsg, "Device Connect");
        rig.hid->swichCurDevice(1);
        QVERIFY(rig.hid->isWatchRunning());
        QTest::ignoreMessage(QtDebugMsg, "Device removed");
        QElapsedTimer timer;
        timer.start();
        rig.mouse->unplug();
        QVERIFY(waitFor([&] { return !rig.hid->isWatchRunning(); }, 1500));
        QVERIFY2(timer.elapsed() < 700, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(rig.hid->devices()[1].notifyPath.isEmpty());
        QVERIFY(isDeviceFound.load()); // a removal does not clear it
    }

    void stopIsBounded()
    {
        fixture::Rig rig;
        RecordingOwner owner;
        rig.hid->setOwner(&owner);
        QTest::ignoreMessage(QtDebugMsg, "Device Connect");
        rig.hid->swichCurDevice(1);
        QElapsedTimer timer;
        timer.start();
        rig.hid->stopNotificationWatch();
        QVERIFY(timer.elapsed() < 700);
        QVERIFY(!rig.hid->isWatchRunning());
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "test_connection.moc"
