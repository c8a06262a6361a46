// j2-hidraw-mouse: the virtual J2 mouse behind emulated hidraw nodes, so that the unmodified hidapi library
// and our programs reach it exactly as they reach a mouse on USB. Runs only inside the private mount (and
// network) namespace that scripts/with-hidraw-mouse.sh prepares; its socket takes `j2-virtual-mouse ctl`.

#include "hidraw_mouse.h"
#include "serve_options.h"
#include "virtual_mouse.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
// Left in the namespace's own /dev by scripts/with-hidraw-mouse.sh: without it we would be writing into
// the machine's /dev and /sys.
constexpr const char* kNamespaceMark = "/dev/.j2-hidraw-namespace";
constexpr const char* kMountpoint = "/dev/.j2-hidraw";
constexpr mode_t kMountpointMode = 0755;
// Open to every user, as the udev rule makes the mouse's node for the logged-in user.
constexpr mode_t kDefaultNodeMode = 0666;

const char* const kUsage =
    "usage: j2-hidraw-mouse [serve] --socket PATH [--state FILE] [--wire-log FILE] [--encode] "
    "[--secrecy-code CODE]\n"
    "                       [--bootloader] [--node-mode OCTAL] [--node-owner UID[:GID]]\n"
    "Runs inside scripts/with-hidraw-mouse.sh. The node is /dev/hidraw0, mode 0666 owned by root unless\n"
    "--node-mode and --node-owner say otherwise. `j2-virtual-mouse ctl --socket PATH ...` drives the "
    "mouse.\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "j2-hidraw-mouse: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

bool parseNumber(const std::string& text, int base, long maximum, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, base);
    return !text.empty() && *end == '\0' && value >= 0 && value <= maximum;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    // "serve" as j2-virtual-mouse has it, so both start the same way.
    if (!args.empty() && args.front() == "serve")
        args.erase(args.begin());
    j2::vm::VirtualMouse::Options options;
    j2::vm::hidraw::HidrawOptions hidraw;
    hidraw.mountpoint = kMountpoint;
    hidraw.access.mode = kDefaultNodeMode;
    std::string socketPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        long number = 0;
        std::string error;
        const j2::vm::OptionTaken taken = j2::vm::takeServeOption(args, i, options, socketPath, error);
        if (taken == j2::vm::OptionTaken::Error)
            return usageError(error);
        if (taken == j2::vm::OptionTaken::Yes)
            continue;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--node-mode" && hasValue) {
            if (!parseNumber(args[++i], 8, 0777, number))
                return usageError("--node-mode takes an octal mode such as 0600");
            hidraw.access.mode = mode_t(number);
        } else if (arg == "--node-owner" && hasValue) {
            const std::string owner = args[++i];
            const std::size_t colon = owner.find(':');
            long group = 0;
            if (!parseNumber(owner.substr(0, colon), 10, 0x7fffffff, number) ||
                (colon != std::string::npos && !parseNumber(owner.substr(colon + 1), 10, 0x7fffffff, group)))
                return usageError("--node-owner takes UID or UID:GID");
            hidraw.access.owner = uid_t(number);
            hidraw.access.group = gid_t(colon == std::string::npos ? number : group);
        } else {
            return usageError("unknown or incomplete option " + arg);
        }
    }
    if (socketPath.empty())
        return usageError("--socket PATH is needed");
    if (::access(kNamespaceMark, F_OK) != 0) {
        std::fprintf(stderr, "j2-hidraw-mouse: not inside the namespace of scripts/with-hidraw-mouse.sh; "
                             "run it from there\n");
        return kExitFailure;
    }
    {
        // The mark holds the machine's network namespace, which must never hear of our devices.
        std::FILE* mark = std::fopen(kNamespaceMark, "r");
        char line[64] = {};
        if (mark != nullptr) {
            if (std::fgets(line, sizeof line, mark) != nullptr)
                hidraw.machineNetwork = std::string(line, std::strcspn(line, "\n"));
            std::fclose(mark);
        }
    }
    if (::mkdir(kMountpoint, kMountpointMode) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "j2-hidraw-mouse: cannot make %s: %s\n", kMountpoint, std::strerror(errno));
        return kExitFailure;
    }

    // Signals are taken by sigwait below; block them before any thread starts so none of those gets them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    j2::vm::VirtualMouse mouse(options);
    // The node first: once the socket answers, the mouse is attached.
    j2::vm::hidraw::HidrawMouse nodes(mouse, hidraw);
    std::string error;
    if (!nodes.start(&error)) {
        std::fprintf(stderr, "j2-hidraw-mouse: %s\n", error.c_str());
        return kExitFailure;
    }
    j2::vm::Server server(mouse, socketPath);
    if (!server.start(&error)) {
        std::fprintf(stderr, "j2-hidraw-mouse: %s\n", error.c_str());
        return kExitFailure;
    }
    const std::string silence = nodes.udevSilence();
    if (!silence.empty())
        std::fprintf(stderr, "j2-hidraw-mouse: device changes are not announced (%s)\n", silence.c_str());
    std::printf("j2-hidraw-mouse: serving %s on %s\n", nodes.currentNode().c_str(), socketPath.c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    nodes.stop();
    server.stop();
    std::printf("j2-hidraw-mouse: stopped\n");
    return 0;
}
