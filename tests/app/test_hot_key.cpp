// Keys and buttons from the input hook reach the tray window and its scene: Shift+Alt+F12 brings the hidden
// window back, and the scene hears every key and button, in order, on a later turn of the event loop.

#include "device_flags.h"
#include "input_hook.h"
#include "my_qquick_view.h"
#include "virtual_mouse.h"
#include "widget.h"

#include <QDir>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// "+2A" presses scan code 0x2A, "-2A" releases it; "e" after the code sets the extended flag.
void play(Input_Hook& hook, const QString& keys)
{
    for (const QString& key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool isDown = key.startsWith(QLatin1Char('+'));
        const bool extended = key.endsWith(QLatin1Char('e'));
        const QString code = key.mid(1, extended ? key.size() - 2 : key.size() - 1);
        bool ok = false;
        const unsigned scanCode = code.toUInt(&ok, 16);
        QVERIFY2(ok, qPrintable(key));
        hook.keyboardEvent(isDown, scanCode, extended, false);
    }
}

} // namespace

class TestHotKey : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir folder;
    std::unique_ptr<j2::vm::VirtualMouse> mouse;
    std::unique_ptr<Widget> widget;
    std::unique_ptr<Input_Hook> hook;

private slots:
    void initTestCase() { QDir::setCurrent(folder.path()); }

    void init()
    {
        isDeviceFound = false;
        isDemoMode = false;
        mouse = std::make_unique<j2::vm::VirtualMouse>();
        widget =
            std::make_unique<Widget>(std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(*mouse)));
        // The test feeds the hook itself, as the program's start-up wires it.
        hook = std::make_unique<Input_Hook>(false, nullptr);
        hook->registerKeyboardCallback(keyboardCallback, widget.get());
        hook->registerMouseCallback(mouseCallback, widget.get());
    }

    void cleanup()
    {
        hook.reset();
        widget.reset();
        mouse.reset();
    }

    void hiddenWindowComesBack_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("shown");

        QTest::newRow("Shift+Alt+F12") << "+2A +38 +58" << true;
        QTest::newRow("right Shift+right Alt+F12") << "+36e +38e +58" << true;
        QTest::newRow("Alt+Shift+F12") << "+38 +2A +58" << true;
        QTest::newRow("F12 alone") << "+58" << false;
        QTest::newRow("Ctrl+Alt+F12") << "+1D +38 +58" << false;
        QTest::newRow("Shift+Ctrl+F12") << "+2A +1D +58" << false;
        QTest::newRow("Shift let go before F12") << "+2A +38 -2A +58" << false;
        QTest::newRow("Shift+Alt+F11") << "+2A +38 +57" << false;
        QTest::newRow("F12 first, then Shift+Alt") << "+58 +2A +38" << false;
    }

    void hiddenWindowComesBack()
    {
        QFETCH(QString, keys);
        QFETCH(bool, shown);
        QVERIFY(!widget->isVisible());
        play(*hook, keys);
        QCOMPARE(widget->isVisible(), shown);
    }

    void hotKeyAgainAfterHidingOnceMore()
    {
        play(*hook, QStringLiteral("+2A +38 +58"));
        QVERIFY(widget->isVisible());
        widget->hide();
        // Still held: a repeat of F12 is no new press.
        play(*hook, QStringLiteral("+58"));
        QVERIFY(!widget->isVisible());
        play(*hook, QStringLiteral("-58 +58"));
        QVERIFY(widget->isVisible());
    }

    void sceneHearsKeysAndButtonsInOrder()
    {
        QQuickItem* root = widget->sceneView()->rootObject();
        QVERIFY(root != nullptr);
        QSignalSpy keys(root, SIGNAL(msg_KB(bool, int)));
        QSignalSpy buttons(root, SIGNAL(msg_MS(bool, int, int, int)));

        play(*hook, QStringLiteral("+1E +1Ce -1E +1E"));
        hook->mouseMessage(0x204, 12, 34);
        hook->mouseMessage(0x203, 12, 34);
        hook->mouseMessage(0x205, 13, 35);
        // Queued: the hook has returned before the scene sees anything.
        QCOMPARE(keys.size(), 0);
        QCOMPARE(buttons.size(), 0);

        QTRY_COMPARE(buttons.size(), 2);
        QCOMPARE(keys.size(), 4);
        const QList<QList<QVariant>> expectedKeys{{true, 0x04}, {true, 0x58}, {false, 0x04}, {true, 0x04}};
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(keys.at(i), expectedKeys.at(i));
        QCOMPARE(buttons.at(0), (QList<QVariant>{true, 0xF1, 12, 34}));
        QCOMPARE(buttons.at(1), (QList<QVariant>{false, 0xF1, 13, 35}));
    }
};

QTEST_MAIN(TestHotKey)
#include "test_hot_key.moc"
