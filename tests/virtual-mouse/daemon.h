#pragma once

// j2-virtual-mouse as a program, for the tests that run it: one-shot commands and a daemon that lives for one
// test. Both wait a bounded time.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <csignal>

namespace vmtest {

inline const QString kProgram = QStringLiteral(J2_VIRTUAL_MOUSE_EXE);

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline Result run(const QStringList& arguments,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(kProgram, arguments);
    Result result;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// A daemon started for one test, stopped with a signal at the end.
class Daemon
{
public:
    bool start(const QStringList& arguments)
    {
        process_.start(kProgram, QStringList{"serve"} + arguments);
        if (!process_.waitForStarted(5000))
            return false;
        QByteArray out;
        while (!out.contains("serving on")) {
            if (!process_.waitForReadyRead(5000))
                return false;
            out += process_.readAllStandardOutput();
        }
        return true;
    }
    // Exit code after `signal`, or -1 when it did not end by itself.
    int stop(int signal)
    {
        ::kill(pid_t(process_.processId()), signal);
        if (!process_.waitForFinished(5000))
            return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    ~Daemon()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

private:
    QProcess process_;
};

} // namespace vmtest
