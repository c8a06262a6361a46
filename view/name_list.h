#pragma once

// The name-list file ("<setting folder>/name.bin"): the macro names, gun names, profile names and the gun
// selection list, each a string list under its own key, kept exactly as the pages pass them.

#include <QString>
#include <QStringList>

class NameList
{
public:
    static inline const QString kDefaultFolder = QStringLiteral("./modules/setting");
    // Appended to a one-name list: INI stores a single string as plain text, which would not read back as
    // a list. The pages drop it again when it is the second of exactly two entries.
    static inline const QString kPlaceholder = QStringLiteral("loaderkorvid");

    explicit NameList(const QString& settingFolder = kDefaultFolder);

    // Types 0 macros, 1 guns, 2 profiles, 3 gun selection; any other type writes nothing. Always true.
    bool updataNameList(int type, QStringList nameList) const;
    // The names as stored; empty for an unknown type, an absent key or a value that is not a list.
    QStringList getNameList(int type) const;

    QString fileName() const { return file; }

private:
    QString file;
};
