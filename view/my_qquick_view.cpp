#include "my_qquick_view.h"

#include "device_flags.h"
#include "hid_thread.h"
#include "key_names.h"
#include "message_list.h"
#include "qml_values.h"
#include "settings_io.h"
#include "view_log.h"

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

} // namespace

using namespace qml_values;

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
    if (device == nullptr || device->currentDevice() != deviceIndex(DeviceFamily::Keyboard))
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
    qCDebug(lcView) << "notification watch stopped, starting" << updater;
    QThread::msleep(kUpdaterStartDelayMs);
    // Detached: the updater must outlive us, since quitting in the middle of programming would leave the
    // mouse half written. It runs in the program folder, where the firmware file ships.
    if (!QProcess::startDetached(updater, {}, QDir(locations.factory).absolutePath()))
        qCDebug(lcView) << "cannot start" << updater;
}

// ---- application configuration ----

void myQQuickView::saveApConfig(QVariantList apConfigs)
{
    QStringList entries;
    for (const QVariant& entry : apConfigs)
        entries.append(entry.toString());
    config->saveApConfig(entries);
}
QVariant myQQuickView::getLang()
{
    const std::optional<QString> language = config->language();
    return language ? QVariant(*language) : QVariant();
}
QVariantList myQQuickView::loadApConfig()
{
    return texts(config->loadApConfig());
}
QVariantList myQQuickView::loadDeviceApConfig()
{
    return {config->colorMaxStage()};
}
QVariant myQQuickView::getProfile()
{
    return config->profileNumber();
}
void myQQuickView::setProfile(QVariant profileNo)
{
    config->setProfileNumber(profileNo.toUInt());
}
void myQQuickView::resetApconfig()
{
    config->resetApconfig();
}

// ---- profiles ----

QVariantList myQQuickView::loadDefaultProfile(uchar uiPageId)
{
    return numbers(profiles->loadDefaultProfile(uiPageId));
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
    return numbers(profiles->getKeydefine(matrixId.toString()));
}
QVariantList myQQuickView::getGunKeydefine(QVariant keyMatrixIndex, QVariant matrixId)
{
    return numbers(profiles->getGunKeydefine(keyMatrixIndex.toUInt(), matrixId.toString()));
}
void myQQuickView::changeMacroFileIndex(QVariant macroIndex)
{
    profiles->changeMacroFileIndex(macroIndex.toUInt());
}
void myQQuickView::changeMacroFileType(QVariant macroIndex, QVariant macroType)
{
    profiles->changeMacroFileType(macroIndex.toUInt(), macroType.toInt());
}
QVariant myQQuickView::getXYSensitive(QVariant index)
{
    return profiles->getXYSensitive(index.toString());
}
void myQQuickView::setXYSensitive(QVariant index, QVariant xyData)
{
    profiles->setXYSensitive(index.toString(), xyData.toInt());
}
void myQQuickView::setMacroKey(int index, QVariant macroName)
{
    profiles->setMacroKey(index, macroName.toString());
}
QVariant myQQuickView::getMacroKey(int index)
{
    return profiles->getMacroKey(index);
}

// ---- macro library and name lists ----

QVariant myQQuickView::loadMacroIniFromFile(QVariant name)
{
    return macros->loadMacroIniFromFile(name.toString());
}
void myQQuickView::saveMacroIniToFile(QVariant name)
{
    macros->saveMacroIniToFile(name.toString());
}
void myQQuickView::renameMacroIniFile(QVariant oldName, QVariant newName)
{
    macros->renameMacroIniFile(oldName.toString(), newName.toString());
}
QVariant myQQuickView::createMacroIni(QVariant name, QVariant macroIndex)
{
    return macros->createMacroIni(name.toString(), macroIndex.toUInt());
}
QVariant myQQuickView::updataNameList(QVariant type, QStringList nameList)
{
    return names.updataNameList(type.toInt(), nameList);
}
QVariant myQQuickView::modifyMacroName(QVariant oldname, QVariant newname)
{
    return macros->modifyMacroName(oldname.toString(), newname.toString());
}
QStringList myQQuickView::isMacroUse(QVariant macroName)
{
    return macros->isMacroUse(macroName.toString());
}
QVariant myQQuickView::deleteMacroIni(QVariant name)
{
    return macros->deleteMacroIni(name.toString());
}
QVariantList myQQuickView::getNameList(QVariant type)
{
    return texts(names.getNameList(type.toInt()));
}
// The encoded bytes go to the device only; the library keeps the lines they were made from.
QVariant myQQuickView::saveMacroIni(QVariant name, QStringList macroLines, QVariantList, QVariant repeat)
{
    return macros->saveMacroIni(name.toString(), macroLines, repeat.toInt());
}
QStringList myQQuickView::loadMacroIni(QVariant name)
{
    return macros->loadMacroIni(name.toString());
}
QVariant myQQuickView::loadMacroType(QVariant name)
{
    return macros->loadMacroType(name.toString());
}
QVariant myQQuickView::loadMacroIndex(QVariant name)
{
    return macros->loadMacroIndex(name.toString());
}
QVariantList myQQuickView::loadMacroIniConfig(QVariant name)
{
    const std::optional<MacroConfig> stored = macros->loadMacroIniConfig(name.toString());
    return stored ? QVariantList{stored->index, stored->repeat} : QVariantList{};
}
void myQQuickView::setMacroIniConfig(QVariant name, QVariantList macroConfig)
{
    // [index, repeat]; a shorter list is not a configuration and must not be read past.
    if (macroConfig.size() < 2)
        return;
    macros->setMacroIniConfig(name.toString(), {macroConfig.at(0).toInt(), macroConfig.at(1).toInt()});
}
void myQQuickView::setMacroIndex(QVariant name, QVariant macroIndex)
{
    macros->setMacroIndex(name.toString(), macroIndex.toInt());
}
void myQQuickView::setMacroType(QVariant name, QVariant macroType)
{
    macros->setMacroType(name.toString(), macroType.toInt());
}

// ---- gun library ----

QVariant myQQuickView::createGunIni(QVariant name, QVariant gunIndex)
{
    return guns->createGunIni(name.toString(), gunIndex.toUInt());
}
QVariant myQQuickView::modifyGunName(QVariant oldname, QVariant newname)
{
    return guns->modifyGunName(oldname.toString(), newname.toString());
}
QStringList myQQuickView::isGunUse(QVariant macroName)
{
    return guns->isGunUse(macroName.toString());
}
QVariant myQQuickView::deleteGunIni(QVariant name)
{
    return guns->deleteGunIni(name.toString());
}
QVariant myQQuickView::saveGunIni(QVariant name, QStringList macroLines, QVariantList, QVariant repeat)
{
    return guns->saveGunIni(name.toString(), macroLines, repeat.toInt());
}
QStringList myQQuickView::loadGunIni(QVariant name)
{
    return guns->loadGunIni(name.toString());
}
QVariant myQQuickView::loadGunType(QVariant name)
{
    return guns->loadGunType(name.toString());
}
QVariant myQQuickView::loadGunIndex(QVariant name)
{
    return guns->loadGunIndex(name.toString());
}
void myQQuickView::setGunIndex(QVariant name, QVariant gunIndex)
{
    guns->setGunIndex(name.toString(), gunIndex.toInt());
}
// [name, five parameters]; a shorter list writes nothing.
void myQQuickView::saveGundata(QVariantList src6)
{
    if (src6.size() >= 1 + GunLibrary::kParameters)
        guns->saveGundata({src6.at(0).toString(), ints(src6.mid(1, GunLibrary::kParameters))});
}
// Type 0 removes src6[0]; type 1 renames src6[6] to src6[0] with the parameters src6[1..5] and writes nothing
// unless all seven entries are there (a partial rename would drop the old record and store holes in the new).
void myQQuickView::modifyGundata(QVariant modifyType, QVariantList src6)
{
    constexpr int kOldNameEntry = 1 + GunLibrary::kParameters;
    const int type = modifyType.toInt();
    if (type == 0 && !src6.isEmpty())
        guns->removeGundata(src6.at(0).toString());
    else if (type == 1 && src6.size() > kOldNameEntry)
        guns->renameGundata(src6.at(kOldNameEntry).toString(),
                            {src6.at(0).toString(), ints(src6.mid(1, GunLibrary::kParameters))});
}
QVariantList myQQuickView::getGunData(QVariant name)
{
    return numbers(guns->getGunData(name.toString()));
}
QStringList myQQuickView::getGunDataKey()
{
    return guns->getGunDataKey();
}
QVariantList myQQuickView::getselectGun()
{
    QVariantList selected;
    for (const GunSlot& slot : guns->selectedGuns())
        selected.append(numberOrEmptyText(slot.gun));
    return selected;
}
// Three gun numbers; a shorter list writes nothing.
void myQQuickView::setSelectGun(QVariantList gunData)
{
    if (gunData.size() >= GunLibrary::kGunSlots)
        guns->setSelectGun({gunData.at(0).toInt(), gunData.at(1).toInt(), gunData.at(2).toInt()});
}
void myQQuickView::upDateDeleteGun(QVariant gunData)
{
    guns->upDateDeleteGun(gunData.toUInt());
}
QVariantList myQQuickView::getselectGunKey()
{
    const auto gunSlots = guns->selectedGuns();
    QVariantList keys;
    for (const GunSlot& slot : gunSlots)
        keys.append(numberOrEmptyText(slot.key));
    for (const GunSlot& slot : gunSlots)
        keys.append(numberOrEmptyText(slot.keyType));
    return keys;
}
// Three keys and three key types; a shorter list writes nothing.
void myQQuickView::setSelectGunKey(QVariantList gunData)
{
    if (gunData.size() < 2 * GunLibrary::kGunSlots)
        return;
    guns->setSelectGunKey({gunData.at(0).toInt(), gunData.at(1).toInt(), gunData.at(2).toInt()},
                          {gunData.at(3).toInt(), gunData.at(4).toInt(), gunData.at(5).toInt()});
}

// ---- languages ----

QString myQQuickView::getCustomFilePath()
{
    return languages->getCustomFilePath();
}
QVariantMap myQQuickView::chkLanguages()
{
    QVariantMap codes;
    const QMap<QString, QString> found = languages->chkLanguages();
    for (auto language = found.cbegin(); language != found.cend(); ++language)
        codes.insert(language.key(), language.value());
    return codes;
}
QStringList myQQuickView::getGlobalStrings(QVariant type, QString langCode)
{
    return languages->getGlobalStrings(type.toUInt(), langCode);
}
QStringList myQQuickView::getProductLayoutStrings_J2(QString langCode)
{
    return languages->getProductLayoutStrings_J2(langCode);
}
