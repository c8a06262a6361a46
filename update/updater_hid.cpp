#include "updater_hid.h"

#include "bootloader_protocol.h"
#include "settle.h"
#include "update_log.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace j2::update {

namespace {

using wire::kFeatureReportSize;

struct DeviceIds
{
    quint16 vendorId;
    quint16 productId;
    quint16 usagePage;
    quint16 usage;
    int reportLength;
};

// The two faces of the mouse, in index order: user mode, then the bootloader. The user-mode ids are replaced
// by those data.bin names.
constexpr std::array<DeviceIds, UpdaterHid::kDeviceCount> kDeviceTable = {{
    {.vendorId = UpdaterHid::kDefaultVendorId,
     .productId = UpdaterHid::kDefaultProductId,
     .usagePage = 0xFF00,
     .usage = 0xFF00,
     .reportLength = 32},
    {.vendorId = wire::boot::kVendorId,
     .productId = wire::boot::kProductId,
     .usagePage = wire::boot::kUsagePage,
     .usage = wire::boot::kUsage,
     .reportLength = int(wire::boot::kReportSize)},
}};

// Bytes 1..6 of the secrecy code are the six characters; in the block they sit at the same positions.
constexpr std::size_t kCodeFirst = 1;
constexpr std::size_t kCodeLast = 6;

QByteArray hexBytes(const std::uint8_t* bytes, std::size_t count)
{
    return QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(count)).toHex(' ').toUpper();
}

} // namespace

UpdaterHid::UpdaterHid(std::shared_ptr<hid::Backend> hidBackend) : backend(std::move(hidBackend))
{
    for (std::size_t index = 0; index < devices.size(); ++index) {
        const DeviceIds& ids = kDeviceTable[index];
        devices[index] = {ids.vendorId, ids.productId, ids.usagePage, ids.usage, ids.reportLength, {}};
    }
}

void UpdaterHid::setUserModeIds(quint16 vendorId, quint16 productId)
{
    UpdaterDevice& userMode = devices[std::size_t(Face::UserMode)];
    userMode.vendorId = vendorId;
    userMode.productId = productId;
    userMode.path.clear();
}

UpdaterHid::Face UpdaterHid::findDeviceIndex()
{
    Face found = Face::NoDevice;
    for (const Face face : {Face::UserMode, Face::BootLoader})
        if (lookUp(face))
            found = face;
    return found;
}

bool UpdaterHid::waitDeviceFree()
{
    for (int round = 0; round < kTokenWaitRounds; ++round) {
        bool expected = true;
        if (deviceFree.compare_exchange_strong(expected, false))
            return true;
        QThread::msleep(kTokenWaitSleepMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return false;
}

void UpdaterHid::buildRequest(const UpdaterCommand& command)
{
    sendReport.fill(0);
    sendReport[wire::kReportIdOffset] = wire::kReportId;
    sendReport[wire::kCommandOffset] = command.code;
    std::copy(command.arguments.begin(), command.arguments.end(),
              sendReport.begin() + wire::kFirstArgumentOffset);
    wire::setChecksum(sendReport);
    recvReport.fill(0);
}

bool UpdaterHid::lookUp(Face face)
{
    UpdaterDevice& device = devices[std::size_t(face)];
    device.path.clear();
    if (!backend)
        return false;
    for (const hid::DeviceInfo& info : backend->enumerate(device.vendorId, device.productId)) {
        // One node may carry several collections; only the exact usage pair is ours.
        if (info.usagePage == device.usagePage && info.usage == device.usage)
            device.path = QString::fromStdString(info.path);
    }
    return !device.path.isEmpty();
}

hid::Device* UpdaterHid::openHandle(Face face)
{
    UpdaterDevice& device = devices[std::size_t(face)];
    if (!backend)
        return nullptr;
    handle.reset();
    // A path forgotten after an earlier failure is looked up again rather than giving up until replugging.
    if (device.path.isEmpty())
        lookUp(face);
    if (!device.path.isEmpty())
        handle = backend->openPath(device.path.toStdString());
    if (!handle && !device.path.isEmpty()) {
        // One failed open must not leave the device unusable: look it up once more and try its collection
        // as it is listed now.
        qCDebug(lcUpdate).noquote() << "open failed:" << device.path << "- looking the device up again";
        if (lookUp(face))
            handle = backend->openPath(device.path.toStdString());
    }
    if (!handle) {
        // Gone until the next look-up finds it again.
        device.path.clear();
        return nullptr;
    }
    handle->setNonblocking(false);
    return handle.get();
}

bool UpdaterHid::finishExchange(bool result)
{
    handle.reset();
    deviceFree.store(true);
    return result;
}

bool UpdaterHid::sendRequest()
{
    if (openHandle(Face::UserMode) == nullptr)
        return finishExchange(false);
    if (encode)
        wire::scramble(sendReport.data() + wire::kCommandOffset, code);
    hid::Device* device = openHandle(Face::UserMode);
    if (device == nullptr || device->sendFeatureReport(sendReport.data(), kFeatureReportSize) < 0)
        return finishExchange(false);
    return true;
}

bool UpdaterHid::exchangeRead()
{
    if (!sendRequest())
        return false;
    wire::FeatureReport reply{};
    hid::Device* device = openHandle(Face::UserMode);
    if (device == nullptr || device->getFeatureReport(reply.data(), kFeatureReportSize) < 0)
        return finishExchange(false);
    recvReport = reply;
    if (encode)
        wire::descramble(recvReport.data() + wire::kCommandOffset, code);
    return finishExchange(true);
}

bool UpdaterHid::exchangeWrite(bool settle)
{
    if (!sendRequest())
        return false;
    if (settle)
        wire::settleDelay(settleFlag);
    return finishExchange(true);
}

bool UpdaterHid::readSecrecyCode()
{
    if (!waitDeviceFree()) {
        qCDebug(lcUpdate, "cmd Failed 00");
        return false;
    }
    // The query only works in plain: a scrambling device answers a plain zero challenge with its code, but
    // would descramble a scrambled one into nothing telling. So a second query after a first one that
    // switched scrambling on still goes out plain.
    encode = false;
    code.fill(0);
    buildRequest(kGetSecrecyCode);
    if (!exchangeRead()) {
        qCDebug(lcUpdate, "cmd Failed 00");
        return false;
    }
    qCDebug(lcUpdate).noquote() << "data" << hexBytes(recvReport.data(), recvReport.size());

    const bool plain =
        std::all_of(recvReport.begin() + kPlainCheckFirst, recvReport.begin() + kPlainCheckLast + 1,
                    [](std::uint8_t byte) { return byte == 0; });
    if (plain)
        return true;

    wire::Block block{};
    std::copy_n(recvReport.begin() + wire::kCommandOffset, block.size(), block.begin());
    wire::removeAddendsAndRotation(block.data());
    qCDebug(lcUpdate).noquote() << "data1" << hexBytes(block.data(), block.size());
    std::copy(block.begin() + kCodeFirst, block.begin() + kCodeLast + 1, code.begin() + kCodeFirst);
    qCDebug(lcUpdate).noquote() << "Secret" << hexBytes(code.data() + kCodeFirst, kCodeLast - kCodeFirst + 1);
    encode = true;
    return true;
}

bool UpdaterHid::enterBootLoader(Face present)
{
    if (!waitDeviceFree()) {
        qCDebug(lcUpdate, "enterBootLoader fail");
        return false;
    }
    if (present == Face::BootLoader) {
        // Nothing to send, so nothing else will give the token back.
        deviceFree.store(true);
        return true;
    }
    buildRequest(kEnterBootLoader);
    exchangeWrite(kEnterBootLoader.settle);
    QThread::msleep(kEntryCheckPauseMs);

    if (!waitDeviceFree()) {
        qCDebug(lcUpdate, "cmd Failed");
        return false;
    }
    buildRequest(kGetBootLoaderState);
    return exchangeRead() && recvReport[kEntryStateOffset] == kEntryTaken;
}

} // namespace j2::update
