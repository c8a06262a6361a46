#include "my_qquick_view.h"

#include "device_flags.h"
#include "hid_thread.h"
#include "key_names.h"
#include "message_list.h"
#include "settings_io.h"

#include <QDebug>
#include <QDir>
#include <QFocusEvent>
#include <QProcess>
#include <QQuickItem>
#include <QSettings>
#include <QThread>

namespace {

// The updater, relative to the program folder; it looks for data.bin in the folder it is started in.
const QString kUpdater =
#ifdef Q_OS_WIN
    QStringLiteral("update/update.exe");
#else
    QStringLiteral("update/update");
#endif
constexpr int kUserPictures = 5;
constexpr int kUserPictureBytes = 512;
constexpr int kUpdaterStartDelayMs = 500;
constexpr int kKeyboardFamily = 0;

} // namespace

myQQuickView::myQQuickView(QWidget* parent) : myQQuickView(StoreLocations(), parent) {}

myQQuickView::myQQuickView(const StoreLocations& where, QWidget* parent)
    : QQuickWidget(parent), locations(where), messageList(makeMessageList()),
      dialogs(std::make_unique<SwitchableFileDialogs>(makeQtFileDialogs(this))),
      config(
          std::make_unique<AppConfig>(locations.settingFolder() + QStringLiteral("/apConfig.bin"),
                                      locations.factorySettingFolder() + QStringLiteral("/apConfigD.bin"))),
      profiles(std::make_unique<ProfileStore>(
          locations.settingFolder(), dialogs.get(),
          [this] { return device != nullptr ? device->currentDevice() : 1; },
          locations.factorySettingFolder())),
      names(locations.settingFolder()),
      macros(std::make_unique<MacroLibrary>(*profiles, dialogs.get(), locations.macroFolder())),
      guns(std::make_unique<GunLibrary>(*profiles, locations.gunFolder())),
      languages(std::make_unique<Languages>(locations.i18nFolder(), dialogs.get(), messageList,
                                            [](const QStringList& texts) { setDpiNoticeTexts(texts); })),
      pointerSystem(j2::platform::makeSystemPointerSettings())
{
    rebuildKeyNameMap();
}

myQQuickView::~myQQuickView() = default;

void myQQuickView::setDevice(Hid_Thread* hid)
{
    device = hid;
    if (device == nullptr)
        return;
    DeviceBridge::Hooks hooks;
    hooks.isViewVisible = [this] { return window() != nullptr && window()->isVisible(); };
    hooks.messages = [this] { return messageList; };
    hooks.askOkCancel = makeQtOkCancelQuestion(this);
    bridge = std::make_unique<DeviceBridge>(*device, *profiles, *config, std::move(hooks));
    sender = std::make_unique<MacroSender>(*device, *macros, dialogs.get(), messageList);
    pointer = std::make_unique<PointerBridge>(*profiles, *pointerSystem, *device);
}

void myQQuickView::focusInEvent(QFocusEvent* event)
{
    repaint();
    event->accept();
}

void myQQuickView::invokeRoot(const char* function)
{
    if (rootObject() != nullptr)
        QMetaObject::invokeMethod(rootObject(), function, Qt::QueuedConnection);
}

void myQQuickView::detectKeyboard(bool isDown, int usbCode)
{
    if (rootObject() != nullptr)
        QMetaObject::invokeMethod(rootObject(), "detectKeyboard", Qt::QueuedConnection,
                                  Q_ARG(QVariant, QVariant(isDown)), Q_ARG(QVariant, QVariant(usbCode)));
}

void myQQuickView::detectMouse(bool isDown, uint code, uint x, uint y)
{
    if (rootObject() != nullptr)
        QMetaObject::invokeMethod(rootObject(), "detectMouse", Qt::QueuedConnection,
                                  Q_ARG(QVariant, QVariant(isDown)), Q_ARG(QVariant, QVariant(code)),
                                  Q_ARG(QVariant, QVariant(x)), Q_ARG(QVariant, QVariant(y)));
}

// ---- start-up and utilities ----

void myQQuickView::syncFW()
{
    if (device == nullptr || device->currentDevice() != kKeyboardFamily)
        return;
    std::array<uchar, kUserPictureBytes> picture{};
    for (int i = 0; i < kUserPictures; ++i) {
        device->hid_92H_GetUserPicture(uchar(i), picture.data());
        QVariantList values;
        for (uchar byte : picture)
            values.append(int(byte));
        profiles->current().setValue(QStringLiteral("userPicture/") + QString::number(i), values);
    }
    syncChecked(profiles->current());
}

void myQQuickView::initUI()
{
    invokeRoot("initUI");
}

void myQQuickView::runUI()
{
    invokeRoot("run");
}

void myQQuickView::setEnableAudio(bool isEnable)
{
    audioEnabled = isEnable;
}

// The configurator plays no sound; the scene's calls are accepted and do nothing.
void myQQuickView::playMedia_Index(uchar) {}
void myQQuickView::playMedia_Background() {}
void myQQuickView::clearAllMedia() {}

bool myQQuickView::getIsSkinShow()
{
    return QDir(locations.imageFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() > 1;
}

void myQQuickView::openUpdateExe()
{
    // The updater owns the mouse from now on: our watch must let go of it first.
    if (device != nullptr)
        device->stopNotificationWatch();
    const QString updater = QDir(locations.factory).absoluteFilePath(kUpdater);
    qDebug() << "notification watch stopped, starting" << updater;
    QThread::msleep(kUpdaterStartDelayMs);
    // Detached: the updater must outlive us, since quitting in the middle of programming would leave the
    // mouse half written. It runs in the program folder, where the firmware file ships.
    if (!QProcess::startDetached(updater, {}, QDir(locations.factory).absolutePath()))
        qDebug() << "cannot start" << updater;
}

// ---- application configuration ----

void myQQuickView::saveApConfig(QVariantList apConfigs)
{
    config->saveApConfig(apConfigs);
}
QVariant myQQuickView::getLang()
{
    return config->getLang();
}
QVariantList myQQuickView::loadApConfig()
{
    return config->loadApConfig();
}
QVariantList myQQuickView::loadDeviceApConfig()
{
    return config->loadDeviceApConfig();
}
QVariant myQQuickView::getProfile()
{
    return config->getProfile();
}
void myQQuickView::setProfile(QVariant profileNo)
{
    config->setProfile(profileNo);
}
void myQQuickView::resetApconfig()
{
    config->resetApconfig();
}

// ---- profiles ----

QVariantList myQQuickView::loadDefaultProfile(uchar uiPageId)
{
    return profiles->loadDefaultProfile(uiPageId);
}
bool myQQuickView::loadProfile(int profile)
{
    return profiles->loadProfile(profile);
}
void myQQuickView::saveProfile(int profile)
{
    profiles->saveProfile(profile);
}
void myQQuickView::resetProfile(int profile)
{
    profiles->resetProfile(profile);
}
void myQQuickView::copyProfile(int destprofile, int srcprofile)
{
    profiles->copyProfile(destprofile, srcprofile);
}
QVariantList myQQuickView::getKeydefine(QVariant matrixId)
{
    return profiles->getKeydefine(matrixId);
}
QVariantList myQQuickView::getGunKeydefine(QVariant keyMatrixIndex, QVariant matrixId)
{
    return profiles->getGunKeydefine(keyMatrixIndex, matrixId);
}
void myQQuickView::changeMacroFileIndex(QVariant macroIndex)
{
    profiles->changeMacroFileIndex(macroIndex);
}
void myQQuickView::changeMacroFileType(QVariant macroIndex, QVariant macroType)
{
    profiles->changeMacroFileType(macroIndex, macroType);
}
QVariant myQQuickView::getXYSensitive(QVariant index)
{
    return profiles->getXYSensitive(index);
}
void myQQuickView::setXYSensitive(QVariant index, QVariant xyData)
{
    profiles->setXYSensitive(index, xyData);
}
void myQQuickView::setMacroKey(int index, QVariant macroName)
{
    profiles->setMacroKey(index, macroName);
}
QVariant myQQuickView::getMacroKey(int index)
{
    return profiles->getMacroKey(index);
}

// ---- macro library and name lists ----

QVariant myQQuickView::loadMacroIniFromFile(QVariant name)
{
    return macros->loadMacroIniFromFile(name);
}
void myQQuickView::saveMacroIniToFile(QVariant name)
{
    macros->saveMacroIniToFile(name);
}
void myQQuickView::renameMacroIniFile(QVariant oldName, QVariant newName)
{
    macros->renameMacroIniFile(oldName, newName);
}
QVariant myQQuickView::createMacroIni(QVariant name, QVariant macroIndex)
{
    return macros->createMacroIni(name, macroIndex);
}
QVariant myQQuickView::updataNameList(QVariant type, QStringList nameList)
{
    return names.updataNameList(type, nameList);
}
QVariant myQQuickView::modifyMacroName(QVariant oldname, QVariant newname)
{
    return macros->modifyMacroName(oldname, newname);
}
QStringList myQQuickView::isMacroUse(QVariant macroName)
{
    return macros->isMacroUse(macroName);
}
QVariant myQQuickView::deleteMacroIni(QVariant name)
{
    return macros->deleteMacroIni(name);
}
QVariantList myQQuickView::getNameList(QVariant type)
{
    return names.getNameList(type);
}
QVariant myQQuickView::saveMacroIni(QVariant name, QStringList macroLines, QVariantList macroData,
                                    QVariant repeat)
{
    return macros->saveMacroIni(name, macroLines, macroData, repeat);
}
QStringList myQQuickView::loadMacroIni(QVariant name)
{
    return macros->loadMacroIni(name);
}
QVariant myQQuickView::loadMacroType(QVariant name)
{
    return macros->loadMacroType(name);
}
QVariant myQQuickView::loadMacroIndex(QVariant name)
{
    return macros->loadMacroIndex(name);
}
QVariantList myQQuickView::loadMacroIniConfig(QVariant name)
{
    return macros->loadMacroIniConfig(name);
}
void myQQuickView::setMacroIniConfig(QVariant name, QVariantList macroConfig)
{
    macros->setMacroIniConfig(name, macroConfig);
}
void myQQuickView::setMacroIndex(QVariant name, QVariant macroIndex)
{
    macros->setMacroIndex(name, macroIndex);
}
void myQQuickView::setMacroType(QVariant name, QVariant macroType)
{
    macros->setMacroType(name, macroType);
}

// ---- gun library ----

QVariant myQQuickView::createGunIni(QVariant name, QVariant gunIndex)
{
    return guns->createGunIni(name, gunIndex);
}
QVariant myQQuickView::modifyGunName(QVariant oldname, QVariant newname)
{
    return guns->modifyGunName(oldname, newname);
}
QStringList myQQuickView::isGunUse(QVariant macroName)
{
    return guns->isGunUse(macroName);
}
QVariant myQQuickView::deleteGunIni(QVariant name)
{
    return guns->deleteGunIni(name);
}
QVariant myQQuickView::saveGunIni(QVariant name, QStringList macroLines, QVariantList macroData,
                                  QVariant repeat)
{
    return guns->saveGunIni(name, macroLines, macroData, repeat);
}
QStringList myQQuickView::loadGunIni(QVariant name)
{
    return guns->loadGunIni(name);
}
QVariant myQQuickView::loadGunType(QVariant name)
{
    return guns->loadGunType(name);
}
QVariant myQQuickView::loadGunIndex(QVariant name)
{
    return guns->loadGunIndex(name);
}
void myQQuickView::setGunIndex(QVariant name, QVariant gunIndex)
{
    guns->setGunIndex(name, gunIndex);
}
void myQQuickView::saveGundata(QVariantList src6)
{
    guns->saveGundata(src6);
}
void myQQuickView::modifyGundata(QVariant modifyType, QVariantList src6)
{
    guns->modifyGundata(modifyType, src6);
}
QVariantList myQQuickView::getGunData(QVariant name)
{
    return guns->getGunData(name);
}
QStringList myQQuickView::getGunDataKey()
{
    return guns->getGunDataKey();
}
QVariantList myQQuickView::getselectGun()
{
    return guns->getselectGun();
}
void myQQuickView::setSelectGun(QVariantList gunData)
{
    guns->setSelectGun(gunData);
}
void myQQuickView::upDateDeleteGun(QVariant gunData)
{
    guns->upDateDeleteGun(gunData);
}
QVariantList myQQuickView::getselectGunKey()
{
    return guns->getselectGunKey();
}
void myQQuickView::setSelectGunKey(QVariantList gunData)
{
    guns->setSelectGunKey(gunData);
}

// ---- languages ----

QString myQQuickView::getCustomFilePath()
{
    return languages->getCustomFilePath();
}
QVariantMap myQQuickView::chkLanguages()
{
    return languages->chkLanguages();
}
QStringList myQQuickView::getGlobalStrings(QVariant type, QString langCode)
{
    return languages->getGlobalStrings(type, langCode);
}
QStringList myQQuickView::getProductLayoutStrings_J2(QString langCode)
{
    return languages->getProductLayoutStrings_J2(langCode);
}
