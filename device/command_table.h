#pragma once

// Every device command is one row here: its command byte, where the slot's arguments go in the feature
// report, the constant bytes it carries, the length of its bulk phase, whether the write settles, the pause
// the slot takes after starting it, and what is logged when the device is busy. The slots of Hid_Thread are
// one-line calls into the two generic exchanges that read these rows.

#include <array>
#include <cstdint>
#include <string_view>

namespace j2::cmd {

// A constant report byte; offset 0 marks an unused entry (byte 0 is the report id, never a constant here).
struct ByteAt
{
    std::uint8_t offset = 0;
    std::uint8_t value = 0;
};

using Offsets = std::array<std::uint8_t, 6>; // report byte per slot argument, in parameter order; 0 ends it
using Constants = std::array<ByteAt, 2>;

// Bulk length taken from the call (the stage colours: 4 bytes for type 2, 24 otherwise).
constexpr int kBulkFromCall = -1;

struct WriteCommand
{
    std::string_view slot;
    std::uint8_t code;
    Offsets arguments;
    Constants constants;
    int bulkLength; // bytes of the bulk phase, 0 for none
    bool settle;
    int pauseMs;
    std::string_view busyText;
};

// What a plain read puts in the reply buffer before the request, so a failed exchange hands back something
// defined: zeros (mouse family), or the command byte and the caller's current values (keyboard family).
enum class Prefill
{
    Zeros,
    EchoArguments
};

struct ReadCommand
{
    std::string_view slot;
    std::uint8_t code;
    Offsets arguments;   // request bytes of the slot's input arguments
    Constants constants; // constant request bytes
    Prefill prefill;
    Offsets prefillOffsets; // reply bytes that hold each output argument's current value beforehand
    Constants prefillConstants;
    Offsets replyOffsets; // reply byte of each output argument
    int bulkLength;       // bytes read in the bulk phase, 0 for none
    bool onlyOnSuccess;   // copy reply and bulk out only when the exchange succeeded
    std::string_view busyText;
};

constexpr std::string_view kReadBusy = "cmd Failed";

// ---- the handshake ----
inline constexpr ReadCommand GetSecrecyCode{
    "hid_00H_GetSecrecyCode", 0x00, {2, 3, 4, 5}, {}, Prefill::Zeros, {}, {}, {2, 3, 4, 5}, 0, false,
    "cmd Failed 00"};

// ---- mouse family: writes ----
inline constexpr WriteCommand SetFunctionOption{
    "hid_03H_SetFunctionOption", 0x03, {2, 3, 4, 5}, {}, 0, true, 8, "cmd Failed 03"};
inline constexpr WriteCommand SetLEDInstructFunction{
    "hid_07H_SetLEDInstructFunction", 0x07, {2, 3, 4, 5}, {}, 0, false, 0, "cmd Failed 07"};
inline constexpr WriteCommand SetCurrentDPIStage{
    "hid_0BH_SetCurrentDPIStage", 0x0B, {2}, {}, 0, true, 0, "cmd Failed 0B"};
inline constexpr WriteCommand SetRGBLedEffect{
    "hid_0DH_SetRGBLedEffect", 0x0D, {2, 3, 4}, {}, 0, true, 0, "cmd Failed 0D"};
inline constexpr WriteCommand SetLED8StageColor{
    "hid_10H_SetLED8StageColor", 0x10, {2, 3}, {}, kBulkFromCall, true, 0, "cmd Failed 10"};
inline constexpr WriteCommand SetDPISet{"hid_11H_SetDPISet", 0x11, {2}, {{{3, 8}}}, 8, true, 0,
                                        "cmd Failed 11"};
inline constexpr WriteCommand SetKeyMatrix128{"hid_0DH_SetKeyMatrix", 0x0D, {2}, {{{3, 0x80}}}, 128, true, 0,
                                              "cmd Failed 12"};
inline constexpr WriteCommand SetProfile{"hid_0CH_setProfile", 0x0C, {2}, {{{3, 0x80}}}, 128, true, 0,
                                         "cmd Failed 0C"};
inline constexpr WriteCommand SetMacroKey128{"hid_0FH_SetMacroKey", 0x0F, {2}, {{{3, 0x80}}}, 128, true, 0,
                                             "cmd Failed 0F"};

// ---- mouse family: reads ----
inline constexpr ReadCommand GetFunctionOption{
    "hid_83H_GetFunctionOption", 0x83, {}, {}, Prefill::Zeros, {}, {}, {2, 4, 5}, 0, false, kReadBusy};
inline constexpr ReadCommand GetLEDInstructFunction{
    "hid_87H_GetLEDInstructFunction", 0x87, {2}, {}, Prefill::Zeros, {}, {}, {3, 4, 5}, 0, true, kReadBusy};
inline constexpr ReadCommand GetCurrentDPIStage{
    "hid_8BH_GetCurrentDPIStage", 0x8B, {}, {}, Prefill::Zeros, {}, {}, {2}, 0, false, kReadBusy};
inline constexpr ReadCommand GetRGBLedEffect{
    "hid_8DH_GetRGBLedEffect", 0x8D, {}, {}, Prefill::Zeros, {}, {}, {2, 3, 4}, 0, false, kReadBusy};
inline constexpr ReadCommand GetLED8StageColor{
    "hid_90H_GetLED8StageColor", 0x90, {2}, {}, Prefill::Zeros, {}, {}, {}, kBulkFromCall, false, kReadBusy};
inline constexpr ReadCommand GetDPISet{
    "hid_91H_GetDPISet", 0x91, {}, {}, Prefill::Zeros, {}, {}, {2}, 8, true, kReadBusy};
inline constexpr ReadCommand GetKeyMatrix64{
    "hid_92H_GetKeyMatrix", 0x92, {}, {{{2, 1}}}, Prefill::Zeros, {}, {}, {}, 64, false, kReadBusy};
inline constexpr ReadCommand GetMacroKey128{
    "hid_93H_GetMacroKey", 0x93, {2}, {}, Prefill::Zeros, {}, {}, {}, 128, false, kReadBusy};
inline constexpr ReadCommand ReadProfile{
    "hid_8CH_readProfile", 0x8C, {2}, {}, Prefill::Zeros, {}, {}, {}, 128, false, kReadBusy};

// ---- keyboard family: writes ----
inline constexpr WriteCommand SetReportRate{"hid_03H_SetReportRate", 0x03, {3}, {}, 0, true, 10,
                                            "cmd Failed 01"};
inline constexpr WriteCommand SetCurrentProfile{
    "hid_02H_SetCurrentProfile", 0x02, {2}, {}, 0, false, 8, "cmd Failed 02"};
inline constexpr WriteCommand SetKeyboardoption{
    "hid_01H_SetKeyboardoption", 0x01, {2, 3}, {}, 0, false, 8, "cmd Failed 03"};
inline constexpr WriteCommand SetGunData{"hid_04H_SetGunData", 0x04, {2, 3, 4, 5, 6}, {}, 0, true, 0,
                                         "cmd Failed 04"};
inline constexpr WriteCommand SetControlIndicatorLight{
    "hid_07H_SetControlIndicatorLight", 0x07, {2, 3}, {}, 0, false, 8, "cmd Failed 07"};
inline constexpr WriteCommand SetLEDType{"hid_08H_SetLEDType", 0x08, {2, 3, 4, 5, 6, 7}, {}, 0, true, 0,
                                         "cmd Failed 08"};
inline constexpr WriteCommand SetKeyboardMode{
    "hid_09H_SetKeyboardMode", 0x09, {2}, {}, 0, true, 0, "cmd Failed 09"};
inline constexpr WriteCommand SetKeyMatrix512{"hid_0DH_SetKeyMatrix", 0x0D, {}, {{{4, 0x08}}}, 512, true, 0,
                                              "cmd Failed 0D"};
inline constexpr WriteCommand SetKeyOnOff{"hid_0EH_SetKeyOnOff", 0x0E, {}, {{{4, 0x15}}}, 21, true, 0,
                                          "cmd Failed 0E"};
inline constexpr WriteCommand SetXYSensitive{"hid_0EH_SetXYSensitive", 0x0E, {2, 3}, {}, 0, true, 0,
                                             "cmd Failed 0E"};
inline constexpr WriteCommand SetMacroKey192{"hid_11H_SetMacroKey", 0x11, {3}, {{{4, 0x03}}}, 192, true, 0,
                                             "cmd Failed 11"};
inline constexpr WriteCommand SetUserPicture{
    "hid_12H_SetUserPicture", 0x12, {3, 5}, {{{4, 0x08}}}, 512, true, 0, "cmd Failed 12"};
inline constexpr WriteCommand SetRecoveryData{
    "hid_13H_SetRecoveryData", 0x13, {}, {{{2, 0xFF}}}, 0, false, 8, "cmd Failed 13"};
inline constexpr WriteCommand SetColor{"hid_14H_SetColor", 0x14, {3, 4, 5, 6}, {}, 0, false, 8,
                                       "cmd Failed 14"};

// ---- keyboard family: reads ----
inline constexpr ReadCommand GetFWVersion{
    "hid_80H_GetFWVersion", 0x80, {}, {}, Prefill::EchoArguments, {}, {}, {2, 3}, 0, false, kReadBusy};
// The rate is prefilled at byte 3 but read from byte 2, which the prefill sets to 1: a failed exchange
// therefore reports rate 1. Devices and pages rely on that value, so it stays.
inline constexpr ReadCommand GetReportRate{"hid_83H_GetReportRate",
                                           0x83,
                                           {},
                                           {{{2, 1}}},
                                           Prefill::EchoArguments,
                                           {3},
                                           {{{2, 1}}},
                                           {2},
                                           0,
                                           false,
                                           kReadBusy};
inline constexpr ReadCommand GetCurrentProfile{
    "hid_82H_GetCurrentProfile", 0x82, {}, {}, Prefill::EchoArguments, {2}, {}, {2}, 0, false, kReadBusy};
inline constexpr ReadCommand GetKeyboardoption{"hid_81H_GetKeyboardoption",
                                               0x81,
                                               {},
                                               {},
                                               Prefill::EchoArguments,
                                               {2, 3},
                                               {},
                                               {2, 3},
                                               0,
                                               false,
                                               kReadBusy};
inline constexpr ReadCommand GetButtonSensitivity{"hid_84H_GetButtonSensitivity",
                                                  0x84,
                                                  {},
                                                  {},
                                                  Prefill::EchoArguments,
                                                  {2, 3, 4, 5},
                                                  {},
                                                  {2, 3, 4, 5},
                                                  0,
                                                  false,
                                                  kReadBusy};
inline constexpr ReadCommand GetLEDType{
    "hid_88H_GetLEDType", 0x88, {},    {},       Prefill::EchoArguments, {3, 4, 5, 6, 7}, {},
    {3, 4, 5, 6, 7},      0,    false, kReadBusy};
inline constexpr ReadCommand GetKeyboardMode{
    "hid_89H_GetKeyboardMode", 0x89, {}, {}, Prefill::EchoArguments, {2}, {}, {2}, 0, false, kReadBusy};
inline constexpr ReadCommand GetKeyMatrix512{"hid_8DH_GetKeyMatrix",
                                             0x8D,
                                             {},
                                             {},
                                             Prefill::EchoArguments,
                                             {},
                                             {{{4, 0x08}}},
                                             {},
                                             512,
                                             false,
                                             kReadBusy};
inline constexpr ReadCommand GetKeyOnOff{
    "hid_8EH_GetKeyOnOff", 0x8E, {}, {}, Prefill::EchoArguments, {}, {{{4, 0x15}}}, {}, 21, false, kReadBusy};
inline constexpr ReadCommand GetMacroKey192{"hid_91H_GetMacroKey",
                                            0x91,
                                            {3},
                                            {},
                                            Prefill::EchoArguments,
                                            {},
                                            {{{4, 0x03}}},
                                            {},
                                            192,
                                            false,
                                            kReadBusy};
inline constexpr ReadCommand GetUserPicture{"hid_92H_GetUserPicture",
                                            0x92,
                                            {3},
                                            {},
                                            Prefill::EchoArguments,
                                            {},
                                            {{{4, 0x08}}},
                                            {},
                                            512,
                                            false,
                                            kReadBusy};
inline constexpr ReadCommand GetColor{
    "hid_94H_GetColor", 0x94, {3}, {}, Prefill::EchoArguments, {4, 5, 6}, {}, {4, 5, 6}, 0, false, kReadBusy};

// Stage colours move 4 bytes for type 2 and 24 otherwise.
constexpr int stageColorLength(std::uint8_t type)
{
    return type == 2 ? 4 : 24;
}

} // namespace j2::cmd
