#pragma once

// Every report the virtual mouse sees or sends: kept in memory for tests (a bounded ring, so a benchmark of
// thousands of exchanges stays cheap) and, when a file is named, appended to it as JSON lines.

#include "virtual_mouse.h"

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace j2::vm {

class WireLog
{
public:
    // Bytes of one report kept in memory and in the file.
    static constexpr std::size_t kMaxLoggedBytes = 128;

    explicit WireLog(const std::string& fileName);
    ~WireLog();
    WireLog(const WireLog&) = delete;
    WireLog& operator=(const WireLog&) = delete;

    // Not thread-safe: the model calls it under its own lock, so lines keep the order of the wire.
    void append(WireEntry entry);
    std::vector<WireEntry> entries() const;
    void clear();

    static std::string toJsonLine(const WireEntry& entry);

private:
    std::deque<WireEntry> entries_;
    std::FILE* file_ = nullptr;
};

} // namespace j2::vm
