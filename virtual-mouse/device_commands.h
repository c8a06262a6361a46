#pragma once

// What each command does to the device state, and what each read answers.

#include "virtual_mouse.h"
#include "vm_command_table.h"

#include <cstdint>
#include <vector>

namespace j2::vm {

// False when a write names a slot the device does not have (or carries a length byte that contradicts its
// bulk phase); such a write is ignored whole and no bulk phase follows it.
bool writeAccepted(Command command, const wire::FeatureReport& request);

// Carries out an accepted write; `bulk` holds bulkLength(command, request) bytes.
void applyWrite(Command command, const wire::FeatureReport& request, const std::uint8_t* bulk,
                DeviceState& state);

// Fills reply bytes 2-7 of a read and its bulk data (bulkLength bytes; zeros for a slot the device does not
// have). Bulk reads without reply fields of their own echo the request's argument bytes.
void answerRead(Command command, const wire::FeatureReport& request, const DeviceState& state,
                wire::FeatureReport& reply, std::vector<std::uint8_t>& bulk);

// The key table a key-matrix report addresses: the host writes table 1 with 0 and reads it back with 1.
int keyTableOf(std::uint8_t indexAddOne);

} // namespace j2::vm
