#pragma once

#include "input_source.h"

#include <memory>

namespace j2::platform::linux_input {

// The keys and buttons of the program's own windows only, for systems that let no program hear the whole
// desktop: an event filter on the application that reads each event as its window receives it.
std::unique_ptr<InputSource> makeWindowInputSource(InputSink& sink);

} // namespace j2::platform::linux_input
