#include "macro_encoder.h"

#include "key_names.h"

#include <algorithm>

namespace macro_stream {

namespace {

// The text-line encoder's limits, in milliseconds: a pause up to kMergeLimitMs rides in the delay bits of
// the record before it, one up to kTwentyMsRecordLimitMs fits a 20 ms-unit record.
constexpr qint64 kMergeLimitMs = 1270;
constexpr qint64 kTwentyMsRecordLimitMs = 5100;
constexpr qint64 kShortestMergedMs = 10;
constexpr qint64 kShortestTwentyMsPauseMs = 20;
constexpr qint64 kTenMsTick = 10;
constexpr qint64 kTwentyMs = 20;
constexpr uchar kKeyboardDelayFiller = 0x00;

QList<uchar> joined(const StreamPieces& pieces)
{
    QList<uchar> out;
    for (const QList<uchar>& piece : pieces)
        out.append(piece);
    return out;
}

void appendPause(StreamPieces& pieces, qint64 ms, int deviceIndex, bool mergeable)
{
    if (deviceIndex == ::deviceIndex(DeviceFamily::Keyboard)) {
        const int ticks = int(std::min<qint64>(ms / kTenMsTick, kMaxUnitCount));
        pieces.append({kKeyboardDelayLead, kKeyboardDelayFiller, highByte(ticks), lowByte(ticks)});
        return;
    }
    if (deviceIndex != ::deviceIndex(DeviceFamily::Mouse))
        return;
    if (mergeable && ms <= kMergeLimitMs) {
        uchar& delayByte = pieces.last()[0];
        const qint64 ticks = (std::max(ms, kShortestMergedMs) + kTenMsTick / 2) / kTenMsTick;
        delayByte = uchar((delayByte & kReleaseBit) | ticks);
        return;
    }
    const qint64 twentyMsUnits = (std::max(ms, kShortestTwentyMsPauseMs) + kTwentyMs / 2) / kTwentyMs;
    if (ms > kMergeLimitMs && ms <= kTwentyMsRecordLimitMs) {
        pieces.append({uchar(twentyMsUnits), kTwentyMsRecordTail});
        return;
    }
    const int count = int(std::min<qint64>(twentyMsUnits, kMaxUnitCount));
    pieces.append({kExtensionLead, kUnit20ms, highByte(count), lowByte(count)});
}

} // namespace

StreamPieces textLinePieces(const QStringList& lines, int deviceIndex)
{
    // The header always says 1; the mouse slot's sender writes the macro's own count over it.
    StreamPieces pieces{header(1)};
    // A short pause rides in the record just written, but only in an event record that a key line wrote:
    // never in the header, nor in a pause record.
    bool mergeable = false;
    for (const QString& line : lines) {
        if (line.size() < kTagLength)
            continue;
        const QString tag = line.right(kTagLength);
        const QString payload = line.left(line.size() - kTagLength);
        if (tag == kDownTag || tag == kUpTag) {
            const uchar code = keyCodeForName(payload);
            if (code == 0)
                continue;
            pieces.append({tag == kDownTag ? kPressLead : kReleaseLead, code});
            mergeable = true;
        } else if (tag == kDelayTag) {
            bool ok = false;
            const qint64 ms = payload.toLongLong(&ok);
            // A negative pause means nothing to play.
            if (ok && ms > 0)
                appendPause(pieces, ms, deviceIndex, mergeable);
            mergeable = false;
        }
    }
    pieces.append({kEndMarker, kEndMarker});
    return pieces;
}

QList<uchar> macroIncode(const QStringList& lines, int deviceIndex)
{
    return joined(textLinePieces(lines, deviceIndex));
}

int streamLength(const StreamPieces& pieces)
{
    int length = 0;
    for (const QList<uchar>& piece : pieces)
        length += int(piece.size());
    return length;
}

QList<uchar> fitToSlot(const StreamPieces& pieces, int slotBytes)
{
    if (streamLength(pieces) <= slotBytes)
        return joined(pieces);
    QList<uchar> out = pieces.first();
    for (qsizetype i = 1; i + 1 < pieces.size(); ++i) {
        if (out.size() + pieces[i].size() + kEndMarkerBytes > slotBytes)
            break;
        out.append(pieces[i]);
    }
    out.append(pieces.last());
    return out;
}

} // namespace macro_stream
