#include "app_config.h"

#include "settings_io.h"

#include <QFile>

namespace {

const QString kTotalKey = QStringLiteral("common/total");
const QString kListPrefix = QStringLiteral("common/");
const QString kLanguageKey = QStringLiteral("common/language");
const QString kNameKey = QStringLiteral("common/name");
const QString kProductNameKey = QStringLiteral("common/product_name");
const QString kSecrecyCodePrefix = QStringLiteral("common/sCode");
const QString kProfileKey = QStringLiteral("J2/profileNo");
const QString kColorMaxStageKey = QStringLiteral("J2/colorMaxStage");
constexpr int kDefaultColorMaxStage = 8;

} // namespace

AppConfig::AppConfig(const QString& path, const QString& factory)
    : factoryPath(factory), settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
    // A configuration that cannot be read would start without a title and with another language's labels:
    // the factory configuration is what the user expects instead.
    const bool missing = !QFile::exists(path);
    if (!QFile::exists(factoryPath) ||
        (!missing && settings->status() != QSettings::FormatError && !settings->allKeys().isEmpty()))
        return;
    settings.reset();
    if (replaceWithCopy(factoryPath, path))
        reportReplacedFile(path, missing ? QStringLiteral("missing") : QStringLiteral("unreadable"));
    settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QVariant AppConfig::valueOrFactory(const QString& key) const
{
    const QVariant stored = settings->value(key);
    if (!stored.toStringList().join(QString()).trimmed().isEmpty())
        return stored;
    return QSettings(factoryPath, QSettings::IniFormat).value(key);
}

void AppConfig::saveApConfig(const QStringList& apConfigs)
{
    handle().setValue(kTotalKey, int(apConfigs.size()));
    // Entries an earlier, longer list left behind stay in the file; the total tells readers where to stop.
    for (int i = 0; i < apConfigs.size(); ++i)
        settings->setValue(kListPrefix + QString::number(i), apConfigs.at(i));
    syncChecked(*settings);
}

QStringList AppConfig::loadApConfig() const
{
    QStringList entries;
    for (int i = 0; i < settings->value(kTotalKey, 0).toInt(); ++i)
        entries.append(settings->value(kListPrefix + QString::number(i), 0).toString());
    return entries;
}

int AppConfig::colorMaxStage() const
{
    return settings->value(kColorMaxStageKey, kDefaultColorMaxStage).toInt();
}

std::optional<QString> AppConfig::language() const
{
    const QVariant stored = valueOrFactory(kLanguageKey);
    if (!stored.isValid())
        return std::nullopt;
    // A name written with a comma reads back as a list; the pages always saw it joined with commas.
    return stored.toStringList().join(QLatin1Char(','));
}

int AppConfig::profileNumber() const
{
    return settings->value(kProfileKey, 0).toInt();
}

void AppConfig::setProfileNumber(uint profileNo)
{
    writeThrough(handle(), kProfileKey, profileNo);
}

QSettings& AppConfig::handle()
{
    // QSettings keeps an error for the handle's life; what did not arrive waits with the file's name in
    // Qt's cache and goes with the next write that succeeds.
    if (settings->status() != QSettings::NoError)
        settings = std::make_unique<QSettings>(settings->fileName(), QSettings::IniFormat);
    return *settings;
}

void AppConfig::resetApconfig()
{
    const QString path = settings->fileName();
    settings.reset();
    if (!replaceWithCopy(factoryPath, path))
        QFile::remove(path); // no factory copy: the new handle reads defaults
    settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QStringList AppConfig::productNames() const
{
    return valueOrFactory(kProductNameKey).toStringList();
}

QString AppConfig::secrecyCode(int deviceIndex) const
{
    const QVariant code = valueOrFactory(kSecrecyCodePrefix + QString::number(deviceIndex));
    return code.isValid() ? code.toString() : kDefaultSecrecyCode;
}

QString AppConfig::windowTitle() const
{
    return valueOrFactory(kNameKey).toString();
}
