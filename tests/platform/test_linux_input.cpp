// Linux's keys and buttons in the hook's terms: kernel key codes as PC scan codes with their extended flag,
// X buttons as mouse messages, and the window-only source used where no X server hears the desktop.

#include "evdev_input.h"
#include "recording_sink.h"
#include "window_input_source.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

using namespace j2::platform;
using namespace j2::platform::linux_input;

namespace {

// Kernel key codes (<linux/input-event-codes.h>).
constexpr unsigned kKeyA = 30;
constexpr unsigned kKeyLeftAlt = 56;
constexpr unsigned kKeyRightAlt = 100;
constexpr unsigned kKeySysRq = 99;
constexpr unsigned kKeyKeypadEnter = 96;

void sendKey(QObject* receiver, QEvent::Type type, unsigned evdevCode, bool autoRepeat = false)
{
    QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, evdevCode + kXKeycodeOffset, 0, 0, QString(),
                    autoRepeat);
    QCoreApplication::sendEvent(receiver, &event);
}

void sendButton(QObject* receiver, QEvent::Type type, Qt::MouseButton button, QPointF global)
{
    QMouseEvent event(type, QPointF(5, 6), QPointF(5, 6), global, button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &event);
}

QString describe(const std::optional<EvdevKeyboard::Event>& event)
{
    RecordingSink sink;
    if (event)
        sink.keyboardEvent(true, event->key.scanCode, event->key.extended, event->altDown);
    return sink.events.value(0);
}

} // namespace

class TestLinuxInput : public QObject
{
    Q_OBJECT
private slots:
    void kernelKeysAsScanCodes_data()
    {
        QTest::addColumn<unsigned>("evdevCode");
        QTest::addColumn<QString>("pressed"); // empty: a key no PC keyboard has

        // Numbered by their scan code.
        QTest::newRow("Esc") << 1u << "+01";
        QTest::newRow("A") << 30u << "+1E";
        QTest::newRow("Enter") << 28u << "+1C";
        QTest::newRow("keypad *") << 55u << "+37";
        QTest::newRow("Scroll Lock") << 70u << "+46";
        QTest::newRow("key 102") << 86u << "+56";
        QTest::newRow("F12") << 88u << "+58";
        // Numbered on their own, or needing the extended flag.
        QTest::newRow("right Shift") << 54u << "+36e";
        QTest::newRow("Num Lock") << 69u << "+45e";
        QTest::newRow("Pause") << 119u << "+45";
        QTest::newRow("keypad Enter") << 96u << "+1Ce";
        QTest::newRow("right Ctrl") << 97u << "+1De";
        QTest::newRow("keypad /") << 98u << "+35e";
        QTest::newRow("Print Screen") << 99u << "+37e";
        QTest::newRow("right Alt") << 100u << "+38e/alt";
        QTest::newRow("Home") << 102u << "+47e";
        QTest::newRow("Up") << 103u << "+48e";
        QTest::newRow("Page Up") << 104u << "+49e";
        QTest::newRow("Left") << 105u << "+4Be";
        QTest::newRow("Right") << 106u << "+4De";
        QTest::newRow("End") << 107u << "+4Fe";
        QTest::newRow("Down") << 108u << "+50e";
        QTest::newRow("Page Down") << 109u << "+51e";
        QTest::newRow("Insert") << 110u << "+52e";
        QTest::newRow("Delete") << 111u << "+53e";
        QTest::newRow("left Windows") << 125u << "+5Be";
        QTest::newRow("right Windows") << 126u << "+5Ce";
        QTest::newRow("Menu") << 127u << "+5De";
        QTest::newRow("F23") << 193u << "+6E";
        QTest::newRow("unassigned 84") << 84u << "";
        QTest::newRow("Zenkaku/Hankaku") << 85u << "";
        QTest::newRow("Mute") << 113u << "";
    }

    void kernelKeysAsScanCodes()
    {
        QFETCH(unsigned, evdevCode);
        QFETCH(QString, pressed);
        EvdevKeyboard keyboard;
        QCOMPARE(describe(keyboard.translate(evdevCode, true)), pressed);
    }

    void xButtonsAsMessages_data()
    {
        QTest::addColumn<unsigned>("button");
        QTest::addColumn<bool>("isDown");
        QTest::addColumn<unsigned>("message"); // 0: none

        QTest::newRow("left press") << 1u << true << 0x201u;
        QTest::newRow("left release") << 1u << false << 0x202u;
        QTest::newRow("middle press") << 2u << true << 0x207u;
        QTest::newRow("middle release") << 2u << false << 0x208u;
        QTest::newRow("right press") << 3u << true << 0x204u;
        QTest::newRow("right release") << 3u << false << 0x205u;
        QTest::newRow("wheel up") << 4u << true << 0u;
        QTest::newRow("back") << 8u << true << 0u;
    }

    void xButtonsAsMessages()
    {
        QFETCH(unsigned, button);
        QFETCH(bool, isDown);
        QFETCH(unsigned, message);
        QCOMPARE(mouseMessageOfXButton(button, isDown).value_or(0), message);
    }

    // With Alt held, a PC keyboard's Print Screen sends SysRq; Alt stays held while either Alt key is.
    void altFollowsBothAltKeys()
    {
        EvdevKeyboard keyboard;
        QStringList seen;
        for (const auto& [code, isDown] :
             std::initializer_list<std::pair<unsigned, bool>>{{kKeySysRq, true},
                                                              {kKeyLeftAlt, true},
                                                              {kKeySysRq, true},
                                                              {kKeyA, true},
                                                              {kKeyRightAlt, true},
                                                              {kKeyLeftAlt, false},
                                                              {kKeySysRq, true},
                                                              {kKeyRightAlt, false},
                                                              {kKeySysRq, true}})
            seen.append(describe(keyboard.translate(code, isDown)));
        QCOMPARE(seen, words("+37e +38/alt +54/alt +1E/alt +38e/alt +38/alt +54/alt +38e +37e"));
    }

    // Where the desktop cannot be heard: the program's own window, each event once (a held key's repeats
    // not at all), nothing swallowed.
    void ownWindowSource()
    {
        RecordingSink sink;
        const std::unique_ptr<InputSource> source = makeWindowInputSource(sink);
        QVERIFY(!source->install()); // never the whole desktop
        QWindow window;
        QObject notAWindow; // the widgets an event travels on to

        sendKey(&window, QEvent::KeyPress, kKeyKeypadEnter);
        // Held down: the repeats come as release/press pairs marked as such.
        for (int repeat = 0; repeat < 3; ++repeat) {
            sendKey(&window, QEvent::KeyRelease, kKeyKeypadEnter, true);
            sendKey(&window, QEvent::KeyPress, kKeyKeypadEnter, true);
        }
        sendKey(&notAWindow, QEvent::KeyPress, kKeyA);
        QKeyEvent synthetic(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier); // no keycode: not a key
        QCoreApplication::sendEvent(&window, &synthetic);
        sendKey(&window, QEvent::KeyRelease, kKeyKeypadEnter);
        sendButton(&window, QEvent::MouseButtonPress, Qt::RightButton, QPointF(-40, 700));
        sendButton(&window, QEvent::MouseButtonDblClick, Qt::RightButton, QPointF(-40, 700));
        sendButton(&window, QEvent::MouseButtonPress, Qt::BackButton, QPointF(-40, 700));
        sendButton(&window, QEvent::MouseButtonRelease, Qt::MiddleButton, QPointF(1, 2));
        QCOMPARE(sink.events, words("+1Ce -1Ce 204@-40,700 208@1,2"));

        source->remove();
        sendKey(&window, QEvent::KeyPress, kKeyA);
        QCOMPARE(sink.events.size(), 4);
    }

    void withoutDisplayTheOwnWindowIsHeard()
    {
        qunsetenv("DISPLAY");
        RecordingSink sink;
        const std::unique_ptr<InputSource> source = makeSystemInputSource(sink);
        QTest::ignoreMessage(QtDebugMsg, "input: no global key and mouse events (no X display); keys and "
                                         "buttons are heard only in the program's own window");
        QVERIFY(!source->install());
        QWindow window;
        sendKey(&window, QEvent::KeyPress, kKeyA);
        QCOMPARE(sink.events, words("+1E"));
    }
};

QTEST_MAIN(TestLinuxInput)
#include "test_linux_input.moc"
