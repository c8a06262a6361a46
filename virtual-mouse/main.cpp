// j2-virtual-mouse: runs the virtual J2 mouse as a daemon on a Unix socket, and drives a running one.

#include "serve_options.h"
#include "virtual_mouse.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: j2-virtual-mouse serve [--socket PATH] [--state FILE] [--wire-log FILE] [--encode]\n"
    "                              [--secrecy-code CODE] [--bootloader]\n"
    "       j2-virtual-mouse ctl [--socket PATH] COMMAND\n"
    "COMMAND: press-dpi | unplug | plug | plugged | dump | enter-bootloader | fail-opens N |\n"
    "         drop-replies N | withhold-bulk N | delay-replies MS N | unplug-after N | fail-erase N |\n"
    "         fail-blank-check N | fail-program N | fail-verify N | fail-lock N | clear-faults\n"
    "The socket defaults to $J2_VIRTUAL_MOUSE, else $XDG_RUNTIME_DIR/j2-virtual-mouse.sock.\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "j2-virtual-mouse: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

std::string socketFromEnvironment()
{
    const char* named = std::getenv("J2_VIRTUAL_MOUSE");
    if (named && *named)
        return named;
    return j2::vm::defaultSocketPath();
}

// The bootloader steps `ctl fail-<step> N` makes fail.
struct StepCommand
{
    const char* name;
    j2::vm::BootloaderStep step;
};
constexpr StepCommand kStepCommands[] = {
    {"fail-erase", j2::vm::BootloaderStep::Erase},
    {"fail-blank-check", j2::vm::BootloaderStep::BlankCheck},
    {"fail-program", j2::vm::BootloaderStep::Program},
    {"fail-verify", j2::vm::BootloaderStep::Verify},
    {"fail-lock", j2::vm::BootloaderStep::Lock},
};

const StepCommand* stepCommand(const std::string& name)
{
    for (const StepCommand& command : kStepCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

bool parseCount(const std::string& text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < 0 || parsed > 1000000)
        return false;
    value = int(parsed);
    return true;
}

int serve(const std::vector<std::string>& args)
{
    j2::vm::VirtualMouse::Options options;
    std::string socketPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string error;
        switch (j2::vm::takeServeOption(args, i, options, socketPath, error)) {
        case j2::vm::OptionTaken::Yes:
            break;
        case j2::vm::OptionTaken::Error:
            return usageError(error);
        case j2::vm::OptionTaken::No:
            return usageError("unknown or incomplete option " + args[i]);
        }
    }
    if (socketPath.empty())
        socketPath = socketFromEnvironment();
    if (socketPath.empty()) {
        std::fprintf(stderr, "j2-virtual-mouse: no private folder for the socket; give --socket PATH\n");
        return kExitFailure;
    }

    // Signals are taken by sigwait below; block them before any thread starts so none of those gets them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    j2::vm::VirtualMouse mouse(options);
    j2::vm::Server server(mouse, socketPath);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "j2-virtual-mouse: %s\n", error.c_str());
        return kExitFailure;
    }
    std::printf("j2-virtual-mouse: serving on %s\n", socketPath.c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    std::printf("j2-virtual-mouse: stopped (%s)\n", received == SIGINT ? "SIGINT" : "SIGTERM");
    return 0;
}

int control(const std::vector<std::string>& args)
{
    std::string socketPath;
    std::vector<std::string> command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--socket" && i + 1 < args.size())
            socketPath = args[++i];
        else
            command.push_back(args[i]);
    }
    if (command.empty())
        return usageError("ctl needs a command");
    if (socketPath.empty())
        socketPath = socketFromEnvironment();

    j2::vm::RemoteMouse remote(socketPath);
    const std::string& name = command[0];
    std::vector<int> numbers;
    for (std::size_t i = 1; i < command.size(); ++i) {
        int value = 0;
        if (!parseCount(command[i], value))
            return usageError("not a count: " + command[i]);
        numbers.push_back(value);
    }
    auto expect = [&](std::size_t count) { return numbers.size() == count; };

    std::string error;
    bool done = false;
    if (name == "press-dpi" && expect(0)) {
        done = remote.pressDpiButton(&error);
    } else if (name == "unplug" && expect(0)) {
        done = remote.unplug(&error);
    } else if (name == "plug" && expect(0)) {
        done = remote.plug(&error);
    } else if (name == "plugged" && expect(0)) {
        bool plugged = false;
        done = remote.pluggedIn(plugged, &error);
        if (done)
            std::printf("%s\n", plugged ? "plugged in" : "unplugged");
    } else if (name == "dump" && expect(0)) {
        std::string json;
        done = remote.dumpJson(json, &error);
        if (done)
            std::fputs(json.c_str(), stdout);
    } else if (name == "fail-opens" && expect(1)) {
        done = remote.failNextOpens(numbers[0], &error);
    } else if (name == "drop-replies" && expect(1)) {
        done = remote.dropNextReplies(numbers[0], &error);
    } else if (name == "withhold-bulk" && expect(1)) {
        done = remote.withholdNextBulk(numbers[0], &error);
    } else if (name == "delay-replies" && expect(2)) {
        done = remote.delayNextReplies(numbers[0], numbers[1], &error);
    } else if (name == "unplug-after" && expect(1)) {
        done = remote.unplugAfterBulkReports(numbers[0], &error);
    } else if (name == "enter-bootloader" && expect(0)) {
        done = remote.enterBootloader(&error);
    } else if (stepCommand(name) != nullptr && expect(1)) {
        done = remote.failNextSteps(stepCommand(name)->step, numbers[0], &error);
    } else if (name == "clear-faults" && expect(0)) {
        done = remote.clearFaults(&error);
    } else {
        return usageError("unknown command or wrong arguments: " + name);
    }
    if (!done) {
        std::fprintf(stderr, "j2-virtual-mouse: %s\n", error.c_str());
        return kExitFailure;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? kExitUsage : 0;
    }
    const std::string mode = args[0];
    args.erase(args.begin());
    if (mode == "serve")
        return serve(args);
    if (mode == "ctl")
        return control(args);
    return usageError("unknown mode " + mode);
}
