#pragma once

// The application configuration file ("./modules/setting/apConfig.bin", INI text) and its factory copy:
// interface language, window title, product names, per-device secrecy codes, the last selected profile and a
// free numbered list the pages may keep. Every write reaches the disk before the call returns.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

class AppConfig
{
public:
    static inline const QString kDefaultPath = QStringLiteral("./modules/setting/apConfig.bin");
    static inline const QString kFactoryPath = QStringLiteral("./modules/setting/apConfigD.bin");
    static inline const QString kDefaultSecrecyCode = QStringLiteral("260417");

    explicit AppConfig(const QString& path = kDefaultPath, const QString& factoryPath = kFactoryPath);

    // The pages' free numbered list; its meaning is theirs.
    void saveApConfig(const QStringList& apConfigs);
    QStringList loadApConfig() const;
    // How many colour stages the mouse family has.
    int colorMaxStage() const;
    // The interface language's name; nothing when neither file names one.
    std::optional<QString> language() const;
    // The mouse family's last selected profile, 0-based.
    int profileNumber() const;
    void setProfileNumber(uint profileNo);
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
