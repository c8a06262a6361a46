#include "device_log.h"

Q_LOGGING_CATEGORY(lcDevice, "j2.device")
