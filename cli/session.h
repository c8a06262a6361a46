#pragma once

// The modules a j2ctl command works through. Run by j2ctl itself they are its own (OwnSession), put together
// as the window puts them together; forwarded to a running configurator they are the window's.

#include "app_config.h"
#include "dev_info.h"
#include "device_bridge.h"
#include "file_dialogs.h"
#include "gun_library.h"
#include "hid_owner.h"
#include "hid_thread.h"
#include "macro_library.h"
#include "macro_sender.h"
#include "name_list.h"
#include "pointer_bridge.h"
#include "pointer_settings.h"
#include "profile_store.h"
#include "settings_root.h"

#include <QString>

#include <functional>
#include <memory>

// The window's file dialogs answered by the command line: the file named on it, always the same.
class NamedFile final : public FileDialogs
{
public:
    QString file;
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return file; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return file; }
    void warning(const QString& title, const QString& text) override;
};

struct Session
{
    Session(Hid_Thread& device, AppConfig& configuration, ProfileStore& store, DeviceBridge& settingsBridge,
            MacroLibrary& macroLibrary, GunLibrary& gunLibrary, const NameList& nameList,
            MacroSender& macroSender, NamedFile& dialogs)
        : hid(device), config(configuration), profiles(store), bridge(settingsBridge), macros(macroLibrary),
          guns(gunLibrary), names(nameList), sender(macroSender), files(dialogs)
    {}

    Hid_Thread& hid;
    AppConfig& config;
    ProfileStore& profiles;
    DeviceBridge& bridge;
    MacroLibrary& macros;
    GunLibrary& guns;
    const NameList& names;
    MacroSender& sender;
    // The desktop's pointer settings the profile holds; null where there is nothing to apply them with.
    PointerBridge* pointer = nullptr;
    // What the store's import and export dialogs answer.
    NamedFile& files;
    QString productName;
    quint16 vendorId = 0;
    quint16 productId = 0;
    // Only where j2ctl owns the device object: tray notices (the DPI notices among them) go here; it may be
    // called from the watch thread.
    std::function<void(const QString& text)>* notices = nullptr;

    // What the pages read at start, before any of them writes: the profile blocks 0-4 (so that a write
    // carries the mouse's own bytes) and the profile the user last chose.
    void readProfileBlocks();
    void selectStoredProfile();
    // Takes the mouse's name and ids from the device table.
    void describe(const DevInfoList& table);
};

// j2ctl's own modules, on the backend its composition root chose.
class OwnSession final : public HidOwner
{
public:
    OwnSession(const StoreLocations& locations, std::shared_ptr<j2::hid::Backend> backend);
    ~OwnSession() override;

    // The device table and the handshake, as the window's device check runs them; the DPI notifications are
    // read only with `readNotifications`. True when a mouse answered with the code we hold.
    bool connect(const DevInfoList& table, bool scrambled, bool readNotifications);
    // Bounded: every write started on the pool has ended.
    void finish();

    void showTrayMessage(const QString& title, const QString& text) override;
    void hideWindow() override {}
    QString storedSecrecyCode(int did) override { return config.secrecyCode(did); }

    std::shared_ptr<j2::hid::Backend> backend;
    NamedFile files;
    Hid_Thread hid;
    AppConfig config;
    ProfileStore profiles;
    DeviceBridge bridge;
    MacroLibrary macros;
    GunLibrary guns;
    NameList names;
    MacroSender sender;
    std::unique_ptr<j2::platform::PointerSettings> pointerSystem;
    PointerBridge pointer;
    std::function<void(const QString& text)> onNotice;
    Session session;
};
