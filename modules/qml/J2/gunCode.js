.pragma library

.import "keyCodes.js" as KeyCodes
.import "macroCode.js" as MacroCode

// The gun page's rules: its encoder, how a gun stream spreads over device macro slots, the gun key cycle
// and tables, and the editing of action lists that hold cursor steps. Pure functions; nothing here
// modifies what it is given.

// ---- actions ----

var kDelay = MacroCode.kDelay;
var kKeyPress = MacroCode.kKeyPress;
// A cursor step is always the adjacent pair X then Y, each an offset of -127..127.
var kCursorX = 5;
var kCursorY = 6;

// ---- the stream ----

var kHeaderBytes = MacroCode.kHeaderBytes;
var kEndMarkerBytes = MacroCode.kEndMarkerBytes;
var kRecordBytes = MacroCode.kRecordBytes;
var kExtensionBytes = MacroCode.kExtensionBytes;
var kDelayBits = 0x7F;
// A record [delay, kCursorCode, dx, dy] moves the cursor.
var kCursorCode = 0xF9;
var kCursorRecordBytes = 4;

// The gun page plays in 2 ms ticks. A zero gap, and the pause after the last event, play as 20 ms: the
// device needs time between two cursor steps for the game to see both.
var kGunTiming = MacroCode.timing(2, 10, 10);

function isEvent(type) {
    return type >= kKeyPress && type <= kCursorX;
}


// By name alone, as the program's encoder looks names up: a mouse name plays its button whatever the
// action's type says; a name no table knows plays code 0.
function codeOf(name) {
    var text = String(name);
    if (KeyCodes.hasOwn(KeyCodes.str2keycode, text))
        return KeyCodes.str2keycode[text] & 0xFF;
    if (KeyCodes.hasOwn(KeyCodes.str2mousecode, text))
        return KeyCodes.str2mousecode[text] & 0xFF;
    return 0;
}

// A cursor offset: whole decimal numbers only (as the program reads them); anything else moves by 0.
var integerText = /^\s*[+-]?\d+\s*$/;
function offsetOf(info) {
    var text = String(info);
    if (!integerText.test(text))
        return 0;
    var value = parseInt(text, 10);
    return value >= -2147483648 && value <= 2147483647 ? value : 0;
}

function relevantActions(actions) {
    var relevant = [];
    for (var i = 0; i < (actions ? actions.length : 0); ++i) {
        var type = Number(actions[i].type);
        if (type === kDelay || isEvent(type) || type === kCursorY)
            relevant.push({ type: type, info: actions[i].info });
    }
    return relevant;
}

// The events from the first one on, each with the pause before it and the bytes after its delay byte;
// nothing when the page sends the header alone (no event, or the first event is the list's last entry).
function timedEvents(actions) {
    var relevant = relevantActions(actions);
    var first = -1;
    for (var i = 0; i < relevant.length && first < 0; ++i) {
        if (isEvent(relevant[i].type))
            first = i;
    }
    if (first < 0 || first === relevant.length - 1)
        return [];
    var events = [];
    var gapMs = 0;
    for (i = first; i < relevant.length; ++i) {
        var action = relevant[i];
        if (action.type === kDelay) {
            gapMs += MacroCode.delayMs(action.info);
            continue;
        }
        if (action.type === kCursorY) // taken with its X partner
            continue;
        var body;
        if (action.type === kCursorX) {
            var next = relevant[i + 1];
            var dy = next && next.type === kCursorY ? offsetOf(next.info) : 0;
            // The device's Y axis points the other way from the page's.
            body = [kCursorCode, offsetOf(action.info) & 0xFF, -dy & 0xFF];
        } else {
            body = [codeOf(action.info)];
        }
        events.push({ gapBeforeMs: gapMs, release: MacroCode.isRelease(action.type), body: body });
        gapMs = 0;
    }
    return events;
}

// actions: [{type, info}], loopTimes: the page's "Loops". Returns the stream as byte numbers, the same
// bytes as the program's gun encoder (view/macro_encoder.cpp); tests/data/gun_examples.json holds both.
function deCode(actions, loopTimes) {
    return MacroCode.encodeEvents(loopTimes, timedEvents(actions), kGunTiming);
}

// ---- device macro slots ----

var kSlotBytes = 128;
var kGunSlotCount = 3;
// Each gun owns five device slots; the next gun's stream starts right after them.
var kFirstGunDeviceSlot = 6;
var kSlotsPerGun = 5;
var kMaxStreamBytes = kSlotsPerGun * kSlotBytes;
// A chunk that does not end the stream ends with [next slot, kLinkCode] and the end marker.
var kLinkCode = 0xFE;
var kLinkBytes = 2;
var kChunkRecordRoom = kSlotBytes - kHeaderBytes - kLinkBytes - kEndMarkerBytes;

// The device macro slot where gun slot g's stream starts, and the slot its left button plays.
function gunSlotStart(g) {
    return kFirstGunDeviceSlot + kSlotsPerGun * Number(g);
}

// The stream's records between header and end marker, as [start, size] pairs: an event record, or a
// cursor record, together with the extension that follows a record whose delay bits are 0. Cutting only
// between them never leaves the device half a record.
function recordSpans(bytes) {
    var spans = [];
    var end = bytes.length - kEndMarkerBytes;
    for (var at = kHeaderBytes; at < end;) {
        var size = bytes[at + 1] === kCursorCode ? kCursorRecordBytes : kRecordBytes;
        if ((bytes[at] & kDelayBits) === 0)
            size += kExtensionBytes;
        size = Math.min(size, end - at); // a stream cut short keeps its tail together
        spans.push({ start: at, size: size });
        at += size;
    }
    return spans;
}

// How one gun stream goes into the device macro slots from firstSlot on: [{slot, bytes}], each chunk's
// bytes unpadded. The page sends chunk c with sendMacroData(c.bytes, c.slot - 1), which writes slot
// c.slot. A chunk that can hold the rest of the stream with its end marker is the last; any other chunk
// is the repeat bytes, as many whole records as leave room for the link and end marker, the link to the
// next slot and the end marker. A stream that needs more than its gun's five slots is not written ([]):
// its sixth chunk would overwrite the next gun's first slot.
function slotChunks(stream, firstSlot) {
    var bytes = [];
    for (var i = 0; i < (stream ? stream.length : 0); ++i)
        bytes.push(Number(stream[i]) & 0xFF);
    if (bytes.length >= kMaxStreamBytes)
        return [];
    var slot = Number(firstSlot);
    if (bytes.length <= kSlotBytes)
        return [{ slot: slot, bytes: bytes }];

    var header = bytes.slice(0, kHeaderBytes);
    var bodyEnd = bytes.length - kEndMarkerBytes;
    var spans = recordSpans(bytes);
    var chunks = [];
    for (var next = 0;; ++slot) {
        var start = next < spans.length ? spans[next].start : bodyEnd;
        if (kHeaderBytes + bytes.length - start <= kSlotBytes) {
            chunks.push({ slot: slot, bytes: header.concat(bytes.slice(start)) });
            return chunks;
        }
        if (chunks.length + 1 === kSlotsPerGun)
            return [];
        var stop = start;
        while (next < spans.length && stop - start + spans[next].size <= kChunkRecordRoom)
            stop += spans[next++].size;
        chunks.push({ slot: slot, bytes: header.concat(bytes.slice(start, stop), [(slot + 1) & 0xFF, kLinkCode,
                                                                                  0x00, 0x00]) });
    }
}

// ---- the gun key cycle ----

// A gun key's entry [kGunKeyType, 0x00, kGunKeyMark, next] leads to table next - 1: 0 the normal table,
// t = 1..3 gun slot t - 1's table.
var kGunKeyType = 0x08;
var kGunKeyMark = 0x05;
var kMacroType = 0x09;
var kBackToNormal = 1;
var kDefaultRunType = 2;
var kKeyCount = 32;
var kGunTableCopiedKeys = 16;
var kLeftButtonKey = 0;

// The key a slot is bound to, or -1. Stored bindings come back as text and a new profile's as "",
// which must not read as key 0.
function keyIndexOf(value) {
    if (value === "" || value === null || value === undefined)
        return -1;
    var key = Number(value);
    return key >= 0 && Math.floor(key) === key ? key : -1;
}

function runTypeOf(slot) {
    var type = slot ? slot.type : undefined;
    if (type === "" || type === null || type === undefined || !isFinite(Number(type)))
        return kDefaultRunType;
    return Number(type) & 0xFF;
}

// The gun slots bound to the key, lowest first.
function slotsOn(slots, key) {
    var bound = [];
    var wanted = keyIndexOf(key);
    for (var s = 0; s < kGunSlotCount && wanted >= 0; ++s) {
        if (slots && slots[s] && keyIndexOf(slots[s].key) === wanted)
            bound.push(s);
    }
    return bound;
}

// Byte 3 of the key's gun entry in the normal table and the three slot tables: the bound slots form the
// cycle normal, slot 0, slot 1, slot 2, normal, skipping the others; an unbound slot's table leads back.
function cycleLinks(slots, key) {
    var links = [kBackToNormal, kBackToNormal, kBackToNormal, kBackToNormal];
    var from = 0;
    slotsOn(slots, key).forEach(function (slot) {
        links[from] = slot + 2;
        from = slot + 1;
    });
    links[from] = kBackToNormal;
    return links;
}

var kMenuAssignment = 0;
var kMenuEnable = 1;
var kMenuDisable = 2;

// Per gun slot, the gun menu entries shown for the selected key. A slot bound to another key is that
// key's business.
function gunMenuEntries(slots, key) {
    var entries = [];
    var wanted = keyIndexOf(key);
    for (var s = 0; s < kGunSlotCount; ++s) {
        var bound = keyIndexOf(slots && slots[s] ? slots[s].key : -1);
        if (bound < 0)
            entries.push([kMenuAssignment, kMenuEnable]);
        else if (bound === wanted)
            entries.push([kMenuAssignment, kMenuEnable, kMenuDisable]);
        else
            entries.push([]);
    }
    return entries;
}

function entryBytes(entry) {
    var bytes = [];
    for (var i = 0; i < 4; ++i)
        bytes.push(entry && entry[i] !== undefined ? Number(entry[i]) || 0 : 0);
    return bytes;
}

// The three gun key tables, 128 numbers each, for the normal table as the panel keeps it (32 entries;
// a macro entry's byte 2 the key index). The first 16 entries follow the normal table, macro entries
// numbered from 1 as the device counts slots. A gun entry is kept only for a key a slot is bound to, and
// then with this table's link, so that the gun key leads on from gun mode (a stale one would switch to a
// table nothing leads out of). The left button plays the device slot where the slot's stream starts.
function gunKeyTables(normalTable, slots) {
    var tables = [];
    for (var t = 1; t <= kGunSlotCount; ++t) {
        var entries = [];
        for (var key = 0; key < kKeyCount; ++key) {
            var entry = key < kGunTableCopiedKeys ? entryBytes(normalTable ? normalTable[key] : undefined)
                                                  : [0, 0, 0, 0];
            if (entry[0] === kGunKeyType)
                entry = [0, 0, 0, 0];
            else if (entry[0] === kMacroType)
                entry[2] += 1;
            entries.push(entry);
        }
        for (var s = 0; s < kGunSlotCount; ++s) {
            var gunKey = keyIndexOf(slots && slots[s] ? slots[s].key : -1);
            if (gunKey >= 0 && gunKey < kKeyCount)
                entries[gunKey] = [kGunKeyType, 0x00, kGunKeyMark, cycleLinks(slots, gunKey)[t]];
        }
        entries[kLeftButtonKey] = [kMacroType, runTypeOf(slots ? slots[t - 1] : undefined), gunSlotStart(t - 1),
                                   0x00];
        var flat = [];
        entries.forEach(function (bytes) {
            flat = flat.concat(bytes.map(function (value) { return value & 0xFF; }));
        });
        tables.push(flat);
    }
    return tables;
}

// A gun key's row: the gun of the lowest slot bound to it, or the plain gun-key label.
function gunRowText(slots, key, gunNames, language) {
    var bound = slotsOn(slots, key);
    if (bound.length > 0) {
        var name = gunNames ? gunNames[bound[0]] : undefined;
        return name === undefined || name === null ? "" : String(name);
    }
    return (Number(language) || 0) === 0 ? "Gun Button" : "枪键按键";
}

// ---- editing the action list ----

function typeAt(actions, index) {
    return index >= 0 && index < actions.length ? Number(actions[index].type) : -1;
}

function startsPair(actions, index) {
    return typeAt(actions, index) === kCursorX && typeAt(actions, index + 1) === kCursorY;
}

function endsPair(actions, index) {
    return typeAt(actions, index) === kCursorY && typeAt(actions, index - 1) === kCursorX;
}

function copyOf(actions) {
    return actions ? Array.prototype.slice.call(actions) : [];
}

// Whether index names an action of the list.
function holds(actions, index) {
    var at = Number(index);
    return Math.floor(at) === at && at >= 0 && at < actions.length;
}

// newActions after the action at index, never between a cursor step's X and Y; index -1 (nothing
// selected) or the last index appends.
function insertAfter(actions, index, newActions) {
    var list = copyOf(actions);
    var added = Array.isArray(newActions) ? newActions.slice() : [newActions];
    var at = list.length;
    if (holds(list, index))
        at = Number(index) + (startsPair(list, Number(index)) ? 2 : 1);
    return list.slice(0, at).concat(added, list.slice(at));
}

// A delay of ms before the action at index (at the end when index names none), before a whole cursor
// step when index is its Y. Returns the new list and the delay's position, which the page selects.
function insertDelayAt(actions, index, ms) {
    var list = copyOf(actions);
    var at = list.length;
    if (holds(list, index))
        at = Number(index) - (endsPair(list, Number(index)) ? 1 : 0);
    return {
        actions: list.slice(0, at).concat([{ type: kDelay, info: String(ms) }], list.slice(at)),
        index: at
    };
}

// The action at index; either half of a cursor step takes the other with it.
function removeAt(actions, index) {
    var list = copyOf(actions);
    if (!holds(list, index))
        return list;
    var at = Number(index);
    if (startsPair(list, at))
        list.splice(at, 2);
    else if (endsPair(list, at))
        list.splice(at - 1, 2);
    else
        list.splice(at, 1);
    return list;
}
