#pragma once

// The flash of the mouse's microcontroller and what its bootloader remembers about it across power cycles
// (docs/bootloader-protocol.md).

#include <array>
#include <cstddef>
#include <cstdint>

namespace j2::vm {

constexpr std::size_t kFlashPageSize = 512;
constexpr std::size_t kFlashPages = 128;
constexpr std::size_t kFlashSize = kFlashPageSize * kFlashPages;
constexpr std::uint8_t kErasedByte = 0xFF;

// What the bootloader knows of a page since it was last erased or programmed.
constexpr std::uint8_t kPageVerified = 0;
constexpr std::uint8_t kPageModified = 1;
constexpr std::uint8_t kPageFailed = 2;

// The factory firmware fills the first pages; the rest of the flash is erased.
constexpr std::size_t kFactoryFirmwarePages = 48;

struct FirmwareState
{
    std::array<std::uint8_t, kFlashSize> flash{};
    std::array<std::uint8_t, kFlashPages> pageChecks{}; // kPageVerified, kPageModified or kPageFailed
    bool bootloaderMode = false;                        // enumerates as the bootloader, not the mouse
    bool locked = false;                                // programming refused until a page is erased

    static FirmwareState factory();
    // The first of pages 0..pages-1 that is not verified, or `pages` when all of them are.
    std::size_t firstUnverifiedPage(std::size_t pages = kFlashPages) const;
    bool runnable() const { return firstUnverifiedPage() == kFlashPages; }
    bool operator==(const FirmwareState&) const = default;
};

} // namespace j2::vm
