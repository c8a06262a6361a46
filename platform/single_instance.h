#pragma once

#include <QString>

#include <functional>
#include <memory>

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
    // cannot be heard; the program runs on without them.
    virtual bool listenForShowRequests(std::function<bool()> showWindow) = 0;
    // A later start: asks the holder to show its window, waiting at most `timeoutMs` for its answer. True
    // when it did; the outcome is on the debug output.
    virtual bool askRunningToShow(int timeoutMs) = 0;
};

// `name` identifies the program ("j2-configurator").
std::unique_ptr<SingleInstance> makeSingleInstance(const QString& name);

} // namespace j2::platform
