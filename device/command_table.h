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

// A row names the fields it sets; the rest keep these defaults (no arguments, no constants, no bulk phase, no
// pause).
struct WriteCommand
{
    std::string_view slot;
    std::uint8_t code = 0;
    Offsets arguments{};
    Constants constants{};
    int bulkLength = 0; // bytes of the bulk phase, 0 for none
    bool settle = false;
    int pauseMs = 0;
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
    std::uint8_t code = 0;
    Offsets arguments{};   // request bytes of the slot's input arguments
    Constants constants{}; // constant request bytes
    Prefill prefill = Prefill::Zeros;
    Offsets prefillOffsets{}; // reply bytes that hold each output argument's current value beforehand
    Constants prefillConstants{};
    Offsets replyOffsets{};     // reply byte of each output argument
    int bulkLength = 0;         // bytes read in the bulk phase, 0 for none
    bool onlyOnSuccess = false; // copy reply and bulk out only when the exchange succeeded
    std::string_view busyText;
};

constexpr std::string_view kReadBusy = "cmd Failed";

// ---- the handshake ----
inline constexpr ReadCommand GetSecrecyCode{.slot = "hid_00H_GetSecrecyCode",
                                            .code = 0x00,
                                            .arguments = {2, 3, 4, 5},
                                            .prefill = Prefill::Zeros,
                                            .replyOffsets = {2, 3, 4, 5},
                                            .busyText = "cmd Failed 00"};

// ---- mouse family: writes ----
inline constexpr WriteCommand SetFunctionOption{.slot = "hid_03H_SetFunctionOption",
                                                .code = 0x03,
                                                .arguments = {2, 3, 4, 5},
                                                .settle = true,
                                                .pauseMs = 8,
                                                .busyText = "cmd Failed 03"};
inline constexpr WriteCommand SetLEDInstructFunction{.slot = "hid_07H_SetLEDInstructFunction",
                                                     .code = 0x07,
                                                     .arguments = {2, 3, 4, 5},
                                                     .settle = false,
                                                     .busyText = "cmd Failed 07"};
inline constexpr WriteCommand SetCurrentDPIStage{.slot = "hid_0BH_SetCurrentDPIStage",
                                                 .code = 0x0B,
                                                 .arguments = {2},
                                                 .settle = true,
                                                 .busyText = "cmd Failed 0B"};
inline constexpr WriteCommand SetRGBLedEffect{.slot = "hid_0DH_SetRGBLedEffect",
                                              .code = 0x0D,
                                              .arguments = {2, 3, 4},
                                              .settle = true,
                                              .busyText = "cmd Failed 0D"};
inline constexpr WriteCommand SetLED8StageColor{.slot = "hid_10H_SetLED8StageColor",
                                                .code = 0x10,
                                                .arguments = {2, 3},
                                                .bulkLength = kBulkFromCall,
                                                .settle = true,
                                                .busyText = "cmd Failed 10"};
inline constexpr WriteCommand SetDPISet{.slot = "hid_11H_SetDPISet",
                                        .code = 0x11,
                                        .arguments = {2},
                                        .constants = {ByteAt{.offset = 3, .value = 8}},
                                        .bulkLength = 8,
                                        .settle = true,
                                        .busyText = "cmd Failed 11"};
inline constexpr WriteCommand SetKeyMatrix128{.slot = "hid_0DH_SetKeyMatrix",
                                              .code = 0x0D,
                                              .arguments = {2},
                                              .constants = {ByteAt{.offset = 3, .value = 0x80}},
                                              .bulkLength = 128,
                                              .settle = true,
                                              .busyText = "cmd Failed 12"};
inline constexpr WriteCommand SetProfile{.slot = "hid_0CH_setProfile",
                                         .code = 0x0C,
                                         .arguments = {2},
                                         .constants = {ByteAt{.offset = 3, .value = 0x80}},
                                         .bulkLength = 128,
                                         .settle = true,
                                         .busyText = "cmd Failed 0C"};
inline constexpr WriteCommand SetMacroKey128{.slot = "hid_0FH_SetMacroKey",
                                             .code = 0x0F,
                                             .arguments = {2},
                                             .constants = {ByteAt{.offset = 3, .value = 0x80}},
                                             .bulkLength = 128,
                                             .settle = true,
                                             .busyText = "cmd Failed 0F"};

// ---- mouse family: reads ----
inline constexpr ReadCommand GetFunctionOption{.slot = "hid_83H_GetFunctionOption",
                                               .code = 0x83,
                                               .prefill = Prefill::Zeros,
                                               .replyOffsets = {2, 4, 5},
                                               .busyText = kReadBusy};
inline constexpr ReadCommand GetLEDInstructFunction{.slot = "hid_87H_GetLEDInstructFunction",
                                                    .code = 0x87,
                                                    .arguments = {2},
                                                    .prefill = Prefill::Zeros,
                                                    .replyOffsets = {3, 4, 5},
                                                    .onlyOnSuccess = true,
                                                    .busyText = kReadBusy};
inline constexpr ReadCommand GetCurrentDPIStage{.slot = "hid_8BH_GetCurrentDPIStage",
                                                .code = 0x8B,
                                                .prefill = Prefill::Zeros,
                                                .replyOffsets = {2},
                                                .busyText = kReadBusy};
inline constexpr ReadCommand GetRGBLedEffect{.slot = "hid_8DH_GetRGBLedEffect",
                                             .code = 0x8D,
                                             .prefill = Prefill::Zeros,
                                             .replyOffsets = {2, 3, 4},
                                             .busyText = kReadBusy};
inline constexpr ReadCommand GetLED8StageColor{.slot = "hid_90H_GetLED8StageColor",
                                               .code = 0x90,
                                               .arguments = {2},
                                               .prefill = Prefill::Zeros,
                                               .bulkLength = kBulkFromCall,
                                               .busyText = kReadBusy};
inline constexpr ReadCommand GetDPISet{.slot = "hid_91H_GetDPISet",
                                       .code = 0x91,
                                       .prefill = Prefill::Zeros,
                                       .replyOffsets = {2},
                                       .bulkLength = 8,
                                       .onlyOnSuccess = true,
                                       .busyText = kReadBusy};
inline constexpr ReadCommand GetKeyMatrix64{.slot = "hid_92H_GetKeyMatrix",
                                            .code = 0x92,
                                            .constants = {ByteAt{.offset = 2, .value = 1}},
                                            .prefill = Prefill::Zeros,
                                            .bulkLength = 64,
                                            .busyText = kReadBusy};
inline constexpr ReadCommand GetMacroKey128{.slot = "hid_93H_GetMacroKey",
                                            .code = 0x93,
                                            .arguments = {2},
                                            .prefill = Prefill::Zeros,
                                            .bulkLength = 128,
                                            .busyText = kReadBusy};
inline constexpr ReadCommand ReadProfile{.slot = "hid_8CH_readProfile",
                                         .code = 0x8C,
                                         .arguments = {2},
                                         .prefill = Prefill::Zeros,
                                         .bulkLength = 128,
                                         .busyText = kReadBusy};

// ---- keyboard family: writes ----
inline constexpr WriteCommand SetReportRate{.slot = "hid_03H_SetReportRate",
                                            .code = 0x03,
                                            .arguments = {3},
                                            .settle = true,
                                            .pauseMs = 10,
                                            .busyText = "cmd Failed 01"};
inline constexpr WriteCommand SetCurrentProfile{.slot = "hid_02H_SetCurrentProfile",
                                                .code = 0x02,
                                                .arguments = {2},
                                                .settle = false,
                                                .pauseMs = 8,
                                                .busyText = "cmd Failed 02"};
inline constexpr WriteCommand SetKeyboardoption{.slot = "hid_01H_SetKeyboardoption",
                                                .code = 0x01,
                                                .arguments = {2, 3},
                                                .settle = false,
                                                .pauseMs = 8,
                                                .busyText = "cmd Failed 03"};
inline constexpr WriteCommand SetGunData{.slot = "hid_04H_SetGunData",
                                         .code = 0x04,
                                         .arguments = {2, 3, 4, 5, 6},
                                         .settle = true,
                                         .busyText = "cmd Failed 04"};
inline constexpr WriteCommand SetControlIndicatorLight{.slot = "hid_07H_SetControlIndicatorLight",
                                                       .code = 0x07,
                                                       .arguments = {2, 3},
                                                       .settle = false,
                                                       .pauseMs = 8,
                                                       .busyText = "cmd Failed 07"};
inline constexpr WriteCommand SetLEDType{.slot = "hid_08H_SetLEDType",
                                         .code = 0x08,
                                         .arguments = {2, 3, 4, 5, 6, 7},
                                         .settle = true,
                                         .busyText = "cmd Failed 08"};
inline constexpr WriteCommand SetKeyboardMode{.slot = "hid_09H_SetKeyboardMode",
                                              .code = 0x09,
                                              .arguments = {2},
                                              .settle = true,
                                              .busyText = "cmd Failed 09"};
inline constexpr WriteCommand SetKeyMatrix512{.slot = "hid_0DH_SetKeyMatrix",
                                              .code = 0x0D,
                                              .constants = {ByteAt{.offset = 4, .value = 0x08}},
                                              .bulkLength = 512,
                                              .settle = true,
                                              .busyText = "cmd Failed 0D"};
inline constexpr WriteCommand SetKeyOnOff{.slot = "hid_0EH_SetKeyOnOff",
                                          .code = 0x0E,
                                          .constants = {ByteAt{.offset = 4, .value = 0x15}},
                                          .bulkLength = 21,
                                          .settle = true,
                                          .busyText = "cmd Failed 0E"};
inline constexpr WriteCommand SetXYSensitive{.slot = "hid_0EH_SetXYSensitive",
                                             .code = 0x0E,
                                             .arguments = {2, 3},
                                             .settle = true,
                                             .busyText = "cmd Failed 0E"};
inline constexpr WriteCommand SetMacroKey192{.slot = "hid_11H_SetMacroKey",
                                             .code = 0x11,
                                             .arguments = {3},
                                             .constants = {ByteAt{.offset = 4, .value = 0x03}},
                                             .bulkLength = 192,
                                             .settle = true,
                                             .busyText = "cmd Failed 11"};
inline constexpr WriteCommand SetUserPicture{.slot = "hid_12H_SetUserPicture",
                                             .code = 0x12,
                                             .arguments = {3, 5},
                                             .constants = {ByteAt{.offset = 4, .value = 0x08}},
                                             .bulkLength = 512,
                                             .settle = true,
                                             .busyText = "cmd Failed 12"};
inline constexpr WriteCommand SetRecoveryData{.slot = "hid_13H_SetRecoveryData",
                                              .code = 0x13,
                                              .constants = {ByteAt{.offset = 2, .value = 0xFF}},
                                              .settle = false,
                                              .pauseMs = 8,
                                              .busyText = "cmd Failed 13"};
inline constexpr WriteCommand SetColor{.slot = "hid_14H_SetColor",
                                       .code = 0x14,
                                       .arguments = {3, 4, 5, 6},
                                       .settle = false,
                                       .pauseMs = 8,
                                       .busyText = "cmd Failed 14"};

// ---- keyboard family: reads ----
inline constexpr ReadCommand GetFWVersion{.slot = "hid_80H_GetFWVersion",
                                          .code = 0x80,
                                          .prefill = Prefill::EchoArguments,
                                          .replyOffsets = {2, 3},
                                          .busyText = kReadBusy};
// The rate is prefilled at byte 3 but read from byte 2, which the prefill sets to 1: a failed exchange
// therefore reports rate 1. Devices and pages rely on that value, so it stays.
inline constexpr ReadCommand GetReportRate{.slot = "hid_83H_GetReportRate",
                                           .code = 0x83,
                                           .constants = {ByteAt{.offset = 2, .value = 1}},
                                           .prefill = Prefill::EchoArguments,
                                           .prefillOffsets = {3},
                                           .prefillConstants = {ByteAt{.offset = 2, .value = 1}},
                                           .replyOffsets = {2},
                                           .busyText = kReadBusy};
inline constexpr ReadCommand GetCurrentProfile{.slot = "hid_82H_GetCurrentProfile",
                                               .code = 0x82,
                                               .prefill = Prefill::EchoArguments,
                                               .prefillOffsets = {2},
                                               .replyOffsets = {2},
                                               .busyText = kReadBusy};
inline constexpr ReadCommand GetKeyboardoption{.slot = "hid_81H_GetKeyboardoption",
                                               .code = 0x81,
                                               .prefill = Prefill::EchoArguments,
                                               .prefillOffsets = {2, 3},
                                               .replyOffsets = {2, 3},
                                               .busyText = kReadBusy};
inline constexpr ReadCommand GetButtonSensitivity{.slot = "hid_84H_GetButtonSensitivity",
                                                  .code = 0x84,
                                                  .prefill = Prefill::EchoArguments,
                                                  .prefillOffsets = {2, 3, 4, 5},
                                                  .replyOffsets = {2, 3, 4, 5},
                                                  .busyText = kReadBusy};
inline constexpr ReadCommand GetLEDType{.slot = "hid_88H_GetLEDType",
                                        .code = 0x88,
                                        .prefill = Prefill::EchoArguments,
                                        .prefillOffsets = {3, 4, 5, 6, 7},
                                        .replyOffsets = {3, 4, 5, 6, 7},
                                        .busyText = kReadBusy};
inline constexpr ReadCommand GetKeyboardMode{.slot = "hid_89H_GetKeyboardMode",
                                             .code = 0x89,
                                             .prefill = Prefill::EchoArguments,
                                             .prefillOffsets = {2},
                                             .replyOffsets = {2},
                                             .busyText = kReadBusy};
inline constexpr ReadCommand GetKeyMatrix512{.slot = "hid_8DH_GetKeyMatrix",
                                             .code = 0x8D,
                                             .prefill = Prefill::EchoArguments,
                                             .prefillConstants = {ByteAt{.offset = 4, .value = 0x08}},
                                             .bulkLength = 512,
                                             .busyText = kReadBusy};
inline constexpr ReadCommand GetKeyOnOff{.slot = "hid_8EH_GetKeyOnOff",
                                         .code = 0x8E,
                                         .prefill = Prefill::EchoArguments,
                                         .prefillConstants = {ByteAt{.offset = 4, .value = 0x15}},
                                         .bulkLength = 21,
                                         .busyText = kReadBusy};
inline constexpr ReadCommand GetMacroKey192{.slot = "hid_91H_GetMacroKey",
                                            .code = 0x91,
                                            .arguments = {3},
                                            .prefill = Prefill::EchoArguments,
                                            .prefillConstants = {ByteAt{.offset = 4, .value = 0x03}},
                                            .bulkLength = 192,
                                            .busyText = kReadBusy};
inline constexpr ReadCommand GetUserPicture{.slot = "hid_92H_GetUserPicture",
                                            .code = 0x92,
                                            .arguments = {3},
                                            .prefill = Prefill::EchoArguments,
                                            .prefillConstants = {ByteAt{.offset = 4, .value = 0x08}},
                                            .bulkLength = 512,
                                            .busyText = kReadBusy};
inline constexpr ReadCommand GetColor{.slot = "hid_94H_GetColor",
                                      .code = 0x94,
                                      .arguments = {3},
                                      .prefill = Prefill::EchoArguments,
                                      .prefillOffsets = {4, 5, 6},
                                      .replyOffsets = {4, 5, 6},
                                      .busyText = kReadBusy};

// Stage colours move 4 bytes for type 2 and 24 otherwise.
constexpr int stageColorLength(std::uint8_t type)
{
    return type == 2 ? 4 : 24;
}

} // namespace j2::cmd
