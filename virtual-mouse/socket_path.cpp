#include "socket_path.h"

#include "virtual_mouse.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace j2::vm {

namespace {

constexpr const char* kSocketName = "j2-virtual-mouse.sock";

} // namespace

std::string parentFolder(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool ensureFolder(const std::string& dir, std::string* error)
{
    struct stat info
    {};
    if (::stat(dir.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        if (error)
            *error = dir + " is not a folder";
        return false;
    }
    const std::string parent = parentFolder(dir);
    if (parent != dir && !ensureFolder(parent, error))
        return false;
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string defaultSocketPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/" + kSocketName;

    // No runtime folder: a folder of our own under the temp dir. Someone else may have created that name
    // first to catch our socket, so it must be a real folder, ours, and closed to others.
    const char* temp = std::getenv("TMPDIR");
    const std::string base = (temp && *temp) ? temp : "/tmp";
    const std::string dir = base + "/j2-virtual-mouse-" + std::to_string(::geteuid());
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info
    {};
    if (::lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return {};
    if ((info.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        return {};
    return dir + "/" + kSocketName;
}

} // namespace j2::vm
