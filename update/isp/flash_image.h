#pragma once

// The flash image the library programs: the loaded firmware followed by erased bytes up to the end of the
// flash, and the two sums taken over it.

#include "bootloader_protocol.h"

#include <cstdint>
#include <span>
#include <vector>

namespace j2::isp {

class FlashImage
{
public:
    FlashImage();
    // False, leaving the image as it was, when `length` is more than the flash holds.
    bool load(const std::uint8_t* bytes, std::uint32_t length);
    bool loaded() const { return loaded_; }
    std::uint32_t loadedLength() const { return loadedLength_; }
    std::span<const std::uint8_t> flash() const { return flash_; }
    std::span<const std::uint8_t> page(std::uint32_t page) const;

private:
    std::vector<std::uint8_t> flash_;
    std::uint32_t loadedLength_ = 0;
    bool loaded_ = false;
};

using wire::boot::crc32;
using wire::boot::sum16;

} // namespace j2::isp
