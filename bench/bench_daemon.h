#pragma once

// The virtual mouse daemon in a private home and runtime folder, for benchmarks that time whole programs,
// with the environment that points those programs at it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

class BenchDaemon
{
public:
    static inline const QString kDist = QStringLiteral(J2_DIST_DIR);

    BenchDaemon()
    {
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        daemon.start(kDist + QStringLiteral("/j2-virtual-mouse"),
                     {QStringLiteral("serve"), QStringLiteral("--socket"), socket()});
        for (int i = 0; i < 100 && !QFile::exists(socket()); ++i)
            QThread::msleep(20);
    }
    ~BenchDaemon()
    {
        daemon.terminate();
        daemon.waitForFinished(3000);
    }
    BenchDaemon(const BenchDaemon&) = delete;
    BenchDaemon& operator=(const BenchDaemon&) = delete;

    QString home() const { return scratch.path(); }
    QString runtime() const { return scratch.filePath(QStringLiteral("run")); }
    QString socket() const { return scratch.filePath(QStringLiteral("run/vm.sock")); }

    // The system's environment with this home, runtime folder and daemon.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        environment.insert(QStringLiteral("J2_VIRTUAL_MOUSE"), socket());
        // The user's settings of a benchmark stay in its scratch folder, whatever XDG_DATA_HOME says.
        environment.insert(QStringLiteral("J2_SETTINGS_DIR"), home() + QStringLiteral("/settings"));
        return environment;
    }

private:
    QTemporaryDir scratch;
    QProcess daemon;
};
