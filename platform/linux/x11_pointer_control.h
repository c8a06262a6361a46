#pragma once

// The X server's pointer acceleration on $DISPLAY. Free of Qt: Xlib's macros (None, Bool, Status, ...) break
// Qt's headers.

namespace j2::platform::x11 {

// Motion beyond `threshold` pixels at once is multiplied by numerator / denominator.
struct PointerControl
{
    int numerator = 1;
    int denominator = 1;
    int threshold = 0;
};

// False when no X display can be opened.
bool readPointerControl(PointerControl& control);
// Changes the factor only; the threshold stays as the server has it.
bool writeAccelerationFactor(int numerator, int denominator);

} // namespace j2::platform::x11
