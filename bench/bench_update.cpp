// How long a whole bootloader run takes with our programming library: connect, erase, blank check,
// program, verify, run check, lock and switch back, for a full 64 KiB image. Against the in-process
// virtual mouse (the library's own cost and the protocol's round trips) and over the daemon's socket (what
// the updater meets when it talks to j2-virtual-mouse).

#include "isp_library.h"
#include "virtual_mouse.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds for one run, or -1 when a step failed.
double programOnce(j2::isp::IspLibrary& isp, j2::vm::VirtualMouse& mouse,
                   const std::vector<std::uint8_t>& image)
{
    mouse.enterBootloader();
    for (int wait = 0; wait < 300 && mouse.state().firmware.bootloaderMode == false; ++wait)
        QThread::msleep(10);
    QElapsedTimer timer;
    timer.start();
    if (isp.ConnectToBootloader() != 0 || isp.LoadProgdata(image.data(), std::uint32_t(image.size()), nullptr,
                                                           nullptr, nullptr, nullptr, nullptr, nullptr) != 0)
        return -1;
    const auto pages = std::uint16_t(j2::isp::kPageCount);
    for (std::uint16_t page = 0; page < pages; ++page)
        if (isp.EraseByPage(page, 1, 0) != 0)
            return -1;
    if (isp.BlankCheck(0) != 0)
        return -1;
    for (std::uint16_t page = 0; page < pages; ++page)
        if (isp.PartialProgram(std::uint16_t(page * j2::isp::kPageSize), std::uint16_t(j2::isp::kPageSize)) !=
            0)
            return -1;
    for (std::uint16_t page = 0; page < pages; ++page)
        if (isp.VerifyByPage(page, 1, 0) != 0)
            return -1;
    if (isp.ExecuteProgramFrom(2) != 0 || isp.LockAll() == 0)
        return -1;
    isp.SwitchToUserProgram();
    isp.DisConnectBootloader();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    for (int wait = 0; wait < 300 && mouse.state().firmware.bootloaderMode; ++wait)
        QThread::msleep(10);
    return ms;
}

void report(const char* what, j2::isp::IspLibrary& isp, j2::vm::VirtualMouse& mouse,
            const std::vector<std::uint8_t>& image, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double ms = programOnce(isp, mouse, image);
        if (ms < 0) {
            std::printf("%s: a run failed\n", what);
            return;
        }
        times.push_back(ms);
    }
    std::printf("%-28s median %8.1f ms  min %8.1f ms  (%d runs of %u pages)\n", what, median(times),
                *std::min_element(times.begin(), times.end()), runs, unsigned(j2::isp::kPageCount));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<std::uint8_t> image(j2::isp::kFlashSize);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t((i * 131 + 7) & 0xFF);

    {
        j2::vm::VirtualMouse mouse;
        j2::isp::IspLibrary isp(std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(mouse)));
        report("in-process virtual mouse", isp, mouse, image, runs);
    }
    {
        QTemporaryDir folder;
        j2::vm::VirtualMouse mouse;
        j2::vm::Server server(mouse, QDir(folder.path()).filePath(QStringLiteral("m.sock")).toStdString());
        if (!server.start()) {
            std::printf("daemon socket: cannot serve\n");
            return 1;
        }
        j2::isp::IspLibrary isp(
            std::shared_ptr<j2::hid::Backend>(j2::vm::makeSocketBackend(server.socketPath())));
        report("over the daemon's socket", isp, mouse, image, runs);
    }
    return 0;
}
