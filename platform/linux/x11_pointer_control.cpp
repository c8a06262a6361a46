#include "x11_pointer_control.h"

#include <X11/Xlib.h>

namespace j2::platform::x11 {

namespace {

// A connection for one request: the setting is changed rarely, and a held connection would outlive the X
// server of a session that ended.
class Connection
{
public:
    Connection() : display(XOpenDisplay(nullptr)) {}
    ~Connection()
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display;
};

} // namespace

bool readPointerControl(PointerControl& control)
{
    Connection connection;
    if (connection.display == nullptr)
        return false;
    XGetPointerControl(connection.display, &control.numerator, &control.denominator, &control.threshold);
    return true;
}

bool writeAccelerationFactor(int numerator, int denominator)
{
    if (numerator < 1 || denominator < 1)
        return false; // the server answers a zero with an error that ends the program
    Connection connection;
    if (connection.display == nullptr)
        return false;
    XChangePointerControl(connection.display, True, False, numerator, denominator, 0);
    XSync(connection.display, False);
    return true;
}

} // namespace j2::platform::x11
