.pragma library

.import "keyCodes.js" as KeyCodes

// The macro page's encoder: its action list as the byte stream the mouse plays a macro from. The stream
// is the 16-bit repeat count (high byte first), one record [delay after the event | release bit, code]
// per event, a 4-byte extension after a record whose pause is too long for its delay bits, and the end
// marker 00 00. It must give the same bytes as the program's own encoder (view/macro_encoder.cpp), which
// the shared examples in tests/data/macro_examples.json hold both to.

var kDelay = 0;
var kKeyPress = 1;
var kKeyRelease = 2;
var kMousePress = 3;
var kMouseRelease = 4;

var kReleaseBit = 0x80;
// Delay bits of 0 announce an extension [00, unit, count hi, count lo].
var kLongDelayFollows = 0x00;
var kUnit20ms = 1;
var kUnit50ms = 2;
var kUnit100ms = 3;
var kMaxUnitCount = 0xFFFF;

// The page plays in 10 ms ticks.
var kTickMs = 10;
// Where a pause switches to the next coarser extension unit.
var kTwentyMsLimitMs = 1000000;
var kFiftyMsLimitMs = 3000000;
var kHundredMsLimitMs = 6000000;

var kRecordBytes = 2;
var kExtensionBytes = 4;
var kHeaderBytes = 2;
var kEndMarkerBytes = 2;

function isEvent(type) {
    return type >= kKeyPress && type <= kMouseRelease;
}

function isRelease(type) {
    return type === kKeyRelease || type === kMouseRelease;
}

// A delay's milliseconds. The editor accepts only whole numbers from 0; anything else plays no pause,
// as in the program's encoder (which reads decimal text only).
var decimalText = /^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$/;
function delayMs(info) {
    var text = String(info);
    if (!decimalText.test(text))
        return 0;
    var ms = parseFloat(text);
    return ms > 0 ? ms : 0;
}

// Key names through the key-name table, mouse buttons through the mouse table; a name either table lacks
// plays code 0.
function codeOf(action) {
    var name = String(action.info);
    var table = action.type === kMousePress || action.type === kMouseRelease ? KeyCodes.str2mousecode
                                                                             : KeyCodes.str2keycode;
    return Object.prototype.hasOwnProperty.call(table, name) ? table[name] & 0xFF : 0;
}

// The actions the page encodes: delays and events. Anything else (the gun page's cursor steps) is left out.
function relevantActions(actions) {
    var relevant = [];
    for (var i = 0; i < (actions ? actions.length : 0); ++i) {
        var type = Number(actions[i].type);
        if (type === kDelay || isEvent(type))
            relevant.push({ type: type, info: actions[i].info });
    }
    return relevant;
}

// The position of the first event, or -1 when the page sends the header alone: no event at all, or the
// first event is the list's last entry (a single press has nothing to release and no pause to play).
function firstEventAt(relevant) {
    for (var i = 0; i < relevant.length; ++i) {
        if (relevant[i].type !== kDelay)
            return i + 1 < relevant.length ? i : -1;
    }
    return -1;
}

// The events from the first one on, each with the pause before it; pauses before the first event are
// not played.
function timedEvents(actions) {
    var relevant = relevantActions(actions);
    var first = firstEventAt(relevant);
    if (first < 0)
        return [];
    var events = [];
    var gapMs = 0;
    for (var i = first; i < relevant.length; ++i) {
        var action = relevant[i];
        if (action.type === kDelay) {
            gapMs += delayMs(action.info);
            continue;
        }
        events.push({ gapBeforeMs: gapMs, release: isRelease(action.type), body: [codeOf(action)] });
        gapMs = 0;
    }
    return events;
}

// How a page counts time: its tick, the ticks a zero gap plays, the ticks the last event keeps (its pause
// is not played), and the shortest gap that needs an extension (the delay bits hold at most 126 ticks).
function timing(tickMs, zeroGapTicks, lastRecordTicks) {
    return { tickMs: tickMs, zeroGapTicks: zeroGapTicks, lastRecordTicks: lastRecordTicks, longGapMs: 127 * tickMs };
}
var kMacroTiming = timing(kTickMs, 1, 1);

// Delay bits for a gap that fits them. A press's fraction rounds to the nearest tick, a release's is cut
// off; a gap below one tick still plays one, as delay bits of 0 would announce an extension.
function shortGapTicks(gapMs, release, pageTiming) {
    if (gapMs === 0)
        return pageTiming.zeroGapTicks;
    var ticks = gapMs / pageTiming.tickMs;
    var whole = release ? Math.floor(ticks) : Math.floor(ticks + 0.5);
    return Math.max(whole, 1);
}

// A gap beyond the coarsest unit's range plays as long as the stream can carry.
function longGapExtension(gapMs) {
    var unit = kUnit100ms;
    var count = kMaxUnitCount;
    if (gapMs < kTwentyMsLimitMs) {
        unit = kUnit20ms;
        count = Math.floor(gapMs / 20);
    } else if (gapMs < kFiftyMsLimitMs) {
        unit = kUnit50ms;
        count = Math.floor(gapMs / 50);
    } else if (gapMs < kHundredMsLimitMs) {
        count = Math.floor(gapMs / 100);
    }
    return [0x00, unit, (count >> 8) & 0xFF, count & 0xFF];
}

function header(repeat) {
    var count = Number(repeat) | 0;
    return [(count >> 8) & 0xFF, count & 0xFF];
}

// The stream for timed events ({gapBeforeMs, release, body: the bytes after the delay byte}), in a page's
// timing. The macro and gun pages differ only in their events and their timing.
function encodeEvents(repeat, events, pageTiming) {
    var out = header(repeat);
    for (var i = 0; i < events.length; ++i) {
        var event = events[i];
        var releaseBit = event.release ? kReleaseBit : 0;
        var last = i + 1 === events.length;
        var gapAfterMs = last ? 0 : events[i + 1].gapBeforeMs;
        var longGap = !last && gapAfterMs >= pageTiming.longGapMs;
        if (last)
            out.push(releaseBit | pageTiming.lastRecordTicks);
        else if (longGap)
            out.push(releaseBit | kLongDelayFollows);
        else
            out.push((releaseBit | shortGapTicks(gapAfterMs, event.release, pageTiming)) & 0xFF);
        out = out.concat(event.body);
        if (longGap)
            out = out.concat(longGapExtension(gapAfterMs));
    }
    if (events.length > 0)
        out.push(0x00, 0x00);
    return out;
}

// A library entry as its file holds it: one "type,info" line per action, then the repeat count as text.
// The actions, the count the device gets (1 when the text is no number) and the text the page shows.
function storedEntry(lines) {
    var actions = [];
    for (var i = 0; i + 1 < lines.length; ++i)
        actions.push({ type: Number(String(lines[i]).charAt(0)), info: String(lines[i]).substring(2) });
    var repeatText = lines.length > 0 ? String(lines[lines.length - 1]) : "";
    var repeat = parseInt(repeatText, 10);
    return { actions: actions, repeat: isNaN(repeat) ? 1 : repeat, repeatText: repeatText };
}

// actions: [{type, info}], repeat: the page's "Loops". Returns the stream as byte numbers.
function deCode(actions, repeat) {
    return encodeEvents(repeat, timedEvents(actions), kMacroTiming);
}

// The length deCode gives, counted without encoding; the page refuses new events once it reaches its
// limit.
function recordCount(actions) {
    var events = timedEvents(actions);
    if (events.length === 0)
        return kHeaderBytes;
    var count = kHeaderBytes;
    for (var i = 1; i < events.length; ++i)
        count += kRecordBytes + (events[i].gapBeforeMs >= kMacroTiming.longGapMs ? kExtensionBytes : 0);
    return count + kRecordBytes + kEndMarkerBytes;
}
