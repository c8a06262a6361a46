#pragma once

#include "hid_backend.h"

#include <memory>

namespace j2::hid {

// The backend a program uses when nobody hands it one: the j2-virtual-mouse daemon whose socket
// J2_VIRTUAL_MOUSE names, otherwise the real hidapi library.
std::shared_ptr<Backend> makeDefaultBackend();

} // namespace j2::hid
