// The bridge itself: the device profile image and how blocks travel, the application-side profile index,
// the report rate both families share, and the helpers the family files use. The mouse-family settings are
// in device_bridge_mouse.cpp, the keyboard family in device_bridge_keyboard.cpp.

#include "device_bridge.h"

#include "app_config.h"
#include "hid_thread.h"
#include "message_list.h"
#include "profile_store.h"
#include "settings_io.h"
#include "view_log.h"

#include <QDebug>
#include <QMessageBox>
#include <QPointer>

using namespace bridge_values;

namespace {

const QString kProfileDataPrefix = QStringLiteral("profileData/");
const QString kReportRateKey = QStringLiteral("sensor/reportRate_J2");

bool isBlockNumber(uint profileNo)
{
    return profileNo < uint(profile_block::kCount);
}

} // namespace

DeviceBridge::DeviceBridge(Hid_Thread& hidThread, ProfileStore& profileStore, AppConfig& appConfig,
                           Hooks windowHooks)
    : hid(hidThread), profiles(profileStore), config(appConfig), hooks(std::move(windowHooks))
{}

const ProfileBlock& DeviceBridge::profileBlock(int profileNo) const
{
    // Callers keep to 0-7; anything else shows block 0 rather than memory past the image.
    return image[std::size_t(isBlockNumber(uint(profileNo)) ? profileNo : 0)];
}

QSettings& DeviceBridge::currentProfile()
{
    return profiles.current();
}

// ---- profile blocks ----

void DeviceBridge::readProfileBlock(uint profileNo)
{
    // The device has blocks 0-7 only, and so has the image; another number would read past it.
    if (!isBlockNumber(profileNo)) {
        qCDebug(lcView) << "ui_8CH_ReadProfile: no profile block" << profileNo;
        return;
    }
    // A read can fail once in a while (a busy token, a lost report); a second try costs little.
    ProfileBlock& bytes = block(int(profileNo));
    const bool read = hid.hid_8CH_readProfile(bytes.data(), uchar(profileNo)) ||
                      hid.hid_8CH_readProfile(bytes.data(), uchar(profileNo));
    unread[profileNo] = !read;
    if (read)
        return;
    qCWarning(lcView).noquote() << "profile block" << profileNo
                                << "could not be read from the mouse: it will not be written back";
    if (!unreadNoticeShown) {
        unreadNoticeShown = true;
        hid.showNotice(
            QStringLiteral("Profile %1 could not be read from the mouse; it keeps its settings there "
                           "until the mouse is read again")
                .arg(profileNo + 1));
    }
}

void DeviceBridge::writeProfileBlock(uint profileNo)
{
    if (!isBlockNumber(profileNo)) {
        qCDebug(lcView) << "ui_0CH_SetProfile: no profile block" << profileNo;
        return;
    }
    if (unread[profileNo]) {
        qCDebug(lcView) << "ui_0CH_SetProfile: block" << profileNo
                        << "was not read from the mouse, not written";
        return;
    }
    const ProfileBlock& bytes = block(int(profileNo));
    writeThrough(currentProfile(), kProfileDataPrefix + QString::number(profileNo),
                 intList(bytes.data(), profile_block::kLength));
    hid.hid_0CH_setProfile(bytes.data(), uchar(profileNo));
}

void DeviceBridge::markProfilesEnabled()
{
    ProfileBlock& first = block(0);
    // Without the mouse's own block 0, setting the marker would write zeros over everything else in it.
    if (unread[0] || first[profile_block::kEnabledMarker] == profile_block::kEnabled)
        return;
    first[profile_block::kEnabledMarker] = profile_block::kEnabled;
    writeProfileBlock(0);
}

void DeviceBridge::writePageBlocks()
{
    for (int profileNo = 0; profileNo < profile_block::kPageBlocks; ++profileNo)
        writeProfileBlock(uint(profileNo));
}

// ---- application profile ----

void DeviceBridge::selectProfile(int profile)
{
    if (profile == profiles.currentProfile())
        return;
    // The store has ten profile files; remembering a number it refuses would start the next run on a
    // profile that does not exist.
    if (profile < 0 || profile >= ProfileStore::kSlots) {
        qCDebug(lcView) << "ui_02H_SetCurrentProfile: no profile" << profile;
        return;
    }
    profiles.setCurrentProfile(profile);
    config.setProfileNumber(uint(profile));
}

void DeviceBridge::setDeviceKeyTableNumber(uchar keyMatrixNo)
{
    hid.hid_02H_SetCurrentProfile(keyMatrixNo);
}

// ---- report rate, both families ----

void DeviceBridge::setReportRate(uchar rate)
{
    // The mouse's rate is read back from the profile, the keyboard's from the device.
    if (hid.currentDevice() == deviceIndex(DeviceFamily::Mouse))
        writeThrough(currentProfile(), kReportRateKey, int(rate));
    hid.hid_03H_SetReportRate(rate);
}

int DeviceBridge::reportRate()
{
    switch (hid.currentDevice()) {
    case deviceIndex(DeviceFamily::Keyboard): {
        uchar rate = 0;
        hid.hid_83H_GetReportRate(rate);
        return rate;
    }
    case deviceIndex(DeviceFamily::Mouse):
        // The polling interval in ms the page can show: 1, 2, 4 or 8.
        return profiles.loadedChoice(kReportRateKey, {1, 2, 4, 8});
    default:
        return 0; // the device table has no other entries
    }
}

// ---- questions ----

bool DeviceBridge::confirmChange()
{
    if (!hooks.askOkCancel)
        return false;
    const QStringList messages = hooks.messages ? hooks.messages() : QStringList();
    return hooks.askOkCancel(messageAt(messages, message_list::kConfirmChangeTitle),
                             messageAt(messages, message_list::kConfirmChangeText));
}

std::function<bool(const QString& title, const QString& text)> makeQtOkCancelQuestion(QWidget* parent)
{
    return [window = QPointer<QWidget>(parent)](const QString& title, const QString& text) {
        return QMessageBox::warning(window, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                    QMessageBox::Cancel) == QMessageBox::Ok;
    };
}

// ---- shared helpers ----

namespace bridge_values {

uchar byteAt(const QList<int>& values, int index)
{
    return index < values.size() ? uchar(values.at(index) & 0xFF) : uchar(0);
}

QVariantList intList(const uchar* bytes, int count)
{
    QVariantList values;
    values.reserve(count);
    for (int i = 0; i < count; ++i)
        values.append(int(bytes[i]));
    return values;
}

QVariantList intList(const QList<int>& values)
{
    QVariantList stored;
    stored.reserve(values.size());
    for (const int value : values)
        stored.append(value);
    return stored;
}

QList<uint> storedUIntList(const QSettings& settings, const QString& key)
{
    QList<uint> values;
    const QVariantList stored = storedList(settings, key);
    for (const QVariant& value : stored)
        values.append(value.toUInt());
    return values;
}

} // namespace bridge_values
