// Runs the tst_*.qml files beside this file: the panels' value rules are plain JavaScript libraries, so
// they are tested from QML, where the panels use them.
#include <QtQuickTest/quicktest.h>

QUICK_TEST_MAIN(qml_rules)
