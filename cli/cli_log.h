#pragma once

// The command line's logging category, j2.cli: what j2ctl did on its way, below the one-line answers it
// prints for the user.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCli)
