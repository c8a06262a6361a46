#include "vm_command_table.h"

#include <array>

namespace j2::vm {

namespace {

using C = Command;

// One row per command, in the order of the Command enumeration.
constexpr std::array<CommandInfo, std::size_t(C::Count)> kCommands = {{
    {C::Unknown, "", false, false, 0},
    {C::GetSecrecyCode, "GetSecrecyCode", true, false, 0},
    {C::GetFirmwareVersion, "GetFWVersion", true, false, 0},
    {C::SetKeyboardOption, "SetKeyboardoption", false, false, 0},
    {C::GetKeyboardOption, "GetKeyboardoption", true, false, 0},
    {C::SetCurrentProfile, "SetCurrentProfile", false, false, 0},
    {C::GetCurrentProfile, "GetCurrentProfile", true, false, 0},
    {C::SetFunctionOption, "SetFunctionOption", false, true, 0},
    {C::GetFunctionOption, "GetFunctionOption", true, false, 0},
    {C::GetReportRate, "GetReportRate", true, false, 0},
    {C::GetButtonSensitivity, "GetButtonSensitivity", true, false, 0},
    {C::SetGunData, "SetGunData", false, true, 0},
    {C::SetLedInstruction, "SetLEDInstructFunction", false, false, 0},
    {C::GetLedInstruction, "GetLEDInstructFunction", true, false, 0},
    {C::SetLedType, "SetLEDType", false, true, 0},
    {C::GetLedType, "GetLEDType", true, false, 0},
    {C::SetKeyboardMode, "SetKeyboardMode", false, true, 0},
    {C::GetKeyboardMode, "GetKeyboardMode", true, false, 0},
    {C::SetDpiStage, "SetCurrentDPIStage", false, true, 0},
    {C::GetDpiStage, "GetCurrentDPIStage", true, false, 0},
    {C::SetProfile, "setProfile", false, true, 128},
    {C::ReadProfile, "readProfile", true, false, 128},
    {C::SetKeyMatrix, "SetKeyMatrix", false, true, 128},
    {C::SetKeyboardKeyMatrix, "SetKeyboardKeyMatrix", false, true, 512},
    {C::SetRgbLedEffect, "SetRGBLedEffect", false, true, 0},
    {C::GetRgbLedEffect, "GetRGBLedEffect", true, false, 512},
    {C::SetKeyOnOff, "SetKeyOnOff", false, true, 21},
    {C::SetXySensitivity, "SetXYSensitive", false, true, 0},
    {C::GetKeyOnOff, "GetKeyOnOff", true, false, 21},
    {C::SetMacro, "SetMacroKey", false, true, 128},
    {C::GetMacro, "GetMacroKey", true, false, 128},
    {C::SetStageColors, "SetLED8StageColor", false, true, kBulkByColourType},
    {C::GetStageColors, "GetLED8StageColor", true, false, kBulkByColourType},
    {C::SetDpiSet, "SetDPISet", false, true, 8},
    {C::GetDpiSet, "GetDPISet", true, false, 8},
    {C::SetKeyboardMacro, "SetKeyboardMacroKey", false, true, 192},
    {C::GetKeyboardMacro, "GetKeyboardMacroKey", true, false, 192},
    {C::GetKeyMatrix, "GetKeyMatrix", true, false, 64},
    {C::GetUserPicture, "GetUserPicture", true, false, 512},
    {C::SetUserPicture, "SetUserPicture", false, true, 512},
    {C::SetRecoveryData, "SetRecoveryData", false, false, 0},
    {C::SetColor, "SetColor", false, false, 0},
    {C::GetColor, "GetColor", true, false, 0},
    {C::EnterBootloader, "EnterBootLoader", false, true, 0},
    {C::GetBootloaderState, "GetBootLoaderState", true, false, 0},
}};

constexpr bool rowsInOrder()
{
    for (std::size_t i = 0; i < kCommands.size(); ++i)
        if (std::size_t(kCommands[i].command) != i)
            return false;
    return true;
}
static_assert(rowsInOrder(), "command rows must follow the enumeration");

} // namespace

Command classify(const wire::FeatureReport& request)
{
    const std::uint8_t b2 = request[2];
    const std::uint8_t b3 = request[3];
    const std::uint8_t b4 = request[4];
    switch (request[wire::kCommandOffset]) {
    case 0x00:
        return C::GetSecrecyCode;
    case 0x01:
        return C::SetKeyboardOption;
    case 0x02:
        return C::SetCurrentProfile;
    case 0x03: // the keyboard's SetReportRate is the same report with only the rate filled in
        return C::SetFunctionOption;
    case 0x04:
        return C::SetGunData;
    case 0x07: // the keyboard's indicator light lands in the same store
        return C::SetLedInstruction;
    case 0x08:
        return C::SetLedType;
    case 0x09:
        return C::SetKeyboardMode;
    case 0x0A:
        return C::EnterBootloader;
    case 0x0B:
        return C::SetDpiStage;
    case 0x0C:
        return C::SetProfile;
    case 0x0D:
        if (b3 == 0x80)
            return C::SetKeyMatrix;
        if (b4 == 0x08 && b2 == 0 && b3 == 0)
            return C::SetKeyboardKeyMatrix; // 8 reports of 64 bytes
        return C::SetRgbLedEffect;
    case 0x0E:
        return b4 == 0x15 ? C::SetKeyOnOff : C::SetXySensitivity;
    case 0x0F:
        return C::SetMacro;
    case 0x10:
        return C::SetStageColors;
    case 0x11:
        return b4 == 0x03 ? C::SetKeyboardMacro : C::SetDpiSet;
    case 0x12:
        return C::SetUserPicture;
    case 0x13:
        return C::SetRecoveryData;
    case 0x14:
        return C::SetColor;
    case 0x80:
        return C::GetFirmwareVersion;
    case 0x81:
        return C::GetKeyboardOption;
    case 0x82:
        return C::GetCurrentProfile;
    case 0x83:
        return b2 == 1 ? C::GetReportRate : C::GetFunctionOption;
    case 0x84:
        return C::GetButtonSensitivity;
    case 0x87:
        return C::GetLedInstruction;
    case 0x88:
        return C::GetLedType;
    case 0x89:
        return C::GetKeyboardMode;
    case 0x8A:
        return C::GetBootloaderState;
    case 0x8B:
        return C::GetDpiStage;
    case 0x8C:
        return C::ReadProfile;
    case 0x8D:
        return C::GetRgbLedEffect;
    case 0x8E:
        return C::GetKeyOnOff;
    case 0x90:
        return C::GetStageColors;
    case 0x91: // a keyboard macro request names its slot in byte 3, so slot 0 reads as the DPI set
        return b3 != 0 ? C::GetKeyboardMacro : C::GetDpiSet;
    case 0x92:
        return b2 != 0 ? C::GetKeyMatrix : C::GetUserPicture;
    case 0x93:
        return C::GetMacro;
    case 0x94:
        return C::GetColor;
    default:
        return C::Unknown;
    }
}

const CommandInfo& commandInfo(Command command)
{
    return kCommands[std::size_t(command)];
}

std::size_t bulkLength(Command command, const wire::FeatureReport& request)
{
    const std::size_t bulk = commandInfo(command).bulk;
    if (bulk == kBulkByColourType)
        return request[2] == 2 ? 4 : 24;
    return bulk;
}

} // namespace j2::vm
