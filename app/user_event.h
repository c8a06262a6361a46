#pragma once

#include <QEvent>

// An event that carries one integer code; posted to the window to run work after the event loop has started.
class UserEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::User; // 1000
    // Asks the window to start the scene's UI once it is on screen.
    static constexpr int kRunUI = 2177;

    explicit UserEvent(int eventCode) : QEvent(kType), code(eventCode) {}
    int code;
};
