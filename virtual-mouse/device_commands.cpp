#include "device_commands.h"

#include "bootloader_protocol.h"

#include <algorithm>
#include <cstring>

namespace j2::vm {

namespace {

using C = Command;

// Copies bytes first..first+N-1 of the request into `target`.
template <std::size_t N>
void takeArguments(std::array<std::uint8_t, N>& target, const wire::FeatureReport& request, std::size_t first)
{
    std::copy_n(request.begin() + std::ptrdiff_t(first), N, target.begin());
}

template <std::size_t N>
void putArguments(wire::FeatureReport& reply, std::size_t first, const std::array<std::uint8_t, N>& source)
{
    std::copy_n(source.begin(), N, reply.begin() + std::ptrdiff_t(first));
}

template <std::size_t N> void takeBulk(std::array<std::uint8_t, N>& target, const std::uint8_t* bulk)
{
    std::memcpy(target.data(), bulk, N);
}

template <std::size_t N>
void putBulk(std::vector<std::uint8_t>& bulk, const std::array<std::uint8_t, N>& source)
{
    std::copy_n(source.begin(), std::min(N, bulk.size()), bulk.begin());
}

bool inRange(std::uint8_t index, int count)
{
    return index < count;
}

} // namespace

int keyTableOf(std::uint8_t indexAddOne)
{
    return indexAddOne == 0 ? 1 : indexAddOne;
}

bool writeAccepted(Command command, const wire::FeatureReport& request)
{
    const std::uint8_t b2 = request[2];
    const std::uint8_t b3 = request[3];
    switch (command) {
    case C::SetDpiStage:
        return b2 >= 1 && b2 <= kDpiStages;
    case C::SetProfile:
        return inRange(b2, kProfileBlocks) && b3 == 0x80;
    case C::SetKeyMatrix:
        return keyTableOf(b2) <= kKeyTables;
    case C::SetMacro:
        return inRange(b2, kMacroSlots) && b3 == 0x80;
    case C::SetStageColors:
        return b3 == bulkLength(command, request);
    case C::SetDpiSet:
        return b2 >= 1 && b2 <= kDpiStages && b3 == 8;
    case C::SetKeyboardMacro:
        return inRange(b3, kKeyboardMacroSlots);
    case C::SetUserPicture:
        return inRange(b3, kUserPictures);
    case C::SetRecoveryData:
        return b2 == 0xFF;
    case C::SetColor:
        return inRange(b3, kColorSlots);
    case C::EnterBootloader:
        return std::equal(wire::boot::kEntryCode.begin(), wire::boot::kEntryCode.end(), request.begin() + 2);
    default:
        return true;
    }
}

void applyWrite(Command command, const wire::FeatureReport& request, const std::uint8_t* bulk,
                DeviceState& state)
{
    const std::uint8_t b2 = request[2];
    const std::uint8_t b3 = request[3];
    switch (command) {
    case C::SetFunctionOption:
        takeArguments(state.functionOption, request, 2);
        break;
    case C::SetLedInstruction:
        takeArguments(state.ledInstruction[b2], request, 3);
        break;
    case C::SetDpiStage:
        state.currentDpiStage = b2;
        break;
    case C::SetKeyMatrix:
        takeBulk(state.keyMatrix[std::uint8_t(keyTableOf(b2))], bulk);
        break;
    case C::SetKeyboardKeyMatrix:
        takeBulk(state.keyboardKeyMatrix, bulk);
        break;
    case C::SetRgbLedEffect:
        takeArguments(state.lightEffect, request, 2);
        break;
    case C::SetStageColors:
        if (b2 == 2)
            takeBulk(state.stageColorsType2, bulk);
        else
            takeBulk(state.stageColors, bulk);
        break;
    case C::SetDpiSet:
        state.dpiMaxStage = b2;
        takeBulk(state.dpiSet, bulk);
        break;
    case C::SetKeyboardMacro:
        takeBulk(state.keyboardMacros[b3], bulk);
        break;
    case C::SetProfile:
        takeBulk(state.profiles[b2], bulk);
        break;
    case C::SetMacro:
        takeBulk(state.macros[b2], bulk);
        break;
    case C::SetCurrentProfile:
        state.currentProfile = b2;
        break;
    case C::SetKeyboardOption:
        takeArguments(state.keyboardOption, request, 2);
        break;
    case C::SetGunData:
        takeArguments(state.gunData, request, 2);
        break;
    case C::SetLedType:
        takeArguments(state.ledType, request, 2);
        break;
    case C::SetKeyboardMode:
        state.keyboardMode = b2;
        break;
    case C::SetKeyOnOff:
        takeBulk(state.keyOnOff, bulk);
        break;
    case C::SetXySensitivity:
        takeArguments(state.xySensitivity, request, 2);
        break;
    case C::SetUserPicture:
        takeBulk(state.userPictures[b3], bulk);
        break;
    case C::SetRecoveryData: {
        // A factory reset forgets the settings, not how the device talks nor its firmware.
        DeviceState factory = DeviceState::factory();
        factory.encode = state.encode;
        factory.secrecyCode = state.secrecyCode;
        factory.firmware = state.firmware;
        state = std::move(factory);
        break;
    }
    case C::SetColor:
        takeArguments(state.colors[b3], request, 4);
        break;
    default:
        break;
    }
}

void answerRead(Command command, const wire::FeatureReport& request, const DeviceState& state,
                wire::FeatureReport& reply, std::vector<std::uint8_t>& bulk)
{
    const std::uint8_t b2 = request[2];
    const std::uint8_t b3 = request[3];
    bulk.assign(bulkLength(command, request), 0);
    if (!bulk.empty())
        std::copy(request.begin() + 2, request.begin() + 8, reply.begin() + 2);

    switch (command) {
    case C::GetSecrecyCode: // the handshake: the challenge comes back
        std::copy(request.begin() + 2, request.begin() + 8, reply.begin() + 2);
        break;
    case C::GetFirmwareVersion:
        putArguments(reply, 2, state.firmwareVersion);
        break;
    case C::GetKeyboardOption:
        putArguments(reply, 2, state.keyboardOption);
        break;
    case C::GetCurrentProfile:
        reply[2] = state.currentProfile;
        break;
    case C::GetFunctionOption:
        putArguments(reply, 2, state.functionOption);
        break;
    case C::GetReportRate:
        reply[2] = state.functionOption[1];
        break;
    case C::GetButtonSensitivity:
        putArguments(reply, 2, state.buttonSensitivity);
        break;
    case C::GetLedInstruction: {
        reply[2] = b2;
        const auto found = state.ledInstruction.find(b2);
        if (found != state.ledInstruction.end())
            putArguments(reply, 3, found->second);
        break;
    }
    case C::GetLedType:
        putArguments(reply, 2, state.ledType);
        break;
    case C::GetKeyboardMode:
        reply[2] = state.keyboardMode;
        break;
    case C::GetDpiStage:
        reply[2] = state.currentDpiStage;
        break;
    case C::ReadProfile:
        if (inRange(b2, kProfileBlocks))
            putBulk(bulk, state.profiles[b2]);
        break;
    case C::GetRgbLedEffect:
        // The keyboard's GetKeyMatrix shares the code: its 512 bytes follow, and a mouse host never reads
        // them.
        std::fill(reply.begin() + 2, reply.begin() + 8, 0);
        putArguments(reply, 2, state.lightEffect);
        putBulk(bulk, state.keyboardKeyMatrix);
        break;
    case C::GetKeyOnOff:
        putBulk(bulk, state.keyOnOff);
        break;
    case C::GetMacro:
        if (inRange(b2, kMacroSlots))
            putBulk(bulk, state.macros[b2]);
        break;
    case C::GetStageColors:
        if (b2 == 2)
            putBulk(bulk, state.stageColorsType2);
        else
            putBulk(bulk, state.stageColors);
        break;
    case C::GetDpiSet:
        reply[2] = state.dpiMaxStage;
        putBulk(bulk, state.dpiSet);
        break;
    case C::GetKeyboardMacro:
        if (inRange(b3, kKeyboardMacroSlots))
            putBulk(bulk, state.keyboardMacros[b3]);
        break;
    case C::GetKeyMatrix: {
        const auto found = state.keyMatrix.find(b2);
        if (found != state.keyMatrix.end())
            putBulk(bulk, found->second); // only the first 64 bytes fit the single report
        break;
    }
    case C::GetUserPicture:
        if (inRange(b3, kUserPictures))
            putBulk(bulk, state.userPictures[b3]);
        break;
    case C::GetColor:
        reply[3] = b3;
        if (inRange(b3, kColorSlots))
            putArguments(reply, 4, state.colors[b3]);
        break;
    default:
        break;
    }
}

} // namespace j2::vm
