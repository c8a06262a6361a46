// The daemon's socket: the same exchanges as in-process, the socket's place and mode, plug events, and
// shutting down while clients wait.

#include "host.h"
#include "socket_io.h"
#include "socket_protocol.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <filesystem>
#include <future>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace vmtest;
using j2::vm::VirtualMouse;

namespace {

int modeOf(const std::string& path)
{
    struct stat info
    {};
    return ::lstat(path.c_str(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Waits for `condition` with a deadline, checking every few milliseconds.
template <typename Condition> bool eventually(Condition condition, int timeoutMs = 2000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        sleepMs(5);
    }
    return true;
}

class EnvironmentOverride
{
public:
    EnvironmentOverride(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name))
    {
        had_ = qEnvironmentVariableIsSet(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentOverride()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_ = false;
};

} // namespace

class TestVmSocket : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        path = dir.filePath("run/sub/mouse.sock").toStdString();
        mouse = std::make_unique<VirtualMouse>();
        server = std::make_unique<j2::vm::Server>(*mouse, path);
        std::string error;
        QVERIFY2(server->start(&error), error.c_str());
        backend = j2::vm::makeSocketBackend(path);
    }
    void cleanup()
    {
        backend.reset();
        server.reset();
        mouse.reset();
    }

    void socketIsPrivate();
    void exchangesMatchInProcess();
    void notificationsAndNonblockingReads();
    void unplugFailsRemoteHandles();
    void secondServerRefused();
    void staleSocketReplaced();
    void remoteControl();
    void plugEventsReachWatcher();
    void stopEndsBlockedReadPromptly();
    void abandonedReadDoesNotSwallowReports();
    void noDaemonFailsFast();
    void connectionsAreBoundedAndReleased();
    void halfSentRequestIsDropped();
    void defaultSocketPath_data();
    void defaultSocketPath();

private:
    QTemporaryDir dir;
    std::string path;
    std::unique_ptr<VirtualMouse> mouse;
    std::unique_ptr<j2::vm::Server> server;
    std::unique_ptr<j2::hid::Backend> backend;
};

void TestVmSocket::socketIsPrivate()
{
    QCOMPARE(modeOf(path), 0600);
    QCOMPARE(modeOf(dir.filePath("run/sub").toStdString()) & 0777, 0700);
    QCOMPARE(modeOf(dir.filePath("run").toStdString()) & 0777, 0700);
    server->stop();
    QCOMPARE(modeOf(path), -1); // removed
}

void TestVmSocket::exchangesMatchInProcess()
{
    const auto devices = backend->enumerate(j2::vm::kVendorId, j2::vm::kProductId);
    QCOMPARE(devices.size(), std::size_t(3));
    QCOMPARE(devices[1].path, std::string(j2::vm::kNotifyPath));
    QCOMPARE(devices[1].usagePage, j2::vm::kNotifyUsagePage);
    QCOMPARE(devices[1].interfaceNumber, 1);

    Host host(*backend);
    const auto version = host.query(request(0x80));
    QVERIFY(version);
    QCOMPARE(hex(version->data(), 9), hex(request(0x80, {0x01, 0x0A}).data(), 9));
    QVERIFY(host.writeBulk(request(0x12, {0x00, 0x02, 0x08, 0x01}), pattern(512, 8)));
    const auto picture = host.readBulk(request(0x92, {0x00, 0x02}), 512);
    QVERIFY(picture);
    QCOMPARE(*picture, pattern(512, 8));
    QCOMPARE(int(logged(*mouse, "output").size()), 8);
    QCOMPARE(mouse->busyViolations(), 0);
}

void TestVmSocket::notificationsAndNonblockingReads()
{
    Host host(*backend);
    QVERIFY(host.writeBulk(request(0x01, {0x08}), {}, false));
    auto notify = backend->openPath(j2::vm::kNotifyPath);
    QVERIFY(notify);
    std::uint8_t report[8] = {};
    QCOMPARE(notify->readTimeout(report, sizeof report, 30), 0);
    QCOMPARE(notify->setNonblocking(true), 0);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(notify->read(report, sizeof report), 0);
    QVERIFY(timer.elapsed() < 500);
    QCOMPARE(notify->setNonblocking(false), 0);

    auto reader = std::async(std::launch::async, [&] { return notify->read(report, sizeof report); });
    sleepMs(30);
    mouse->pressDpiButton();
    QCOMPARE(reader.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    QCOMPARE(reader.get(), 4);
    QCOMPARE(hex(report, 4), QByteArray("06070002"));
}

void TestVmSocket::unplugFailsRemoteHandles()
{
    auto control = backend->openPath(j2::vm::kControlPath);
    QVERIFY(control);
    mouse->unplug();
    const FeatureReport report = request(0x80);
    QCOMPARE(control->sendFeatureReport(report.data(), report.size()), -1);
    QVERIFY(backend->enumerate(0, 0).empty());
    QVERIFY(backend->openPath(j2::vm::kControlPath) == nullptr);
    mouse->plug();
    QCOMPARE(control->sendFeatureReport(report.data(), report.size()), -1);
    QVERIFY(backend->openPath(j2::vm::kControlPath) != nullptr);
}

void TestVmSocket::secondServerRefused()
{
    VirtualMouse other;
    j2::vm::Server second(other, path);
    std::string error;
    QVERIFY(!second.start(&error));
    QVERIFY2(QByteArray::fromStdString(error).contains("another"), error.c_str());
    QVERIFY(Host(*backend).query(request(0x80))); // the first one still serves

    const std::string plainFile = dir.filePath("not-a-socket").toStdString();
    QFile(QString::fromStdString(plainFile)).open(QIODevice::WriteOnly);
    j2::vm::Server third(other, plainFile);
    QVERIFY(!third.start(&error));
    QVERIFY(QFile::exists(QString::fromStdString(plainFile)));
}

void TestVmSocket::staleSocketReplaced()
{
    server->stop();
    // A socket file nobody listens on, as a daemon that was killed leaves it.
    {
        j2::vm::net::Fd stale(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        QCOMPARE(::bind(stale.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    QCOMPARE(modeOf(path) >= 0, true);
    std::string error;
    QVERIFY2(server->start(&error), error.c_str());
    QVERIFY(Host(*backend).query(request(0x80)));
}

void TestVmSocket::remoteControl()
{
    j2::vm::RemoteMouse remote(path);
    std::string error;
    QVERIFY2(remote.pressDpiButton(&error), error.c_str());
    QCOMPARE(mouse->state().currentDpiStage, std::uint8_t(2));
    std::string json;
    QVERIFY(remote.dumpJson(json, &error));
    QCOMPARE(
        QJsonDocument::fromJson(QByteArray::fromStdString(json)).object().value("currentDpiStage").toInt(),
        2);

    QVERIFY(remote.dropNextReplies(1, &error));
    Host host(*backend);
    QVERIFY(!host.query(request(0x80)));
    QVERIFY(host.query(request(0x80)));
    QVERIFY(remote.failNextOpens(1, &error));
    QVERIFY(backend->openPath(j2::vm::kControlPath) == nullptr);
    QVERIFY(remote.withholdNextBulk(1, &error));
    QVERIFY(host.query(request(0x91)));
    std::uint8_t input[65];
    QCOMPARE(host.readReport(input, sizeof input, 30), 0);
    QVERIFY(remote.delayNextReplies(100, 1, &error));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(host.query(request(0x80)));
    QVERIFY(timer.elapsed() >= 100);
    QVERIFY(remote.unplugAfterBulkReports(1, &error));
    QVERIFY(host.readBulk(request(0x91), 8));
    QVERIFY(!mouse->pluggedIn());
    bool plugged = true;
    QVERIFY(remote.pluggedIn(plugged, &error));
    QVERIFY(!plugged);
    QVERIFY(remote.plug(&error));
    QVERIFY(mouse->pluggedIn());
    QVERIFY(remote.unplug(&error));
    QVERIFY(!mouse->pluggedIn());
    QVERIFY(remote.clearFaults(&error));
}

void TestVmSocket::plugEventsReachWatcher()
{
    std::mutex mutex;
    QByteArray heard;
    auto seen = [&] {
        std::lock_guard lock(mutex);
        return heard;
    };
    j2::vm::PlugEventWatcher watcher(path, [&](bool pluggedIn) {
        std::lock_guard lock(mutex);
        heard += pluggedIn ? 'P' : 'U';
    });
    watcher.start();
    QVERIFY(eventually([&] { return seen() == "P" && watcher.connected(); }));
    mouse->unplug();
    QVERIFY(eventually([&] { return seen() == "PU"; }));
    j2::vm::RemoteMouse(path).plug();
    QVERIFY(eventually([&] { return seen() == "PUP"; }));

    // The daemon goes away: no daemon, no mouse; it comes back: subscribed again.
    server->stop();
    QVERIFY(eventually([&] { return seen() == "PUPU"; }));
    QVERIFY(!watcher.connected());
    QVERIFY(server->start());
    QVERIFY(eventually([&] { return seen() == "PUPUP"; }));

    QElapsedTimer timer;
    timer.start();
    watcher.stop();
    QVERIFY(timer.elapsed() < 500);
    mouse->unplug();
    sleepMs(50);
    QCOMPARE(seen(), QByteArray("PUPUP"));
}

void TestVmSocket::stopEndsBlockedReadPromptly()
{
    auto notify = backend->openPath(j2::vm::kNotifyPath);
    auto control = backend->openPath(j2::vm::kControlPath);
    QVERIFY(notify && control);
    auto blocked = std::async(std::launch::async, [&] {
        std::uint8_t report[8];
        return notify->read(report, sizeof report);
    });
    auto timed = std::async(std::launch::async, [&] {
        std::uint8_t report[65];
        return control->readTimeout(report, sizeof report, 60000);
    });
    sleepMs(100);
    QElapsedTimer timer;
    timer.start();
    server->stop();
    QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(blocked.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    QCOMPARE(timed.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    QCOMPARE(blocked.get(), -1);
    QCOMPARE(timed.get(), -1);
}

void TestVmSocket::abandonedReadDoesNotSwallowReports()
{
    // A client that asks for a blocking read and hangs up: the daemon must stop reading for it, or it would
    // take the next notification away from the host.
    Host host(*backend);
    QVERIFY(host.writeBulk(request(0x01, {0x08}), {}, false));
    {
        namespace net = j2::vm::net;
        namespace protocol = j2::vm::protocol;
        net::Fd socket = net::connectTo(path, 1000, nullptr);
        QVERIFY(socket.valid());
        std::vector<std::uint8_t> response;
        net::Writer open;
        open.u8(std::uint8_t(protocol::Op::Open)).text(j2::vm::kNotifyPath);
        QCOMPARE(net::sendFrame(socket.get(), open.take(), 1000), net::Io::Ok);
        QCOMPARE(net::receiveFrame(socket.get(), response, 1000), net::Io::Ok);
        net::Writer read;
        read.u8(std::uint8_t(protocol::Op::Read)).i32(4).i32(-1);
        QCOMPARE(net::sendFrame(socket.get(), read.take(), 1000), net::Io::Ok);
        sleepMs(20);
    }
    sleepMs(300); // a few read slices
    mouse->pressDpiButton();
    auto notify = backend->openPath(j2::vm::kNotifyPath);
    std::uint8_t report[4] = {};
    QCOMPARE(notify->readTimeout(report, sizeof report, 1000), 4);
}

void TestVmSocket::noDaemonFailsFast()
{
    server->stop();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(backend->enumerate(0, 0).empty());
    QVERIFY(backend->openPath(j2::vm::kControlPath) == nullptr);
    std::string error;
    QVERIFY(!j2::vm::RemoteMouse(path).pressDpiButton(&error));
    QVERIFY(!error.empty());
    QVERIFY(timer.elapsed() < 500);
}

namespace {

int openDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// The client's end sees the daemon close the connection within `timeoutMs`.
bool closedByPeer(int fd, int timeoutMs)
{
    pollfd poller{fd, POLLIN, 0};
    if (::poll(&poller, 1, timeoutMs) <= 0)
        return false;
    std::uint8_t byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

} // namespace

// Each connection holds a thread of the program that serves the mouse (the configurator itself with
// --virtual-mouse): their number is bounded, and ended ones give their descriptors back even while nobody
// connects.
void TestVmSocket::connectionsAreBoundedAndReleased()
{
    backend.reset();
    const int before = openDescriptors();
    std::vector<j2::vm::net::Fd> clients;
    for (std::size_t i = 0; i < j2::vm::Server::kMaxConnections; ++i) {
        clients.push_back(j2::vm::net::connectTo(path, 1000, nullptr));
        QVERIFY(clients.back().valid());
    }
    j2::vm::net::Fd extra = j2::vm::net::connectTo(path, 1000, nullptr);
    QVERIFY(extra.valid());
    QVERIFY(closedByPeer(extra.get(), 2000));
    QVERIFY(!closedByPeer(clients.front().get(), 0));
    extra.reset();
    clients.clear();
    QVERIFY2(eventually([&] { return openDescriptors() <= before; }),
             qPrintable(QStringLiteral("%1 descriptors, %2 before").arg(openDescriptors()).arg(before)));
    j2::vm::RemoteMouse remote(path);
    bool plugged = false;
    QVERIFY(remote.pluggedIn(plugged) && plugged);
}

// A request that stops half-way must not hold its thread for good.
void TestVmSocket::halfSentRequestIsDropped()
{
    j2::vm::net::Fd client = j2::vm::net::connectTo(path, 1000, nullptr);
    QVERIFY(client.valid());
    const std::uint8_t halfHeader[2] = {0x05, 0x00};
    QCOMPARE(::send(client.get(), halfHeader, sizeof halfHeader, MSG_NOSIGNAL), ssize_t(2));
    QVERIFY(!closedByPeer(client.get(), 200));
    QVERIFY(closedByPeer(client.get(), j2::vm::protocol::kRequestTimeoutMs + 1000));
}

void TestVmSocket::defaultSocketPath_data()
{
    QTest::addColumn<bool>("runtimeDir");
    QTest::addColumn<QString>("prepared"); // what already sits at the private folder's name
    QTest::addColumn<bool>("accepted");

    QTest::newRow("runtime folder") << true << QString() << true;
    QTest::newRow("temp, created") << false << QString() << true;
    QTest::newRow("temp, ours but open") << false << QString("open folder") << true;
    QTest::newRow("temp, a symlink") << false << QString("symlink") << false;
    QTest::newRow("temp, someone else's") << false << QString("foreign folder") << false;
}

void TestVmSocket::defaultSocketPath()
{
    QFETCH(bool, runtimeDir);
    QFETCH(QString, prepared);
    QFETCH(bool, accepted);

    QTemporaryDir temp;
    const QByteArray runtime = runtimeDir ? temp.filePath("runtime").toLocal8Bit() : QByteArray();
    EnvironmentOverride xdg("XDG_RUNTIME_DIR", runtime);
    EnvironmentOverride tmp("TMPDIR", temp.path().toLocal8Bit());
    const std::string folder = temp.filePath("j2-virtual-mouse-%1").arg(::geteuid()).toStdString();
    if (prepared == "open folder") {
        QVERIFY(::mkdir(folder.c_str(), 0777) == 0 && ::chmod(folder.c_str(), 0777) == 0);
    } else if (prepared == "symlink") {
        QVERIFY(::mkdir(temp.filePath("elsewhere").toLocal8Bit().constData(), 0700) == 0);
        QVERIFY(::symlink(temp.filePath("elsewhere").toLocal8Bit().constData(), folder.c_str()) == 0);
    } else if (prepared == "foreign folder") {
        if (::geteuid() != 0)
            QSKIP("needs root to make a folder that belongs to someone else");
        QVERIFY(::mkdir(folder.c_str(), 0700) == 0 && ::chown(folder.c_str(), 65534, 65534) == 0);
    }

    const std::string found = j2::vm::defaultSocketPath();
    if (!accepted) {
        QCOMPARE(found, std::string());
        return;
    }
    if (runtimeDir) {
        QCOMPARE(found, runtime.toStdString() + "/j2-virtual-mouse.sock");
        return;
    }
    QCOMPARE(found, folder + "/j2-virtual-mouse.sock");
    QCOMPARE(modeOf(folder), int(S_IFDIR | 0700) & 07777);
}

QTEST_GUILESS_MAIN(TestVmSocket)
#include "test_vm_socket.moc"
