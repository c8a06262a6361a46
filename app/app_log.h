#pragma once

// The application shell's log: start-up, the tray window and its notices.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)
