#include "show_request_channel.h"

#include "platform_log.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

namespace j2::platform {

namespace {

const QByteArray kShow = QByteArrayLiteral("show\n");
const QByteArray kShown = QByteArrayLiteral("shown\n");
const QByteArray kHidden = QByteArrayLiteral("hidden\n");
const QByteArray kRun = QByteArrayLiteral("run ");
// Requests and answers are small; a line longer than this is not one of ours.
constexpr qint64 kMaxLine = 1 << 20;
// A caller that connects and says nothing must not keep a socket open in the running program.
constexpr int kRequestWaitMs = 2000;
constexpr int kConnectRetryMs = 100;

} // namespace

ShowRequestServer::ShowRequestServer() = default;
ShowRequestServer::~ShowRequestServer() = default;

bool ShowRequestServer::listen(const QString& endpoint, bool userOnly, std::function<bool()> showWindow,
                               CommandRunner runCommand)
{
    server = std::make_unique<QLocalServer>();
    if (userOnly)
        server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(endpoint);
    if (!server->listen(endpoint)) {
        qCWarning(lcPlatform).noquote()
            << "single instance: cannot listen on" << endpoint + ":" << server->errorString()
            << "- a second start cannot bring the window back";
        server.reset();
        return false;
    }
    QLocalServer* listening = server.get();
    QObject::connect(listening, &QLocalServer::newConnection, listening, [listening, showWindow, runCommand] {
        while (QLocalSocket* caller = listening->nextPendingConnection()) {
            QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            auto* silence = new QTimer(caller);
            silence->setSingleShot(true);
            QObject::connect(silence, &QTimer::timeout, caller, [caller] { caller->abort(); });
            silence->start(kRequestWaitMs);
            QObject::connect(
                caller, &QLocalSocket::readyRead, caller, [caller, silence, showWindow, runCommand] {
                    if (!caller->canReadLine()) {
                        if (caller->bytesAvailable() > kMaxLine)
                            caller->abort();
                        return;
                    }
                    const QByteArray line = caller->readLine(kMaxLine);
                    if (line.startsWith(kRun) && line.endsWith('\n') && runCommand) {
                        // The request is read; running it may take as long as its writes to the mouse do.
                        silence->stop();
                        const QByteArray request = QByteArray::fromBase64(line.mid(kRun.size()).trimmed());
                        qCDebug(lcPlatform) << "single instance: a command-line request";
                        caller->write(runCommand(request).toBase64() + '\n');
                        caller->disconnectFromServer();
                        return;
                    }
                    if (line != kShow) {
                        caller->abort();
                        return;
                    }
                    qCDebug(lcPlatform) << "single instance: another start asks for the window";
                    caller->write(showWindow() ? kShown : kHidden);
                    caller->disconnectFromServer();
                });
        }
    });
    return true;
}

QString ShowRequestServer::fullServerName() const
{
    return server ? server->fullServerName() : QString();
}

bool requestShow(const QString& endpoint, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance opens its endpoint only once its window exists; a start right after it finds
    // nothing yet, or the endpoint of the one before.
    for (;;) {
        socket.connectToServer(endpoint);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired()) {
            qCDebug(lcPlatform).noquote() << "single instance: the running instance does not answer at"
                                          << endpoint + ":" << socket.errorString();
            return false;
        }
        QThread::msleep(kConnectRetryMs);
    }
    socket.write(kShow);
    QByteArray answer;
    while (!answer.endsWith('\n') && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        answer += socket.readAll();
    }
    if (answer == kShown) {
        qCDebug(lcPlatform) << "single instance: already running; its window is shown";
        return true;
    }
    if (answer == kHidden)
        qCDebug(lcPlatform) << "single instance: already running, in the tray until the mouse answers";
    else
        qCDebug(lcPlatform).noquote()
            << "single instance: the running instance gave no answer:" << socket.errorString();
    return false;
}

std::optional<QByteArray> requestRun(const QString& endpoint, const QByteArray& request, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(endpoint);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        qCDebug(lcPlatform).noquote() << "single instance: the running instance does not answer at"
                                      << endpoint + ":" << socket.errorString();
        return std::nullopt;
    }
    socket.write(kRun + request.toBase64() + '\n');
    QByteArray answer;
    while (!answer.endsWith('\n') && !deadline.hasExpired() && answer.size() < kMaxLine) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        answer += socket.readAll();
    }
    if (!answer.endsWith('\n'))
        return std::nullopt;
    return QByteArray::fromBase64(answer.trimmed());
}

} // namespace j2::platform
