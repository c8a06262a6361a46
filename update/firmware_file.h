#pragma once

// The firmware file data.bin: a 120-byte header that names the window, then the body with the user-mode
// device's ids, the image length, the image checksum, two key bytes and the scrambled image. Every
// multi-byte field is big-endian. The file comes from outside, so nothing here trusts a length it reads.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>

namespace j2::update {

constexpr qsizetype kHeaderSize = 120;
// The 5 bytes a header starts with when the file carries no title of its own.
constexpr std::array<quint8, 5> kHeaderMagic = {0x55, 0xAA, 0x99, 0x88, 0x77};
constexpr const char* kMagicTitle = "Update";

// Everything after the header, image included, is at most this long; the updater never holds more.
constexpr qsizetype kMaxBodySize = 147456;

// A body that starts with these bytes is refused without a word. Five 0xFF bytes are what an erased, never
// written dump starts with, and no real file can start so: the fifth body byte is the high byte of the image
// length, which is 0 for every image that fits the body (and 0xFFFF is no USB vendor id either).
constexpr std::array<quint8, 5> kRefusalMarker = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Offsets within the body.
constexpr qsizetype kVendorIdOffset = 0;  // 2 bytes
constexpr qsizetype kProductIdOffset = 2; // 2 bytes
constexpr qsizetype kLengthOffset = 4;    // 3 bytes
constexpr qsizetype kChecksumOffset = 7;  // 2 bytes
constexpr qsizetype kKey1Offset = 9;
constexpr qsizetype kKey0Offset = 10;
constexpr qsizetype kImageOffset = 11;
constexpr qsizetype kMaxImageSize = kMaxBodySize - kImageOffset;

struct FirmwareImage
{
    QString title; // the window title; empty when writing means the magic header
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint16 checksum = 0; // what the programming library must compute for the image
    quint8 key1 = 0;
    quint8 key0 = 0;
    QByteArray image; // descrambled once parsed; plain when handed to the writer
    bool operator==(const FirmwareImage&) const = default;
};

enum class FirmwareRefusal
{
    None,
    Unreadable,      // the file could not be opened
    TruncatedHeader, // fewer than 120 bytes
    BodyTooLong,     // more than kMaxBodySize bytes after the header
    RefusalMarker,   // the body starts with kRefusalMarker
    TruncatedFields, // the body ends inside the fields before the image
    ImageBeyondEnd,  // the image length names more bytes than the file has
    EmptyImage       // the image length is 0: programming it would leave the mouse without firmware
};

struct FirmwareLoad
{
    FirmwareRefusal refusal = FirmwareRefusal::None;
    bool hasTitle = false; // the header was complete, so firmware.title holds the window title
    FirmwareImage firmware;
    bool accepted() const { return refusal == FirmwareRefusal::None; }
};

// A short English name of the refusal, for messages.
const char* refusalText(FirmwareRefusal refusal);

// The window title a complete header gives: "Update" after the magic, else its text up to the first zero
// byte (or all 120 bytes when there is none) in the local 8-bit code page.
QString headerTitle(const QByteArray& header);

// Checks and splits a whole file. Faults are written to the debug output; the refusal marker is not.
FirmwareLoad parseFirmwareFile(const QByteArray& bytes);
// Reads and parses the file at `path`; "Open data File fail" goes to the debug output when it cannot.
FirmwareLoad loadFirmwareFile(const QString& path);

// XORs the image with the key stream the two key bytes make; two zero keys leave it alone (a plain image).
// The XOR is its own inverse, so the same call scrambles a plain image.
void descrambleImage(QByteArray& image, quint8 key1, quint8 key0);

// A complete file for `firmware`, whose image is plain (it is scrambled here with the keys). An empty title
// writes the magic header; a longer title is cut so that a zero byte still ends it. Empty when the image
// is empty or does not fit the body (more than kMaxImageSize bytes): the updater would refuse either.
QByteArray buildFirmwareFile(const FirmwareImage& firmware);

} // namespace j2::update
