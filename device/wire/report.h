#pragma once

// Byte layout of the 9-byte feature report shared by the host and the device.

#include <array>
#include <cstddef>
#include <cstdint>

namespace j2::wire {

using FeatureReport = std::array<std::uint8_t, 9>;
// Bytes 1..8 of a feature report: the part that is scrambled.
using Block = std::array<std::uint8_t, 8>;
// Bytes 1..6 hold the six characters of a secrecy code; bytes 0 and 7 are never used.
using SecrecyCode = std::array<std::uint8_t, 8>;

constexpr std::size_t kFeatureReportSize = 9;
constexpr std::size_t kReportIdOffset = 0;
constexpr std::size_t kCommandOffset = 1;
constexpr std::size_t kFirstArgumentOffset = 2;
constexpr std::size_t kLastArgumentOffset = 7;
constexpr std::size_t kChecksumOffset = 8;
constexpr std::size_t kChecksummedBytes = 7; // bytes 1..7
constexpr std::uint8_t kReportId = 0x00;
constexpr std::uint8_t kReadBit = 0x80;

// The largest bulk phase of either command family.
constexpr std::size_t kMaxBulkLength = 512;

// Bitwise NOT of the 8-bit sum of the seven bytes at `bytes`.
constexpr std::uint8_t checksum(const std::uint8_t* bytes)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < kChecksummedBytes; ++i)
        sum += bytes[i];
    return static_cast<std::uint8_t>(~sum & 0xFFu);
}

inline void setChecksum(FeatureReport& report)
{
    report[kChecksumOffset] = checksum(report.data() + kCommandOffset);
}

inline bool checksumValid(const FeatureReport& report)
{
    return report[kChecksumOffset] == checksum(report.data() + kCommandOffset);
}

// A six-character code, character k in byte k+1; any other length leaves `code` unchanged.
bool loadSecrecyCode(SecrecyCode& code, const char* text, std::size_t length);

// Scramble and descramble the 8 bytes at `block` in place (bytes 1..8 of a feature report).
void scramble(std::uint8_t* block, const SecrecyCode& code);
void descramble(std::uint8_t* block, const SecrecyCode& code);

// The first two steps of descramble, the ones that do not involve the code. What they leave of a scrambled
// all-zero block is the code itself in bytes 1..6: that is how a host that does not know a device's code
// learns it from the device's answer to a zero challenge.
void removeAddendsAndRotation(std::uint8_t* block);

} // namespace j2::wire
