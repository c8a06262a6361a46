#include "settings_root.h"

#include "settings_io.h"
#include "view_log.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSaveFile>
#include <QStandardPaths>

#include <array>

namespace {

const QString kSettingsOption = QStringLiteral("--settings");
const QString kSettingsVariable = QStringLiteral("J2_SETTINGS_DIR");
// The folders under "modules/" that hold the user's own files.
const std::array<QString, 3> kUserFolders{QStringLiteral("setting"), QStringLiteral("macro"),
                                          QStringLiteral("gun")};
// Factory files the program reads from its own folder only (factory reset, default values).
const QStringList kFactoryOnly{QStringLiteral("setting/pD.bin"), QStringLiteral("setting/apConfigD.bin")};
// The factory files a user's tree has had, one relative name a line: what was seeded once is never
// seeded again, so a profile, macro or gun the user deleted does not come back.
const QString kSeededList = QStringLiteral("modules/.seeded");

// Relative names ("setting/p1.bin") of the files under `modules` that belong in a user's tree.
QStringList userFiles(const QString& modules)
{
    QStringList names;
    for (const QString& folder : kUserFolders) {
        QDirIterator files(modules + QLatin1Char('/') + folder, QDir::Files);
        while (files.hasNext()) {
            const QString name = folder + QLatin1Char('/') + files.next().section(QLatin1Char('/'), -1);
            if (!kFactoryOnly.contains(name))
                names.append(name);
        }
    }
    names.sort();
    return names;
}

bool fail(const QString& path, const QString& reason)
{
    reportWriteFailure(path, reason);
    return false;
}

bool ownerOnly(const QString& folder)
{
    return QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

QString chooseSettingsRoot(const QStringList& arguments, const QString& startFolder)
{
    const qsizetype option = arguments.indexOf(kSettingsOption);
    if (option > 0 && !arguments.value(option + 1).isEmpty())
        return QDir(startFolder).absoluteFilePath(arguments.at(option + 1));
    const QString variable = QProcessEnvironment::systemEnvironment().value(kSettingsVariable);
    if (!variable.isEmpty())
        return QDir(startFolder).absoluteFilePath(variable);
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool prepareSettingsRoot(const QString& root, const QString& factory)
{
    if (root.isEmpty())
        return fail(root, QStringLiteral("no folder for the user's settings"));
    const QString factoryModules = factory + QStringLiteral("/modules");
    const QString userModules = root + QStringLiteral("/modules");
    const bool fresh = !QFileInfo::exists(root);
    if (fresh) {
        if (!QDir().mkpath(root) || !ownerOnly(root))
            return fail(root, writeFailureReason(root + QStringLiteral("/.")));
    }
    for (const QString& folder : kUserFolders) {
        const QString path = userModules + QLatin1Char('/') + folder;
        if (!QDir().mkpath(path))
            return fail(path, writeFailureReason(path));
    }

    // An earlier version wrote the user's settings into a program folder it could write to: the first run
    // of this one takes them over, macros included, and leaves the originals where they are.
    QStringList wanted = userFiles(factoryModules);
    const bool takeOver = fresh && QFileInfo(factoryModules + QStringLiteral("/setting")).isWritable();
    if (takeOver) {
        QDirIterator macros(factoryModules + QStringLiteral("/macro"), QDir::Files);
        while (macros.hasNext())
            wanted.append(QStringLiteral("macro/") + macros.next().section(QLatin1Char('/'), -1));
        if (!wanted.isEmpty())
            qCInfo(lcStores).noquote() << "settings: taking over the settings kept in" << factoryModules;
    }

    QFile seededFile(root + QLatin1Char('/') + kSeededList);
    QStringList seeded;
    if (seededFile.open(QIODevice::ReadOnly | QIODevice::Text))
        seeded = QString::fromUtf8(seededFile.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    seededFile.close();

    bool changed = false;
    for (const QString& name : std::as_const(wanted)) {
        if (seeded.contains(name))
            continue;
        const QString target = userModules + QLatin1Char('/') + name;
        // A file the user already has (from an earlier run before this list existed) stays as it is.
        // replaceWithCopy reports a copy it could not write.
        if (!QFileInfo::exists(target) && !replaceWithCopy(factoryModules + QLatin1Char('/') + name, target))
            return false;
        seeded.append(name);
        changed = true;
    }
    if (changed) {
        QSaveFile list(seededFile.fileName());
        const QByteArray text = seeded.join(QLatin1Char('\n')).toUtf8() + '\n';
        if (!list.open(QIODevice::WriteOnly) || list.write(text) != text.size() || !list.commit())
            return fail(list.fileName(), list.errorString());
    }

    for (const QString& folder : kUserFolders)
        removeLeftoverTemporaries(userModules + QLatin1Char('/') + folder);
    return true;
}
