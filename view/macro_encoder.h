#pragma once

// The byte stream the mouse plays a macro from, and the encoders that build it. A stream is a 16-bit repeat
// count (high byte first), event records of two bytes [delay after the event | release bit, key code],
// optional long-delay extensions, and the end marker 00 00. Pure functions; the key names go through the
// process-wide key-name map (key_names.h).

#include "dev_info.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace macro_stream {

// ---- the stream ----
constexpr int kSlotBytes = 128;         // one mouse macro slot
constexpr int kKeyboardSlotBytes = 192; // one keyboard macro slot
constexpr int kHeaderBytes = 2;
constexpr int kEndMarkerBytes = 2;
constexpr uchar kEndMarker = 0x00;
constexpr uchar kReleaseBit = 0x80;
constexpr uchar kDelayBits = 0x7F;
// A record's delay bits hold 1-126 ticks; 0 says that a long-delay extension [00, unit, count hi, lo]
// follows the record.
constexpr uchar kLongDelayFollows = 0x00;
constexpr uchar kExtensionLead = 0x00;
constexpr uchar kUnit20ms = 1;
constexpr uchar kUnit50ms = 2;
constexpr uchar kUnit100ms = 3;
constexpr int kMaxUnitCount = 0xFFFF;
// A gun record that moves the cursor: [delay, kCursorCode, dx, dy].
constexpr uchar kCursorCode = 0xF9;

// A 16-bit count as the stream writes it, high byte first.
constexpr uchar highByte(int value)
{
    return uchar((value >> 8) & 0xFF);
}

constexpr uchar lowByte(int value)
{
    return uchar(value & 0xFF);
}

// The stream's header: how often the mouse plays it.
inline QList<uchar> header(int repeat)
{
    return {highByte(repeat), lowByte(repeat)};
}

// ---- the text-line encoder's own records ----
constexpr uchar kPressLead = 0x01;   // a key press, 10 ms after it
constexpr uchar kReleaseLead = 0x81; // a key release, 10 ms after it
// Mouse family: a pause counted in 20 ms units in the first byte, followed by this byte.
constexpr uchar kTwentyMsRecordTail = 0x01;
// Keyboard family: a pause record [kKeyboardDelayLead, 00, count hi, lo] in 10 ms units.
constexpr uchar kKeyboardDelayLead = 0x7F;

// Text lines: a payload followed by one of these 10-character tags.
inline const QString kDownTag = QStringLiteral("    [Down]");
inline const QString kUpTag = QStringLiteral("      [Up]");
inline const QString kDelayTag = QStringLiteral("   [Delay]");
constexpr int kTagLength = 10;

// A stream as the pieces it was built from: the header, one piece per record (a delay merged into an event
// record lives inside it), the end marker. Dropping whole pieces never splits a record.
using StreamPieces = QList<QList<uchar>>;

// The text-line encoder on the device family `deviceIndex` (0 keyboard, 1 mouse; delays of any other
// family are left out).
StreamPieces textLinePieces(const QStringList& lines, int deviceIndex);
QList<uchar> macroIncode(const QStringList& lines, int deviceIndex);

// The whole stream when it fits `slotBytes`; otherwise the header, the longest run of whole records that
// leaves room for the end marker, and the end marker, so that the device never meets half a record.
QList<uchar> fitToSlot(const StreamPieces& pieces, int slotBytes);
int streamLength(const StreamPieces& pieces);

} // namespace macro_stream
