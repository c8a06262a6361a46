#pragma once

// The HID report descriptors the emulated hidraw nodes hand out, written from the device table's usage
// pairs and report sizes. hidapi reads the top-level collections from them to list one entry per usage pair.

#include <cstdint>
#include <vector>

namespace j2::vm::hidraw {

// The user-mode node: the control collection (feature, input and output reports) and the notification
// collection (input reports) on one interface, as the composite mouse has them. No report is numbered, so
// byte 0 of feature and output reports is 0 on the hidraw interface.
std::vector<std::uint8_t> userModeDescriptor();
// The bootloader: one collection with input and output reports and no feature report.
std::vector<std::uint8_t> bootloaderDescriptor();

} // namespace j2::vm::hidraw
