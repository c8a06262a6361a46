// A full re-send of a profile as the pages do at the end of a profile switch (key assignment, axis
// sensitivity, DPI with stage mask and angle snapping, lighting, polling rate, then the key table number),
// against the in-process virtual mouse. Reports the wall time against the sum of the delays the protocol
// mandates for exactly the exchanges that went over the wire, and the longest stall of the GUI thread.

#include "app_config.h"
#include "device_bridge.h"
#include "device_flags.h"
#include "hid_thread.h"
#include "profile_store.h"
#include "virtual_mouse.h"
#include "vm_command_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

DevInfoList mouseTable()
{
    DevInfo mouse;
    mouse.type = 1;
    mouse.vid = j2::vm::kVendorId;
    mouse.pid = j2::vm::kProductId;
    mouse.usagePage = j2::vm::kControlUsagePage;
    mouse.usage = j2::vm::kControlUsage;
    mouse.usagePage2 = j2::vm::kNotifyUsagePage;
    mouse.usage2 = j2::vm::kNotifyUsage;
    mouse.reportLength = j2::vm::kReportLength;
    return {DevInfo{}, mouse};
}

QList<int> numbers(std::initializer_list<int> values)
{
    return QList<int>(values);
}

// The delays the protocol asks for: 128 ms after a settled write's request and again after its bulk phase,
// 8 ms after every output report, and the pause of an unsettled write's slot.
double mandatedMs(const std::vector<j2::vm::WireEntry>& log)
{
    std::map<std::string, bool> settled;
    // A slot's pause overlaps the settle delay of its own exchange; only unsettled writes add it.
    std::map<std::string, int> pauseMs = {{"SetCurrentProfile", 8}, {"SetKeyboardoption", 8}};
    for (int i = 0; i < int(j2::vm::Command::Count); ++i) {
        const auto& info = j2::vm::commandInfo(j2::vm::Command(i));
        settled[info.name] = info.settled;
    }
    double total = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
        const auto& entry = log[i];
        if (entry.kind != "feature-set" || entry.iface != j2::vm::Interface::Control)
            continue;
        int outputs = 0;
        for (std::size_t j = i + 1; j < log.size() && log[j].kind != "feature-set"; ++j)
            outputs += log[j].kind == "output" ? 1 : 0;
        const bool settles = settled[entry.command];
        total += (settles ? 128.0 : 0.0) + (outputs > 0 ? 8.0 * outputs + (settles ? 128.0 : 0.0) : 0.0);
        total += pauseMs.count(entry.command) ? pauseMs[entry.command] : 0;
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    for (const QString& name : QDir(QStringLiteral(J2_SOURCE_DIR "/modules/setting")).entryList({"*.bin"}))
        QFile::copy(QStringLiteral(J2_SOURCE_DIR "/modules/setting/") + name, folder.filePath(name));

    j2::vm::VirtualMouse mouse;
    Hid_Thread hid(std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(mouse)));
    hid.setDeviceTable(mouseTable());
    ProfileStore profiles(folder.path());
    AppConfig config(folder.filePath(QStringLiteral("apConfig.bin")),
                     folder.filePath(QStringLiteral("apConfigD.bin")));
    DeviceBridge bridge(hid, profiles, config);
    for (uint block = 0; block < 5; ++block)
        bridge.readProfileBlock(block);
    mouse.clearWireLog();

    QList<int> keys;
    for (int button = 0; button < 32; ++button)
        keys += profiles.getKeydefine(QString::number(button));

    // The GUI thread's heartbeat: the longest gap between two ticks is the longest stall.
    QElapsedTimer heartbeat;
    qint64 lastTick = 0;
    qint64 longestStall = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = heartbeat.nsecsElapsed();
        if (now - lastTick > longestStall && qEnvironmentVariableIsSet("J2_BENCH_TRACE"))
            std::printf("stall %.1f ms ending at %.1f ms\n", double(now - lastTick) / 1e6, double(now) / 1e6);
        longestStall = std::max(longestStall, now - lastTick);
        lastTick = now;
    });

    double wallMs = 0;
    QTimer::singleShot(0, [&] {
        heartbeat.start();
        ticker.start();
        QElapsedTimer wall;
        wall.start();
        bridge.setKeyTable(keys);
        bridge.setXySensitivity(4, 4);
        bridge.setDpiStages(numbers({7, 15, 31, 47, 63, 127, 215, 5}),
                            numbers({400, 800, 1600, 2400, 3200, 6400, 10800, 250}));
        bridge.setSelectableStages(numbers({1, 1, 1, 1, 1, 1, 1, 0}));
        bridge.setAngleSnap(0, 2);
        bridge.setLightEffect(3, 5, 3, numbers({3, 4, 3}));
        bridge.setStageColours(0, numbers({255, 0,   0,   0,   0,   255, 0,   255, 0,   255, 255, 0,
                                           0,   255, 255, 255, 110, 0,   255, 0,   255, 255, 255, 255}));
        bridge.setReportRate(1);
        bridge.setDeviceKeyTableNumber(0);
        hid.waitForPendingWrite();
        wallMs = double(wall.nsecsElapsed()) / 1e6;
        ticker.stop();
        QCoreApplication::quit();
    });
    QCoreApplication::exec();

    const auto log = mouse.wireLog();
    const double mandated = mandatedMs(log);
    int writes = 0;
    for (const auto& entry : log)
        writes += entry.kind == "feature-set" ? 1 : 0;
    std::printf(
        "profile re-send: %d exchanges, wall %.1f ms, mandated %.1f ms, overhead %.2f%% (target < 5%%)\n",
        writes, wallMs, mandated, (wallMs - mandated) / mandated * 100.0);
    std::printf("longest GUI-thread stall: %.2f ms (target < 20 ms)\n", double(longestStall) / 1e6);
    std::printf("device busy violations: %d\n", mouse.busyViolations());
    return 0;
}
