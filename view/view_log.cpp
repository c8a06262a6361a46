#include "view_log.h"

Q_LOGGING_CATEGORY(lcView, "j2.view")
Q_LOGGING_CATEGORY(lcStores, "j2.stores")
