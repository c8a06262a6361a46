#pragma once

#include <QString>

#include <memory>

namespace j2::platform {

// Tells whether this is the only running instance of the program for this user. The claim is held for as
// long as the object lives.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;
    // True when no other instance holds the claim; this one holds it from now on.
    virtual bool tryAcquire() = 0;
};

// `name` identifies the program ("j2-configurator").
std::unique_ptr<SingleInstance> makeSingleInstance(const QString& name);

} // namespace j2::platform
