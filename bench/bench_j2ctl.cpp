// Wall-clock time of j2ctl commands as a script runs them, each a whole process against the virtual mouse
// daemon: a read, a DPI change, and a profile switch with its re-send (alternating between two profiles, so
// that every switch sends).

#include "bench_daemon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 10;

// Milliseconds per run; an empty list when a run failed.
std::vector<double> timeCommand(const QProcessEnvironment& environment,
                                const std::vector<QStringList>& variants)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QProcess ctl;
        ctl.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        ctl.start(BenchDaemon::kDist + QStringLiteral("/j2ctl"),
                  variants.at(std::size_t(run) % variants.size()));
        if (!ctl.waitForFinished(30000) || ctl.exitCode() != 0) {
            std::fprintf(stderr, "j2ctl %s: %s\n", qPrintable(variants.front().join(QLatin1Char(' '))),
                         ctl.readAllStandardError().constData());
            return {};
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchDaemon daemon;
    const QProcessEnvironment environment = daemon.environment();
    const struct
    {
        const char* label;
        std::vector<QStringList> variants;
    } commands[] = {
        {"info", {{QStringLiteral("info")}}},
        {"dpi set",
         {{QStringLiteral("dpi"), QStringLiteral("set"), QStringLiteral("2"), QStringLiteral("3200")},
          {QStringLiteral("dpi"), QStringLiteral("set"), QStringLiteral("2"), QStringLiteral("1600")}}},
        {"profile switch",
         {{QStringLiteral("profile"), QStringLiteral("2")},
          {QStringLiteral("profile"), QStringLiteral("1")}}},
    };
    for (const auto& command : commands) {
        const std::vector<double> times = timeCommand(environment, command.variants);
        if (times.empty())
            return 1;
        std::printf("j2ctl %-15s median %.1f ms, min %.1f ms, max %.1f ms over %d runs\n", command.label,
                    times[times.size() / 2], times.front(), times.back(), kRuns);
    }
    return 0;
}
