#include "update_log.h"

Q_LOGGING_CATEGORY(lcUpdate, "j2.update")
