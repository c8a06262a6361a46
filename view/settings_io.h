#pragma once

// Small helpers shared by the INI stores: every write reaches the disk before the call returns (or is
// reported when it does not), and names from the UI never leave the folder they belong in.

#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <optional>

// Brings the handle's changes to disk. A write that did not arrive is logged with the file and the reason
// and reported once per run (see setWriteFailureNotice); the file on disk then stays as it was, since
// QSettings replaces it atomically. QSettings keeps the first error for the handle's whole life, so a
// long-lived handle whose status is not NoError must be reopened before its next write can be judged.
bool syncChecked(QSettings& settings);

// Writes one value and flushes the file, so that a crash right after a change loses nothing.
bool writeThrough(QSettings& settings, const QString& key, const QVariant& value);

// Logs a settings file that could not be written, and shows the first such failure of the run to the user
// through the notice sink: one notice, not one per value.
void reportWriteFailure(const QString& path, const QString& reason);

// Logs a settings file that could not be read and was replaced by its factory copy, and tells the user the
// first time in the run.
void reportReplacedFile(const QString& path, const QString& reason);

// Where the once-per-run notice goes ("Settings could not be saved: <path>: <reason>"). A failure before
// any sink is set is handed to the first one. Setting a sink starts a new run: its first failure is shown
// again. An empty function shows nothing and forgets what was waiting.
void setWriteFailureNotice(std::function<void(const QString& text)> sink);

// Why `path` cannot be written, in the system's words ("Permission denied", "Is a directory", "No space
// left on device"), found by trying what a write of it would do.
QString writeFailureReason(const QString& path);

// A stored list. A single plain value (a one-item list as QSettings writes it, or a hand-edited file) is the
// one item it holds: QVariant would split such a text into its characters. An absent key gives an empty list.
QVariantList storedList(const QSettings& settings, const QString& key);
// A stored list of numbers, each item as `toInt` reads it.
QList<int> storedNumbers(const QSettings& settings, const QString& key);

// "<folder>/<name>.bin" for a library entry named by the user, or nothing when the name is empty, is "." or
// "..", holds a path separator, a drive colon or a control character, or is too long for a file name: such a
// name would reach outside the folder or make no file, and the caller then behaves as for a missing file.
std::optional<QString> libraryEntryPath(const QString& folder, const QString& name);

// Replaces `target` with a byte copy of `source` in one rename, so that the target is always either the old
// file or the whole copy, whenever the program stops. When the source cannot be read or the copy cannot be
// written the target is left as it was and the result is false; a failed write is reported.
bool replaceWithCopy(const QString& source, const QString& target);

// Removes what an interrupted write leaves beside the files of `folder`: our own and QSettings' temporary
// copies ("<file>.bin.part", "<file>.bin.XXXXXX") and stale lock files. Returns how many were removed.
int removeLeftoverTemporaries(const QString& folder);
