#include "flash_image.h"

#include "isp_library.h"

#include <algorithm>
#include <array>

namespace j2::isp {

FlashImage::FlashImage() : flash_(kFlashSize, kErasedByte) {}

bool FlashImage::load(const std::uint8_t* bytes, std::uint32_t length)
{
    if (length > kFlashSize || (length > 0 && bytes == nullptr))
        return false;
    std::fill(flash_.begin(), flash_.end(), kErasedByte);
    std::copy_n(bytes, length, flash_.begin());
    loadedLength_ = length;
    loaded_ = true;
    return true;
}

std::span<const std::uint8_t> FlashImage::page(std::uint32_t page) const
{
    return std::span<const std::uint8_t>(flash_).subspan(std::size_t(page) * kPageSize, kPageSize);
}

} // namespace j2::isp
