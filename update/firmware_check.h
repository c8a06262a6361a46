#pragma once

// What the programming library says about a firmware image: whether it takes the image, and the checksum
// it will program, which must equal the one the firmware file carries.

#include "firmware_file.h"
#include "isp_library.h"

namespace j2::update {

// LoadProgdata's second result for a library that targets our part.
constexpr quint16 kExpectedStartValue = 0x4000;
// Checksum blocks (GetMCUInfo, offset 16) for which the library's image checksum is meaningful.
constexpr quint32 kChecksumBlockSmall = 512;
constexpr quint32 kChecksumBlockLarge = 1024;

struct IspVerdict
{
    int loadResult = -1;    // LoadProgdata: 0 = image taken
    quint16 startValue = 0; // LoadProgdata's second result
    bool checksumKnown = false;
    quint16 checksum = 0; // GetChksum(1) when known, else 0
};

// Loads `image` into the library and asks for the checksum it will program. The checksum is queried only
// when the image was taken and GetMCUInfo describes a checksum block of 512 or 1024 bytes.
IspVerdict checkWithIsp(isp::IspLibrary& library, const QByteArray& image);

// The updater's start-up check of a parsed file. `shownChecksum` (may be null) receives the checksum the
// window shows once the library took the image. True when that checksum equals the file's and the library
// reports the expected start value.
bool acceptFirmware(isp::IspLibrary& library, const FirmwareImage& firmware, quint16* shownChecksum);

} // namespace j2::update
