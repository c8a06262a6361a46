#include "report_descriptor.h"

#include "bootloader_protocol.h"
#include "report.h"
#include "virtual_mouse.h"

namespace j2::vm::hidraw {

namespace {

// Short items of the HID 1.11 report descriptor: tag, type and size in the first byte.
constexpr std::uint8_t kUsagePage16 = 0x06;
constexpr std::uint8_t kUsage8 = 0x09;
constexpr std::uint8_t kUsage16 = 0x0A;
constexpr std::uint8_t kCollection = 0xA1;
constexpr std::uint8_t kEndCollection = 0xC0;
constexpr std::uint8_t kLogicalMinimum8 = 0x15;
constexpr std::uint8_t kLogicalMaximum16 = 0x26;
constexpr std::uint8_t kReportSize8 = 0x75;
constexpr std::uint8_t kReportCount8 = 0x95;
constexpr std::uint8_t kInput = 0x81;
constexpr std::uint8_t kOutput = 0x91;
constexpr std::uint8_t kFeature = 0xB1;
constexpr std::uint8_t kApplication = 0x01;
constexpr std::uint8_t kDataVariableAbsolute = 0x02;
constexpr std::uint8_t kBitsPerByte = 8;
constexpr std::uint16_t kByteMaximum = 0xFF;
// Vendor-defined usages of the fields inside a collection.
constexpr std::uint8_t kInputUsage = 0x01;
constexpr std::uint8_t kOutputUsage = 0x02;
constexpr std::uint8_t kFeatureUsage = 0x03;

struct Collection
{
    std::uint16_t usagePage;
    std::uint16_t usage;
    int inputBytes;   // 0: none
    int outputBytes;  // 0: none
    int featureBytes; // 0: none
};

void put16(std::vector<std::uint8_t>& out, std::uint8_t item, std::uint16_t value)
{
    out.insert(out.end(), {item, std::uint8_t(value & 0xFF), std::uint8_t(value >> 8)});
}

void putField(std::vector<std::uint8_t>& out, std::uint8_t usage, int bytes, std::uint8_t main)
{
    if (bytes <= 0)
        return;
    out.insert(out.end(), {kReportCount8, std::uint8_t(bytes), kUsage8, usage, main, kDataVariableAbsolute});
}

void putCollection(std::vector<std::uint8_t>& out, const Collection& collection)
{
    put16(out, kUsagePage16, collection.usagePage);
    if (collection.usage > 0xFF)
        put16(out, kUsage16, collection.usage);
    else
        out.insert(out.end(), {kUsage8, std::uint8_t(collection.usage)});
    out.insert(out.end(), {kCollection, kApplication, kLogicalMinimum8, 0});
    put16(out, kLogicalMaximum16, kByteMaximum);
    out.insert(out.end(), {kReportSize8, kBitsPerByte});
    putField(out, kInputUsage, collection.inputBytes, kInput);
    putField(out, kOutputUsage, collection.outputBytes, kOutput);
    putField(out, kFeatureUsage, collection.featureBytes, kFeature);
    out.push_back(kEndCollection);
}

// The feature report without its report id byte.
constexpr int kFeaturePayload = int(wire::kFeatureReportSize) - 1;

} // namespace

std::vector<std::uint8_t> userModeDescriptor()
{
    std::vector<std::uint8_t> out;
    putCollection(out, {kControlUsagePage, kControlUsage, kReportLength, kReportLength, kFeaturePayload});
    putCollection(out, {kNotifyUsagePage, kNotifyUsage, kNotificationLength, 0, 0});
    return out;
}

std::vector<std::uint8_t> bootloaderDescriptor()
{
    std::vector<std::uint8_t> out;
    putCollection(out, {wire::boot::kUsagePage, wire::boot::kUsage, kReportLength, kReportLength, 0});
    return out;
}

} // namespace j2::vm::hidraw
