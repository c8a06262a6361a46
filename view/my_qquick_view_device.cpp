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
        sender->ui_11H_SetMacroKey(lowByte(macroId), name.toString());
}
void myQQuickView::ui_0FH_SetMacroKey(QVariant macroId, QVariant name)
{
    if (sender)
        sender->ui_0FH_SetMacroKey(lowByte(macroId), name.toString());
}
QVariantList myQQuickView::ui_91H_GetMacroKey(uchar macroId)
{
    return sender ? numbers(sender->ui_91H_GetMacroKey(macroId)) : QVariantList{};
}
QVariantList myQQuickView::ui_93H_GetMacroKey(uchar macroId)
{
    return sender ? numbers(sender->ui_93H_GetMacroKey(macroId)) : QVariantList{};
}

// ---- keyboard family ----

void myQQuickView::ui_03H_SetReportRate(uchar rate)
{
    if (bridge)
        bridge->ui_03H_SetReportRate(rate);
}
void myQQuickView::ui_02H_SetCurrentProfile(int profile)
{
    if (bridge)
        bridge->ui_02H_SetCurrentProfile(profile);
}
void myQQuickView::ui_01H_SetKeyboardoption(uchar byte1, uchar byte2)
{
    if (bridge)
        bridge->ui_01H_SetKeyboardoption(byte1, byte2);
}
void myQQuickView::ui_04H_SetGunData(uchar par0, uchar par1, uchar par2, uchar par3, uchar par4)
{
    if (bridge)
        bridge->ui_04H_SetGunData(par0, par1, par2, par3, par4);
}
void myQQuickView::ui_07H_SetControlIndicatorLight(uchar effect, uchar frequenty)
{
    if (bridge)
        bridge->ui_07H_SetControlIndicatorLight(effect, frequenty);
}
void myQQuickView::ui_08H_SetLEDType(uchar option, uchar effect, uchar speed, uchar light, uchar color,
                                     uchar direction)
{
    if (bridge)
        bridge->ui_08H_SetLEDType(option, effect, speed, light, color, direction);
}
void myQQuickView::ui_09H_SetKeyboardMode(uchar mode)
{
    if (bridge)
        bridge->ui_09H_SetKeyboardMode(mode);
}
void myQQuickView::ui_0EH_SetKeyOnOff(QVariantList src21)
{
    if (bridge)
        bridge->ui_0EH_SetKeyOnOff(lowBytes(src21));
}
void myQQuickView::ui_12H_SetUserPicture(uchar index, uchar option, QVariantList src512)
{
    if (bridge)
        bridge->ui_12H_SetUserPicture(index, option, ints(src512));
}
void myQQuickView::ui_13H_SetRecoveryData()
{
    if (bridge)
        bridge->ui_13H_SetRecoveryData();
}
void myQQuickView::ui_14H_SetColor(uchar index, uchar rValue, uchar gValue, uchar bValue)
{
    if (bridge)
        bridge->ui_14H_SetColor(index, rValue, gValue, bValue);
}
QString myQQuickView::ui_80H_GetFWVersion()
{
    return bridge ? bridge->ui_80H_GetFWVersion() : QString();
}
int myQQuickView::ui_83H_GetReportRate()
{
    return bridge ? bridge->ui_83H_GetReportRate() : 0;
}
int myQQuickView::ui_82H_GetCurrentProfile()
{
    return bridge ? bridge->ui_82H_GetCurrentProfile() : 0;
}
QVariantList myQQuickView::ui_81H_GetKeyboardoption()
{
    return bridge ? numbers(bridge->ui_81H_GetKeyboardoption()) : QVariantList{};
}
QVariantList myQQuickView::ui_84H_GetButtonSensitivity()
{
    return bridge ? numbers(bridge->ui_84H_GetButtonSensitivity()) : QVariantList{};
}
QVariantList myQQuickView::ui_88H_GetLEDType()
{
    return bridge ? numbers(bridge->ui_88H_GetLEDType()) : QVariantList{};
}
int myQQuickView::ui_89H_GetKeyboardMode()
{
    return bridge ? bridge->ui_89H_GetKeyboardMode() : 0;
}
QVariantList myQQuickView::ui_8DH_GetKeyMatrix()
{
    return bridge ? numbers(bridge->ui_8DH_GetKeyMatrix()) : QVariantList{};
}
QVariantList myQQuickView::ui_8EH_GetKeyOnOff()
{
    return bridge ? numbers(bridge->ui_8EH_GetKeyOnOff()) : QVariantList{};
}
QVariantList myQQuickView::ui_92H_GetUserPicture(uchar index)
{
    return bridge ? numbers(bridge->ui_92H_GetUserPicture(index)) : QVariantList{};
}
QVariantList myQQuickView::ui_94H_GetColor(uchar index)
{
    return bridge ? numbers(bridge->ui_94H_GetColor(index)) : QVariantList{};
}

// ---- mouse family ----

int myQQuickView::getSensorType()
{
    return bridge ? bridge->getSensorType() : 0;
}
bool myQQuickView::chkIsLogoLedWork()
{
    return bridge && bridge->chkIsLogoLedWork();
}
bool myQQuickView::getMsgAns_FoolProofing()
{
    return bridge && bridge->getMsgAns_FoolProofing();
}
void myQQuickView::ui_0BH_SetCurrentDPIStage(uchar dpiStage)
{
    if (bridge)
        bridge->ui_0BH_SetCurrentDPIStage(dpiStage);
}
// The stage count is not sent: the block carries all eight stages, and the mask says which are in use.
void myQQuickView::ui_SetDPISet(uchar, QVariantList src16, QVariantList valueForIndex)
{
    if (bridge)
        bridge->ui_SetDPISet(ints(src16), ints(valueForIndex));
}
void myQQuickView::ui_SetDPISelect(QVariantList valueForIndex)
{
    if (bridge)
        bridge->ui_SetDPISelect(ints(valueForIndex));
}
void myQQuickView::ui_setAngleSnap(uchar isAngleSnap, uchar gestrueValue)
{
    if (bridge)
        bridge->ui_setAngleSnap(isAngleSnap, gestrueValue);
}
void myQQuickView::ui_SetRGBLedEffect(uchar effect, uchar option1, uchar option2, QVariantList configs)
{
    if (bridge)
        bridge->ui_SetRGBLedEffect(effect, option1, option2, ints(configs));
}
void myQQuickView::ui_10H_SetLED8StageColor(uchar type, QVariantList src24)
{
    if (bridge)
        bridge->ui_10H_SetLED8StageColor(type, ints(src24));
}
void myQQuickView::ui_SetXYSensitive(QVariant par0, QVariant par1)
{
    if (bridge)
        bridge->ui_SetXYSensitive(lowByte(par0), lowByte(par1));
}
void myQQuickView::ui_0DH_SetKeyMatrix(QVariantList src128)
{
    if (bridge)
        bridge->ui_0DH_SetKeyMatrix(ints(src128));
}
void myQQuickView::ui_0DH_SetGunKeyMatrix(QVariantList src128, QVariant keyMatrixIndex)
{
    if (bridge)
        bridge->ui_0DH_SetGunKeyMatrix(ints(src128), keyMatrixIndex.toUInt());
}
void myQQuickView::ui_0CH_SetProfile(uint profileNo)
{
    if (bridge)
        bridge->ui_0CH_SetProfile(profileNo);
}
void myQQuickView::ui_CheckProfileEnable()
{
    if (bridge)
        bridge->ui_CheckProfileEnable();
}
void myQQuickView::ui_02H_SetKeyMatrixNo(uchar keyMatrixNo)
{
    if (bridge)
        bridge->ui_02H_SetKeyMatrixNo(keyMatrixNo);
}
int myQQuickView::ui_8BH_GetCurrentDPIStage()
{
    return bridge ? bridge->ui_8BH_GetCurrentDPIStage() : 0;
}
void myQQuickView::ui_8CH_ReadProfile(uint profileNo)
{
    if (bridge)
        bridge->ui_8CH_ReadProfile(profileNo);
}
uchar myQQuickView::ui_91H_SyncDPI()
{
    return bridge ? bridge->ui_91H_SyncDPI() : uchar(8);
}
QVariantList myQQuickView::ui_91H_GetDPISet()
{
    return bridge ? numbers(bridge->ui_91H_GetDPISet()) : QVariantList{};
}
QVariantList myQQuickView::ui_91H_GetDPISelect()
{
    return bridge ? numbers(bridge->ui_91H_GetDPISelect()) : QVariantList{};
}
QVariantList myQQuickView::ui_GetAngleSnap()
{
    if (!bridge)
        return {};
    const DeviceBridge::AngleSnap stored = bridge->ui_GetAngleSnap();
    return {stored.angleSnap, stored.gestureStep};
}
QVariantList myQQuickView::ui_8DH_GetRGBLedEffect()
{
    return bridge ? numbers(bridge->ui_8DH_GetRGBLedEffect()) : QVariantList{};
}
QVariantList myQQuickView::ui_90H_GetLED8StageColor(uchar type)
{
    return bridge ? numbers(bridge->ui_90H_GetLED8StageColor(type)) : QVariantList{};
}
QVariantList myQQuickView::ui_92H_GetKeyMatrix()
{
    return bridge ? numbers(bridge->ui_92H_GetKeyMatrix()) : QVariantList{};
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
