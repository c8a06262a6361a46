#include "wire_log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

} // namespace

WireLog::WireLog(const std::string& fileName)
{
    if (fileName.empty())
        return;
    const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "j2-virtual-mouse: cannot open wire log %s: %s\n", fileName.c_str(),
                     std::strerror(errno));
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
