#pragma once

// The updater's log: its flow, its HID access and the firmware file.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
