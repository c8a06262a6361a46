#include "show_request_channel.h"
#include "single_instance.h"
#include "win32_single_instance.h"

namespace j2::platform {

namespace {

class MutexInstance final : public SingleInstance
{
public:
    // Pipe names are machine-wide while the mutex is per session: the user's name keeps two users' pipes
    // apart, and the pipe admits only its owner.
    explicit MutexInstance(const QString& name)
        : name(QStringLiteral("Local\\") + name),
          pipeName(name + QLatin1Char('-') + qEnvironmentVariable("USERNAME"))
    {}
    bool tryAcquire() override { return mutex.acquire(reinterpret_cast<const wchar_t*>(name.utf16())); }
    bool listenForShowRequests(std::function<bool()> showWindow, CommandRunner runCommand) override
    {
        return server.listen(pipeName, true, std::move(showWindow), std::move(runCommand));
    }
    bool askRunningToShow(int timeoutMs) override { return requestShow(pipeName, timeoutMs); }
    std::optional<QByteArray> askRunningToRun(const QByteArray& request, int timeoutMs) override
    {
        return requestRun(pipeName, request, timeoutMs);
    }

private:
    QString name;
    QString pipeName;
    j2::win32::NamedMutex mutex;
    ShowRequestServer server;
};

} // namespace

std::unique_ptr<SingleInstance> makeSingleInstance(const QString& name)
{
    return std::make_unique<MutexInstance>(name);
}

} // namespace j2::platform
