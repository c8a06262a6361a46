#pragma once

// The application configuration file ("./modules/setting/apConfig.bin", INI text) and its factory copy:
// interface language, window title, product names, per-device secrecy codes, the last selected profile and a
// free numbered list the pages may keep. Every write reaches the disk before the call returns.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>

class AppConfig
{
public:
    static inline const QString kDefaultPath = QStringLiteral("./modules/setting/apConfig.bin");
    static inline const QString kFactoryPath = QStringLiteral("./modules/setting/apConfigD.bin");
    static inline const QString kDefaultSecrecyCode = QStringLiteral("260417");

    explicit AppConfig(const QString& path = kDefaultPath, const QString& factoryPath = kFactoryPath);

    void saveApConfig(const QVariantList& apConfigs);
    QVariantList loadApConfig() const;
    QVariantList loadDeviceApConfig() const;
    QVariant getLang() const;
    QVariant getProfile() const;
    void setProfile(const QVariant& profileNo);
    void resetApconfig();

    QStringList productNames() const;
    QString secrecyCode(int deviceIndex) const;
    QString windowTitle() const;

    QString fileName() const { return settings->fileName(); }

private:
    // The handle for a write, opened again when an earlier write failed.
    QSettings& handle();
    // A key the user's file lacks or leaves empty reads as the factory file has it.
    QVariant valueOrFactory(const QString& key) const;

    QString factoryPath;
    std::unique_ptr<QSettings> settings;
};
