#include "firmware_check.h"

namespace j2::update {

namespace {

// GetChksum's mode for the whole image the library will program.
constexpr int kImageChecksumMode = 1;

} // namespace

IspVerdict checkWithIsp(isp::IspLibrary& library, const QByteArray& image)
{
    IspVerdict verdict;
    std::uint32_t loadedLength = 0;
    std::uint16_t startValue = 0;
    std::uint32_t imageSize = 0;
    std::uint16_t pageSize = 0;
    std::uint32_t pagesUsed = 0;
    std::uint16_t imageChecksum = 0;
    verdict.loadResult = library.LoadProgdata(reinterpret_cast<const std::uint8_t*>(image.constData()),
                                              std::uint32_t(image.size()), &loadedLength, &startValue,
                                              &imageSize, &pageSize, &pagesUsed, &imageChecksum);
    if (verdict.loadResult != 0)
        return verdict;
    verdict.startValue = startValue;

    isp::DeviceInfo info;
    info.size = sizeof(isp::DeviceInfo);
    if (library.GetMCUInfo(&info) != 0 &&
        (info.checksumBlock == kChecksumBlockSmall || info.checksumBlock == kChecksumBlockLarge)) {
        verdict.checksumKnown = true;
        verdict.checksum = library.GetChksum(kImageChecksumMode);
    }
    return verdict;
}

bool acceptFirmware(isp::IspLibrary& library, const FirmwareImage& firmware, quint16* shownChecksum)
{
    const IspVerdict verdict = checkWithIsp(library, firmware.image);
    if (verdict.loadResult != 0)
        return false;
    if (shownChecksum != nullptr)
        *shownChecksum = verdict.checksum;
    return verdict.checksum == firmware.checksum && verdict.startValue == kExpectedStartValue;
}

} // namespace j2::update
