#pragma once

// The little exchange through which a later start asks the running instance to show its window: the later
// one connects to the running one's local socket (a Unix socket, or a named pipe on Windows), writes
// "show", and reads back "shown" or "hidden" (the running one has no window to show yet). A command-line
// client instead writes "run " and its request, and reads back the running instance's answer (both base64 on
// one line), so that only one program at a time talks to the mouse. Both systems' single-instance adapters
// use it with an endpoint of their own.

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;

namespace j2::platform {

// Runs a forwarded request on the GUI thread and returns the answer for the client.
using CommandRunner = std::function<QByteArray(const QByteArray& request)>;

class ShowRequestServer
{
public:
    ShowRequestServer();
    ~ShowRequestServer();
    ShowRequestServer(const ShowRequestServer&) = delete;
    ShowRequestServer& operator=(const ShowRequestServer&) = delete;

    // Listens on `endpoint` (replacing a socket left behind by an instance that crashed: only the holder of
    // the single-instance claim listens) and answers each request with what `showWindow` returns. False,
    // with the reason logged, when it cannot listen. Forwarded requests go to `runCommand`; without one they
    // are refused.
    bool listen(const QString& endpoint, bool userOnly, std::function<bool()> showWindow,
                CommandRunner runCommand = {});
    // The file behind the endpoint where it has one (Unix), for the adapter to tighten its permissions.
    QString fullServerName() const;

private:
    std::unique_ptr<QLocalServer> server;
};

// Sends the request and waits at most `timeoutMs` in all (the running instance may still be starting and
// not yet listening). True when the running instance answered that its window is shown.
bool requestShow(const QString& endpoint, int timeoutMs);

// Hands `request` to the running instance and waits at most `timeoutMs` for its answer; nothing when it did
// not answer.
std::optional<QByteArray> requestRun(const QString& endpoint, const QByteArray& request, int timeoutMs);

} // namespace j2::platform
