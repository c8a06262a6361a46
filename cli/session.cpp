#include "session.h"

#include "cli_log.h"
#include "device_flags.h"

#include <cstdio>

void NamedFile::warning(const QString& title, const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
}

void Session::readProfileBlocks()
{
    for (uint profileNo = 0; profileNo < uint(profile_block::kPageBlocks); ++profileNo)
        bridge.readProfileBlock(profileNo);
    bridge.markProfilesEnabled();
}

void Session::selectStoredProfile()
{
    bridge.selectProfile(config.profileNumber());
}

void Session::describe(const DevInfoList& table)
{
    const int mouse = deviceIndex(DeviceFamily::Mouse);
    if (mouse >= table.size())
        return;
    productName = table.at(mouse).product_name;
    vendorId = table.at(mouse).vid;
    productId = table.at(mouse).pid;
}

OwnSession::OwnSession(const StoreLocations& locations, std::shared_ptr<j2::hid::Backend> hidBackend)
    : backend(hidBackend), hid(std::move(hidBackend)),
      config(locations.settingFolder() + QStringLiteral("/apConfig.bin"),
             locations.factorySettingFolder() + QStringLiteral("/apConfigD.bin")),
      profiles(
          locations.settingFolder(), &files, [this] { return hid.currentDevice(); },
          locations.factorySettingFolder()),
      bridge(hid, profiles, config), macros(profiles, &files, locations.macroFolder()),
      guns(profiles, locations.gunFolder()), names(locations.settingFolder()), sender(hid, macros, &files),
      pointerSystem(j2::platform::makeSystemPointerSettings()), pointer(profiles, *pointerSystem, hid),
      session(hid, config, profiles, bridge, macros, guns, names, sender, files)
{
    session.pointer = &pointer;
    session.notices = &onNotice;
    hid.setOwner(this);
}

OwnSession::~OwnSession()
{
    finish();
}

bool OwnSession::connect(const DevInfoList& table, bool scrambled, bool readNotifications)
{
    session.describe(table);
    hid.setDeviceTable(table);
    hid.setReadsNotifications(readNotifications);
    isEncode = scrambled;
    hid.swichCurDevice(uint(hid.currentDevice()));
    // Demo mode answers every question with nothing: for a script that is no mouse at all.
    return isDeviceFound.load() && !isDemoMode.load();
}

void OwnSession::finish()
{
    hid.stopNotificationWatch();
    hid.waitForPendingWrite();
}

void OwnSession::showTrayMessage(const QString& title, const QString& text)
{
    if (onNotice) {
        onNotice(text);
        return;
    }
    qCDebug(lcCli).noquote() << title << text;
}
