// Selecting the device, the secrecy handshake that proves it answers, demo mode, and the watch that turns
// DPI-stage changes made on the mouse into tray notices.

#include "device_flags.h"
#include "device_log.h"
#include "hid_thread.h"

#include <QDateTime>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr std::uint8_t kNotifyReportId = 0x06;
constexpr std::uint8_t kNotifyDpiStage = 0x07;
constexpr std::size_t kNotifyStageOffset = 3;
constexpr std::size_t kNotifyLength = 4;
constexpr std::uint8_t kNotificationsOnBit = 0x08;
constexpr int kStages = 8;
// Stages 7 and 8 share the sixth notice text.
constexpr int kLastOwnNoticeText = 5;

} // namespace

void Hid_Thread::swichCurDevice(uint did)
{
    if (int(did) != curDevice.load()) {
        curDevice.store(int(did));
        startNotificationWatch(int(did));
    }
    chkDeviceIsEnCode();
}

void Hid_Thread::chkDeviceIsEnCode()
{
    const int did = curDevice.load();
    QString code;
    if (did == deviceIndex(DeviceFamily::Keyboard) || did == deviceIndex(DeviceFamily::Mouse))
        code = owner != nullptr ? owner->storedSecrecyCode(did) : QString::fromLatin1(kFactoryCode);
    const QByteArray codeBytes = code.toLatin1();
    j2::wire::loadSecrecyCode(secrecyCode, codeBytes.constData(), std::size_t(codeBytes.size()));

    QRandomGenerator random(static_cast<quint32>(QDateTime::currentSecsSinceEpoch()));
    std::array<uchar, 4> challenge{};
    for (uchar& byte : challenge)
        byte = static_cast<uchar>(random.generate() & 0xFF);
    std::array<uchar, 4> answer = challenge;
    hid_00H_GetSecrecyCode(answer[0], answer[1], answer[2], answer[3]);

    // With scrambling on both directions pass through the code, so only a device holding the same code
    // echoes the challenge back.
    if (answer == challenge) {
        qCDebug(lcDevice, "Device Connect");
        isDeviceFound = true;
        if (owner != nullptr)
            owner->showTrayMessage(QStringLiteral("Info"), QStringLiteral("Detect Mouse"));
        startNotificationWatch(did);
        return;
    }
    qCDebug(lcDevice, "Device Error");
    isDeviceFound = false;
    if (code == QLatin1String(kDemoCode)) {
        isDemoMode = true;
        isDeviceFound = true;
        isEncode = false;
    } else if (owner != nullptr) {
        owner->hideWindow();
    }
}

void Hid_Thread::startNotificationWatch(int did)
{
    stopNotificationWatch();
    uchar option = 0;
    uchar option2 = 0;
    hid_81H_GetKeyboardoption(option, option2);
    hid_01H_SetKeyboardoption(static_cast<uchar>(option | kNotificationsOnBit), option2);
    if (!readsNotifications)
        return;
    watchRunning = true;
    watchFuture = QtConcurrent::run(&watchPool, &Hid_Thread::watchNotifications, this, did);
}

void Hid_Thread::stopNotificationWatch()
{
    // Waiting on a watch that already ended by itself costs nothing, and it may still be on its way out.
    watchRunning = false;
    watchFuture.waitForFinished();
}

void Hid_Thread::forgetNotifyPath(int did)
{
    QMutexLocker lock(&listMutex);
    if (did >= 0 && did < deviceList.size())
        deviceList[did].notifyPath.clear();
}

void Hid_Thread::watchNotifications(int did)
{
    {
        QMutexLocker lock(&listMutex);
        if (did < 0 || did >= deviceList.size() || deviceList.at(did).notifyPath.isEmpty()) {
            // Nothing to watch: say so, or device changes would be ignored for good.
            watchRunning = false;
            return;
        }
    }
    while (watchRunning.load()) {
        j2::hid::Device* device = openNotifyHandle(did);
        if (device == nullptr) {
            qCDebug(lcDevice, "Device removed");
            forgetNotifyPath(did);
            watchRunning = false;
            return;
        }
        std::array<uchar, kNotifyLength> report{};
        const int got = device->readTimeout(report.data(), report.size(), kNotificationWaitMs);
        if (got == int(kNotifyLength) && report[0] == kNotifyReportId && report[1] == kNotifyDpiStage)
            announceStage(report[kNotifyStageOffset]);
        closeNotifyHandle();
    }
    closeNotifyHandle();
}

void Hid_Thread::showNotice(const QString& text)
{
    if (owner != nullptr)
        owner->showTrayMessage(QStringLiteral("Info"), text);
    else
        qCDebug(lcDevice).noquote() << text;
}

void Hid_Thread::announceStage(int stage)
{
    // A stage outside 1..8 has no DPI value to tell; such a report is dropped.
    if (stage < 1 || stage > kStages || owner == nullptr)
        return;
    const QString text = dpiNoticeText(std::min(stage - 1, kLastOwnNoticeText)) + QLatin1Char(' ') +
                         QString::number(dpiValues[std::size_t(stage - 1)].load());
    owner->showTrayMessage(QStringLiteral("Info"), text);
}
