// The mouse-family settings. Each records the page's values in the current profile first, so a failed
// device write still leaves them for the next full re-send, then patches the bytes it owns in the device
// profile image and writes the blocks that carry them.

#include "device_bridge.h"

#include "device_flags.h"
#include "hid_thread.h"
#include "profile_store.h"
#include "settings_io.h"

#include <QSettings>

using namespace bridge_values;
namespace pb = profile_block;

namespace {

const QString kStageKey = QStringLiteral("sensor/stage_J2");
const QString kDpiKey = QStringLiteral("sensor/dpi_J2");
const QString kDpiSelectKey = QStringLiteral("sensor/dpi_Select");
const QString kAngleSnapKey = QStringLiteral("sensor/angleSnap");
const QString kGestureKey = QStringLiteral("sensor/gestrueValue");

// What the pages' controls can show: DPI 200 to 16400 in hundreds (default 10800), stage flags on or off
// (default on), angle snapping on or off, gesture correction steps 0 to 4.
constexpr ProfileStore::Range kDpiRange{200, 16400, 10800, 100};
constexpr int kEighthDpiEntry = 250;
constexpr ProfileStore::Range kStageFlagRange{0, 1, 1};
constexpr ProfileStore::Range kAngleSnapRange{0, 1, 0};
constexpr ProfileStore::Range kGestureRange{0, 4, 0};
const QString kLedEffectKey = QStringLiteral("color_J2/ledEffect");
const QString kStageColourPrefix = QStringLiteral("color_J2/type");
const QString kButtonPrefix = QStringLiteral("keydefine_J2/");
const QString kGunTablePrefix = QStringLiteral("keydefine_J2");

// Gesture correction in degrees as the sensor takes it (a signed byte), by the page's step 0-4.
constexpr std::array<uchar, 5> kGestureCorrectionCodes{0xE2, 0xF6, 0x00, 0x0F, 0x1E};

constexpr int kKeyTableButtons = 32;
constexpr int kKeyEntryBytes = 4;
constexpr int kKeyTableBytes = kKeyTableButtons * kKeyEntryBytes;
constexpr int kKeyMatrixReadBytes = 64;
// "Auto Run" / "Fire Mode" live only in the configurator: the profile keeps the type so the page shows it,
// the device gets the entry as type 0.
constexpr uchar kConfiguratorOnlyType = 0x0F;
constexpr uchar kNoFunctionType = 0x00;

constexpr uchar kNoMaxStageAnswer = 8;
constexpr uchar kLogoLedInstruction = 0;

void refreshDpiValues(const QList<int>& values)
{
    for (std::size_t i = 0; i < dpiValues.size(); ++i) {
        const int index = int(i);
        dpiValues[i].store(index < values.size() ? uint(values.at(index)) : 0u);
    }
}

} // namespace

// ---- sensor ----

void DeviceBridge::setDpiStage(uchar dpiStage)
{
    writeThrough(currentProfile(), kStageKey, int(dpiStage));
    hid.hid_0BH_SetCurrentDPIStage(dpiStage);
}

int DeviceBridge::dpiStage()
{
    // Nothing shows the stage while the window is hidden, so the device is not troubled with the question.
    if (hooks.isViewVisible && !hooks.isViewVisible())
        return 0;
    uchar stage = 0;
    hid.hid_8BH_GetCurrentDPIStage(stage);
    return stage;
}

void DeviceBridge::setDpiStages(const QList<int>& src16, const QList<int>& valueForIndex)
{
    // No stage count: the block carries all eight stages, and the mask says which are in use.
    writeThrough(currentProfile(), kDpiKey, intList(valueForIndex));
    refreshDpiValues(valueForIndex);

    ProfileBlock& first = block(0);
    first[pb::kDpiHalved] = 0;
    for (int stage = 0; stage < pb::kDpiStages; ++stage) {
        unsigned code = stage < src16.size() ? unsigned(src16.at(stage)) : 0u;
        if (code > pb::kLargestWholeDpiCode) {
            first[pb::kDpiHalved] = uchar(first[pb::kDpiHalved] | (1u << stage));
            code >>= 1;
        }
        first[std::size_t(pb::kDpiCodes + stage)] = uchar(code & 0xFF);
        first[std::size_t(pb::kDpiCodesCopy + stage)] = uchar(code & 0xFF);
    }
    writeProfileBlock(0);
}

QList<int> DeviceBridge::storedDpiValues()
{
    // Seven stages of the page's slider range, then the fixed eighth entry the page always stores.
    QList<int> values = profiles.loadedNumbers(kDpiKey, pb::kDpiStages - 1, kDpiRange);
    values.append(kEighthDpiEntry);
    refreshDpiValues(values);
    return values;
}

void DeviceBridge::setSelectableStages(const QList<int>& valueForIndex)
{
    writeThrough(currentProfile(), kDpiSelectKey, intList(valueForIndex));
    uchar mask = 0;
    for (int stage = 0; stage < pb::kDpiStages && stage < valueForIndex.size(); ++stage)
        if (valueForIndex.at(stage) != 0)
            mask = uchar(mask | (1u << stage));
    // Blocks 5-7 get the mask too, for a caller that later writes them by number.
    for (ProfileBlock& each : image)
        each[pb::kStageMask] = mask;
    writePageBlocks();
}

QList<int> DeviceBridge::selectableStages()
{
    return profiles.loadedNumbers(kDpiSelectKey, pb::kDpiStages, kStageFlagRange);
}

uchar DeviceBridge::deviceStageCount()
{
    uchar maxStage = 0;
    std::array<uchar, pb::kDpiStages> ignored{};
    return hid.hid_91H_GetDPISet(maxStage, ignored.data()) ? maxStage : kNoMaxStageAnswer;
}

void DeviceBridge::setAngleSnap(uchar isAngleSnap, uchar gestrueValue)
{
    QSettings& profile = currentProfile();
    profile.setValue(kAngleSnapKey, int(isAngleSnap));
    writeThrough(profile, kGestureKey, int(gestrueValue));

    ProfileBlock& first = block(0);
    first[pb::kSensorTag] = pb::kSensorTagValue;
    first[pb::kAngleSnap] = isAngleSnap != 0 ? pb::kAngleSnapOn : pb::kAngleSnapOff;
    first[pb::kSensorHead] = pb::kSensorHeadValue;
    // A step the table does not have keeps the correction the block already holds.
    if (gestrueValue < kGestureCorrectionCodes.size())
        first[pb::kGestureCorrection] = kGestureCorrectionCodes[gestrueValue];
    writeProfileBlock(0);
}

DeviceBridge::AngleSnap DeviceBridge::storedAngleSnap()
{
    return {profiles.loadedNumber(kAngleSnapKey, kAngleSnapRange),
            profiles.loadedNumber(kGestureKey, kGestureRange)};
}

void DeviceBridge::setXySensitivity(uchar x, uchar y)
{
    // The page records the steps itself; the device takes the values in every profile alike.
    for (int profileNo = 0; profileNo < pb::kPageBlocks; ++profileNo) {
        block(profileNo)[pb::kXSensitivity] = x;
        block(profileNo)[pb::kYSensitivity] = y;
    }
    writePageBlocks();
}

int DeviceBridge::sensorType()
{
    uchar type = 0;
    uchar option1 = 0;
    uchar option2 = 0;
    hid.hid_83H_GetFunctionOption(type, option1, option2);
    return type;
}

// ---- lighting ----

void DeviceBridge::setLightEffect(uchar effect, uchar option1, uchar option2, const QList<int>& configs)
{
    // The page records its own three values, which it maps before sending.
    writeThrough(currentProfile(), kLedEffectKey, intList(configs));
    ProfileBlock& first = block(0);
    first[pb::kLedEffect] = effect;
    first[pb::kLedOption1] = option1;
    first[pb::kLedOption2] = option2;
    first[pb::kLedEffectCopy] = uchar(effect | pb::kLedEffectCopyFlag);
    first[pb::kLedOption1Copy] = option1;
    first[pb::kLedOption2Copy] = option2;
    writeProfileBlock(0);
}

QList<uint> DeviceBridge::storedLightEffect()
{
    return storedUIntList(currentProfile(), kLedEffectKey);
}

void DeviceBridge::setStageColours(uchar type, const QList<int>& src24)
{
    // The type names only the colour set in the profile; the device has one set per block.
    writeThrough(currentProfile(), kStageColourPrefix + QString::number(type), intList(src24));
    const auto colours = bytesOf<pb::kStageColoursLength>(src24);
    for (int profileNo = 0; profileNo < pb::kPageBlocks; ++profileNo)
        std::copy(colours.begin(), colours.end(), block(profileNo).begin() + pb::kStageColours);
    writePageBlocks();
}

QList<uint> DeviceBridge::storedStageColours(uchar type)
{
    return storedUIntList(currentProfile(), kStageColourPrefix + QString::number(type));
}

bool DeviceBridge::isLogoLedWorking()
{
    uchar option1 = 0;
    uchar option2 = 0;
    uchar option3 = 0;
    return hid.hid_87H_GetLEDInstructFunction(kLogoLedInstruction, option1, option2, option3) && option1 == 0;
}

// ---- key tables ----

void DeviceBridge::sendKeyTable(const QList<int>& src128, const QString& keyPrefix, uchar indexAddOne)
{
    QSettings& profile = currentProfile();
    for (int button = 0; button < kKeyTableButtons; ++button) {
        QVariantList entry;
        for (int i = button * kKeyEntryBytes; i < (button + 1) * kKeyEntryBytes; ++i)
            entry.append(i < src128.size() ? src128.at(i) : 0);
        profile.setValue(keyPrefix + QString::number(button), entry);
    }
    syncChecked(profile);

    auto bytes = bytesOf<kKeyTableBytes>(src128);
    for (std::size_t type = 0; type < bytes.size(); type += kKeyEntryBytes)
        if (bytes[type] == kConfiguratorOnlyType)
            bytes[type] = kNoFunctionType;
    hid.hid_0DH_SetKeyMatrix(bytes.data(), indexAddOne);
}

void DeviceBridge::setKeyTable(const QList<int>& src128)
{
    sendKeyTable(src128, kButtonPrefix, 0);
}

void DeviceBridge::setGunKeyTable(const QList<int>& src128, uint table)
{
    sendKeyTable(src128, kGunTablePrefix + QString::number(table) + QLatin1Char('/'),
                 uchar((table + 1) & 0xFF));
}

QByteArray DeviceBridge::deviceKeyTable()
{
    std::array<uchar, kKeyMatrixReadBytes> bytes{};
    hid.hid_92H_GetKeyMatrix(bytes.data());
    return byteArrayOf(bytes);
}
