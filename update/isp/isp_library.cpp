// The library's calls: offline ones work on the flash image, device ones are exchanges with the bootloader
// through the session's link.

#include "isp_library.h"

#include "bootloader_link.h"
#include "bootloader_protocol.h"
#include "flash_image.h"
#include "isp_protocol.h"

#include <algorithm>

namespace j2::isp {

using protocol::Operation;
using protocol::Reply;
using protocol::Request;
using protocol::Status;

namespace {

// Each device checksum block is one page.
constexpr std::uint32_t kChecksumBlock = kPageSize;

template <typename T> void store(T* target, T value)
{
    if (target)
        *target = value;
}

bool pageRangeValid(std::uint16_t page, int count)
{
    return count >= 1 && std::uint32_t(page) + std::uint32_t(count) <= kPageCount;
}

std::array<std::uint8_t, 4> littleEndian(std::uint32_t value)
{
    return {std::uint8_t(value & 0xFFu), std::uint8_t((value >> 8) & 0xFFu),
            std::uint8_t((value >> 16) & 0xFFu), std::uint8_t(value >> 24)};
}

} // namespace

struct IspLibrary::Impl
{
    // 0 when the bootloader answered ok (its reply in `reply`), the status it answered otherwise, or one of
    // the library's errors. A link that broke is dropped: the session is over.
    int call(const Request& request, Reply* reply = nullptr);

    std::shared_ptr<hid::Backend> backend;
    FlashImage image;
    std::unique_ptr<BootloaderLink> link;
    bool endedBySwitch = false; // the device left for its user program: nothing left to disconnect
};

int IspLibrary::Impl::call(const Request& request, Reply* reply)
{
    if (!link)
        return kNotConnected;
    Reply answer;
    const int result = link->exchange(request, answer);
    if (link->broken())
        link.reset();
    if (result != 0)
        return result;
    if (reply)
        *reply = answer;
    return int(answer.status);
}

IspLibrary::IspLibrary(std::shared_ptr<hid::Backend> backend) : impl_(std::make_unique<Impl>())
{
    impl_->backend = std::move(backend);
}

IspLibrary::~IspLibrary() = default;

int IspLibrary::LoadProgdata(const std::uint8_t* image, std::uint32_t length, std::uint32_t* loadedLength,
                             std::uint16_t* startValue, std::uint32_t* imageSize, std::uint16_t* pageSize,
                             std::uint32_t* pagesUsed, std::uint16_t* imageChecksum)
{
    if (length > kFlashSize)
        return kImageTooLong;
    if (length == 0 || !impl_->image.load(image, length))
        return kBadArgument;
    store(loadedLength, length);
    store(startValue, kStartValue);
    store(imageSize, kFlashSize);
    store(pageSize, std::uint16_t(kPageSize));
    store(pagesUsed, (length + kPageSize - 1) / kPageSize);
    store(imageChecksum, GetChksum(1));
    return 0;
}

int IspLibrary::GetMCUInfo(DeviceInfo* info)
{
    if (!info || info->size != sizeof(DeviceInfo))
        return 0;
    info->pageSize = kPageSize;
    info->pageCount = kPageCount;
    info->flashSize = kFlashSize;
    info->checksumBlock = kChecksumBlock;
    info->erasedValue = kErasedByte;
    info->vendorId = wire::boot::kVendorId;
    info->productId = wire::boot::kProductId;
    info->protocolVersion = protocol::kProtocolVersion;
    return 1;
}

std::uint16_t IspLibrary::GetChksum(int mode)
{
    const auto flash = impl_->image.flash();
    switch (mode) {
    case 0:
        return sum16(flash.first(impl_->image.loadedLength()));
    case 1:
        return sum16(flash);
    case 2: {
        Reply reply;
        const Request request{Operation::FlashChecksum, 0, std::uint16_t(kFlashSize / kChecksumBlock), {}};
        return impl_->call(request, &reply) == 0 ? reply.value0 : 0;
    }
    default:
        return 0;
    }
}

int IspLibrary::ConnectToBootloader()
{
    impl_->link.reset();
    impl_->endedBySwitch = false;
    if (!impl_->backend)
        return kNoDevice;
    std::unique_ptr<hid::Device> device;
    for (const hid::DeviceInfo& found :
         impl_->backend->enumerate(wire::boot::kVendorId, wire::boot::kProductId)) {
        // A device may list several collections; only this usage pair is the bootloader's.
        if (found.vendorId != wire::boot::kVendorId || found.productId != wire::boot::kProductId ||
            found.usagePage != wire::boot::kUsagePage || found.usage != wire::boot::kUsage)
            continue;
        device = impl_->backend->openPath(found.path);
        if (device)
            break;
    }
    if (!device)
        return kNoDevice;
    impl_->link = std::make_unique<BootloaderLink>(std::move(device));

    Reply hello;
    int result = impl_->call({Operation::Hello, protocol::kProtocolVersion, 0, {}}, &hello);
    if (result == 0 && hello.value0 != protocol::kProtocolVersion)
        result = kWrongTarget;
    Reply memory;
    if (result == 0)
        result = impl_->call({Operation::MemoryInfo, 0, 0, {}}, &memory);
    if (result == 0 &&
        (memory.value0 != kPageSize || memory.value1 != kPageCount || memory.value2 != kFlashSize))
        result = kWrongTarget; // programming a different part with this image would brick it
    if (result != 0)
        impl_->link.reset();
    return result;
}

int IspLibrary::GetUserProgramIds(std::uint16_t* vendorId, std::uint16_t* productId)
{
    if (!impl_->link)
        return kNotConnected;
    Reply reply;
    const int result = impl_->call({Operation::UserProgramIds, 0, 0, {}}, &reply);
    if (result != 0)
        return result;
    store(vendorId, reply.value0);
    store(productId, reply.value1);
    return 0;
}

int IspLibrary::EraseByPage(std::uint16_t page, int count, int flags)
{
    if (!impl_->link)
        return kNotConnected;
    if (flags != 0 || !pageRangeValid(page, count))
        return kBadArgument;
    for (int i = 0; i < count; ++i) {
        const int result = impl_->call({Operation::ErasePage, std::uint16_t(page + i), 0, {}});
        if (result != 0)
            return result;
    }
    return 0;
}

int IspLibrary::BlankCheck(int mode)
{
    if (!impl_->link)
        return kNotConnected;
    if (mode != 0)
        return kBadArgument;
    return impl_->call({Operation::BlankCheck, 0, 0, {}});
}

int IspLibrary::PartialProgram(std::uint16_t address, std::uint16_t length)
{
    if (!impl_->link)
        return kNotConnected;
    if (!impl_->image.loaded())
        return kNoImage;
    if (length == 0 || std::uint32_t(address) + length > kFlashSize)
        return kBadArgument;
    int result = impl_->call({Operation::ProgramStart, address, length, {}});
    const auto flash = impl_->image.flash();
    for (std::uint32_t at = address, end = std::uint32_t(address) + length; result == 0 && at < end;) {
        const auto count = std::uint16_t(std::min<std::uint32_t>(protocol::kMaxData, end - at));
        result = impl_->call({Operation::ProgramData, std::uint16_t(at), count, flash.subspan(at, count)});
        at += count;
    }
    return result;
}

int IspLibrary::VerifyByPage(std::uint16_t page, int count, int flags)
{
    if (!impl_->link)
        return kNotConnected;
    if (!impl_->image.loaded())
        return kNoImage;
    if (flags != 0 || !pageRangeValid(page, count))
        return kBadArgument;
    for (int i = 0; i < count; ++i) {
        const auto current = std::uint16_t(page + i);
        const auto expected = littleEndian(crc32(impl_->image.page(current)));
        const int result = impl_->call({Operation::VerifyPage, current, 0, expected});
        if (result != 0)
            return result;
    }
    return 0;
}

int IspLibrary::ExecuteProgramFrom(int mode)
{
    constexpr int kBootPage = 1;
    constexpr int kWholeFlash = 2;
    if (!impl_->link)
        return kNotConnected;
    if (mode != kBootPage && mode != kWholeFlash)
        return kBadArgument;
    return impl_->call({Operation::RunCheck, std::uint16_t(mode), 0, {}});
}

int IspLibrary::LockAll()
{
    return impl_->call({Operation::Lock, 0, 0, {}}) == 0 ? 1 : 0;
}

int IspLibrary::SwitchToUserProgram()
{
    const int result = impl_->call({Operation::SwitchToUser, 0, 0, {}});
    if (result == 0) {
        // The device re-enumerates as the mouse; this handle dies with it.
        impl_->link.reset();
        impl_->endedBySwitch = true;
    }
    return result;
}

int IspLibrary::DisConnectBootloader()
{
    if (!impl_->link) {
        const bool ended = impl_->endedBySwitch;
        impl_->endedBySwitch = false;
        return ended ? 0 : kNotConnected;
    }
    const int result = impl_->call({Operation::Disconnect, 0, 0, {}});
    impl_->link.reset();
    return result;
}

} // namespace j2::isp
