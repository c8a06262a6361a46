// Process start to the window's first frame and to the revealed frame (after the start-up lock), and the
// resident memory once started, for the configurator on the virtual mouse daemon: offscreen and on a
// private X server (Xvfb). Each as the median of several runs; the first run of each platform starts with
// an empty QML cache and is reported on its own.
//
// J2_BENCH_BEFORE_DIST names another installation folder (an earlier build) to measure in the same run,
// its runs taking turns with this build's, so that both see the same load on the machine.

#include "bench_daemon.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 9;
constexpr int kLimitMs = 10000;
constexpr int kSettleMs = 1000;

struct Run
{
    double firstFrameMs = -1;
    double shownMs = -1;
    double residentMb = -1;
};

double residentMegabytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

struct Program
{
    const char* label;
    QString dist;
};

Run measure(const QProcessEnvironment& environment, const QString& dist)
{
    Run run;
    QProcess configurator;
    configurator.setProcessEnvironment(environment);
    configurator.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    configurator.start(dist + QStringLiteral("/configurator"));
    QByteArray output;
    while (run.shownMs < 0 && timer.elapsed() < kLimitMs) {
        configurator.waitForReadyRead(2);
        output += configurator.readAll();
        const double now = double(timer.nsecsElapsed()) / 1e6;
        if (run.firstFrameMs < 0 && output.contains("j2-startup: first frame"))
            run.firstFrameMs = now;
        if (output.contains("j2-startup: frame shown"))
            run.shownMs = now;
    }
    QThread::msleep(kSettleMs);
    run.residentMb = residentMegabytes(configurator.processId());
    configurator.terminate();
    if (!configurator.waitForFinished(3000))
        configurator.kill();
    if (run.shownMs < 0)
        std::printf("  a run did not show its window; its output:\n%s\n", output.constData());
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void report(const QByteArray& platform, const std::vector<Run>& runs)
{
    std::vector<double> first;
    std::vector<double> shown;
    std::vector<double> resident;
    for (std::size_t i = 1; i < runs.size(); ++i) {
        first.push_back(runs[i].firstFrameMs);
        shown.push_back(runs[i].shownMs);
        resident.push_back(runs[i].residentMb);
    }
    std::printf(
        "%s: first frame median %.1f ms (min %.1f, max %.1f); revealed frame median %.1f ms; resident "
        "median %.1f MB (max %.1f) over %zu runs\n",
        platform.constData(), median(first), *std::min_element(first.begin(), first.end()),
        *std::max_element(first.begin(), first.end()), median(shown), median(resident),
        *std::max_element(resident.begin(), resident.end()), first.size());
    std::printf("%s: first run with an empty QML cache: first frame %.1f ms, revealed %.1f ms, %.1f MB\n",
                platform.constData(), runs[0].firstFrameMs, runs[0].shownMs, runs[0].residentMb);
}

void series(const char* platform, const QProcessEnvironment& environment, const QString& home,
            const std::vector<Program>& programs)
{
    // A fresh home per platform and program, so its first run compiles the scene and the others use the
    // cache.
    std::vector<QProcessEnvironment> environments;
    for (const Program& program : programs) {
        const QString programHome = home + QLatin1Char('/') + QString::fromLatin1(program.label);
        QDir(programHome).removeRecursively();
        QDir().mkpath(programHome);
        QProcessEnvironment own = environment;
        own.insert(QStringLiteral("HOME"), programHome);
        own.insert(QStringLiteral("XDG_CACHE_HOME"), programHome + QStringLiteral("/.cache"));
        environments.push_back(own);
    }
    std::vector<std::vector<Run>> runs(programs.size());
    for (int i = 0; i < kRuns; ++i)
        for (std::size_t p = 0; p < programs.size(); ++p)
            runs[p].push_back(measure(environments[p], programs[p].dist));
    for (std::size_t p = 0; p < programs.size(); ++p)
        report(programs.size() == 1 ? QByteArray(platform)
                                    : QByteArray(platform) + " (" + programs[p].label + ")",
               runs[p]);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchDaemon daemon;
    QProcessEnvironment environment = daemon.environment();
    environment.insert(QStringLiteral("J2_TRACE_STARTUP"), QStringLiteral("1"));
    std::vector<Program> programs{{"this build", BenchDaemon::kDist}};
    const QString before = qEnvironmentVariable("J2_BENCH_BEFORE_DIST");
    if (!before.isEmpty())
        programs.push_back({"before", before});

    QProcessEnvironment offscreen = environment;
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    series("offscreen", offscreen, daemon.home() + QStringLiteral("/offscreen"), programs);

    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        std::printf("Xvfb: not installed, skipped\n");
    } else {
        QProcess server;
        server.start(xvfb,
                     {QStringLiteral(":93"), QStringLiteral("-screen"), QStringLiteral("0"),
                      QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QThread::msleep(500);
        QProcessEnvironment x11 = environment;
        x11.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        x11.insert(QStringLiteral("DISPLAY"), QStringLiteral(":93"));
        series("Xvfb", x11, daemon.home() + QStringLiteral("/xvfb"), programs);
        server.terminate();
        server.waitForFinished(3000);
    }

    return 0;
}
