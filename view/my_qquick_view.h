#pragma once

// The one object the QML scene reaches the program through ("ui_View"). Every slot is a thin call into a
// module that knows nothing of QML; the slot list, its order and its parameter names are the scene's
// interface. The slots are also the one place where the scene's QVariants become the modules' typed values
// and back (qml_values.h): nothing below this object takes a QVariant from the scene.

#include "app_config.h"
#include "device_bridge.h"
#include "file_dialogs.h"
#include "gun_library.h"
#include "languages.h"
#include "macro_library.h"
#include "macro_sender.h"
#include "name_list.h"
#include "pointer_bridge.h"
#include "pointer_settings.h"
#include "profile_store.h"
#include "settings_root.h"

#include <QQuickWidget>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

class Hid_Thread;
class QFocusEvent;

class myQQuickView : public QQuickWidget
{
    Q_OBJECT
public:
    explicit myQQuickView(QWidget* parent = nullptr);
    // The stores read and write under `locations`: the user's settings root and the factory files.
    myQQuickView(const StoreLocations& locations, QWidget* parent);
    ~myQQuickView() override;

    // The device object, set by the window right after the view is installed; the device slots do nothing
    // (and return empty values) before.
    void setDevice(Hid_Thread* hid);
    AppConfig& appConfig() { return *config; }
    ProfileStore& profileStore() { return *profiles; }
    // The settings bridge; null until the device object is set.
    DeviceBridge* deviceBridge() { return bridge.get(); }
    MacroLibrary& macroLibrary() { return *macros; }
    GunLibrary& gunLibrary() { return *guns; }
    // Null until the device object is set.
    PointerBridge* pointerBridge() { return pointer.get(); }
    const NameList& nameList() const { return names; }
    // Null until the device object is set.
    MacroSender* macroSender() { return sender.get(); }
    // Something outside the pages (a j2ctl request) changed the profile files and the mouse: every page shows
    // what is stored again, on a later turn of the event loop.
    void reloadPages() { invokeRoot("reloadFromProgram"); }
    // Who answers the import, export and warning dialogs from now on.
    void replaceFileDialogs(std::unique_ptr<FileDialogs> next) { dialogs->replace(std::move(next)); }
    const QStringList& messages() const { return messageList; }

    // A key or mouse button heard anywhere on the desktop, handed to the scene on a later turn of the event
    // loop (so the input hook returns at once): `usbCode` is a keyboard usage, `code` a mouse code 0xF0 to
    // 0xF2 with the pointer's screen position.
    void detectKeyboard(bool isDown, int usbCode);
    void detectMouse(bool isDown, uint code, uint x, uint y);

public slots:
    // 0-6
    void syncFW();
    void initUI();
    void runUI();
    void setEnableAudio(bool isEnable);
    void playMedia_Index(uchar index);
    void playMedia_Background();
    void clearAllMedia();
    // 7-13
    void saveApConfig(QVariantList apConfigs);
    QVariant getLang();
    QVariantList loadApConfig();
    QVariantList loadDeviceApConfig();
    QVariant getProfile();
    void setProfile(QVariant profileNo);
    void resetApconfig();
    // 14
    bool getIsSkinShow();
    // 15-19
    QVariantList loadDefaultProfile(uchar uiPageId);
    bool loadProfile(int profile);
    void saveProfile(int profile);
    void resetProfile(int profile);
    void copyProfile(int destprofile, int srcprofile);
    // 20-22
    QVariant loadMacroIniFromFile(QVariant name);
    void saveMacroIniToFile(QVariant name);
    void renameMacroIniFile(QVariant oldName, QVariant newName);
    // 23-26
    QString getCustomFilePath();
    QVariantMap chkLanguages();
    QStringList getGlobalStrings(QVariant type, QString langCode);
    QStringList getProductLayoutStrings_J2(QString langCode);
    // 27-38
    QVariant createMacroIni(QVariant name, QVariant macroIndex);
    QVariant createGunIni(QVariant name, QVariant gunIndex);
    QVariant updataNameList(QVariant type, QStringList nameList);
    QVariant modifyMacroName(QVariant oldname, QVariant newname);
    QVariant modifyGunName(QVariant oldname, QVariant newname);
    QStringList isMacroUse(QVariant macroName);
    QStringList isGunUse(QVariant macroName);
    QVariant deleteMacroIni(QVariant name);
    QVariant deleteGunIni(QVariant name);
    QVariantList getNameList(QVariant type);
    QVariant saveMacroIni(QVariant name, QStringList macros, QVariantList macroData, QVariant repeat);
    QVariant saveGunIni(QVariant name, QStringList macros, QVariantList macroData, QVariant repeat);
    // 39-40
    bool sendMacroData(QVariantList macroData, QVariant macroIndex);
    bool sendGunData(QVariantList gunData, QVariant gunIndex);
    // 41-51
    QStringList loadMacroIni(QVariant name);
    QStringList loadGunIni(QVariant name);
    QVariant loadMacroType(QVariant name);
    QVariant loadGunType(QVariant name);
    QVariant loadMacroIndex(QVariant name);
    QVariant loadGunIndex(QVariant name);
    QVariantList loadMacroIniConfig(QVariant name);
    void setMacroIniConfig(QVariant name, QVariantList config);
    void setMacroIndex(QVariant name, QVariant macroIndex);
    void setGunIndex(QVariant name, QVariant gunIndex);
    void setMacroType(QVariant name, QVariant macroType);
    // 52-55
    QVariantList getKeydefine(QVariant matrixId);
    QVariantList getGunKeydefine(QVariant keyMatrixIndex, QVariant matrixId);
    void changeMacroFileIndex(QVariant macroIndex);
    void changeMacroFileType(QVariant macroIndex, QVariant macroType);
    // 56-59
    void saveGundata(QVariantList src6);
    void modifyGundata(QVariant modifyType, QVariantList src6);
    QVariantList getGunData(QVariant name);
    QStringList getGunDataKey();
    // 60-61
    QVariant getXYSensitive(QVariant index);
    void setXYSensitive(QVariant index, QVariant xyData);
    // 62-66
    QVariantList getselectGun();
    void setSelectGun(QVariantList gunData);
    void upDateDeleteGun(QVariant gunData);
    QVariantList getselectGunKey();
    void setSelectGunKey(QVariantList gunData);
    // 67
    QList<uchar> macroIncode(QStringList macros);
    // 68-69
    void setMacroKey(int index, QVariant macroName);
    QVariant getMacroKey(int index);
    // 70-95: keyboard family
    void ui_03H_SetReportRate(uchar rate);
    void ui_02H_SetCurrentProfile(int profile);
    void ui_01H_SetKeyboardoption(uchar byte1, uchar byte2);
    void ui_04H_SetGunData(uchar par0, uchar par1, uchar par2, uchar par3, uchar par4);
    void ui_07H_SetControlIndicatorLight(uchar effect, uchar frequenty);
    void ui_08H_SetLEDType(uchar option, uchar effect, uchar speed, uchar light, uchar color,
                           uchar direction);
    void ui_09H_SetKeyboardMode(uchar mode);
    void ui_0EH_SetKeyOnOff(QVariantList src21);
    void ui_11H_SetMacroKey(QVariant macroId, QVariant name);
    void ui_12H_SetUserPicture(uchar index, uchar option, QVariantList src512);
    void ui_13H_SetRecoveryData();
    void ui_14H_SetColor(uchar index, uchar rValue, uchar gValue, uchar bValue);
    QString ui_80H_GetFWVersion();
    int ui_83H_GetReportRate();
    int ui_82H_GetCurrentProfile();
    QVariantList ui_81H_GetKeyboardoption();
    QVariantList ui_84H_GetButtonSensitivity();
    QVariantList ui_88H_GetLEDType();
    int ui_89H_GetKeyboardMode();
    QVariantList ui_8DH_GetKeyMatrix();
    QVariantList ui_8DH_GetRGBLedEffect();
    QVariantList ui_8EH_GetKeyOnOff();
    QVariantList ui_90H_GetLED8StageColor(uchar type);
    QVariantList ui_91H_GetMacroKey(uchar macroId);
    QVariantList ui_92H_GetUserPicture(uchar index);
    QVariantList ui_94H_GetColor(uchar index);
    // 96-99
    int getSensorType();
    bool chkIsLogoLedWork();
    bool getMsgAns_FoolProofing();
    void setScrollPinSwap(bool isSwap);
    // 100-103
    void setAcceleration(bool acceleration);
    void setCursorSpeed(uint cursorSpeed);
    void setVerticalScrollLines(uint lines);
    void setDoubleClickSpeed(uint speed);
    // 104-116
    void ui_0BH_SetCurrentDPIStage(uchar dpiStage);
    void ui_SetDPISet(uchar dpiStage, QVariantList src16, QVariantList valueForIndex);
    void ui_SetDPISelect(QVariantList valueForIndex);
    void ui_setAngleSnap(uchar isAngleSnap, uchar gestrueValue);
    void ui_SetRGBLedEffect(uchar effect, uchar option1, uchar option2, QVariantList configs);
    void ui_10H_SetLED8StageColor(uchar type, QVariantList src24);
    void ui_SetXYSensitive(QVariant par0, QVariant par1);
    void ui_0DH_SetKeyMatrix(QVariantList src128);
    void ui_0DH_SetGunKeyMatrix(QVariantList src128, QVariant keyMatrixIndex);
    void ui_0CH_SetProfile(uint profileNo);
    void ui_CheckProfileEnable();
    void ui_0FH_SetMacroKey(QVariant macroId, QVariant name);
    void ui_02H_SetKeyMatrixNo(uchar keyMatrixNo);
    // 117-120
    bool getAcceleration();
    uint getCursorSpeed();
    uint getVerticalScrollLines();
    uint getDoubleClickSpeed();
    // 121-124
    bool getScrollPinSwap();
    int ui_8BH_GetCurrentDPIStage();
    void ui_8CH_ReadProfile(uint profileNo);
    uchar ui_91H_SyncDPI();
    // 125
    void openUpdateExe();
    // 126-130
    QVariantList ui_91H_GetDPISet();
    QVariantList ui_91H_GetDPISelect();
    QVariantList ui_GetAngleSnap();
    QVariantList ui_92H_GetKeyMatrix();
    QVariantList ui_93H_GetMacroKey(uchar macroId);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void invokeRoot(const char* function);

    StoreLocations locations;
    Hid_Thread* device = nullptr;
    bool audioEnabled = true;
    QStringList messageList;
    std::unique_ptr<SwitchableFileDialogs> dialogs;
    std::unique_ptr<AppConfig> config;
    std::unique_ptr<ProfileStore> profiles;
    NameList names;
    std::unique_ptr<MacroLibrary> macros;
    std::unique_ptr<GunLibrary> guns;
    std::unique_ptr<Languages> languages;
    std::unique_ptr<j2::platform::PointerSettings> pointerSystem;
    // Built once the device object is known.
    std::unique_ptr<DeviceBridge> bridge;
    std::unique_ptr<MacroSender> sender;
    std::unique_ptr<PointerBridge> pointer;
};
