#pragma once

// j2ctl's commands: one row each (name, arguments, help text, handler). The help, the man page and the
// completion are all made from these rows, so they cannot disagree with what the program takes.

#include "settings_root.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Session;

namespace j2::cli {

enum Exit
{
    kSuccess = 0,
    kNoMouse = 1,
    kBadArguments = 2
};

// What a handler works with: its arguments, the output form, and the mouse, opened on demand.
class Context
{
public:
    QStringList arguments;
    bool json = false;
    StoreLocations locations;
    // Opens the mouse (single-instance claim, backend, handshake); null with the reason printed when no
    // mouse answered or the configurator holds it.
    std::function<Session*()> open;
    // Set by `open` when no mouse answered but its bootloader is on the bus.
    bool bootloaderFound = false;

    // The answer of a reading command: `text` for people, `object` with --json.
    void print(const QString& text, const QJsonObject& object) const;
};

struct Command
{
    const char* name;
    const char* arguments;
    const char* summary;
    const char* help;
    int (*handler)(Context& context);
};

const QList<Command>& commands();
const Command* findCommand(const QString& name);

// A one-line reason on stderr and the exit status that goes with it.
int fail(int status, const QString& reason);

QString usageText();
QString commandHelp(const Command& command);
QString manPage();
QString bashCompletion();

} // namespace j2::cli
