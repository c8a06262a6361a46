#include "bootloader_protocol.h"

#include <array>

namespace j2::wire::boot {

namespace {

constexpr std::uint32_t kCrcPolynomial = 0xEDB88320u;

constexpr std::array<std::uint32_t, 256> crcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t value = n;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ kCrcPolynomial : value >> 1;
        table[n] = value;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = crcTable();

} // namespace

std::uint16_t sum16(std::span<const std::uint8_t> bytes)
{
    std::uint32_t sum = 0;
    for (const std::uint8_t byte : bytes)
        sum += byte;
    return std::uint16_t(sum & 0xFFFFu);
}

std::uint32_t crc32(std::span<const std::uint8_t> bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes)
        crc = kCrcTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

} // namespace j2::wire::boot
