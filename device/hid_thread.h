#pragma once

// The one object through which the program talks to the mouse. Every command is a 9-byte feature-report
// exchange, optionally followed by a bulk phase of interrupt reports. Reads run in the calling thread;
// writes run on the global thread pool and return at once. One token (`deviceFree`) serialises them.

#include "command_table.h"
#include "dev_info.h"
#include "hid_backend.h"
#include "hid_owner.h"
#include "report.h"
#include "settle.h"

#include <QFuture>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QThreadPool>

#include <array>
#include <atomic>
#include <initializer_list>
#include <memory>

struct HidDeviceEntry
{
    int index = 0;
    QString name;
    int type = -1;
    QString controlPath; // collection matching the record's first usage pair; empty when absent or gone
    QString notifyPath;  // collection matching the second usage pair
    int reportLength = 0;
};

class Hid_Thread : public QThread
{
    Q_OBJECT
public:
    // How long one bulk input report may take before the exchange gives up.
    static constexpr int kBulkReadTimeoutMs = 1000;
    static constexpr int kTokenWaitRounds = 255;
    static constexpr int kTokenWaitSleepMs = 8;
    static constexpr int kBulkReportGapMs = 8;
    static constexpr int kSettleHalfMs = j2::wire::kSettleHalfMs;
    static constexpr int kNotificationWaitMs = 500;
    // The stored code that puts the program into demo mode when no device answers.
    static constexpr const char* kDemoCode = "k-ravine";
    static constexpr const char* kFactoryCode = "260417";
    // The notice for a mouse whose node this user may not open; %1 is the HID library's own reason.
    static constexpr const char* kRefusedOpenNotice =
        "The mouse was found but cannot be opened: %1. Install the udev rule 70-j2-mouse.rules (README, "
        "\"Installing\") and plug the mouse in again.";

    // Talks through `backend` (never null), which the program's composition root chose: hidapi, the virtual
    // mouse daemon's socket or an in-process virtual mouse.
    explicit Hid_Thread(std::shared_ptr<j2::hid::Backend> backend, QObject* parent = nullptr);
    ~Hid_Thread() override;

    // The window that shows notices for us; not owned.
    void setOwner(HidOwner* window) { owner = window; }
    // Shows a tray notice through the window (from any thread); nothing without one.
    void showNotice(const QString& text);

    // Rebuilds the device entries from the device table and looks up the mouse's collections.
    void setDeviceTable(const DevInfoList& table);
    QList<HidDeviceEntry> devices() const;
    int currentDevice() const { return curDevice.load(); }
    void selectDevice(int did) { curDevice.store(did); }
    // False while an exchange holds the device; the scene keeps its busy lock until the writes it covers end.
    Q_INVOKABLE bool deviceIsFree() const { return deviceFree.load(); }

    // Claims the token, waiting a bounded time while the GUI keeps processing events.
    bool waitDeviceFree();
    bool exchangeRead(int bulkLength);
    bool exchangeWrite(int bulkLength, bool settle);
    void settleDelay();
    // Blocks until the last write started on the pool has ended.
    void waitForPendingWrite();

    // The notification watch: switches the device's notifications on and reads them on a thread of its own.
    void startNotificationWatch(int did);
    void stopNotificationWatch();
    bool isWatchRunning() const { return watchRunning.load(); }
    // Off: the notifications are switched on as always, but no thread reads them. For a program that only
    // changes settings and ends: stopping the reader waits out its read (kNotificationWaitMs). Set before the
    // device is selected.
    void setReadsNotifications(bool reads) { readsNotifications = reads; }

public slots:
    void swichCurDevice(uint did);
    void chkDeviceIsEnCode();

    uchar hidCS(const uchar* cmd);
    void USBDataEncryption(uchar* FIFOBuf, const uchar* SecrecyCode);
    void USBDataDecipher(uchar* FIFOBuf, const uchar* SecrecyCode);

    void hid_00H_GetSecrecyCode(uchar& byte1, uchar& byte2, uchar& byte3, uchar& byte4);

    // keyboard family
    void hid_03H_SetReportRate(uchar rate);
    void hid_02H_SetCurrentProfile(uchar profile);
    void hid_01H_SetKeyboardoption(uchar byte1, uchar byte2);
    void hid_04H_SetGunData(uchar par0, uchar par1, uchar par2, uchar par3, uchar par4);
    void hid_07H_SetControlIndicatorLight(uchar effect, uchar frequenty);
    void hid_08H_SetLEDType(uchar option, uchar effect, uchar speed, uchar light, uchar color,
                            uchar direction);
    void hid_09H_SetKeyboardMode(uchar mode);
    void hid_0DH_SetKeyMatrix(const uchar* src512);
    void hid_0EH_SetKeyOnOff(const uchar* src21);
    void hid_0EH_SetXYSensitive(uchar par0, uchar par1);
    void hid_11H_SetMacroKey(uchar macroId, const uchar* src192);
    void hid_12H_SetUserPicture(uchar index, uchar option, const uchar* src512);
    void hid_13H_SetRecoveryData();
    void hid_14H_SetColor(uchar index, uchar rValue, uchar gValue, uchar bValue);
    void hid_80H_GetFWVersion(QString& version);
    void hid_83H_GetReportRate(uchar& rate);
    void hid_82H_GetCurrentProfile(uchar& profile);
    void hid_81H_GetKeyboardoption(uchar& byte1, uchar& byte2);
    void hid_84H_GetButtonSensitivity(uchar& sens1, uchar& sens2, uchar& sens3, uchar& sens4);
    void hid_88H_GetLEDType(uchar& effect, uchar& speed, uchar& light, uchar& color, uchar& direction);
    void hid_89H_GetKeyboardMode(uchar& mode);
    void hid_8DH_GetKeyMatrix(uchar* src512);
    void hid_8EH_GetKeyOnOff(uchar* src21);
    void hid_91H_GetMacroKey(uchar macroId, uchar* src192);
    void hid_92H_GetUserPicture(uchar index, uchar* src512);
    void hid_94H_GetColor(uchar index, uchar& rValue, uchar& gValue, uchar& bValue);

    // mouse family
    void hid_03H_SetFunctionOption(uchar type, uchar rate, uchar option1, uchar option2);
    void hid_07H_SetLEDInstructFunction(uchar type, uchar option1, uchar option2, uchar option3);
    void hid_0BH_SetCurrentDPIStage(uchar dpiStage);
    void hid_0DH_SetRGBLedEffect(uchar effect, uchar option1, uchar option2);
    void hid_10H_SetLED8StageColor(uchar type, const uchar* src24);
    void hid_11H_SetDPISet(uchar dpiStage, const uchar* src8);
    void hid_0DH_SetKeyMatrix(const uchar* src128, uchar indexAddOne);
    void hid_0CH_setProfile(const uchar* src128, uchar profileData);
    void hid_0FH_SetMacroKey(uchar macroId, const uchar* src128);
    void hid_83H_GetFunctionOption(uchar& type, uchar& option1, uchar& option2);
    bool hid_87H_GetLEDInstructFunction(uchar type, uchar& option1, uchar& option2, uchar& option3);
    void hid_8BH_GetCurrentDPIStage(uchar& dpiStage);
    void hid_8DH_GetRGBLedEffect(uchar& effect, uchar& option1, uchar& option2);
    void hid_90H_GetLED8StageColor(uchar type, uchar* src24);
    bool hid_91H_GetDPISet(uchar& dpiMAXStage, uchar* src8);
    void hid_92H_GetKeyMatrix(uchar* src64);
    void hid_93H_GetMacroKey(uchar macroId, uchar* src128);
    // True when the block arrived whole; a false read leaves the buffer as it was.
    bool hid_8CH_readProfile(uchar* src128, uchar profileNo);

private:
    enum class ReadOutcome
    {
        Busy,
        Failed,
        Done
    };

    void runWrite(const j2::cmd::WriteCommand& command, std::initializer_list<uchar> arguments,
                  const uchar* bulk = nullptr, int bulkLength = 0);
    ReadOutcome runRead(const j2::cmd::ReadCommand& command, std::initializer_list<uchar> arguments,
                        std::initializer_list<uchar*> outputs, uchar* bulk = nullptr, int bulkLength = 0);
    void buildRequest(std::uint8_t code, const j2::cmd::Offsets& offsets, const j2::cmd::Constants& constants,
                      std::initializer_list<uchar> arguments);
    void takeExchangeSnapshot();

    j2::hid::Device* openControlHandle(int did);
    j2::hid::Device* openNotifyHandle(int did);
    void closeControlHandle();
    void closeNotifyHandle();
    QString controlPathOf(int did) const;
    int reportLengthOf(int did) const;
    void forgetControlPath(int did);
    void forgetNotifyPath(int did);
    // Logs why an open failed; a node this user may not open is also told once per run as a tray notice.
    void reportFailedOpen(const j2::hid::OpenFailure& failure);
    void watchNotifications(int did);
    void announceStage(int stage);
    bool refuseExchange();
    // The first half of every exchange: refusal, scrambling and the feature report. False when it ended.
    bool sendRequest(int bulkLength);
    bool finishExchange(bool result);
    // Ends an exchange whose call on the open handle failed.
    bool failExchange();

    std::shared_ptr<j2::hid::Backend> backend;
    HidOwner* owner = nullptr;
    // The watch lives for as long as the mouse is attached; it gets a thread of its own so that it can never
    // starve the write exchanges on the global pool (a one-core machine has a pool of one thread).
    QThreadPool watchPool;

    mutable QMutex listMutex; // deviceList is read by pool threads and rebuilt on the GUI thread
    QList<HidDeviceEntry> deviceList;
    std::atomic<int> curDevice{deviceIndex(DeviceFamily::Mouse)};
    std::unique_ptr<j2::hid::Device> controlHandle;
    std::unique_ptr<j2::hid::Device> notifyHandle;
    std::atomic<bool> deviceFree{true};
    std::atomic<bool> watchRunning{false};
    bool readsNotifications = true;
    std::atomic<bool> settleFlag{true};
    std::atomic<bool> refusedOpenReported{false};
    QFuture<void> watchFuture;
    QFuture<bool> pendingWrite;

    // Touched only by the holder of the token.
    j2::wire::FeatureReport sendReport{};
    j2::wire::FeatureReport recvReport{};
    std::array<uchar, j2::wire::kMaxBulkLength> transferBuffer{};
    // What the current exchange works with, copied when the token was claimed, so that a later handshake or
    // device switch on the GUI thread cannot change it under a running exchange.
    int exchangeDevice = deviceIndex(DeviceFamily::Mouse);
    bool exchangeEncode = false;
    j2::wire::SecrecyCode exchangeCode{};
};
