#pragma once

// The process-wide key-name map: the names that macro action lines carry ("A", "KP Enter", "MS-L", ...)
// to the one-byte codes the mouse plays back (HID keyboard usages, plus 0xF0-0xF4 for the mouse buttons).
// Rebuilt whenever a view is built, read by the macro text-line encoder; GUI thread only.

#include <QMap>
#include <QString>

// Empties the map and inserts the 132 names again. The four arrow names go through the installed
// translators first, so a translation may rename them; every other name stays as written.
void rebuildKeyNameMap();

// The code of `name` (exact match), or 0 when the map has no such name: 0 is no key's code, and the
// encoder skips a line whose name gives 0.
unsigned char keyCodeForName(const QString& name);

// The whole map as it stands, for listing.
const QMap<QString, unsigned char>& keyNameMap();
