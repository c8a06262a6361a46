#pragma once

// Win32 only, free of Qt so that it can be checked with a plain MinGW compiler.

#include "input_source.h"

namespace j2::win32 {

// The system-wide low-level keyboard and mouse hooks. They run on the thread that installs them, from
// within its message loop, which is the GUI thread. Returns true when both hooks are installed; on failure
// both stored handles are forgotten, while a hook that did get installed stays in place.
bool installInputHooks(j2::platform::InputSink* sink);
void removeInputHooks();

} // namespace j2::win32
