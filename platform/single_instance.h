#pragma once

#include "show_request_channel.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace j2::platform {

// Tells whether this is the only running instance of the program for this user, and carries a later
// start's request to show the window to the instance that runs. The claim is held for as long as the object
// lives.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;
    // True when no other instance holds the claim; this one holds it from now on.
    virtual bool tryAcquire() = 0;
    // The holder: from now on every later start's request calls `showWindow` on this (the GUI) thread; it
    // returns whether the window is shown. False, with the reason on the debug output, when the requests
    // cannot be heard; the program runs on without them. A command-line client's forwarded request goes to
    // `runCommand` (on the GUI thread too) and its answer back to the client.
    virtual bool listenForShowRequests(std::function<bool()> showWindow, CommandRunner runCommand = {}) = 0;
    // A later start: asks the holder to show its window, waiting at most `timeoutMs` for its answer. True
    // when it did; the outcome is on the debug output.
    virtual bool askRunningToShow(int timeoutMs) = 0;
    // A command-line client: hands `request` to the holder and returns its answer; nothing when the holder
    // did not answer within `timeoutMs`.
    virtual std::optional<QByteArray> askRunningToRun(const QByteArray& request, int timeoutMs) = 0;
};

// `name` identifies the program ("j2-configurator").
std::unique_ptr<SingleInstance> makeSingleInstance(const QString& name);

} // namespace j2::platform
