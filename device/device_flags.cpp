#include "device_flags.h"

std::atomic<bool> isEncode{false};
std::atomic<bool> isDemoMode{false};
std::atomic<bool> isDeviceFound{false};
j2::wire::SecrecyCode secrecyCode{};
