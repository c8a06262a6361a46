#include "page_encoders.h"

#include "key_names.h"

#include <algorithm>
#include <cmath>

namespace macro_stream {

namespace {

// How the two pages count time. The macro page plays in 10 ms ticks. The gun page plays in 2 ms ticks and
// writes a zero gap, and the pause after its last event, as 20 ms (10 ticks).
struct PageTiming
{
    int tickMs;
    int zeroGapTicks;
    int lastRecordTicks;
    bool cursorSteps;
};

constexpr PageTiming kMacroPage{10, 1, 1, false};
constexpr PageTiming kGunPage{2, 10, 10, true};

constexpr int kRecordBytes = 2;
constexpr int kExtensionBytes = 4;

// A record's delay bits hold at most this many ticks; a longer gap needs an extension.
constexpr int kLongGapTicks = 127;
// Where a pause switches to the next coarser extension unit, and the unit lengths.
constexpr double kTwentyMsLimitMs = 1000000;
constexpr double kFiftyMsLimitMs = 3000000;
constexpr double kHundredMsLimitMs = 6000000;
constexpr int kTwentyMs = 20;
constexpr int kFiftyMs = 50;
constexpr int kHundredMs = 100;

bool isRelease(int type)
{
    return type == KeyRelease || type == MouseRelease;
}

bool isEvent(int type, const PageTiming& timing)
{
    return (type >= KeyPress && type <= MouseRelease) || (timing.cursorSteps && type == CursorX);
}

// A delay's milliseconds; the editor accepts only whole numbers from 0, anything else counts as no pause.
double delayMs(const PageAction& action)
{
    bool ok = false;
    const double ms = action.info.toDouble(&ok);
    return ok && ms > 0 ? ms : 0;
}

uchar signedByte(const QString& text)
{
    return lowByte(text.toInt());
}

// One event of the page and the pause that precedes it.
struct TimedEvent
{
    double gapBeforeMs = 0;
    bool release = false;
    QList<uchar> body; // the bytes after the delay byte
};

// The page's events with the pauses between them, or nothing when the page would send the header alone:
// no event at all, or the first event is the list's last entry.
QList<TimedEvent> timedEvents(const QList<PageAction>& actions, const PageTiming& timing)
{
    QList<PageAction> relevant;
    for (const PageAction& action : actions)
        if (action.type == Delay || isEvent(action.type, timing) ||
            (timing.cursorSteps && action.type == CursorY))
            relevant.append(action);

    const auto first = std::find_if(relevant.cbegin(), relevant.cend(),
                                    [&](const PageAction& action) { return isEvent(action.type, timing); });
    if (first == relevant.cend() || first == relevant.cend() - 1)
        return {};

    QList<TimedEvent> events;
    double gapMs = 0;
    for (auto it = first; it != relevant.cend(); ++it) {
        if (it->type == Delay) {
            gapMs += delayMs(*it);
            continue;
        }
        if (it->type == CursorY) // consumed with its CursorX partner
            continue;
        TimedEvent event;
        event.gapBeforeMs = gapMs;
        event.release = isRelease(it->type);
        if (it->type == CursorX) {
            const auto next = it + 1;
            const QString dy = next != relevant.cend() && next->type == CursorY ? next->info : QString();
            // The device's Y axis points the other way from the page's.
            event.body = {kCursorCode, signedByte(it->info), lowByte(-dy.toInt())};
        } else {
            event.body = {keyCodeForName(it->info)};
        }
        events.append(event);
        gapMs = 0;
    }
    return events;
}

// Delay bits for a gap short enough to fit them. A press's fraction rounds to the nearest tick, a
// release's is cut off (the page ORs the release bit into it). A gap below one tick still plays one tick:
// delay bits of 0 would announce an extension that never comes.
int shortGapTicks(double gapMs, bool release, const PageTiming& timing)
{
    if (gapMs == 0)
        return timing.zeroGapTicks;
    const double ticks = gapMs / timing.tickMs;
    const int whole = int(release ? std::floor(ticks) : std::floor(ticks + 0.5));
    return std::max(whole, 1);
}

// The extension of a long gap. A gap beyond the coarsest unit's range plays as long as the stream can
// carry instead of leaving the record without a unit.
QList<uchar> longGapExtension(double gapMs)
{
    uchar unit = kUnit100ms;
    int count = kMaxUnitCount;
    if (gapMs < kTwentyMsLimitMs) {
        unit = kUnit20ms;
        count = int(std::floor(gapMs / kTwentyMs));
    } else if (gapMs < kFiftyMsLimitMs) {
        unit = kUnit50ms;
        count = int(std::floor(gapMs / kFiftyMs));
    } else if (gapMs < kHundredMsLimitMs) {
        count = int(std::floor(gapMs / kHundredMs));
    }
    return {kExtensionLead, unit, highByte(count), lowByte(count)};
}

QList<uchar> encodePage(const QList<PageAction>& actions, int repeat, const PageTiming& timing)
{
    QList<uchar> out = header(repeat);
    const QList<TimedEvent> events = timedEvents(actions, timing);
    if (events.isEmpty())
        return out;

    for (qsizetype i = 0; i < events.size(); ++i) {
        const TimedEvent& event = events[i];
        const uchar releaseBit = event.release ? kReleaseBit : 0;
        const bool last = i + 1 == events.size();
        const double gapAfterMs = last ? 0 : events[i + 1].gapBeforeMs;
        const bool longGap = !last && gapAfterMs >= kLongGapTicks * timing.tickMs;

        if (last)
            out.append(uchar(releaseBit | timing.lastRecordTicks));
        else if (longGap)
            out.append(uchar(releaseBit | kLongDelayFollows));
        else
            out.append(uchar(releaseBit | shortGapTicks(gapAfterMs, event.release, timing)));
        out.append(event.body);
        if (longGap)
            out.append(longGapExtension(gapAfterMs));
    }
    out.append({kEndMarker, kEndMarker});
    return out;
}

} // namespace

QList<uchar> deCode(const QList<PageAction>& actions, int repeat)
{
    return encodePage(actions, repeat, kMacroPage);
}

QList<uchar> gunDeCode(const QList<PageAction>& actions, int loopTimes)
{
    return encodePage(actions, loopTimes, kGunPage);
}

int recordCount(const QList<PageAction>& actions)
{
    int count = kHeaderBytes;
    QList<PageAction> relevant;
    for (const PageAction& action : actions)
        if (action.type == Delay || isEvent(action.type, kMacroPage))
            relevant.append(action);
    const auto first = std::find_if(relevant.cbegin(), relevant.cend(),
                                    [](const PageAction& action) { return action.type != Delay; });
    if (first == relevant.cend() || first == relevant.cend() - 1)
        return count;

    double gapMs = 0;
    for (auto it = first + 1; it != relevant.cend(); ++it) {
        if (it->type == Delay) {
            gapMs += delayMs(*it);
            continue;
        }
        const bool longGap = gapMs >= kLongGapTicks * kMacroPage.tickMs;
        count += kRecordBytes + (longGap ? kExtensionBytes : 0);
        gapMs = 0;
    }
    return count + kRecordBytes + kEndMarkerBytes; // the last record and the end marker
}

} // namespace macro_stream
