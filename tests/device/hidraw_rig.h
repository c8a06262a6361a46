#pragma once

// The emulated hidraw mouse of a test: j2-hidraw-mouse on a socket of the test's, with its wire log, inside
// the namespace that scripts/with-hidraw-mouse.sh prepared (the test runs inside it, see CMakeLists.txt).

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace hidraw_rig {

inline const QString kNode = QStringLiteral("/dev/hidraw0");
inline const QString kNamespaceMark = QStringLiteral("/dev/.j2-hidraw-namespace");

// Exit code 77 (skipped) with the reason, when not run inside the namespace.
inline bool insideNamespace()
{
    if (QFile::exists(kNamespaceMark))
        return true;
    std::printf("SKIP: run inside scripts/with-hidraw-mouse.sh --no-mouse (CTest does)\n");
    return false;
}

class Mouse
{
public:
    Mouse(const QString& dist, const QString& folder) : dist_(dist), folder_(folder)
    {
        process_.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~Mouse() { stop(); }

    // Stops it; true when it ended cleanly (a sanitizer's report at exit is a failure too).
    bool stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(1000);
        return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }
    Mouse(const Mouse&) = delete;
    Mouse& operator=(const Mouse&) = delete;

    QString socket() const { return folder_ + QStringLiteral("/hidraw-mouse.sock"); }
    QString wireLogFile() const { return folder_ + QStringLiteral("/wire.jsonl"); }

    // Started and its node present; false with its output in `log()` otherwise.
    bool start(const QStringList& extra = {})
    {
        process_.start(dist_ + QStringLiteral("/j2-hidraw-mouse"),
                       QStringList{QStringLiteral("serve"), QStringLiteral("--socket"), socket(),
                                   QStringLiteral("--wire-log"), wireLogFile()} +
                           extra);
        QElapsedTimer timer;
        timer.start();
        while (!(QFile::exists(socket()) && QFile::exists(kNode)) && timer.elapsed() < 10000 &&
               process_.state() != QProcess::NotRunning)
            QTest::qWait(20);
        return QFile::exists(socket()) && QFile::exists(kNode);
    }

    QString log() { return QString::fromLocal8Bit(process_.readAll()); }

    // `j2-virtual-mouse ctl` with one command; its standard output, or a null array when it failed.
    QByteArray ctl(const QStringList& command) const
    {
        QProcess control;
        control.start(dist_ + QStringLiteral("/j2-virtual-mouse"),
                      QStringList{QStringLiteral("ctl"), QStringLiteral("--socket"), socket()} + command);
        if (!control.waitForFinished(5000) || control.exitCode() != 0)
            return {};
        const QByteArray output = control.readAllStandardOutput();
        return output.isNull() ? QByteArray("") : output;
    }

    QJsonObject state() const { return QJsonDocument::fromJson(ctl({QStringLiteral("dump")})).object(); }

    // The wire log's entries so far, oldest first.
    QList<QJsonObject> wireLog() const
    {
        QList<QJsonObject> entries;
        QFile file(wireLogFile());
        if (!file.open(QIODevice::ReadOnly))
            return entries;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                entries.append(QJsonDocument::fromJson(line).object());
        return entries;
    }

private:
    QString dist_;
    QString folder_;
    QProcess process_;
};

} // namespace hidraw_rig
