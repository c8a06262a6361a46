#pragma once

// The updater's window and its flow: it checks data.bin, waits for the mouse, switches it into its
// bootloader, then erases, blank-checks, programs, verifies and locks the flash and restarts the mouse,
// retrying a failed bootloader run twice. After one success every mouse plugged in later in user mode is
// updated by itself. Everything runs on the GUI thread; the flow stays responsive through the event
// processing after each page and status change and through single-shot timers, so device notifications
// may arrive in the middle of a run.

#include "firmware_file.h"
#include "isp_library.h"
#include "updater_hid.h"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace j2::update {

class Widget : public QWidget
{
    Q_OBJECT
public:
    // The status line's fixed texts, by number.
    enum Status
    {
        kConnected,
        kReadyToUpdate,
        kDisconnect,
        kEnteringBootloader,
        kErasing,
        kProgramming,
        kVerifying,
        kSuccess,
        kFail,
        kStatusCount
    };
    static const char* const kStatusTexts[kStatusCount];

    // Where the flow stands.
    enum class UpdateState
    {
        NotReady = -1, // data.bin refused, or the flow failed for good
        Idle = 0,
        UserModePresent = 1,
        BootloaderPresent = 2,
        Done = 3
    };
    Q_ENUM(UpdateState)

    // How long the flow waits, in milliseconds: the Windows-style pauses between device steps and the
    // timers that restart it.
    static constexpr int kAutoStartDelayMs = 3000;
    static constexpr int kRetryDelayMs = 5000;
    static constexpr int kMaxRetries = 2;
    static constexpr int kEntryAttempts = 4;
    static constexpr int kEntryRetryPauseMs = 300;
    static constexpr int kBootloaderSwitchPauseMs = 30;
    static constexpr int kConnectPauseMs = 30;
    static constexpr int kVerifyPauseMs = 100;
    static constexpr int kExecutePauseMs = 10;
    static constexpr int kSwitchToUserPauseMs = 50;
    static constexpr int kExecuteMode = 2;

    Widget(std::shared_ptr<hid::Backend> backend, const QString& firmwarePath, QWidget* parent = nullptr);
    ~Widget() override;

    // The flow's state, as the window keeps it.
    UpdateState updateState = UpdateState::NotReady;
    UpdaterHid::Face deviceIndex = UpdaterHid::Face::NoDevice;
    bool autoStart = false;
    int retryCount = 0;

    QString statusText() const;
    int progress() const;
    int progressMaximum() const;
    QString checksumText() const;
    bool updateEnabled() const;
    bool exitEnabled() const;

public slots:
    // One step of the flow; the Update button and the flow's own timers call it.
    void updateProc();
    void deviceChangeProc(j2::update::UpdaterHid::Face index);
    // A device came or went somewhere: which of ours is present now decides between arrival and removal.
    void devicesChanged();

signals:
    void deviceChange(j2::update::UpdaterHid::Face deviceIndex);

private:
    void buildWindow();
    bool loadFirmware(const QString& firmwarePath);
    void showStatus(Status status);
    void setProgress(int value);
    void runUserMode();
    void runBootloader();
    // Ends a failed bootloader run: a new run after a pause, or the end after the last retry.
    void failRun(const char* error);
    // Whose bootloader is connected: the device data.bin names, another one, or unknown (it did not say).
    enum class BootloaderOwner
    {
        FirmwareDevice,
        OtherDevice,
        Unknown
    };
    BootloaderOwner bootloaderOwner();
    // Ends the flow for good without writing: the device in the bootloader is not the one data.bin is for.
    void refuseDevice();
    static void pause(int milliseconds);

    UpdaterHid hid;
    isp::IspLibrary isp;
    FirmwareImage firmware;
    quint32 pageSize = 0;
    quint32 pageCount = 0;

    QProgressBar* progressBar = nullptr;
    QLabel* statusLabel = nullptr;
    QLineEdit* checksumField = nullptr;
    QPushButton* updateButton = nullptr;
    QPushButton* exitButton = nullptr;
};

} // namespace j2::update
