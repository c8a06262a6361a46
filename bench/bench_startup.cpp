// Time from process start to "Detect Mouse" with the virtual mouse daemon, and the CPU the configurator
// uses while it sits idle watching the mouse's notifications.

#include "bench_daemon.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// CPU time of all threads of a process in nanoseconds (scheduler statistics: finer than clock ticks).
long long cpuNanoseconds(qint64 pid)
{
    long long total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (schedstat.open(QIODevice::ReadOnly))
            total += schedstat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchDaemon daemon;
    QProcessEnvironment environment = daemon.environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    std::vector<double> startups;
    constexpr int kRuns = 10;
    for (int run = 0; run < kRuns; ++run) {
        QProcess configurator;
        configurator.setProcessEnvironment(environment);
        configurator.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer timer;
        timer.start();
        configurator.start(BenchDaemon::kDist + QStringLiteral("/configurator"));
        QByteArray output;
        while (!output.contains("Detect Mouse") && timer.elapsed() < 10000) {
            configurator.waitForReadyRead(5);
            output += configurator.readAll();
        }
        startups.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (run == kRuns - 1) {
            // Idle: let it settle, then measure ten seconds of watching.
            QThread::sleep(1);
            const long long before = cpuNanoseconds(configurator.processId());
            QElapsedTimer idle;
            idle.start();
            QThread::sleep(10);
            const long long after = cpuNanoseconds(configurator.processId());
            const double cpuSeconds = double(after - before) / 1e9;
            std::printf("idle CPU while watching: %.3f%% of one core over %.1f s\n",
                        100.0 * cpuSeconds / (double(idle.elapsed()) / 1000.0),
                        double(idle.elapsed()) / 1000.0);
        }
        configurator.terminate();
        configurator.waitForFinished(3000);
    }
    std::sort(startups.begin(), startups.end());
    std::printf("start to \"Detect Mouse\": median %.1f ms, min %.1f ms, max %.1f ms over %d runs (target < "
                "300 ms)\n",
                startups[startups.size() / 2], startups.front(), startups.back(), kRuns);
    return 0;
}
