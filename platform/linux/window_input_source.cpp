#include "window_input_source.h"

#include "evdev_input.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <array>

namespace j2::platform::linux_input {

namespace {

struct QtButtonMessages
{
    Qt::MouseButton button;
    unsigned down;
    unsigned up;
};

constexpr std::array kQtButtonMessages{
    QtButtonMessages{Qt::LeftButton, mouse_message::kLeftDown, mouse_message::kLeftUp},
    QtButtonMessages{Qt::RightButton, mouse_message::kRightDown, mouse_message::kRightUp},
    QtButtonMessages{Qt::MiddleButton, mouse_message::kMiddleDown, mouse_message::kMiddleUp},
};

class WindowInputSource final : public InputSource, private QObject
{
public:
    explicit WindowInputSource(InputSink& sink) : receiver(sink) {}
    ~WindowInputSource() override { remove(); }
    WindowInputSource(const WindowInputSource&) = delete;
    WindowInputSource& operator=(const WindowInputSource&) = delete;

    bool install() override
    {
        remove();
        if (QCoreApplication::instance() == nullptr)
            return false;
        QCoreApplication::instance()->installEventFilter(this);
        return false; // only our own windows
    }

    void remove() override
    {
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeEventFilter(this);
    }

private:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // An event travels on from the window to the widget under it and up to its parents; the window
        // sees each one exactly once.
        if (!watched->isWindowType())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            key(*static_cast<QKeyEvent*>(event));
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            button(*static_cast<QMouseEvent*>(event));
            break;
        default:
            break;
        }
        return false; // nothing is swallowed
    }

    void key(const QKeyEvent& event)
    {
        // X11 and Wayland both give the X keycode (the kernel's key code + 8); synthetic events have none.
        const quint32 keycode = event.nativeScanCode();
        // A held key repeats as further press/release pairs (Wayland's clients repeat it themselves); the
        // recorder wants the one press and the one release the hands made, as the desktop-wide sources give.
        if (keycode < kXKeycodeOffset || event.isAutoRepeat())
            return;
        const bool isDown = event.type() == QEvent::KeyPress;
        if (const auto translated = keyboard.translate(keycode - kXKeycodeOffset, isDown))
            receiver.keyboardEvent(isDown, translated->key.scanCode, translated->key.extended,
                                   translated->altDown);
    }

    void button(const QMouseEvent& event)
    {
        const bool isDown = event.type() == QEvent::MouseButtonPress;
        for (const QtButtonMessages& entry : kQtButtonMessages) {
            if (entry.button != event.button())
                continue;
            const QPoint position = event.globalPosition().toPoint();
            receiver.mouseMessage(isDown ? entry.down : entry.up, position.x(), position.y());
            return;
        }
    }

    InputSink& receiver;
    EvdevKeyboard keyboard;
};

} // namespace

std::unique_ptr<InputSource> makeWindowInputSource(InputSink& sink)
{
    return std::make_unique<WindowInputSource>(sink);
}

} // namespace j2::platform::linux_input
