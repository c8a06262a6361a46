// j2-virtual-mouse as a program: serve, ctl, signals, exit codes.

#include "daemon.h"
#include "host.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace vmtest;

class TestVmCli : public QObject
{
    Q_OBJECT

private slots:
    void serveAndControl();
    void signalsStopCleanly_data();
    void signalsStopCleanly();
    void scramblingDaemon();
    void secondDaemonRefused();
    void ctlWithoutDaemon();
    void badArguments_data();
    void badArguments();
};

void TestVmCli::serveAndControl()
{
    QTemporaryDir dir;
    const QString socket = dir.filePath("vm.sock");
    const QString state = dir.filePath("state.json");
    Daemon daemon;
    QVERIFY(daemon.start({"--socket", socket, "--state", state, "--wire-log", dir.filePath("wire.jsonl")}));

    QCOMPARE(run({"ctl", "--socket", socket, "press-dpi"}).exitCode, 0);
    const Result dump = run({"ctl", "--socket", socket, "dump"});
    QCOMPARE(dump.exitCode, 0);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(dump.out, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QCOMPARE(json.value("currentDpiStage").toInt(), 2);
    QCOMPARE(json.value("firmwareVersion").toString(), QString("010a"));

    // Without --socket, ctl finds the daemon through J2_VIRTUAL_MOUSE.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("J2_VIRTUAL_MOUSE", socket);
    QCOMPARE(run({"ctl", "unplug"}, environment).exitCode, 0);
    QCOMPARE(run({"ctl", "plugged"}, environment).out, QByteArray("unplugged\n"));
    QCOMPARE(run({"ctl", "plug"}, environment).exitCode, 0);
    QCOMPARE(run({"ctl", "plugged"}, environment).out, QByteArray("plugged in\n"));

    // The host side works against the daemon too.
    auto backend = j2::vm::makeSocketBackend(socket.toStdString());
    Host host(*backend);
    const auto stage = host.query(request(0x8B));
    QVERIFY(stage);
    QCOMPARE((*stage)[2], std::uint8_t(2));

    QCOMPARE(daemon.stop(SIGTERM), 0);
    QVERIFY(!QFile::exists(socket));
    QFile saved(state);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(saved.readAll()).object().value("currentDpiStage").toInt(), 2);
    QVERIFY(QFile(dir.filePath("wire.jsonl")).size() > 0);
}

void TestVmCli::signalsStopCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestVmCli::signalsStopCleanly()
{
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString socket = dir.filePath("vm.sock");
    Daemon daemon;
    QVERIFY(daemon.start({"--socket", socket}));
    // A client blocked in a read must not hold the daemon up.
    auto backend = j2::vm::makeSocketBackend(socket.toStdString());
    auto notify = backend->openPath(j2::vm::kNotifyPath);
    QVERIFY(notify);
    std::thread reader([&] {
        std::uint8_t report[4];
        notify->read(report, sizeof report);
    });
    sleepMs(50);
    QCOMPARE(daemon.stop(signal), 0);
    reader.join();
    QVERIFY(!QFile::exists(socket));
}

void TestVmCli::scramblingDaemon()
{
    QTemporaryDir dir;
    const QString socket = dir.filePath("vm.sock");
    Daemon daemon;
    QVERIFY(daemon.start({"--socket", socket, "--encode", "--secrecy-code", "Xy7Q2w"}));
    auto backend = j2::vm::makeSocketBackend(socket.toStdString());
    Host host(*backend);
    host.encode = true;
    host.code = codeOf("Xy7Q2w");
    const auto reply = host.query(request(0x00, {9, 8, 7, 6}));
    QVERIFY(reply);
    QCOMPARE(hex(reply->data() + 2, 4), QByteArray("09080706"));
    QCOMPARE(daemon.stop(SIGTERM), 0);
}

void TestVmCli::secondDaemonRefused()
{
    QTemporaryDir dir;
    const QString socket = dir.filePath("vm.sock");
    Daemon daemon;
    QVERIFY(daemon.start({"--socket", socket}));
    const Result second = run({"serve", "--socket", socket});
    QCOMPARE(second.exitCode, 1);
    QVERIFY2(second.err.contains("another"), second.err.constData());
    QCOMPARE(run({"ctl", "--socket", socket, "press-dpi"}).exitCode, 0);
    QCOMPARE(daemon.stop(SIGTERM), 0);
}

void TestVmCli::ctlWithoutDaemon()
{
    QTemporaryDir dir;
    const Result result = run({"ctl", "--socket", dir.filePath("nobody.sock"), "dump"});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("no daemon"), result.err.constData());
    QVERIFY(result.out.isEmpty());
}

void TestVmCli::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("code too short") << QStringList{"serve", "--encode", "--secrecy-code", "abc"}
                                    << QByteArray("6 characters");
    QTest::newRow("code too long") << QStringList{"serve", "--secrecy-code", "1234567"}
                                   << QByteArray("6 characters");
    QTest::newRow("code missing") << QStringList{"serve", "--secrecy-code"} << QByteArray("--secrecy-code");
    QTest::newRow("unknown option") << QStringList{"serve", "--colour"} << QByteArray("--colour");
    QTest::newRow("no mode") << QStringList{} << QByteArray("usage");
    QTest::newRow("unknown mode") << QStringList{"start"} << QByteArray("start");
    QTest::newRow("ctl without command") << QStringList{"ctl"} << QByteArray("command");
    QTest::newRow("ctl count not a number") << QStringList{"ctl", "fail-opens", "x"} << QByteArray("x");
    QTest::newRow("ctl count missing")
        << QStringList{"ctl", "delay-replies", "10"} << QByteArray("delay-replies");
}

void TestVmCli::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);
    const Result result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains(message), result.err.constData());
}

QTEST_GUILESS_MAIN(TestVmCli)
#include "test_vm_cli.moc"
