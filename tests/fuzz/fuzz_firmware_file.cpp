// libFuzzer entry for the firmware file parser. Beyond "no crash", every input must keep the parser's
// promises: a title exactly when the header is complete, an accepted image that lies inside the file, and an
// accepted file that the writer can write back to the same fields.

#include "firmware_file.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every refused input says so on the debug output; at thousands of inputs a second that is only noise.
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace j2::update;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const FirmwareLoad load = parseFirmwareFile(bytes);

    check(load.hasTitle == (bytes.size() >= kHeaderSize));
    check(load.refusal != FirmwareRefusal::Unreadable);
    if (!load.accepted())
        return 0;

    const FirmwareImage& firmware = load.firmware;
    check(firmware.image.size() <= bytes.size() - kHeaderSize - kImageOffset);
    check(bytes.size() - kHeaderSize <= kMaxBodySize);

    // The title may come back cut, everything else must come back as it was.
    FirmwareLoad again = parseFirmwareFile(buildFirmwareFile(firmware));
    check(again.accepted());
    again.firmware.title = firmware.title;
    check(again.firmware == firmware);
    return 0;
}
