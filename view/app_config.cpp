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
{}

void AppConfig::saveApConfig(const QVariantList& apConfigs)
{
    handle().setValue(kTotalKey, int(apConfigs.size()));
    // Entries an earlier, longer list left behind stay in the file; the total tells readers where to stop.
    for (int i = 0; i < apConfigs.size(); ++i)
        settings->setValue(kListPrefix + QString::number(i), apConfigs.at(i));
    syncChecked(*settings);
}

QVariantList AppConfig::loadApConfig() const
{
    QVariantList entries;
    for (int i = 0; i < settings->value(kTotalKey, 0).toInt(); ++i)
        entries.append(settings->value(kListPrefix + QString::number(i), 0));
    return entries;
}

QVariantList AppConfig::loadDeviceApConfig() const
{
    return {settings->value(kColorMaxStageKey, kDefaultColorMaxStage).toInt()};
}

QVariant AppConfig::getLang() const
{
    return settings->value(kLanguageKey);
}

QVariant AppConfig::getProfile() const
{
    return settings->value(kProfileKey, 0);
}

void AppConfig::setProfile(const QVariant& profileNo)
{
    writeThrough(handle(), kProfileKey, profileNo.toUInt());
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
    return settings->value(kProductNameKey).toStringList();
}

QString AppConfig::secrecyCode(int deviceIndex) const
{
    return settings->value(kSecrecyCodePrefix + QString::number(deviceIndex), kDefaultSecrecyCode).toString();
}

QString AppConfig::windowTitle() const
{
    return settings->value(kNameKey, QString()).toString();
}
