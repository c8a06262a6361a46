#pragma once

#include "hid_backend.h"

#include <memory>

namespace j2::hid {

// The real hidapi library behind the seam. While the environment variable J2_FORBID_HIDAPI is set (the test
// suite sets it) any use aborts, so no test can reach real hardware by accident.
std::unique_ptr<Backend> makeHidapiBackend();

} // namespace j2::hid
