#pragma once

// The device-facing half of the view: turns page values into device bytes, records them in the current
// profile file first, and sends them through Hid_Thread. Most mouse settings are not commands of their own
// but bytes of the device's profile blocks; the bridge keeps an image of those blocks, patches the bytes a
// setting owns and rewrites whole blocks, so every byte it does not own goes back exactly as it was read.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtGlobal>

#include <array>
#include <functional>

class AppConfig;
class Hid_Thread;
class ProfileStore;
class QSettings;
class QWidget;

// Where the settings live in a 128-byte device profile block (offsets from the start of the block).
namespace profile_block {

constexpr int kLength = 128;
constexpr int kCount = 8;      // on-device profile numbers 0-7
constexpr int kPageBlocks = 5; // the pages keep profiles 0-4 in step

constexpr int kEnabledMarker = 2;
constexpr uchar kEnabled = 0xFF;

// Angle snapping and gesture correction travel as one four-byte sensor record; bytes 48 and 50 are constants
// the device expects around the two values.
constexpr int kSensorHead = 48;
constexpr uchar kSensorHeadValue = 0x11;
constexpr int kGestureCorrection = 49;
constexpr int kSensorTag = 50;
constexpr uchar kSensorTagValue = 0x42;
constexpr int kAngleSnap = 51;
constexpr uchar kAngleSnapOn = 0x80;
constexpr uchar kAngleSnapOff = 0x00;

constexpr int kLedEffect = 71;
constexpr int kLedOption1 = 72;
constexpr int kLedOption2 = 73;
constexpr int kXSensitivity = 74;
constexpr int kYSensitivity = 75;

// Bit i set: the code of stage i is stored halved, as every code above kLargestWholeDpiCode is.
constexpr int kDpiHalved = 83;
constexpr int kDpiCodes = 84;
constexpr int kDpiCodesCopy = 92;
constexpr int kDpiStages = 8;
constexpr unsigned kLargestWholeDpiCode = 0x77;

// Bit i set: stage i can be selected with the DPI button.
constexpr int kStageMask = 100;

// The device reads the light effect a second time here, marked with bit 4.
constexpr int kLedEffectCopy = 101;
constexpr uchar kLedEffectCopyFlag = 0x10;
constexpr int kLedOption1Copy = 102;
constexpr int kLedOption2Copy = 103;

// R, G, B of stages 0-7.
constexpr int kStageColours = 104;
constexpr int kStageColoursLength = 24;

static_assert(kLedEffect + 1 == kLedOption1 && kLedOption1 + 1 == kLedOption2);
static_assert(kDpiCodes + kDpiStages == kDpiCodesCopy);
static_assert(kDpiCodesCopy + kDpiStages == kStageMask);
static_assert(kLedEffectCopy + 1 == kLedOption1Copy && kLedOption1Copy + 1 == kLedOption2Copy);
static_assert(kStageColours + kStageColoursLength == kLength);

} // namespace profile_block

using ProfileBlock = std::array<uchar, profile_block::kLength>;

class DeviceBridge
{
public:
    // What the bridge needs from the window around it.
    struct Hooks
    {
        // The window is shown; a hidden window must not ask the device for its DPI stage. Unset: shown.
        std::function<bool()> isViewVisible;
        // The view's message list (titles and texts of warnings). Unset: empty.
        std::function<QStringList()> messages;
        // A warning box with OK and Cancel, Cancel the default; true when the user pressed OK. Unset: Cancel.
        std::function<bool(const QString& title, const QString& text)> askOkCancel;
    };

    DeviceBridge(Hid_Thread& hid, ProfileStore& profiles, AppConfig& config, Hooks hooks = {});

    // The image of device profile block `profileNo` (0-7), as the next write of it will send it.
    const ProfileBlock& profileBlock(int profileNo) const;

    // ---- mouse family: profile blocks ----
    // A read that fails is tried once more; a block that still could not be read is never written back,
    // since the image holds nothing of what the mouse has there (one tray notice says so).
    void readProfileBlock(uint profileNo);
    void writeProfileBlock(uint profileNo);
    void markProfilesEnabled();

    // ---- mouse family: sensor ----
    void setDpiStage(uchar dpiStage);
    // The mouse's current stage; 0, without asking it, while the window is hidden.
    int dpiStage();
    // The eight stage codes go into block 0; the page's DPI values are recorded and become the notices'.
    void setDpiStages(const QList<int>& stageCodes, const QList<int>& pageDpiValues);
    QList<int> storedDpiValues();
    // One flag per stage: non-zero when the DPI button can select it.
    void setSelectableStages(const QList<int>& stageFlags);
    QList<int> selectableStages();
    // The number of stages the mouse uses; 8 when it does not answer.
    uchar deviceStageCount();
    void setAngleSnap(uchar isAngleSnap, uchar gestrueValue);
    // Angle snapping (0 or 1) and the gesture correction step (0-4), as the page shows them.
    struct AngleSnap
    {
        int angleSnap;
        int gestureStep;
    };
    AngleSnap storedAngleSnap();
    void setXySensitivity(uchar xSensitivity, uchar ySensitivity);
    int sensorType();

    // ---- mouse family: lighting ----
    // `configs` are the page's own three values, recorded for the page alone.
    void setLightEffect(uchar effect, uchar option1, uchar option2, const QList<int>& configs);
    QList<uint> storedLightEffect();
    // R, G, B of the eight stages (low bytes), recorded as colour set `type`.
    void setStageColours(uchar type, const QList<int>& src24);
    QList<uint> storedStageColours(uchar type);
    bool isLogoLedWorking();

    // ---- mouse family: buttons and profiles ----
    // 32 button definitions of four values each, recorded as given and sent as low bytes.
    void setKeyTable(const QList<int>& src128);
    void setGunKeyTable(const QList<int>& src128, uint keyMatrixIndex);
    QByteArray deviceKeyTable();
    void selectProfile(int profile);
    void setDeviceKeyTableNumber(uchar keyMatrixNo);
    // Asks the user before a setting that changes how the mouse's buttons behave; true for OK.
    bool confirmChange();

    // ---- both families ----
    void setReportRate(uchar rate);
    int reportRate();

    // ---- keyboard family ----
    void setKeyboardOption(uchar byte1, uchar byte2);
    void setGunData(uchar par0, uchar par1, uchar par2, uchar par3, uchar par4);
    void setIndicatorLight(uchar effect, uchar frequenty);
    void setLedType(uchar option, uchar effect, uchar speed, uchar light, uchar color, uchar direction);
    void setKeyboardMode(uchar mode);
    void setKeysEnabled(const QByteArray& src21);
    void setUserPicture(uchar index, uchar option, const QList<int>& src512);
    void restoreFactoryData();
    void setColour(uchar index, uchar rValue, uchar gValue, uchar bValue);
    QString firmwareVersion();
    QByteArray keyboardOption();
    int deviceProfile();
    QByteArray buttonSensitivity();
    QList<int> storedLedType();
    int keyboardMode();
    QByteArray keyboardKeyMatrix();
    QByteArray keysEnabled();
    QList<int> storedUserPicture(uchar index);
    QList<int> storedColour(uchar index);

private:
    QSettings& currentProfile();
    ProfileBlock& block(int profileNo) { return image[std::size_t(profileNo)]; }
    // Writes blocks 0-4 in order, each waiting for the one before.
    void writePageBlocks();
    void sendKeyTable(const QList<int>& src128, const QString& keyPrefix, uchar indexAddOne);

    Hid_Thread& hid;
    ProfileStore& profiles;
    AppConfig& config;
    Hooks hooks;
    // Zero until the pages read the device's blocks at start.
    std::array<ProfileBlock, profile_block::kCount> image{};
    // Blocks whose last read failed: their image is not the mouse's.
    std::array<bool, profile_block::kCount> unread{};
    bool unreadNoticeShown = false;
};

// The Qt warning box for Hooks::askOkCancel, parented to `parent`.
std::function<bool(const QString& title, const QString& text)> makeQtOkCancelQuestion(QWidget* parent);

// ---- helpers shared by the bridge's files ----
namespace bridge_values {

// Element `index` of a page list as a device byte: its low byte; a missing element is 0.
uchar byteAt(const QList<int>& values, int index);
// The first `count` elements as device bytes, missing ones 0, further ones ignored.
template <std::size_t N> std::array<uchar, N> bytesOf(const QList<int>& values)
{
    std::array<uchar, N> bytes{};
    for (std::size_t i = 0; i < N; ++i)
        bytes[i] = byteAt(values, int(i));
    return bytes;
}
// Numbers as the list the profile file keeps.
QVariantList intList(const uchar* bytes, int count);
QVariantList intList(const QList<int>& values);
// A device buffer as the bytes it holds.
template <std::size_t N> QByteArray byteArrayOf(const std::array<uchar, N>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(N));
}
// A stored list with every element converted with `toUInt`.
QList<uint> storedUIntList(const QSettings& settings, const QString& key);

} // namespace bridge_values
