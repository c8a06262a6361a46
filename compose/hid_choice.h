#pragma once

// The HID backend a program talks through unless it runs a mouse of its own: the j2-virtual-mouse daemon the
// environment names, otherwise the real hidapi library.

#include "hid_backend.h"

#include <QString>

#include <memory>

namespace j2::compose {

// The daemon socket J2_VIRTUAL_MOUSE names; empty when it names none.
QString virtualMouseSocketFromEnvironment();

// A client of the j2-virtual-mouse daemon on `virtualMouseSocket`, or hidapi when that is empty.
std::shared_ptr<hid::Backend> makeHidBackend(const QString& virtualMouseSocket);

} // namespace j2::compose
