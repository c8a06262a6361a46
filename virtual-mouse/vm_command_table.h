#pragma once

// How the device reads a feature report: which command a request is (several codes carry two commands told
// apart by their argument bytes), its name in the wire log, the length of its bulk phase and whether it
// writes flash.

#include "report.h"

#include <cstddef>
#include <cstdint>

namespace j2::vm {

enum class Command : std::uint8_t
{
    Unknown,
    GetSecrecyCode,
    GetFirmwareVersion,
    SetKeyboardOption,
    GetKeyboardOption,
    SetCurrentProfile,
    GetCurrentProfile,
    SetFunctionOption,
    GetFunctionOption,
    GetReportRate,
    GetButtonSensitivity,
    SetGunData,
    SetLedInstruction,
    GetLedInstruction,
    SetLedType,
    GetLedType,
    SetKeyboardMode,
    GetKeyboardMode,
    SetDpiStage,
    GetDpiStage,
    SetProfile,
    ReadProfile,
    SetKeyMatrix,
    SetKeyboardKeyMatrix,
    SetRgbLedEffect,
    GetRgbLedEffect,
    SetKeyOnOff,
    SetXySensitivity,
    GetKeyOnOff,
    SetMacro,
    GetMacro,
    SetStageColors,
    GetStageColors,
    SetDpiSet,
    GetDpiSet,
    SetKeyboardMacro,
    GetKeyboardMacro,
    GetKeyMatrix,
    GetUserPicture,
    SetUserPicture,
    SetRecoveryData,
    SetColor,
    GetColor,
    EnterBootloader,
    GetBootloaderState,
    Count
};

struct CommandInfo
{
    Command command;
    const char* name;
    bool read;        // answered with a reply the host fetches (and maybe a bulk phase to the host)
    bool settled;     // a flash write: the device is busy after it
    std::size_t bulk; // bytes of the bulk phase; kBulkByColourType for the stage colours
};

// The stage colour commands move 4 bytes for colour type 2 and 24 for every other type.
constexpr std::size_t kBulkByColourType = ~std::size_t{0};

Command classify(const wire::FeatureReport& request);
const CommandInfo& commandInfo(Command command);
// Bytes of the bulk phase of `request`: to the host for reads, from the host for writes.
std::size_t bulkLength(Command command, const wire::FeatureReport& request);

} // namespace j2::vm
