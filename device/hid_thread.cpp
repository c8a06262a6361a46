#include "hid_thread.h"

#include "device_flags.h"
#include "device_log.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <vector>

using j2::wire::kFeatureReportSize;
using j2::wire::kMaxBulkLength;

namespace {

// Only the mouse record is looked up among the attached devices.
constexpr int kMouseEntry = deviceIndex(DeviceFamily::Mouse);

} // namespace

Hid_Thread::Hid_Thread(std::shared_ptr<j2::hid::Backend> hidBackend, QObject* parent)
    : QThread(parent), backend(std::move(hidBackend))
{
    Q_ASSERT(backend);
    watchPool.setMaxThreadCount(1);
}

Hid_Thread::~Hid_Thread()
{
    stopNotificationWatch();
    waitForPendingWrite();
}

void Hid_Thread::setDeviceTable(const DevInfoList& table)
{
    QList<HidDeviceEntry> entries;
    entries.reserve(table.size());
    for (int i = 0; i < table.size(); ++i) {
        const DevInfo& record = table.at(i);
        entries.append({i, record.product_name, record.type, {}, {}, static_cast<int>(record.reportLength)});
    }
    if (table.size() > kMouseEntry) {
        const DevInfo& mouse = table.at(kMouseEntry);
        QString control;
        QString notify;
        for (const j2::hid::DeviceInfo& info : backend->enumerate(mouse.vid, mouse.pid)) {
            // One node may carry several collections; only the exact usage pair identifies the interface.
            if (info.usagePage == mouse.usagePage && info.usage == mouse.usage)
                control = QString::fromStdString(info.path);
            if (info.usagePage == mouse.usagePage2 && info.usage == mouse.usage2)
                notify = QString::fromStdString(info.path);
            if (!control.isEmpty() && !notify.isEmpty()) {
                entries[kMouseEntry].controlPath = control;
                entries[kMouseEntry].notifyPath = notify;
            }
        }
    }
    QMutexLocker lock(&listMutex);
    deviceList = entries;
}

QList<HidDeviceEntry> Hid_Thread::devices() const
{
    QMutexLocker lock(&listMutex);
    return deviceList;
}

QString Hid_Thread::controlPathOf(int did) const
{
    QMutexLocker lock(&listMutex);
    return did >= 0 && did < deviceList.size() ? deviceList.at(did).controlPath : QString();
}

int Hid_Thread::reportLengthOf(int did) const
{
    QMutexLocker lock(&listMutex);
    return did >= 0 && did < deviceList.size() ? deviceList.at(did).reportLength : 0;
}

void Hid_Thread::forgetControlPath(int did)
{
    QMutexLocker lock(&listMutex);
    if (did >= 0 && did < deviceList.size())
        deviceList[did].controlPath.clear();
}

j2::hid::Device* Hid_Thread::openControlHandle(int did)
{
    const QString path = controlPathOf(did);
    if (path.isEmpty())
        return nullptr;
    // One open per exchange, closed when it ends. A hidraw node hands each input report only to the files
    // open when it arrives; where the node also carries the notification collection, the watch's file is
    // open all along and takes the bulk reports a handle reopened after the request would miss.
    if (controlHandle)
        return controlHandle.get();
    j2::hid::OpenFailure failure;
    controlHandle = backend->openPath(path.toStdString(), failure);
    if (!controlHandle) {
        reportFailedOpen(failure);
        // The device counts as gone until the next device check rebuilds the table.
        forgetControlPath(did);
        return nullptr;
    }
    controlHandle->setNonblocking(false);
    return controlHandle.get();
}

j2::hid::Device* Hid_Thread::openNotifyHandle(int did)
{
    QString path;
    {
        QMutexLocker lock(&listMutex);
        if (did >= 0 && did < deviceList.size())
            path = deviceList.at(did).notifyPath;
    }
    if (path.isEmpty())
        return nullptr;
    closeNotifyHandle();
    j2::hid::OpenFailure failure;
    notifyHandle = backend->openPath(path.toStdString(), failure);
    if (!notifyHandle) {
        reportFailedOpen(failure);
        return nullptr;
    }
    notifyHandle->setNonblocking(false);
    return notifyHandle.get();
}

void Hid_Thread::reportFailedOpen(const j2::hid::OpenFailure& failure)
{
    if (!failure.reason.empty())
        qCDebug(lcDevice).noquote() << "open failed:" << QString::fromStdString(failure.reason);
    // Once per run: the notice says how to fix it, and repeating it at every device check would nag.
    if (!failure.permissionDenied || owner == nullptr || refusedOpenReported.exchange(true))
        return;
    owner->showTrayMessage(
        QStringLiteral("Info"),
        QString::fromLatin1(kRefusedOpenNotice).arg(QString::fromStdString(failure.reason)));
}

void Hid_Thread::closeControlHandle()
{
    controlHandle.reset();
}

void Hid_Thread::closeNotifyHandle()
{
    notifyHandle.reset();
}

bool Hid_Thread::waitDeviceFree()
{
    for (int round = 0; round < kTokenWaitRounds; ++round) {
        bool expected = true;
        if (deviceFree.compare_exchange_strong(expected, false)) {
            takeExchangeSnapshot();
            return true;
        }
        QThread::msleep(kTokenWaitSleepMs);
        // Other slots, other commands among them, may run nested here; that is how the GUI stays alive.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return false;
}

void Hid_Thread::takeExchangeSnapshot()
{
    exchangeDevice = curDevice.load();
    exchangeEncode = isEncode.load();
    exchangeCode = secrecyCode;
}

void Hid_Thread::waitForPendingWrite()
{
    pendingWrite.waitForFinished();
}

bool Hid_Thread::finishExchange(bool result)
{
    closeControlHandle();
    deviceFree.store(true);
    return result;
}

bool Hid_Thread::failExchange()
{
    // Whether the device is still there is what a fresh open tells; a device that has gone is forgotten
    // until the next device check, as after any failed open.
    closeControlHandle();
    openControlHandle(exchangeDevice);
    return finishExchange(false);
}

bool Hid_Thread::refuseExchange()
{
    if (isDemoMode.load() || openControlHandle(exchangeDevice) == nullptr) {
        finishExchange(false);
        return true;
    }
    return false;
}

void Hid_Thread::settleDelay()
{
    j2::wire::settleDelay(settleFlag);
}

bool Hid_Thread::sendRequest(int bulkLength)
{
    if (refuseExchange())
        return false;
    if (bulkLength < 0 || bulkLength > static_cast<int>(kMaxBulkLength))
        return finishExchange(false);
    if (exchangeEncode)
        j2::wire::scramble(sendReport.data() + 1, exchangeCode);
    j2::hid::Device* device = openControlHandle(exchangeDevice);
    if (device == nullptr || device->sendFeatureReport(sendReport.data(), kFeatureReportSize) < 0)
        return failExchange();
    return true;
}

bool Hid_Thread::exchangeRead(int bulkLength)
{
    if (!sendRequest(bulkLength))
        return false;

    // A failed get must leave the prefilled reply alone, so the reply lands in its own buffer first.
    j2::wire::FeatureReport reply{};
    reply[j2::wire::kReportIdOffset] = j2::wire::kReportId;
    j2::hid::Device* device = openControlHandle(exchangeDevice);
    if (device == nullptr || device->getFeatureReport(reply.data(), kFeatureReportSize) < 0)
        return failExchange();
    recvReport = reply;
    // Decoded whether a bulk phase follows or not: a scrambling mouse scrambles every reply, and 91H takes
    // its stage count from the reply that opens its bulk phase.
    if (exchangeEncode)
        j2::wire::descramble(recvReport.data() + 1, exchangeCode);
    if (bulkLength == 0)
        return finishExchange(true);

    // A table without a report length would never move the phase forward.
    const int reportLength = reportLengthOf(exchangeDevice);
    if (reportLength <= 0)
        return finishExchange(false);
    const int chunk = std::min(bulkLength, reportLength);
    std::vector<uchar> report(static_cast<std::size_t>(reportLength) + 1);
    // The caller's buffer is replaced only by a complete bulk phase, never by half of one.
    auto staged = transferBuffer;
    for (int offset = 0; offset < bulkLength; offset += chunk) {
        std::fill(report.begin(), report.end(), 0);
        device = openControlHandle(exchangeDevice);
        // Bounded: a device that stops answering mid-phase must not hang the GUI thread.
        if (device == nullptr || device->readTimeout(report.data(), report.size(), kBulkReadTimeoutMs) <= 0)
            return failExchange();
        const int take = std::min(chunk, bulkLength - offset);
        std::copy_n(report.begin(), take, staged.begin() + offset);
    }
    transferBuffer = staged;
    return finishExchange(true);
}

bool Hid_Thread::exchangeWrite(int bulkLength, bool settle)
{
    if (!sendRequest(bulkLength))
        return false;
    if (settle)
        settleDelay();
    if (bulkLength == 0)
        return finishExchange(true);

    // A table without a report length would never move the phase forward.
    const int reportLength = reportLengthOf(exchangeDevice);
    if (reportLength <= 0)
        return finishExchange(false);
    const int chunk = std::min(bulkLength, reportLength);
    std::vector<uchar> report(static_cast<std::size_t>(reportLength) + 1);
    for (int offset = 0; offset < bulkLength; offset += chunk) {
        // Never copy past the caller's data: a short last chunk is padded with zeros.
        std::fill(report.begin(), report.end(), 0);
        report[0] = j2::wire::kReportId;
        const int take = std::min(chunk, bulkLength - offset);
        std::copy_n(transferBuffer.begin() + offset, take, report.begin() + 1);
        j2::hid::Device* device = openControlHandle(exchangeDevice);
        if (device == nullptr || device->write(report.data(), report.size()) < 0)
            return failExchange();
        QThread::msleep(kBulkReportGapMs);
    }
    if (settle)
        settleDelay();
    return finishExchange(true);
}

void Hid_Thread::buildRequest(std::uint8_t code, const j2::cmd::Offsets& offsets,
                              const j2::cmd::Constants& constants, std::initializer_list<uchar> arguments)
{
    sendReport.fill(0);
    sendReport[j2::wire::kReportIdOffset] = j2::wire::kReportId;
    sendReport[j2::wire::kCommandOffset] = code;
    std::size_t index = 0;
    for (uchar value : arguments) {
        const std::uint8_t offset = offsets.at(index++);
        if (offset != 0)
            sendReport[offset] = value;
    }
    for (const j2::cmd::ByteAt& constant : constants)
        if (constant.offset != 0)
            sendReport[constant.offset] = constant.value;
    j2::wire::setChecksum(sendReport);
}

void Hid_Thread::runWrite(const j2::cmd::WriteCommand& command, std::initializer_list<uchar> arguments,
                          const uchar* bulk, int bulkLength)
{
    if (command.bulkLength != j2::cmd::kBulkFromCall)
        bulkLength = command.bulkLength;
    if (!waitDeviceFree()) {
        qCDebug(lcDevice).noquote() << QLatin1String(command.busyText.data(), command.busyText.size());
        return;
    }
    buildRequest(command.code, command.arguments, command.constants, arguments);
    // The caller may reuse its buffer as soon as we return: the job works on its own copy.
    if (bulkLength > 0) {
        if (bulk != nullptr)
            std::copy_n(bulk, bulkLength, transferBuffer.begin());
        else
            std::fill_n(transferBuffer.begin(), bulkLength, 0);
    }
    pendingWrite = QtConcurrent::run(&Hid_Thread::exchangeWrite, this, bulkLength, command.settle);
    if (command.pauseMs > 0)
        QThread::msleep(static_cast<unsigned long>(command.pauseMs));
}

Hid_Thread::ReadOutcome Hid_Thread::runRead(const j2::cmd::ReadCommand& command,
                                            std::initializer_list<uchar> arguments,
                                            std::initializer_list<uchar*> outputs, uchar* bulk,
                                            int bulkLength)
{
    if (command.bulkLength != j2::cmd::kBulkFromCall)
        bulkLength = command.bulkLength;
    if (!waitDeviceFree()) {
        qCDebug(lcDevice).noquote() << QLatin1String(command.busyText.data(), command.busyText.size());
        return ReadOutcome::Busy;
    }
    buildRequest(command.code, command.arguments, command.constants, arguments);

    recvReport.fill(0);
    if (command.prefill == j2::cmd::Prefill::EchoArguments) {
        recvReport[j2::wire::kCommandOffset] = command.code;
        std::size_t index = 0;
        for (uchar value : arguments) {
            const std::uint8_t offset = command.arguments.at(index++);
            if (offset != 0)
                recvReport[offset] = value;
        }
        for (const j2::cmd::ByteAt& constant : command.prefillConstants)
            if (constant.offset != 0)
                recvReport[constant.offset] = constant.value;
        index = 0;
        for (uchar* output : outputs) {
            const std::uint8_t offset = command.prefillOffsets.at(index++);
            if (offset != 0)
                recvReport[offset] = *output;
        }
    }
    if (bulkLength > 0 && bulk != nullptr)
        std::copy_n(bulk, bulkLength, transferBuffer.begin());

    const bool done = exchangeRead(bulkLength);

    if (done || !command.onlyOnSuccess) {
        if (bulkLength > 0 && bulk != nullptr)
            std::copy_n(transferBuffer.begin(), bulkLength, bulk);
        std::size_t index = 0;
        for (uchar* output : outputs) {
            const std::uint8_t offset = command.replyOffsets.at(index++);
            if (offset != 0)
                *output = recvReport[offset];
        }
    }
    return done ? ReadOutcome::Done : ReadOutcome::Failed;
}
