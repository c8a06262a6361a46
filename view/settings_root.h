#pragma once

// Where the configurator's files live: the read-only factory files it ships beside the program, and each
// user's own settings in one settings root, seeded from the factory files. The stores keep their relative
// names ("modules/setting/p1.bin", "modules/macro/<name>.bin"), resolved against one of the two.

#include <QString>
#include <QStringList>

struct StoreLocations
{
    // The folder holding the shipped "modules/" tree: factory profile and configuration, translations,
    // artwork (the program's own folder once installed; never written).
    QString factory = QStringLiteral(".");
    // The user's settings root, holding "modules/setting", "modules/macro" and "modules/gun".
    QString settings = QStringLiteral(".");

    QString settingFolder() const { return settings + QStringLiteral("/modules/setting"); }
    QString macroFolder() const { return settings + QStringLiteral("/modules/macro"); }
    QString gunFolder() const { return settings + QStringLiteral("/modules/gun"); }
    QString factorySettingFolder() const { return factory + QStringLiteral("/modules/setting"); }
    QString i18nFolder() const { return factory + QStringLiteral("/modules/i18n"); }
    QString imageFolder() const { return factory + QStringLiteral("/modules/img"); }
};

// The settings root of this run: `--settings DIR` among the arguments (relative to `startFolder`), else the
// environment's J2_SETTINGS_DIR, else the user's data folder (QStandardPaths::AppDataLocation; %APPDATA%
// on Windows). The application name must be set first.
QString chooseSettingsRoot(const QStringList& arguments, const QString& startFolder);

// Makes `root` ready for the stores, from the factory tree under `factory`:
// - a root that does not exist yet is created, readable by its owner only; where the program folder is
//   writable, an earlier version kept the user's settings there, and they are taken over (copied) once;
// - every factory file the user's tree has never had is copied in, file by file, so a later version can
//   add one without touching what the user has; a file the user deleted stays deleted;
// - what an interrupted write left behind is removed.
// False when the root cannot be created or seeded; the failure is reported as a failed write.
bool prepareSettingsRoot(const QString& root, const QString& factory);
