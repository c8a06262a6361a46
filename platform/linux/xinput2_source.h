#pragma once

#include "input_source.h"

#include <memory>
#include <string>

namespace j2::platform::linux_input {

// The whole desktop's keys and buttons from the X server's XInput 2 raw events, read on the GUI thread
// from a connection of its own (the display named by DISPLAY).
class XInput2Source : public InputSource
{
public:
    // Why the last install failed ("no X display", ...); empty after a successful one.
    virtual const std::string& failure() const = 0;
};

std::unique_ptr<XInput2Source> makeXInput2Source(InputSink& sink);

} // namespace j2::platform::linux_input
