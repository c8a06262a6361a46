#include "session.h"

#include "cli_log.h"
#include "device_flags.h"
#include "device_table.h"

#include <cstdio>

void NamedFile::warning(const QString& title, const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
}

Session::Session(const StoreLocations& locations, std::shared_ptr<j2::hid::Backend> hidBackend)
    : backend(hidBackend), hid(std::move(hidBackend)),
      config(locations.settingFolder() + QStringLiteral("/apConfig.bin"),
             locations.factorySettingFolder() + QStringLiteral("/apConfigD.bin")),
      profiles(
          locations.settingFolder(), &files, [this] { return hid.currentDevice(); },
          locations.factorySettingFolder()),
      bridge(hid, profiles, config)
{
    hid.setOwner(this);
}

Session::~Session()
{
    finish();
}

bool Session::connect()
{
    const DeviceTable table = loadDeviceTable(kDeviceTableResource, config.productNames());
    const int mouse = deviceIndex(DeviceFamily::Mouse);
    if (mouse < table.records.size()) {
        productName = table.records.at(mouse).product_name;
        vendorId = table.records.at(mouse).vid;
        productId = table.records.at(mouse).pid;
    }
    hid.setDeviceTable(table.records);
    isEncode = table.isEncode;
    hid.swichCurDevice(uint(hid.currentDevice()));
    // Demo mode answers every question with nothing: for a script that is no mouse at all.
    return isDeviceFound.load() && !isDemoMode.load();
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

void Session::finish()
{
    hid.stopNotificationWatch();
    hid.waitForPendingWrite();
}

void Session::showTrayMessage(const QString& title, const QString& text)
{
    if (onNotice) {
        onNotice(text);
        return;
    }
    qCDebug(lcCli).noquote() << title << text;
}
