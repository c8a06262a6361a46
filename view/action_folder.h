#pragma once

// What the macro and gun libraries share: a folder of action files, one INI file per named entry, and the
// scan of the profiles for the keys that play an entry.

#include "profile_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// A folder of action files, one per named entry. Macros and guns share the layout and differ only in the
// group that holds the lines. A name that would reach outside the folder behaves as a missing file.
class ActionFolder
{
public:
    // `lineGroup` holds the lines ("macro" or "gun"); `absentLine` is what a line or repeat count missing
    // from a file reads as.
    ActionFolder(const QString& folder, const QString& lineGroup, const QString& absentLine);

    static inline const QString kIndexKey = QStringLiteral("config/index");
    static inline const QString kTotalKey = QStringLiteral("config/total");
    static inline const QString kRepeatKey = QStringLiteral("config/repeat");
    static inline const QString kTypeKey = QStringLiteral("config/did");

    // The entry's file when the name is safe and the file exists.
    std::optional<QString> existingFile(const QString& name) const;
    // A handle on the entry's existing file (null otherwise); it writes back when destroyed.
    std::unique_ptr<QSettings> openExisting(const QString& name) const;

    // Creates the file (keeping lines already in it) with the given number, no lines, repeat 1, type -1.
    // False for a name that cannot be a file of this folder, or when the file was not written.
    bool create(const QString& name, uint index) const;
    // Replaces all lines of an existing file; false when there is none or it was not written.
    bool save(const QString& name, const QStringList& lines, int repeat) const;
    // The lines followed by the repeat count; empty for a missing file.
    QStringList load(const QString& name) const;
    // A number of the existing file; 0 when it is absent, not a number, or the file is missing.
    int configValue(const QString& name, const QString& key) const;
    // Writes the value into an existing file only.
    void setConfigValue(const QString& name, const QString& key, int value) const;
    bool remove(const QString& name) const;
    // Moves an existing entry's file to the new name; false when either name is unsafe or the move fails
    // (an existing file of the new name is never replaced).
    bool rename(const QString& oldName, const QString& newName) const;

private:
    QString folder;
    QString lineGroup;
    QString absentLine;
};

// The profiles the pages list (slots 0 to 5): the only ones whose macro and gun keys the libraries visit.
inline constexpr int kShownProfiles = 6;

// "Name" followed, for the profiles the pages show (slots 0 to 5), by every key of `group` whose value is
// `entryName`: the macro or gun keys that play that entry.
QStringList keysUsingEntry(ProfileStore& profiles, const QString& group, const QString& entryName);
