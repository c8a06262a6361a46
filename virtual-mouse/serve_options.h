#pragma once

// The options every way of serving the virtual mouse takes (the socket daemon, the emulated hidraw node):
// how the device model starts and where its control socket lives.

#include "virtual_mouse.h"

#include <string>
#include <vector>

namespace j2::vm {

enum class OptionTaken
{
    No,    // not one of these options: the caller may know it
    Yes,   // taken, `i` moved past its value
    Error, // one of these options with a missing or bad value: `error` says what
};

OptionTaken takeServeOption(const std::vector<std::string>& args, std::size_t& i,
                            VirtualMouse::Options& options, std::string& socketPath, std::string& error);

} // namespace j2::vm
