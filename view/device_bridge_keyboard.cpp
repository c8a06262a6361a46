// The keyboard-family settings: one command each. The LED type, the colours and the pictures are also
// recorded in the current profile, which is where the pages read them back from. Device reads start from
// zeroed values, so a read that fails on the device answers zeros.

#include "device_bridge.h"

#include "hid_thread.h"
#include "profile_store.h"
#include "settings_io.h"

#include <QSettings>

#include <algorithm>

using namespace bridge_values;

namespace {

const QString kLedTypeKey = QStringLiteral("color/ledType");
const QString kColourPrefix = QStringLiteral("color/");
const QString kUserPicturePrefix = QStringLiteral("userPicture/");

constexpr int kKeyOnOffBytes = 21;
constexpr int kUserPictureBytes = 512;
constexpr int kKeyMatrixBytes = 512;
// A picture option that only keeps the picture in the profile.
constexpr uchar kRecordOnlyPicture = 0xFF;

QVariantList ints(std::initializer_list<uchar> values)
{
    QVariantList list;
    for (const uchar value : values)
        list.append(int(value));
    return list;
}

QByteArray bytes(std::initializer_list<uchar> values)
{
    QByteArray list;
    for (const uchar value : values)
        list.append(char(value));
    return list;
}

} // namespace

// ---- writes ----

void DeviceBridge::setKeyboardOption(uchar byte1, uchar byte2)
{
    hid.hid_01H_SetKeyboardoption(byte1, byte2);
}

void DeviceBridge::setGunData(uchar par0, uchar par1, uchar par2, uchar par3, uchar par4)
{
    hid.hid_04H_SetGunData(par0, par1, par2, par3, par4);
}

void DeviceBridge::setIndicatorLight(uchar effect, uchar frequenty)
{
    hid.hid_07H_SetControlIndicatorLight(effect, frequenty);
}

void DeviceBridge::setLedType(uchar option, uchar effect, uchar speed, uchar light, uchar color,
                              uchar direction)
{
    writeThrough(currentProfile(), kLedTypeKey, ints({effect, speed, light, color, direction}));
    hid.hid_08H_SetLEDType(option, effect, speed, light, color, direction);
}

void DeviceBridge::setKeyboardMode(uchar mode)
{
    hid.hid_09H_SetKeyboardMode(mode);
}

void DeviceBridge::setKeysEnabled(const QByteArray& src21)
{
    std::array<uchar, kKeyOnOffBytes> onOff{};
    std::copy_n(src21.cbegin(), std::min<qsizetype>(src21.size(), kKeyOnOffBytes), onOff.begin());
    hid.hid_0EH_SetKeyOnOff(onOff.data());
}

void DeviceBridge::setUserPicture(uchar index, uchar option, const QList<int>& src512)
{
    writeThrough(currentProfile(), kUserPicturePrefix + QString::number(index), intList(src512));
    if (option == kRecordOnlyPicture)
        return;
    const auto picture = bytesOf<kUserPictureBytes>(src512);
    hid.hid_12H_SetUserPicture(index, option, picture.data());
}

void DeviceBridge::restoreFactoryData()
{
    hid.hid_13H_SetRecoveryData();
}

void DeviceBridge::setColour(uchar index, uchar rValue, uchar gValue, uchar bValue)
{
    writeThrough(currentProfile(), kColourPrefix + QString::number(index), ints({rValue, gValue, bValue}));
    hid.hid_14H_SetColor(index, rValue, gValue, bValue);
}

// ---- reads ----

QString DeviceBridge::firmwareVersion()
{
    QString version; // stays empty when the device is busy
    hid.hid_80H_GetFWVersion(version);
    return version;
}

QByteArray DeviceBridge::keyboardOption()
{
    uchar byte1 = 0;
    uchar byte2 = 0;
    hid.hid_81H_GetKeyboardoption(byte1, byte2);
    return bytes({byte1, byte2});
}

int DeviceBridge::deviceProfile()
{
    uchar profile = 0;
    hid.hid_82H_GetCurrentProfile(profile);
    return profile;
}

QByteArray DeviceBridge::buttonSensitivity()
{
    uchar sens1 = 0;
    uchar sens2 = 0;
    uchar sens3 = 0;
    uchar sens4 = 0;
    hid.hid_84H_GetButtonSensitivity(sens1, sens2, sens3, sens4);
    return bytes({sens1, sens2, sens3, sens4});
}

QList<int> DeviceBridge::storedLedType()
{
    return storedNumbers(currentProfile(), kLedTypeKey);
}

int DeviceBridge::keyboardMode()
{
    uchar mode = 0;
    hid.hid_89H_GetKeyboardMode(mode);
    return mode;
}

QByteArray DeviceBridge::keyboardKeyMatrix()
{
    std::array<uchar, kKeyMatrixBytes> matrix{};
    hid.hid_8DH_GetKeyMatrix(matrix.data());
    return byteArrayOf(matrix);
}

QByteArray DeviceBridge::keysEnabled()
{
    std::array<uchar, kKeyOnOffBytes> onOff{};
    hid.hid_8EH_GetKeyOnOff(onOff.data());
    return byteArrayOf(onOff);
}

QList<int> DeviceBridge::storedUserPicture(uchar index)
{
    return storedNumbers(currentProfile(), kUserPicturePrefix + QString::number(index));
}

QList<int> DeviceBridge::storedColour(uchar index)
{
    return storedNumbers(currentProfile(), kColourPrefix + QString::number(index));
}
