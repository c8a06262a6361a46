// Per-exchange cost of the transport beyond the sleeps the protocol mandates, against the in-process
// virtual mouse: a plain read (no mandated sleep at all) and a settled 128-byte write (128 + 8 + 8 + 128 ms).

#include "device_flags.h"
#include "hid_thread.h"
#include "virtual_mouse.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

DevInfoList mouseTable()
{
    DevInfo keyboard;
    DevInfo mouse;
    mouse.type = 1;
    mouse.vid = j2::vm::kVendorId;
    mouse.pid = j2::vm::kProductId;
    mouse.usagePage = j2::vm::kControlUsagePage;
    mouse.usage = j2::vm::kControlUsage;
    mouse.usagePage2 = j2::vm::kNotifyUsagePage;
    mouse.usage2 = j2::vm::kNotifyUsage;
    mouse.reportLength = j2::vm::kReportLength;
    return {keyboard, mouse};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    j2::vm::VirtualMouse mouse;
    Hid_Thread hid(std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(mouse)));
    hid.setDeviceTable(mouseTable());

    constexpr int kReads = 5000;
    std::vector<double> reads;
    reads.reserve(kReads);
    QElapsedTimer timer;
    for (int i = 0; i < kReads; ++i) {
        uchar stage = 0;
        timer.start();
        hid.hid_8BH_GetCurrentDPIStage(stage);
        reads.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (i % 500 == 0)
            mouse.clearWireLog();
    }
    std::printf(
        "plain read (8BH): median %.4f ms, mean %.4f ms over %d exchanges (target < 1 ms)\n", median(reads),
        [&] {
            double sum = 0;
            for (double r : reads)
                sum += r;
            return sum / double(reads.size());
        }(),
        kReads);

    constexpr int kWrites = 20;
    constexpr double kMandatedMs = 128 + 8 + 8 + 128;
    std::vector<double> writes;
    std::array<uchar, 128> block{};
    for (int i = 0; i < kWrites; ++i) {
        block[0] = static_cast<uchar>(i);
        timer.start();
        hid.hid_0CH_setProfile(block.data(), 0);
        hid.waitForPendingWrite();
        writes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double writeMedian = median(writes);
    std::printf(
        "settled 128-byte write (0CH): median %.2f ms, mandated %.0f ms, overhead %.2f%% (target < 3%%)\n",
        writeMedian, kMandatedMs, (writeMedian - kMandatedMs) / kMandatedMs * 100.0);
    std::printf("device busy violations: %d, checksum errors: %d\n", mouse.busyViolations(),
                mouse.checksumErrors());
    return 0;
}
