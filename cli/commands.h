#pragma once

// j2ctl's commands: one row each (name, arguments, help text, handler). The help, the man page and the
// completion are all made from these rows, so they cannot disagree with what the program takes.

#include "settings_root.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

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
    // As `open` for a command that reads and writes only the settings files: no mouse is needed.
    std::function<Session*()> openSettings;
    // Set by a command that reads the mouse's DPI notifications, before it opens the mouse.
    bool readsNotifications = false;
    // Set by `open` when no mouse answered but its bootloader is on the bus.
    bool bootloaderFound = false;
    // Set by `open` when the configurator holds the mouse and ran the command itself: its exit status.
    std::optional<int> forwardedStatus;

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
// A one-line notice on stderr about something the command could not do while it did the rest.
void notice(const QString& text);
// With buffers, answers and reasons are appended to them instead of printed (a forwarded request); with
// nulls they are printed again.
void captureOutput(QByteArray* out, QByteArray* err);

// A forwarded request and its answer, as they travel between j2ctl and the configurator.
QByteArray forwardRequest(const QString& command, const QStringList& arguments, bool json);
// Runs a forwarded request on `session` (null before the configurator's modules exist) and returns the
// answer; commands that need the mouse are refused unless it answered.
QByteArray runForwarded(const QByteArray& request, Session* session, bool mouseAnswered);
// Prints a forwarded answer and returns its exit status; nothing when it is not one.
std::optional<int> printForwardedAnswer(const QByteArray& answer);

QString usageText();
QString commandHelp(const Command& command);
QString manPage();
QString bashCompletion();

} // namespace j2::cli
