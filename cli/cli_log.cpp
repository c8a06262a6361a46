#include "cli_log.h"

Q_LOGGING_CATEGORY(lcCli, "j2.cli")
