#pragma once

// The view's two logging categories: j2.view for the facade and the bridges that reach the device and the
// desktop, j2.stores for the settings files. `QT_LOGGING_RULES="j2.stores.debug=false"` and the like quiet
// one of them; the texts themselves are what tests and users have always seen.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcView)
Q_DECLARE_LOGGING_CATEGORY(lcStores)
