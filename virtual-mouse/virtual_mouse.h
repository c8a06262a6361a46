#pragma once

// The virtual J2 mouse: a model of the device as it answers on the wire. The configurator, the updater and
// the tests talk to it through the same HID backend seam as to a real mouse, either in-process or through
// the j2-virtual-mouse daemon.

#include "firmware_state.h"
#include "hid_backend.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace j2::vm {

constexpr std::uint16_t kVendorId = 0x04d9;
constexpr std::uint16_t kProductId = 0xa100;
constexpr std::uint16_t kControlUsagePage = 0xff00;
constexpr std::uint16_t kControlUsage = 0xff00;
constexpr std::uint16_t kNotifyUsagePage = 0xff01;
constexpr std::uint16_t kNotifyUsage = 0x0001;
constexpr std::uint16_t kPointerUsagePage = 0x0001;
constexpr std::uint16_t kPointerUsage = 0x0002;
constexpr const char* kControlPath = "virtual-j2:control";
constexpr const char* kNotifyPath = "virtual-j2:notify";
constexpr const char* kPointerPath = "virtual-j2:pointer";
// In its bootloader the mouse is another device with a single collection, with the ids and usage pair of
// docs/bootloader-protocol.md (wire::boot).
constexpr const char* kBootloaderPath = "virtual-j2:bootloader";
constexpr int kReportLength = 64;
constexpr int kNotificationLength = 4;

// How long the device stays busy after the feature report of a settled write and after the last report of
// its bulk phase (flash writes). The host waits 128 ms; anything arriving earlier is a violation.
constexpr int kSettleBusyMs = 100;

constexpr int kProfileBlocks = 8;
constexpr int kMacroSlots = 64;
constexpr int kKeyboardMacroSlots = 32;
constexpr int kUserPictures = 8;
constexpr int kColorSlots = 32;
constexpr int kKeyTables = 8; // key matrices 1..8; the host writes table 1 as 0 and reads it back as 1
constexpr int kDpiStages = 8;

// The bootloader steps whose failure a test can inject; each fails with the status the protocol gives it.
enum class BootloaderStep
{
    Erase,      // erase page: "erase failed", the page keeps its contents
    BlankCheck, // blank check: "not blank" at address 0
    Program,    // program data: "program failed", the chunk is not programmed and the window closes
    Verify,     // verify page: "mismatch", the page counts as failed
    Lock,       // lock: "lock failed", the image stays unsealed
    Count
};

enum class Interface
{
    Control,
    Notify,
    Pointer,
    Bootloader
};

struct WireEntry
{
    double timeMs = 0;     // monotonic, since the model was created
    bool toDevice = false; // host -> device
    Interface iface = Interface::Control;
    std::string kind;                // "feature-set", "feature-get", "output", "input"
    std::string command;             // command name when known, e.g. "setProfile"; empty otherwise
    std::vector<std::uint8_t> bytes; // as they travelled (scrambled if they were)
    std::string note; // "" accepted; "busy", "checksum", "unknown", "unexpected", "ignored", "dropped", ...
};

using Block128 = std::array<std::uint8_t, 128>;

// Everything the device remembers. Factory values are documented in docs/virtual-mouse.md.
struct DeviceState
{
    // mouse family
    std::array<std::uint8_t, 4> functionOption{};                       // type, rate, option1, option2
    std::map<std::uint8_t, std::array<std::uint8_t, 3>> ledInstruction; // by type: option1..3
    std::uint8_t currentDpiStage = 1;                                   // 1-based
    std::uint8_t dpiMaxStage = 4;
    std::array<std::uint8_t, 8> dpiSet{};
    std::array<std::uint8_t, 24> stageColors{};
    std::array<std::uint8_t, 4> stageColorsType2{};
    std::array<std::uint8_t, 3> lightEffect{};  // effect, option1, option2
    std::map<std::uint8_t, Block128> keyMatrix; // by table number 1..kKeyTables
    std::array<Block128, kProfileBlocks> profiles{};
    std::array<Block128, kMacroSlots> macros{};
    // keyboard family
    std::uint8_t currentProfile = 0;
    std::array<std::uint8_t, 2> keyboardOption{}; // bit 0x08 of byte 0 switches notifications on
    std::array<std::uint8_t, 5> gunData{};
    std::array<std::uint8_t, 6> ledType{}; // option, effect, speed, light, color, direction
    std::uint8_t keyboardMode = 0;
    std::array<std::uint8_t, 512> keyboardKeyMatrix{};
    std::array<std::uint8_t, 21> keyOnOff{};
    std::array<std::uint8_t, 2> xySensitivity{};
    std::array<std::uint8_t, 4> buttonSensitivity{};
    std::array<std::array<std::uint8_t, 192>, kKeyboardMacroSlots> keyboardMacros{};
    std::array<std::array<std::uint8_t, 512>, kUserPictures> userPictures{};
    std::array<std::array<std::uint8_t, 3>, kColorSlots> colors{};
    // identity
    std::array<std::uint8_t, 2> firmwareVersion{0x01, 0x0A}; // major, minor: "1.0A"
    bool encode = false;
    std::string secrecyCode = "260417";
    // the flash and the bootloader; a factory reset of the settings leaves it alone
    FirmwareState firmware;

    static DeviceState factory();
    bool notificationsOn() const { return (keyboardOption[0] & 0x08) != 0; }
    bool operator==(const DeviceState&) const = default;
};

class VirtualMouse
{
public:
    struct Options
    {
        // Scrambling and the code always come from here; a state file does not override them.
        bool encode = false;
        std::string secrecyCode = "260417"; // six characters; anything else falls back to "260417"
        std::string stateFile;              // loaded at start when present, rewritten after every change
        std::string wireLogFile;            // JSON lines appended as reports travel
        bool startInBootloader = false;     // come up as the bootloader, whatever the state file says
    };

    VirtualMouse();
    explicit VirtualMouse(Options options);
    ~VirtualMouse();
    VirtualMouse(const VirtualMouse&) = delete;
    VirtualMouse& operator=(const VirtualMouse&) = delete;

    // ---- the wire side, as the backends see it (thread-safe) ----
    std::vector<hid::DeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) const;
    // A handle id (> 0), or -1 when unplugged, the path is unknown, or an open failure was injected.
    int open(const std::string& path);
    // Also wakes a read blocked on the handle (it returns -1).
    void close(int handle);
    int sendFeatureReport(int handle, const std::uint8_t* data, std::size_t length);
    int getFeatureReport(int handle, std::uint8_t* data, std::size_t length);
    int write(int handle, const std::uint8_t* data, std::size_t length);
    // timeoutMs < 0 blocks until a report arrives or the device is unplugged; 0 on time-out, -1 on failure.
    int read(int handle, std::uint8_t* data, std::size_t length, int timeoutMs);

    // ---- the user's hand and the cable ----
    void pressDpiButton(); // next stage (wrapping at dpiMaxStage); notifies while notifications are on
    void unplug();         // handles fail, pending reads wake with -1, enumerate lists nothing
    void plug();
    bool pluggedIn() const;
    // Called (on the thread that plugs or unplugs, in order) with the new plugged-in state. Once
    // removePlugListener has returned the listener is not running and will not be called again.
    int addPlugListener(std::function<void(bool)> listener);
    void removePlugListener(int id);

    // ---- the bootloader ----
    // What the entry command does: arms the switch, and the mouse re-enumerates as its bootloader within a
    // second. Nothing happens while unplugged or already in the bootloader.
    void enterBootloader();

    // ---- state ----
    DeviceState state() const;
    void setState(const DeviceState& state);
    std::string dumpJson() const;

    // ---- fault injection for tests ----
    void failNextOpens(int count);
    // The next `count` read commands (and bootloader requests) produce no reply: their feature get fails
    // and no bulk data is queued.
    void dropNextReplies(int count);
    // The next `count` read commands with a bulk phase answer their feature report but send no bulk data.
    void withholdNextBulk(int count);
    // The next `count` feature gets and bulk input reports are held back by `delayMs` first; bootloader
    // replies are queued that much later.
    void delayNextReplies(int delayMs, int count);
    // Unplug after `count` more bulk reports (either direction, bootloader reports included) have travelled.
    void unplugAfterBulkReports(int count);
    // The next `count` bootloader requests of `step` fail (see BootloaderStep) and change nothing.
    void failNextSteps(BootloaderStep step, int count);
    void failNextErases(int count) { failNextSteps(BootloaderStep::Erase, count); }
    void clearFaults();

    // ---- observation ----
    std::vector<WireEntry> wireLog() const; // the most recent entries (at most kWireLogCapacity)
    void clearWireLog();
    int busyViolations() const; // reports that arrived while a settled write was still busy
    int checksumErrors() const; // feature reports whose checksum did not match (after descrambling)

    static constexpr std::size_t kWireLogCapacity = 200000;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// State as JSON (readable names, byte arrays as hex strings); the format of dumpJson and the state file.
std::string stateToJson(const DeviceState& state);
// Fields missing from `json` keep the values `state` already has. False (with a reason) on malformed input.
bool stateFromJson(const std::string& json, DeviceState& state, std::string* error = nullptr);

// The HID backend seam served by an in-process model.
std::unique_ptr<hid::Backend> makeInProcessBackend(VirtualMouse& mouse);

// The HID backend seam served by a j2-virtual-mouse daemon listening on `socketPath`.
std::unique_ptr<hid::Backend> makeSocketBackend(const std::string& socketPath);

// The daemon side: serves `mouse` on a Unix socket (mode 0600) until stopped or destroyed. The mouse must
// outlive the server.
class Server
{
public:
    // Connections served at once (each holds a thread); a client beyond them is closed at once.
    static constexpr std::size_t kMaxConnections = 64;

    Server(VirtualMouse& mouse, std::string socketPath);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    // Fails when another live server answers on the path, or the path cannot be bound.
    bool start(std::string* error = nullptr);
    void stop(); // closes every connection (blocked reads end with -1) and removes the socket file
    const std::string& socketPath() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The control side of a daemon (what `j2-virtual-mouse ctl` does). Every call is bounded by a few seconds
// and returns false, with a reason, when no daemon answers.
class RemoteMouse
{
public:
    explicit RemoteMouse(std::string socketPath);
    bool pressDpiButton(std::string* error = nullptr);
    bool unplug(std::string* error = nullptr);
    bool plug(std::string* error = nullptr);
    bool pluggedIn(bool& plugged, std::string* error = nullptr);
    bool dumpJson(std::string& json, std::string* error = nullptr);
    bool failNextOpens(int count, std::string* error = nullptr);
    bool dropNextReplies(int count, std::string* error = nullptr);
    bool withholdNextBulk(int count, std::string* error = nullptr);
    bool delayNextReplies(int delayMs, int count, std::string* error = nullptr);
    bool unplugAfterBulkReports(int count, std::string* error = nullptr);
    bool failNextSteps(BootloaderStep step, int count, std::string* error = nullptr);
    bool failNextErases(int count, std::string* error = nullptr);
    bool clearFaults(std::string* error = nullptr);
    bool enterBootloader(std::string* error = nullptr);

private:
    bool call(std::uint8_t op, const std::vector<std::int32_t>& arguments, std::int32_t* result,
              std::string* payload, std::string* error);
    std::string socketPath_;
};

// Watches a daemon's cable on its own thread so a host can re-detect the mouse. The callback runs on that
// thread: with the state found on subscribing, then on every plug and unplug. When the daemon goes away it
// reports false (if it last reported true) and keeps trying to subscribe again every half second.
class PlugEventWatcher
{
public:
    PlugEventWatcher(std::string socketPath, std::function<void(bool pluggedIn)> onChange);
    ~PlugEventWatcher(); // stops
    PlugEventWatcher(const PlugEventWatcher&) = delete;
    PlugEventWatcher& operator=(const PlugEventWatcher&) = delete;
    void start();
    void stop();            // returns promptly; the callback is not running afterwards
    bool connected() const; // subscribed to a daemon right now

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// "$XDG_RUNTIME_DIR/j2-virtual-mouse.sock", or the same name in a private folder j2-virtual-mouse-<uid>
// under the temp dir (created 0700). Empty when that folder exists but is not ours or is open to others.
std::string defaultSocketPath();

} // namespace j2::vm
