#include "firmware_state.h"

#include <algorithm>

namespace j2::vm {

FirmwareState FirmwareState::factory()
{
    FirmwareState firmware;
    firmware.flash.fill(kErasedByte);
    // A made-up program whose bytes change with the address and the page, so a page written to the wrong
    // place or a page left out never reads the same.
    for (std::size_t address = 0; address < kFactoryFirmwarePages * kFlashPageSize; ++address)
        firmware.flash[address] = std::uint8_t((address * 29 + address / kFlashPageSize) & 0xFFu);
    firmware.pageChecks.fill(kPageVerified);
    return firmware;
}

std::size_t FirmwareState::firstUnverifiedPage(std::size_t pages) const
{
    const auto end = pageChecks.begin() + std::ptrdiff_t(std::min(pages, kFlashPages));
    return std::size_t(
        std::find_if(pageChecks.begin(), end, [](std::uint8_t check) { return check != kPageVerified; }) -
        pageChecks.begin());
}

} // namespace j2::vm
