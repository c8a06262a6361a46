#include "platform_log.h"

Q_LOGGING_CATEGORY(lcPlatform, "j2.platform")
