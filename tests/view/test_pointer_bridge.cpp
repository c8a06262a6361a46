// The pointer settings of the performance pages: what reaches the system for each page value, what the
// profile keeps, what is logged when the system refuses, and the scroll-swap bit on the virtual mouse.

#include "mouse_fixture.h"
#include "pointer_bridge.h"
#include "profile_store.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using j2::platform::PointerAcceleration;

Q_DECLARE_METATYPE(PointerAcceleration)

namespace {

// Records every call in the system's units and refuses the actions named in `refused`. It reports a pointer
// speed of 14 and a double-click time of 460 ms, and cannot tell its wheel lines.
class RecordingPointerSettings final : public j2::platform::PointerSettings
{
public:
    QStringList calls;
    QSet<QString> refused; // "read", "write", "speed", "double-click", "lines"
    PointerAcceleration held{6, 10, 0};

    bool readAcceleration(PointerAcceleration& acceleration) override
    {
        calls << QStringLiteral("read");
        if (refused.contains(QStringLiteral("read")))
            return false;
        acceleration = held;
        return true;
    }
    bool writeAcceleration(const PointerAcceleration& acceleration) override
    {
        calls << QStringLiteral("write %1 %2 %3")
                     .arg(acceleration.threshold1)
                     .arg(acceleration.threshold2)
                     .arg(acceleration.level);
        if (refused.contains(QStringLiteral("write")))
            return false;
        held = acceleration;
        return true;
    }
    bool setPointerSpeed(unsigned speed) override { return answer(QStringLiteral("speed"), speed); }
    bool setDoubleClickTime(unsigned milliseconds) override
    {
        return answer(QStringLiteral("double-click"), milliseconds);
    }
    bool setWheelScrollLines(unsigned lines) override { return answer(QStringLiteral("lines"), lines); }
    bool readPointerSpeed(unsigned& speed) override
    {
        speed = 14;
        return true;
    }
    bool readDoubleClickTime(unsigned& milliseconds) override
    {
        milliseconds = 460;
        return true;
    }
    bool readWheelScrollLines(unsigned&) override { return false; }

private:
    bool answer(const QString& action, unsigned value)
    {
        calls << action + QLatin1Char(' ') + QString::number(value);
        return !refused.contains(action);
    }
};

QStringList debugLog;

void recordDebug(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg)
        debugLog << message;
}

// One page setting: its setter, its getter and its key in the profile.
struct PageSetting
{
    std::function<bool(PointerBridge&, uint)> set;
    std::function<uint(PointerBridge&)> get;
    QString key;
};

PageSetting pageSetting(const QString& name)
{
    if (name == QLatin1String("cursor"))
        return {&PointerBridge::setCursorSpeed, &PointerBridge::getCursorSpeed,
                PointerBridge::kCursorSpeedKey};
    if (name == QLatin1String("double-click"))
        return {&PointerBridge::setDoubleClickSpeed, &PointerBridge::getDoubleClickSpeed,
                PointerBridge::kDoubleClickSpeedKey};
    return {&PointerBridge::setVerticalScrollLines, &PointerBridge::getVerticalScrollLines,
            PointerBridge::kScrollLinesKey};
}

} // namespace

class TestPointerBridge : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ProfileStore> profiles;
    RecordingPointerSettings system;
    std::unique_ptr<fixture::Rig> rig;
    std::unique_ptr<PointerBridge> bridge;
    QtMessageHandler previousHandler = nullptr;

    // What the current profile's file holds on disk, read through a handle of its own.
    QVariant onDisk(const QString& key) const
    {
        const QString file = profiles->slotFile(profiles->currentProfile());
        return QSettings(file, QSettings::IniFormat).value(key);
    }

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(recordDebug); }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void init()
    {
        fixture::resetFlags();
        // A fresh folder per test: QSettings keeps parsed files by path within the process.
        dir = std::make_unique<QTemporaryDir>();
        profiles = std::make_unique<ProfileStore>(dir->path());
        profiles->setCurrentProfile(2);
        system = RecordingPointerSettings();
        rig = std::make_unique<fixture::Rig>();
        bridge = std::make_unique<PointerBridge>(*profiles, system, *rig->hid);
        debugLog.clear();
    }
    void cleanup()
    {
        bridge.reset();
        rig.reset();
        profiles.reset();
    }

    void pageValueReachesTheSystemAndTheProfile_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<uint>("pageValue");
        QTest::addColumn<QString>("refuse");
        QTest::addColumn<QStringList>("expectedCalls");
        QTest::addColumn<QStringList>("expectedLog");
        // What the profile holds afterwards (absent: invalid) and the page reads back.
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<uint>("shown");
        const QStringList quiet;
        QTest::newRow("speed 0 is the slowest")
            << "cursor" << 0u << "" << QStringList{"speed 1"} << quiet << QVariant("0") << 0u;
        QTest::newRow("speed 5 is the default")
            << "cursor" << 5u << "" << QStringList{"speed 10"} << quiet << QVariant("5") << 5u;
        QTest::newRow("speed 10 is the fastest")
            << "cursor" << 10u << "" << QStringList{"speed 20"} << quiet << QVariant("10") << 10u;
        // A refused value gives way to the system's: speed 14 is page value 7.
        QTest::newRow("speed 11 refused") << "cursor" << 11u << "speed" << QStringList{"speed 22"}
                                          << QStringList{"setCursorSpeed Failed"} << QVariant("7") << 7u;
        QTest::newRow("double-click 0")
            << "double-click" << 0u << "" << QStringList{"double-click 900"} << quiet << QVariant("0") << 0u;
        QTest::newRow("double-click 10") << "double-click" << 10u << "" << QStringList{"double-click 200"}
                                         << quiet << QVariant("10") << 10u;
        QTest::newRow("double-click 11") << "double-click" << 11u << "" << QStringList{"double-click 130"}
                                         << quiet << QVariant("11") << 11u;
        // 460 ms is nearest to page value 6 (480 ms).
        QTest::newRow("double-click refused")
            << "double-click" << 3u << "double-click" << QStringList{"double-click 690"}
            << QStringList{"setDoubleClickSpeed Failed"} << QVariant("6") << 6u;
        // No time is left from 13 on: nothing reaches the system.
        QTest::newRow("double-click 13") << "double-click" << 13u << "" << QStringList{}
                                         << QStringList{"setDoubleClickSpeed Failed"} << QVariant("6") << 6u;
        QTest::newRow("lines 1") << "lines" << 1u << "" << QStringList{"lines 1"} << quiet << QVariant("1")
                                 << 1u;
        QTest::newRow("one screen") << "lines" << 1000u << "" << QStringList{"lines 1000"} << quiet
                                    << QVariant("1000") << 1000u;
        // A system that cannot tell leaves the profile as it was: here without the key, so the default shows.
        QTest::newRow("lines refused") << "lines" << 7u << "lines" << QStringList{"lines 7"}
                                       << QStringList{"setVerticalScrollLines Failed"} << QVariant() << 3u;
    }
    void pageValueReachesTheSystemAndTheProfile()
    {
        QFETCH(QString, setting);
        QFETCH(uint, pageValue);
        QFETCH(QString, refuse);
        QFETCH(QStringList, expectedCalls);
        QFETCH(QStringList, expectedLog);
        QFETCH(QVariant, stored);
        QFETCH(uint, shown);
        if (!refuse.isEmpty())
            system.refused.insert(refuse);
        const PageSetting page = pageSetting(setting);

        QCOMPARE(page.set(*bridge, pageValue), expectedLog.isEmpty());

        QCOMPARE(system.calls, expectedCalls);
        QCOMPARE(debugLog, expectedLog);
        QCOMPARE(onDisk(page.key), stored);
        QCOMPARE(page.get(*bridge), shown);
    }

    void refusedChangeKeepsWhatTheProfileHeld()
    {
        QVERIFY(bridge->setVerticalScrollLines(42));
        system.refused.insert(QStringLiteral("lines"));
        QVERIFY(!bridge->setVerticalScrollLines(1000));
        QCOMPARE(onDisk(PointerBridge::kScrollLinesKey), QVariant("42"));
        QCOMPARE(bridge->getVerticalScrollLines(), 42u);
    }

    void gettersReadTheCurrentProfileOnly()
    {
        for (const QString& name : QStringList{"cursor", "double-click", "lines"}) {
            const PageSetting page = pageSetting(name);
            // A profile without the value (and no factory profile) shows the control's default.
            const uint absent = name == QLatin1String("lines") ? 3u : 5u;
            QCOMPARE(page.get(*bridge), absent);
            page.set(*bridge, 7);
            profiles->setCurrentProfile(4);
            QCOMPARE(page.get(*bridge), absent);
            profiles->setCurrentProfile(2);
            QCOMPARE(page.get(*bridge), 7u);
        }
        QVERIFY(!bridge->getScrollPinSwap());
    }

    void acceleration_data()
    {
        QTest::addColumn<PointerAcceleration>("held");
        QTest::addColumn<bool>("acceleration");
        QTest::addColumn<QString>("refuse");
        QTest::addColumn<QStringList>("expectedCalls");
        QTest::addColumn<QStringList>("expectedLog");
        const QStringList quiet;
        QTest::newRow("on keeps the thresholds")
            << PointerAcceleration{6, 10, 0} << true << "" << QStringList{"read", "write 6 10 1"} << quiet;
        QTest::newRow("off keeps the thresholds")
            << PointerAcceleration{4, 12, 2} << false << "" << QStringList{"read", "write 4 12 0"} << quiet;
        QTest::newRow("on from level 2 is 1")
            << PointerAcceleration{0, 0, 2} << true << "" << QStringList{"read", "write 0 0 1"} << quiet;
        QTest::newRow("unreadable: nothing written")
            << PointerAcceleration{6, 10, 0} << true << "read" << QStringList{"read"}
            << QStringList{"setAcceleration Failed"};
        QTest::newRow("refused") << PointerAcceleration{6, 10, 0} << true << "write"
                                 << QStringList{"read", "write 6 10 1"}
                                 << QStringList{"setAcceleration Failed"};
    }
    void acceleration()
    {
        QFETCH(PointerAcceleration, held);
        QFETCH(bool, acceleration);
        QFETCH(QString, refuse);
        QFETCH(QStringList, expectedCalls);
        QFETCH(QStringList, expectedLog);
        system.held = held;
        if (!refuse.isEmpty())
            system.refused.insert(refuse);

        bridge->setAcceleration(acceleration);

        QCOMPARE(system.calls, expectedCalls);
        QCOMPARE(debugLog, expectedLog);
        // The system holds acceleration; the profile does not.
        QVERIFY(profiles->current().allKeys().isEmpty());
    }

    void getAcceleration_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("expected");
        QTest::newRow("off") << 0 << true << false;
        QTest::newRow("on") << 1 << true << true;
        QTest::newRow("any non-zero level") << 2 << true << true;
        QTest::newRow("unreadable") << 1 << false << false;
    }
    void getAcceleration()
    {
        QFETCH(int, level);
        QFETCH(bool, readable);
        QFETCH(bool, expected);
        system.held.level = level;
        if (!readable)
            system.refused.insert(QStringLiteral("read"));

        QCOMPARE(bridge->getAcceleration(), expected);
        QCOMPARE(debugLog, readable ? QStringList{} : QStringList{"getAcceleration Failed"});
    }

    void scrollPinSwap_data()
    {
        QTest::addColumn<uchar>("option1");
        QTest::addColumn<bool>("isSwap");
        QTest::addColumn<uchar>("sent");
        QTest::newRow("already set") << uchar(0xFF) << true << uchar(0xFF);
        QTest::newRow("set") << uchar(0x00) << true << uchar(0x40);
        QTest::newRow("cleared among others") << uchar(0xFF) << false << uchar(0xBF);
        QTest::newRow("cleared alone") << uchar(0x40) << false << uchar(0x00);
        QTest::newRow("other bits kept") << uchar(0x81) << true << uchar(0xC1);
    }
    void scrollPinSwap()
    {
        QFETCH(uchar, option1);
        QFETCH(bool, isSwap);
        QFETCH(uchar, sent);
        j2::vm::DeviceState state = rig->mouse->state();
        state.functionOption = {0x05, 0x04, option1, 0x33};
        rig->mouse->setState(state);

        bridge->setScrollPinSwap(isSwap);
        rig->hid->waitForPendingWrite();

        // Type, rate and option2 go back as the device reported them.
        const std::array<std::uint8_t, 4> expected{0x05, 0x04, sent, 0x33};
        QCOMPARE(rig->mouse->state().functionOption, expected);
        QCOMPARE(onDisk(PointerBridge::kScrollSwapKey).toBool(), isSwap);
        QCOMPARE(bridge->getScrollPinSwap(), isSwap);
        QVERIFY(system.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPointerBridge)
#include "test_pointer_bridge.moc"
