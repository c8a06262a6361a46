// The input hook's translation of scan codes into USB usages, its transition filter and its mouse button
// table, fed with raw events the way the platform sources deliver them.

#include "input_hook.h"

#include <QSet>
#include <QStringList>
#include <QTest>

namespace {

// "+04" usage 04 pressed, "-04" released; "F0+@3,4" mouse code F0 pressed at 3,4.
void recordKey(int usage, bool isDown, void* reports)
{
    static_cast<QStringList*>(reports)->append((isDown ? QStringLiteral("+") : QStringLiteral("-")) +
                                               QString::number(usage, 16).toUpper().rightJustified(2, '0'));
}

void recordButton(unsigned code, bool isDown, int x, int y, void* reports)
{
    static_cast<QStringList*>(reports)->append(
        QStringLiteral("%1%2@%3,%4").arg(code, 0, 16).toUpper().arg(isDown ? '+' : '-').arg(x).arg(y));
}

QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A hook without a system source: the test is the source.
struct FedHook
{
    explicit FedHook(bool layoutSwitch = false) : hook(layoutSwitch, nullptr)
    {
        hook.registerKeyboardCallback(recordKey, &reports);
        hook.registerMouseCallback(recordButton, &reports);
    }
    void tap(unsigned scanCode, bool extended = false, bool altDown = false)
    {
        hook.keyboardEvent(true, scanCode, extended, altDown);
        hook.keyboardEvent(false, scanCode, extended, altDown);
    }
    QStringList reports;
    Input_Hook hook;
};

class CountingSource : public j2::platform::InputSource
{
public:
    explicit CountingSource(int& installCount) : installs(installCount) {}
    bool install() override { return ++installs > 0; }
    void remove() override { --installs; }

private:
    int& installs;
};

constexpr unsigned kScanA = 0x1E;

} // namespace

class TestInputHook : public QObject
{
    Q_OBJECT
private slots:
    void keyTranslation_data()
    {
        QTest::addColumn<unsigned>("scanCode");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<bool>("altDown");
        QTest::addColumn<QString>("reported");

        QTest::newRow("A") << 0x1Eu << false << false << "+04 -04";
        QTest::newRow("Enter") << 0x1Cu << false << false << "+28 -28";
        QTest::newRow("keypad Enter") << 0x1Cu << true << false << "+58 -58";
        QTest::newRow("right Shift") << 0x36u << true << false << "+E5 -E5";
        QTest::newRow("left Ctrl") << 0x1Du << false << false << "+E0 -E0";
        QTest::newRow("right Ctrl") << 0x1Du << true << false << "+E4 -E4";
        QTest::newRow("right Alt") << 0x38u << true << true << "+E6 -E6";
        QTest::newRow("Pause") << 0x45u << false << false << "+48 -48";
        QTest::newRow("Ctrl+Break") << 0x46u << true << false << "+48 -48";
        QTest::newRow("Scroll Lock") << 0x46u << false << false << "+47 -47";
        QTest::newRow("Num Lock") << 0x45u << true << false << "+53 -53";
        QTest::newRow("Print Screen") << 0x37u << true << false << "+46 -46";
        QTest::newRow("Alt+Print Screen") << 0x54u << false << true << "+46 -46";
        QTest::newRow("F12") << 0x58u << false << false << "+45 -45";
        QTest::newRow("F23") << 0x6Eu << false << false << "+72 -72";
        QTest::newRow("A with Alt held") << 0x1Eu << false << true << "+04 -04";
        QTest::newRow("right Shift without the flag") << 0x36u << false << false << "";
        QTest::newRow("right Windows") << 0x5Cu << true << false << "";
        QTest::newRow("SysRq without Alt") << 0x54u << false << false << "";
        QTest::newRow("beyond one byte") << (0x100u + kScanA) << false << false << "";
        QTest::newRow("F13") << 0x64u << false << false << "";
    }

    void keyTranslation()
    {
        QFETCH(unsigned, scanCode);
        QFETCH(bool, extended);
        QFETCH(bool, altDown);
        QFETCH(QString, reported);
        FedHook fed;
        fed.tap(scanCode, extended, altDown);
        QCOMPARE(fed.reports, words(qPrintable(reported)));
    }

    // Every key of the keyboard map comes out, each with a usage of its own; nothing else does.
    void everyMappedKeyHasItsOwnUsage()
    {
        FedHook fed;
        QSet<QString> usages;
        int reportedKeys = 0;
        for (unsigned scan = 0; scan <= 0xFF; ++scan) {
            for (bool extended : {false, true}) {
                fed.reports.clear();
                fed.tap(scan, extended);
                if (fed.reports.isEmpty())
                    continue;
                ++reportedKeys;
                QCOMPARE(fed.reports.size(), 2);
                // Pause and Ctrl+Break are one key to the scene.
                const bool isBreak = scan == 0x46 && extended;
                QVERIFY2(isBreak || !usages.contains(fed.reports.first()), qPrintable(fed.reports.first()));
                usages.insert(fed.reports.first());
            }
        }
        QCOMPARE(reportedKeys, 105 + 1); // the map's keys and Ctrl+Break
        QCOMPARE(fed.hook.scanToVk().size(), size_t(105));
        QCOMPARE(fed.hook.vkToUsb().size(), size_t(121));
    }

    void onlyTransitionsAreReported()
    {
        FedHook fed;
        // Auto-repeat sends the press again and again.
        for (int i = 0; i < 5; ++i)
            fed.hook.keyboardEvent(true, kScanA, false, false);
        fed.hook.keyboardEvent(false, kScanA, false, false);
        fed.hook.keyboardEvent(false, kScanA, false, false);
        fed.hook.keyboardEvent(true, kScanA, false, false);
        // Both Ctrl keys have a state of their own.
        fed.hook.keyboardEvent(true, 0x1D, false, false);
        fed.hook.keyboardEvent(true, 0x1D, true, false);
        fed.hook.keyboardEvent(false, 0x1D, false, false);
        // Print Screen and Alt+Print Screen are one usage: pressed by one, released by the other.
        fed.hook.keyboardEvent(true, 0x54, false, true);
        fed.hook.keyboardEvent(true, 0x37, true, false);
        fed.hook.keyboardEvent(false, 0x37, true, false);
        QCOMPARE(fed.reports, words("+04 -04 +04 +E0 +E4 -E0 +46 -46"));
    }

    void stateIsKeptWithoutAReceiver()
    {
        Input_Hook hook(false, nullptr);
        hook.keyboardEvent(true, kScanA, false, false);
        QStringList reports;
        hook.registerKeyboardCallback(recordKey, &reports);
        hook.keyboardEvent(true, kScanA, false, false); // still held: no news
        hook.keyboardEvent(false, kScanA, false, false);
        // A later registration replaces the earlier one.
        QStringList later;
        hook.registerKeyboardCallback(recordKey, &later);
        hook.keyboardEvent(true, kScanA, false, false);
        QCOMPARE(reports, words("-04"));
        QCOMPARE(later, words("+04"));
    }

    void layoutSwitch_data()
    {
        QTest::addColumn<bool>("layoutSwitch");
        QTest::addColumn<QString>("reported");
        QTest::newRow("off: US backslash") << false << "+31 -31";
        QTest::newRow("on: ISO key beside Enter") << true << "+32 -32";
    }

    void layoutSwitch()
    {
        QFETCH(bool, layoutSwitch);
        QFETCH(QString, reported);
        FedHook fed(layoutSwitch);
        fed.tap(0x2B);
        QCOMPARE(fed.reports, words(qPrintable(reported)));
    }

    void mouseButtons_data()
    {
        QTest::addColumn<unsigned>("message");
        QTest::addColumn<QString>("reported");

        QTest::newRow("left down") << 0x201u << "F0+@640,-20";
        QTest::newRow("left up") << 0x202u << "F0-@640,-20";
        QTest::newRow("right down") << 0x204u << "F1+@640,-20";
        QTest::newRow("right up") << 0x205u << "F1-@640,-20";
        QTest::newRow("middle down") << 0x207u << "F2+@640,-20";
        QTest::newRow("middle up") << 0x208u << "F2-@640,-20";
        QTest::newRow("left double click") << 0x203u << "";
        QTest::newRow("right double click") << 0x206u << "";
        QTest::newRow("move") << 0x200u << "";
        QTest::newRow("middle double click") << 0x209u << "";
        QTest::newRow("wheel") << 0x20Au << "";
    }

    void mouseButtons()
    {
        QFETCH(unsigned, message);
        QFETCH(QString, reported);
        FedHook fed;
        fed.hook.mouseMessage(message, 640, -20);
        QCOMPARE(fed.reports, words(qPrintable(reported)));
    }

    void doubleClickIsTwoClicks()
    {
        FedHook fed;
        for (unsigned message : {0x201u, 0x202u, 0x203u, 0x201u, 0x202u})
            fed.hook.mouseMessage(message, 3, 4);
        fed.hook.mouseMessage(0x201u, 5, 6); // no state filter for buttons
        QCOMPARE(fed.reports, words("F0+@3,4 F0-@3,4 F0+@3,4 F0-@3,4 F0+@5,6"));
    }

    void installedByTheConstructorRemovedOnRequest()
    {
        QVERIFY(Input_Hook::current() == nullptr);
        int installs = 0;
        {
            Input_Hook hook(false, [&installs](j2::platform::InputSink& sink) {
                // The hook is the sink its source delivers to.
                return &sink == Input_Hook::current() ? std::make_unique<CountingSource>(installs) : nullptr;
            });
            QCOMPARE(Input_Hook::current(), &hook);
            QCOMPARE(installs, 1);
            hook.remove();
            QCOMPARE(installs, 0);
            QVERIFY(hook.install());
        }
        QCOMPARE(installs, 1); // nothing removed on destruction: that is the owner's call
        QVERIFY(Input_Hook::current() == nullptr);
    }
};

QTEST_GUILESS_MAIN(TestInputHook)
#include "test_input_hook.moc"
