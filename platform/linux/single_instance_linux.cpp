#include "platform_log.h"
#include "show_request_channel.h"
#include "single_instance.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

namespace j2::platform {

namespace {

// A lock file and the socket for show requests in the user's runtime folder (private to the user, 0700),
// never in a shared temp folder where another user could plant or hold them. A lock left by a crashed
// instance is recognised as stale.
class LockFileInstance final : public SingleInstance
{
public:
    explicit LockFileInstance(const QString& name)
    {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (folder.isEmpty())
            folder = QDir::homePath();
        const QString base = folder + QLatin1Char('/') + name;
        lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        socketPath = base + QStringLiteral(".sock");
    }

    bool tryAcquire() override { return lock->tryLock(0); }

    bool listenForShowRequests(std::function<bool()> showWindow, CommandRunner runCommand) override
    {
        if (!server.listen(socketPath, true, std::move(showWindow), std::move(runCommand)))
            return false;
        // The folder already keeps others out; the socket itself says the same.
        if (!QFile::setPermissions(server.fullServerName(), QFile::ReadOwner | QFile::WriteOwner))
            qCWarning(lcPlatform).noquote()
                << "single instance: cannot restrict" << socketPath << "to its owner";
        return true;
    }

    bool askRunningToShow(int timeoutMs) override { return requestShow(socketPath, timeoutMs); }
    std::optional<QByteArray> askRunningToRun(const QByteArray& request, int timeoutMs) override
    {
        return requestRun(socketPath, request, timeoutMs);
    }

private:
    std::unique_ptr<QLockFile> lock;
    QString socketPath;
    ShowRequestServer server;
};

} // namespace

std::unique_ptr<SingleInstance> makeSingleInstance(const QString& name)
{
    return std::make_unique<LockFileInstance>(name);
}

} // namespace j2::platform
