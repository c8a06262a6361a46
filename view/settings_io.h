#pragma once

// Small helpers shared by the INI stores: every write reaches the disk before the call returns, and names
// from the UI never leave the folder they belong in.

#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <optional>

// Writes one value and flushes the file, so that a crash right after a change loses nothing.
void writeThrough(QSettings& settings, const QString& key, const QVariant& value);

// A stored list. A single plain value (a one-item list as QSettings writes it, or a hand-edited file) is the
// one item it holds: QVariant would split such a text into its characters. An absent key gives an empty list.
QVariantList storedList(const QSettings& settings, const QString& key);

// "<folder>/<name>.bin" for a library entry named by the user, or nothing when the name is empty, is "." or
// "..", or holds a path separator, a drive colon or a control character: such a name would reach outside
// the folder, and the caller then behaves as for a missing file.
std::optional<QString> libraryEntryPath(const QString& folder, const QString& name);

// Replaces `target` with a byte copy of `source`. When the source cannot be copied the target is left as it
// was and the result is false.
bool replaceWithCopy(const QString& source, const QString& target);
