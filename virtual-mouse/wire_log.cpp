#include "wire_log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace j2::vm {

namespace {

const char* interfaceName(Interface iface)
{
    switch (iface) {
    case Interface::Control:
        return "control";
    case Interface::Notify:
        return "notify";
    case Interface::Pointer:
        return "pointer";
    case Interface::Bootloader:
        return "bootloader";
    }
    return "";
}

// Names and notes are our own identifiers, but escape anyway so a line always parses.
void appendJsonString(std::string& out, const std::string& text)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

// The log shows every report, secrecy-code queries included, so only its owner may read it. A new file is
// made 0600; an existing one is appended to only when it is a plain file of ours, reached without a link.
int openPrivateLog(const std::string& fileName, std::string& reason)
{
    constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
    constexpr mode_t kPrivate = S_IRUSR | S_IWUSR;
    int fd = ::open(fileName.c_str(), kFlags | O_CREAT | O_EXCL, kPrivate);
    if (fd < 0 && errno == EEXIST)
        fd = ::open(fileName.c_str(), kFlags | O_NONBLOCK);
    if (fd < 0) {
        reason = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
        return -1;
    }
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        info.st_nlink != 1) {
        reason = "it is not a plain file of this user";
        ::close(fd);
        return -1;
    }
    // Exactly 0600 whatever the umask, and tightened if the user's own file was open to others.
    if ((info.st_mode & 07777) != kPrivate && ::fchmod(fd, kPrivate) != 0) {
        reason = std::string("cannot make it private: ") + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

WireLog::WireLog(const std::string& fileName)
{
    if (fileName.empty())
        return;
    std::string reason;
    const int fd = openPrivateLog(fileName, reason);
    if (fd < 0) {
        std::fprintf(stderr, "j2-virtual-mouse: not writing the wire log to %s: %s\n", fileName.c_str(),
                     reason.c_str());
        return;
    }
    file_ = ::fdopen(fd, "a");
    if (!file_)
        ::close(fd);
}

WireLog::~WireLog()
{
    if (file_)
        std::fclose(file_);
}

void WireLog::append(WireEntry entry)
{
    // A report is at most 65 bytes on the wire; whatever a client sends beyond kMaxLoggedBytes is cut, so
    // the log stays bounded however large the reports someone sends.
    if (entry.bytes.size() > kMaxLoggedBytes) {
        entry.bytes.resize(kMaxLoggedBytes);
        entry.note += entry.note.empty() ? "truncated" : ",truncated";
    }
    if (file_) {
        const std::string line = toJsonLine(entry);
        std::fwrite(line.data(), 1, line.size(), file_);
        std::fflush(file_); // a reader tailing the log sees each report as it travels
    }
    if (entries_.size() >= VirtualMouse::kWireLogCapacity)
        entries_.pop_front();
    entries_.push_back(std::move(entry));
}

std::vector<WireEntry> WireLog::entries() const
{
    return {entries_.begin(), entries_.end()};
}

void WireLog::clear()
{
    entries_.clear();
}

std::string WireLog::toJsonLine(const WireEntry& entry)
{
    static const char digits[] = "0123456789abcdef";
    std::string line;
    line.reserve(160 + 2 * entry.bytes.size());
    char time[48];
    std::snprintf(time, sizeof time, "{\"t\":%.3f,\"dir\":", entry.timeMs);
    line += time;
    line += entry.toDevice ? "\"out\"" : "\"in\"";
    line += ",\"if\":\"";
    line += interfaceName(entry.iface);
    line += "\",\"kind\":";
    appendJsonString(line, entry.kind);
    line += ",\"cmd\":";
    appendJsonString(line, entry.command);
    line += ",\"bytes\":\"";
    for (const std::uint8_t byte : entry.bytes) {
        line += digits[byte >> 4];
        line += digits[byte & 0x0F];
    }
    line += "\",\"note\":";
    appendJsonString(line, entry.note);
    line += "}\n";
    return line;
}

} // namespace j2::vm
