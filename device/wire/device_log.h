#pragma once

// The device layer's log: the transport, the command exchanges and the real HID library behind the seam.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDevice)
