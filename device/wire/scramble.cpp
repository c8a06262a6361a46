#include "report.h"

#include <utility>

namespace j2::wire {

namespace {

constexpr std::array<std::uint8_t, 8> kAddend = {'T', 'e', 'V', 'q', 'a', 'W', 'i', 'z'};

constexpr std::uint8_t nibbleSwapped(std::uint8_t value)
{
    return static_cast<std::uint8_t>((value << 4) | (value >> 4));
}

// The permutation is its own inverse: the same four swaps undo it.
void permute(std::uint8_t* p)
{
    std::swap(p[0], p[5]);
    std::swap(p[1], p[4]);
    std::swap(p[2], p[7]);
    std::swap(p[3], p[6]);
}

void mixCode(std::uint8_t* p, const SecrecyCode& code)
{
    for (std::size_t k = 1; k <= 6; ++k)
        p[k] ^= code[k];
}

std::uint64_t toNumber(const std::uint8_t* p)
{
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < 8; ++k)
        value = (value << 8) | p[k];
    return value;
}

void fromNumber(std::uint64_t value, std::uint8_t* p)
{
    for (std::size_t k = 8; k-- > 0;) {
        p[k] = static_cast<std::uint8_t>(value & 0xFFu);
        value >>= 8;
    }
}

} // namespace

bool loadSecrecyCode(SecrecyCode& code, const char* text, std::size_t length)
{
    if (length != 6)
        return false;
    for (std::size_t k = 0; k < 6; ++k)
        code[k + 1] = static_cast<std::uint8_t>(text[k]);
    return true;
}

void scramble(std::uint8_t* block, const SecrecyCode& code)
{
    permute(block);
    mixCode(block, code);
    const std::uint64_t value = toNumber(block);
    fromNumber((value << 3) | (value >> 61), block);
    for (std::size_t k = 0; k < 8; ++k)
        block[k] = static_cast<std::uint8_t>(block[k] + nibbleSwapped(kAddend[k]));
}

void removeAddendsAndRotation(std::uint8_t* block)
{
    for (std::size_t k = 0; k < 8; ++k)
        block[k] = static_cast<std::uint8_t>(block[k] - nibbleSwapped(kAddend[k]));
    const std::uint64_t value = toNumber(block);
    fromNumber((value >> 3) | (value << 61), block);
}

void descramble(std::uint8_t* block, const SecrecyCode& code)
{
    removeAddendsAndRotation(block);
    mixCode(block, code);
    permute(block);
}

} // namespace j2::wire
