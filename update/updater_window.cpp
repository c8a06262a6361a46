#include "updater_window.h"

#include "firmware_check.h"
#include "update_log.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace j2::update {

namespace {

// Every step of a bootloader run, with the text that names its failure on the debug output.
constexpr const char* kEraseError = "Erase Error";
constexpr const char* kBlankCheckError = "BlankCheck Error";
constexpr const char* kProgramError = "Program Error";
constexpr const char* kVerifyError = "Verify Error";
constexpr const char* kLockError = "Lock Error";

} // namespace

const char* const Widget::kStatusTexts[kStatusCount] = {"Connected to the Device!",
                                                        "Ready To Update!",
                                                        "Disconnect the Device!",
                                                        "Enter the bootloader mode...",
                                                        "Erase ...",
                                                        "Program ...",
                                                        "Verify ...",
                                                        "Update Success!",
                                                        "Update Fail!"};

Widget::Widget(std::shared_ptr<hid::Backend> backend, const QString& firmwarePath, QWidget* parent)
    : QWidget(parent), hid(backend), isp(backend)
{
    buildWindow();
    connect(this, &Widget::deviceChange, this, &Widget::deviceChangeProc);
    if (!loadFirmware(firmwarePath))
        return;
    updateState = UpdateState::Idle;
    showStatus(kDisconnect);
    deviceIndex = hid.findDeviceIndex();
    emit deviceChange(deviceIndex);
    progressBar->setRange(0, int(3 * pageCount + 2));
}

Widget::~Widget() = default;

void Widget::buildWindow()
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setPointSize(10);
    setFont(font);

    progressBar = new QProgressBar;
    progressBar->setMinimumSize(263, 27);
    progressBar->setTextVisible(false);
    progressBar->setValue(0);
    statusLabel = new QLabel(QStringLiteral("Error:"));
    statusLabel->setMinimumHeight(24);

    auto* checksumLabel = new QLabel(QStringLiteral("CS:"));
    checksumLabel->setMinimumHeight(18);
    checksumField = new QLineEdit;
    checksumField->setMinimumSize(36, 24);
    checksumField->setMaximumWidth(58);
    checksumField->setFocusPolicy(Qt::NoFocus);
    checksumField->setReadOnly(true);
    updateButton = new QPushButton(QStringLiteral("Update"));
    updateButton->setMinimumSize(70, 30);
    updateButton->setEnabled(false);
    exitButton = new QPushButton(QStringLiteral("Exit"));
    exitButton->setMinimumSize(70, 30);

    auto* row = new QHBoxLayout;
    row->addWidget(checksumLabel);
    row->addWidget(checksumField);
    row->addSpacing(12);
    row->addWidget(updateButton);
    row->addWidget(exitButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(progressBar);
    column->addWidget(statusLabel);
    column->addLayout(row);

    connect(updateButton, &QPushButton::clicked, this, &Widget::updateProc);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
}

// Reads and checks data.bin; the window title comes from its header even when the rest is refused.
bool Widget::loadFirmware(const QString& firmwarePath)
{
    const FirmwareLoad load = loadFirmwareFile(firmwarePath);
    if (load.hasTitle)
        setWindowTitle(load.firmware.title);
    if (!load.accepted())
        return false;
    firmware = load.firmware;
    hid.setUserModeIds(firmware.vendorId, firmware.productId);

    quint16 shown = 0;
    const bool accepted = acceptFirmware(isp, firmware, &shown);
    checksumField->setText(QString::number(shown, 16).toUpper());
    isp::DeviceInfo info;
    if (isp.GetMCUInfo(&info) != 0) {
        pageSize = info.pageSize;
        pageCount = info.pageCount;
    }
    return accepted && pageCount > 0;
}

QString Widget::statusText() const
{
    return statusLabel->text();
}

int Widget::progress() const
{
    return progressBar->value();
}

int Widget::progressMaximum() const
{
    return progressBar->maximum();
}

QString Widget::checksumText() const
{
    return checksumField->text();
}

bool Widget::updateEnabled() const
{
    return updateButton->isEnabled();
}

bool Widget::exitEnabled() const
{
    return exitButton->isEnabled();
}

void Widget::showStatus(Status status)
{
    statusLabel->setText(QString::fromUtf8(kStatusTexts[status]));
    // Also on the debug output, so that a terminal or the journal follows an update.
    qCDebug(lcUpdate).noquote() << "status:" << statusLabel->text();
}

void Widget::setProgress(int value)
{
    progressBar->setValue(value);
}

void Widget::pause(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void Widget::devicesChanged()
{
    const UpdaterHid::Face present = hid.findDeviceIndex();
    if (present == UpdaterHid::Face::NoDevice) {
        deviceIndex = UpdaterHid::Face::NoDevice;
        emit deviceChange(deviceIndex);
    } else if (present != deviceIndex) {
        deviceIndex = present;
        emit deviceChange(deviceIndex);
    }
}

void Widget::deviceChangeProc(UpdaterHid::Face index)
{
    qCDebug(lcUpdate) << "Device" << int(index) << int(updateState);
    switch (updateState) {
    case UpdateState::Idle:
        if (index == UpdaterHid::Face::UserMode) {
            updateState = UpdateState::UserModePresent;
            if (autoStart) {
                QTimer::singleShot(kAutoStartDelayMs, Qt::PreciseTimer, this, &Widget::updateProc);
            } else {
                updateButton->setEnabled(true);
                showStatus(kConnected);
            }
        } else if (index == UpdaterHid::Face::BootLoader) {
            updateState = UpdateState::BootloaderPresent;
            updateButton->setEnabled(true);
            showStatus(kReadyToUpdate);
        }
        break;
    case UpdateState::UserModePresent:
        if (index == UpdaterHid::Face::BootLoader) {
            updateState = UpdateState::BootloaderPresent;
            showStatus(kReadyToUpdate);
            QCoreApplication::processEvents();
            pause(kBootloaderSwitchPauseMs);
            updateButton->setEnabled(true);
            updateButton->click();
        }
        break;
    case UpdateState::Done:
        if (index == UpdaterHid::Face::UserMode) {
            updateState = UpdateState::Idle;
            autoStart = true;
        }
        break;
    default:
        break;
    }
}

void Widget::updateProc()
{
    if (updateState == UpdateState::UserModePresent)
        runUserMode();
    else if (updateState == UpdateState::BootloaderPresent)
        runBootloader();
}

void Widget::runUserMode()
{
    if (deviceIndex != UpdaterHid::Face::UserMode) {
        QTimer::singleShot(kRetryDelayMs, Qt::PreciseTimer, this, &Widget::updateProc);
        return;
    }
    // An automatic run skips the code query and keeps the scrambling of the mouse before. Another mouse may
    // scramble differently and refuse the entry on its checksum: then its code is read after all.
    bool codeRead = !autoStart;
    if (!autoStart) {
        if (!hid.readSecrecyCode())
            return;
    } else {
        autoStart = false;
    }
    setProgress(1);
    showStatus(kEnteringBootloader);
    QCoreApplication::processEvents();
    for (int attempt = 0; attempt < kEntryAttempts; ++attempt) {
        // The mouse re-enumerates as its bootloader; the device notification moves the flow on.
        if (hid.enterBootLoader(deviceIndex))
            return;
        if (!codeRead)
            codeRead = hid.readSecrecyCode();
        pause(kEntryRetryPauseMs);
    }
    pause(kEntryRetryPauseMs);
    // The user may try again: an automatic run would otherwise leave the window waiting with Update off.
    qCDebug(lcUpdate, "enterBootLoader fail");
    updateButton->setEnabled(true);
    showStatus(kConnected);
}

void Widget::runBootloader()
{
    updateButton->setEnabled(false);
    exitButton->setEnabled(false);
    QCoreApplication::processEvents();

    const int connected = isp.ConnectToBootloader();
    pause(kConnectPauseMs);
    const int loaded = isp.LoadProgdata(reinterpret_cast<const std::uint8_t*>(firmware.image.constData()),
                                        std::uint32_t(firmware.image.size()), nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr);
    if (connected != 0 || loaded != 0) {
        failRun(nullptr);
        return;
    }
    // A wrong image must never be written: nothing is erased before the bootloader names our device.
    switch (bootloaderOwner()) {
    case BootloaderOwner::FirmwareDevice:
        break;
    case BootloaderOwner::OtherDevice:
        refuseDevice();
        return;
    case BootloaderOwner::Unknown:
        failRun(nullptr);
        return;
    }

    const int pages = int(pageCount);
    showStatus(kErasing);
    for (int page = 0; page < pages; ++page) {
        const int result = isp.EraseByPage(std::uint16_t(page), 1, 0);
        setProgress(page + 1);
        QCoreApplication::processEvents();
        if (result != 0) {
            failRun(kEraseError);
            return;
        }
    }
    if (isp.BlankCheck(0) != 0) {
        failRun(kBlankCheckError);
        return;
    }

    showStatus(kProgramming);
    for (int page = 0; page < pages; ++page) {
        const int result =
            isp.PartialProgram(std::uint16_t(pageSize * quint32(page)), std::uint16_t(pageSize));
        setProgress(pages + page + 1);
        QCoreApplication::processEvents();
        if (result != 0) {
            failRun(kProgramError);
            return;
        }
    }

    showStatus(kVerifying);
    int verified = 0;
    for (int page = 0; page < pages && verified == 0; ++page) {
        verified = isp.VerifyByPage(std::uint16_t(page), 1, 0);
        setProgress(2 * pages + page + 1);
        QCoreApplication::processEvents();
    }
    pause(kVerifyPauseMs);
    if (verified != 0) {
        failRun(kVerifyError);
        return;
    }

    const int executed = isp.ExecuteProgramFrom(kExecuteMode);
    pause(kExecutePauseMs);
    if (executed != 0 || isp.LockAll() == 0) {
        failRun(kLockError);
        return;
    }

    isp.SwitchToUserProgram();
    pause(kSwitchToUserPauseMs);
    isp.DisConnectBootloader();
    exitButton->setEnabled(true);
    updateState = UpdateState::Done;
    retryCount = 0;
    qCDebug(lcUpdate) << "Update Success";
    showStatus(kSuccess);
    setProgress(3 * pages + 2);
}

Widget::BootloaderOwner Widget::bootloaderOwner()
{
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    const int result = isp.GetUserProgramIds(&vendorId, &productId);
    if (result != 0) {
        qCDebug(lcUpdate) << "cannot ask the bootloader which device it belongs to, result" << result;
        return BootloaderOwner::Unknown;
    }
    if (vendorId == firmware.vendorId && productId == firmware.productId)
        return BootloaderOwner::FirmwareDevice;
    qCDebug(lcUpdate).noquote() << QStringLiteral(
                                       "data.bin is for %1:%2, but the bootloader belongs to %3:%4: not "
                                       "programming it")
                                       .arg(firmware.vendorId, 4, 16, QLatin1Char('0'))
                                       .arg(firmware.productId, 4, 16, QLatin1Char('0'))
                                       .arg(vendorId, 4, 16, QLatin1Char('0'))
                                       .arg(productId, 4, 16, QLatin1Char('0'));
    return BootloaderOwner::OtherDevice;
}

void Widget::refuseDevice()
{
    isp.DisConnectBootloader();
    exitButton->setEnabled(true);
    updateButton->setEnabled(false);
    showStatus(kFail);
    updateState = UpdateState::NotReady;
}

void Widget::failRun(const char* error)
{
    if (error != nullptr)
        qCDebug(lcUpdate) << error;
    isp.DisConnectBootloader();
    ++retryCount;
    if (retryCount <= kMaxRetries) {
        QTimer::singleShot(kRetryDelayMs, Qt::PreciseTimer, this, &Widget::updateProc);
        return;
    }
    exitButton->setEnabled(true);
    showStatus(kFail);
    qCDebug(lcUpdate) << "Update fail";
    updateState = UpdateState::NotReady;
}

} // namespace j2::update
