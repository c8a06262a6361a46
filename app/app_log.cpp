#include "app_log.h"

Q_LOGGING_CATEGORY(lcApp, "j2.app")
