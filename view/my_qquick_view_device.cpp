// The device-facing slots of the view: each hands its call to the settings bridge, the macro sender or the
// pointer bridge. Before the window has handed over the device object they do nothing and return empty
// values, as a scene without a device would see.

#include "my_qquick_view.h"

#include "qml_values.h"

using namespace qml_values;

// ---- macro transfer ----

bool myQQuickView::sendMacroData(QVariantList macroData, QVariant macroIndex)
{
    if (!sender)
        return false;
    sender->sendMacroData(lowBytes(macroData), macroIndex.toUInt());
    return true;
}
bool myQQuickView::sendGunData(QVariantList gunData, QVariant gunIndex)
{
    if (!sender)
        return false;
    sender->sendGunData(lowBytes(gunData), gunIndex.toUInt());
    return true;
}
QList<uchar> myQQuickView::macroIncode(QStringList macroLines)
{
    return sender ? sender->macroIncode(macroLines) : QList<uchar>{};
}
void myQQuickView::ui_11H_SetMacroKey(QVariant macroId, QVariant name)
{
    if (sender)
        sender->sendStoredKeyboardMacro(lowByte(macroId), name.toString());
}
void myQQuickView::ui_0FH_SetMacroKey(QVariant macroId, QVariant name)
{
    if (sender)
        sender->sendStoredMacro(lowByte(macroId), name.toString());
}
QVariantList myQQuickView::ui_91H_GetMacroKey(uchar macroId)
{
    return sender ? numbers(sender->readKeyboardMacroSlot(macroId)) : QVariantList{};
}
QVariantList myQQuickView::ui_93H_GetMacroKey(uchar macroId)
{
    return sender ? numbers(sender->readMacroSlot(macroId)) : QVariantList{};
}

// ---- keyboard family ----

void myQQuickView::ui_03H_SetReportRate(uchar rate)
{
    if (bridge)
        bridge->setReportRate(rate);
}
void myQQuickView::ui_02H_SetCurrentProfile(int profile)
{
    if (bridge)
        bridge->selectProfile(profile);
}
void myQQuickView::ui_01H_SetKeyboardoption(uchar byte1, uchar byte2)
{
    if (bridge)
        bridge->setKeyboardOption(byte1, byte2);
}
void myQQuickView::ui_04H_SetGunData(uchar par0, uchar par1, uchar par2, uchar par3, uchar par4)
{
    if (bridge)
        bridge->setGunData(par0, par1, par2, par3, par4);
}
void myQQuickView::ui_07H_SetControlIndicatorLight(uchar effect, uchar frequenty)
{
    if (bridge)
        bridge->setIndicatorLight(effect, frequenty);
}
void myQQuickView::ui_08H_SetLEDType(uchar option, uchar effect, uchar speed, uchar light, uchar color,
                                     uchar direction)
{
    if (bridge)
        bridge->setLedType(option, effect, speed, light, color, direction);
}
void myQQuickView::ui_09H_SetKeyboardMode(uchar mode)
{
    if (bridge)
        bridge->setKeyboardMode(mode);
}
void myQQuickView::ui_0EH_SetKeyOnOff(QVariantList src21)
{
    if (bridge)
        bridge->setKeysEnabled(lowBytes(src21));
}
void myQQuickView::ui_12H_SetUserPicture(uchar index, uchar option, QVariantList src512)
{
    if (bridge)
        bridge->setUserPicture(index, option, ints(src512));
}
void myQQuickView::ui_13H_SetRecoveryData()
{
    if (bridge)
        bridge->restoreFactoryData();
}
void myQQuickView::ui_14H_SetColor(uchar index, uchar rValue, uchar gValue, uchar bValue)
{
    if (bridge)
        bridge->setColour(index, rValue, gValue, bValue);
}
QString myQQuickView::ui_80H_GetFWVersion()
{
    return bridge ? bridge->firmwareVersion() : QString();
}
int myQQuickView::ui_83H_GetReportRate()
{
    return bridge ? bridge->reportRate() : 0;
}
int myQQuickView::ui_82H_GetCurrentProfile()
{
    return bridge ? bridge->deviceProfile() : 0;
}
QVariantList myQQuickView::ui_81H_GetKeyboardoption()
{
    return bridge ? numbers(bridge->keyboardOption()) : QVariantList{};
}
QVariantList myQQuickView::ui_84H_GetButtonSensitivity()
{
    return bridge ? numbers(bridge->buttonSensitivity()) : QVariantList{};
}
QVariantList myQQuickView::ui_88H_GetLEDType()
{
    return bridge ? numbers(bridge->storedLedType()) : QVariantList{};
}
int myQQuickView::ui_89H_GetKeyboardMode()
{
    return bridge ? bridge->keyboardMode() : 0;
}
QVariantList myQQuickView::ui_8DH_GetKeyMatrix()
{
    return bridge ? numbers(bridge->keyboardKeyMatrix()) : QVariantList{};
}
QVariantList myQQuickView::ui_8EH_GetKeyOnOff()
{
    return bridge ? numbers(bridge->keysEnabled()) : QVariantList{};
}
QVariantList myQQuickView::ui_92H_GetUserPicture(uchar index)
{
    return bridge ? numbers(bridge->storedUserPicture(index)) : QVariantList{};
}
QVariantList myQQuickView::ui_94H_GetColor(uchar index)
{
    return bridge ? numbers(bridge->storedColour(index)) : QVariantList{};
}

// ---- mouse family ----

int myQQuickView::getSensorType()
{
    return bridge ? bridge->sensorType() : 0;
}
bool myQQuickView::chkIsLogoLedWork()
{
    return bridge && bridge->isLogoLedWorking();
}
bool myQQuickView::getMsgAns_FoolProofing()
{
    return bridge && bridge->confirmChange();
}
void myQQuickView::ui_0BH_SetCurrentDPIStage(uchar dpiStage)
{
    if (bridge)
        bridge->setDpiStage(dpiStage);
}
// The stage count is not sent: the block carries all eight stages, and the mask says which are in use.
void myQQuickView::ui_SetDPISet(uchar, QVariantList src16, QVariantList valueForIndex)
{
    if (bridge)
        bridge->setDpiStages(ints(src16), ints(valueForIndex));
}
void myQQuickView::ui_SetDPISelect(QVariantList valueForIndex)
{
    if (bridge)
        bridge->setSelectableStages(ints(valueForIndex));
}
void myQQuickView::ui_setAngleSnap(uchar isAngleSnap, uchar gestrueValue)
{
    if (bridge)
        bridge->setAngleSnap(isAngleSnap, gestrueValue);
}
void myQQuickView::ui_SetRGBLedEffect(uchar effect, uchar option1, uchar option2, QVariantList configs)
{
    if (bridge)
        bridge->setLightEffect(effect, option1, option2, ints(configs));
}
void myQQuickView::ui_10H_SetLED8StageColor(uchar type, QVariantList src24)
{
    if (bridge)
        bridge->setStageColours(type, ints(src24));
}
void myQQuickView::ui_SetXYSensitive(QVariant par0, QVariant par1)
{
    if (bridge)
        bridge->setXySensitivity(lowByte(par0), lowByte(par1));
}
void myQQuickView::ui_0DH_SetKeyMatrix(QVariantList src128)
{
    if (bridge)
        bridge->setKeyTable(ints(src128));
}
void myQQuickView::ui_0DH_SetGunKeyMatrix(QVariantList src128, QVariant keyMatrixIndex)
{
    if (bridge)
        bridge->setGunKeyTable(ints(src128), keyMatrixIndex.toUInt());
}
void myQQuickView::ui_0CH_SetProfile(uint profileNo)
{
    if (bridge)
        bridge->writeProfileBlock(profileNo);
}
void myQQuickView::ui_CheckProfileEnable()
{
    if (bridge)
        bridge->markProfilesEnabled();
}
void myQQuickView::ui_02H_SetKeyMatrixNo(uchar keyMatrixNo)
{
    if (bridge)
        bridge->setDeviceKeyTableNumber(keyMatrixNo);
}
int myQQuickView::ui_8BH_GetCurrentDPIStage()
{
    return bridge ? bridge->dpiStage() : 0;
}
void myQQuickView::ui_8CH_ReadProfile(uint profileNo)
{
    if (bridge)
        bridge->readProfileBlock(profileNo);
}
uchar myQQuickView::ui_91H_SyncDPI()
{
    return bridge ? bridge->deviceStageCount() : uchar(8);
}
QVariantList myQQuickView::ui_91H_GetDPISet()
{
    return bridge ? numbers(bridge->storedDpiValues()) : QVariantList{};
}
QVariantList myQQuickView::ui_91H_GetDPISelect()
{
    return bridge ? numbers(bridge->selectableStages()) : QVariantList{};
}
QVariantList myQQuickView::ui_GetAngleSnap()
{
    if (!bridge)
        return {};
    const DeviceBridge::AngleSnap stored = bridge->storedAngleSnap();
    return {stored.angleSnap, stored.gestureStep};
}
QVariantList myQQuickView::ui_8DH_GetRGBLedEffect()
{
    return bridge ? numbers(bridge->storedLightEffect()) : QVariantList{};
}
QVariantList myQQuickView::ui_90H_GetLED8StageColor(uchar type)
{
    return bridge ? numbers(bridge->storedStageColours(type)) : QVariantList{};
}
QVariantList myQQuickView::ui_92H_GetKeyMatrix()
{
    return bridge ? numbers(bridge->deviceKeyTable()) : QVariantList{};
}

// ---- desktop pointer settings ----

void myQQuickView::setScrollPinSwap(bool isSwap)
{
    if (pointer)
        pointer->setScrollPinSwap(isSwap);
}
bool myQQuickView::getScrollPinSwap()
{
    return pointer && pointer->getScrollPinSwap();
}
void myQQuickView::setAcceleration(bool acceleration)
{
    if (pointer)
        pointer->setAcceleration(acceleration);
}
void myQQuickView::setCursorSpeed(uint cursorSpeed)
{
    if (pointer)
        pointer->setCursorSpeed(cursorSpeed);
}
void myQQuickView::setVerticalScrollLines(uint lines)
{
    if (pointer)
        pointer->setVerticalScrollLines(lines);
}
void myQQuickView::setDoubleClickSpeed(uint speed)
{
    if (pointer)
        pointer->setDoubleClickSpeed(speed);
}
bool myQQuickView::getAcceleration()
{
    return pointer && pointer->getAcceleration();
}
uint myQQuickView::getCursorSpeed()
{
    return pointer ? pointer->getCursorSpeed() : 0;
}
uint myQQuickView::getVerticalScrollLines()
{
    return pointer ? pointer->getVerticalScrollLines() : 0;
}
uint myQQuickView::getDoubleClickSpeed()
{
    return pointer ? pointer->getDoubleClickSpeed() : 0;
}
