#pragma once

// What j2ctl holds while it talks to the mouse itself: the device object, the configuration and profile
// files of the settings root, and the settings bridge over them, put together as the window puts them
// together, and the steps the window takes at start (device table, handshake, reading the profile blocks).

#include "app_config.h"
#include "device_bridge.h"
#include "file_dialogs.h"
#include "hid_owner.h"
#include "hid_thread.h"
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

class Session final : public HidOwner
{
public:
    Session(const StoreLocations& locations, std::shared_ptr<j2::hid::Backend> backend);
    ~Session() override;

    // The device table and the handshake, as the window's device check runs them. True when a mouse
    // answered with the code we hold.
    bool connect();
    // What the pages read at start, before any of them writes: the profile blocks 0-4 (so that a write
    // carries the mouse's own bytes) and the profile the user last chose.
    void readProfileBlocks();
    void selectStoredProfile();
    // Bounded: every write started on the pool has ended.
    void finish();

    // Tray notices go to this function instead; it may be called from the watch thread.
    std::function<void(const QString& text)> onNotice;

    void showTrayMessage(const QString& title, const QString& text) override;
    void hideWindow() override {}
    QString storedSecrecyCode(int did) override { return config.secrecyCode(did); }

    std::shared_ptr<j2::hid::Backend> backend;
    NamedFile files;
    Hid_Thread hid;
    AppConfig config;
    ProfileStore profiles;
    DeviceBridge bridge;
    QString productName;
    quint16 vendorId = 0;
    quint16 productId = 0;
};
