import QtQuick
import QtTest
import "../../modules/qml/J2/gunCode.js" as GunCode

TestCase {
    name: "GunCode"

    // The examples the program's own gun encoder is tested on as well (tests/view/test_macro_encoder.cpp).
    property var examples: null

    function initTestCase() {
        var request = new XMLHttpRequest();
        var done = false;
        request.onreadystatechange = function () {
            if (request.readyState === XMLHttpRequest.DONE)
                done = true;
        };
        request.open("GET", Qt.resolvedUrl("../data/gun_examples.json"));
        request.send();
        // Qt reads local files through XMLHttpRequest only with QML_XHR_ALLOW_FILE_READ=1 (CTest sets it).
        tryVerify(function () { return done; }, 5000, "reading gun_examples.json (QML_XHR_ALLOW_FILE_READ=1?)");
        verify(request.responseText.length > 0, "gun_examples.json is empty or unreadable");
        examples = JSON.parse(request.responseText);
        verify(examples.gunPage.length > 0);
    }

    // "5,10" is a cursor X step of 10: the type digit, a comma, the info, as the page stores its actions.
    function parseActions(lines) {
        return lines.map(function (line) {
            return { type: parseInt(line.charAt(0), 10), info: line.substring(2) };
        });
    }

    function render(actions) {
        return actions.map(function (action) { return action.type + "," + action.info; });
    }

    function hexText(bytes) {
        return bytes.map(function (value) {
            var digits = value.toString(16).toUpperCase();
            return digits.length < 2 ? "0" + digits : digits;
        }).join(" ");
    }

    // --- the encoder ---

    function test_shared_examples_data() {
        return examples.gunPage.map(function (row) {
            return { tag: row.name, actions: row.actions, loopTimes: row.loopTimes, expected: row.expected };
        });
    }

    function test_shared_examples(data) {
        compare(hexText(GunCode.deCode(parseActions(data.actions), data.loopTimes)), data.expected.toUpperCase());
    }

    // The page's model may hand over numbers and text alike; encoding leaves it alone.
    function test_numbers_from_the_page() {
        var actions = [{ type: 5, info: 10 }, { type: "6", info: -20 }, { type: 0, info: 40 },
                       { type: 1, info: "A" }, { type: 2, info: "A" }];
        compare(hexText(GunCode.deCode(actions, "1")), "00 01 14 F9 0A 14 0A 04 8A 04 00 00");
        compare(actions[1], { type: "6", info: -20 });
        compare(GunCode.deCode(undefined, 2), [0x00, 0x02]);
    }

    // --- device macro slots ---

    // n alternating presses and releases of A without pauses: 2n + 4 bytes.
    function keyStream(events, loopTimes) {
        var actions = [];
        for (var i = 0; i < events; ++i)
            actions.push({ type: i % 2 === 0 ? 1 : 2, info: "A" });
        return GunCode.deCode(actions, loopTimes === undefined ? 1 : loopTimes);
    }

    function test_chunk_lengths_data() {
        return [
            { tag: "100 bytes in one slot", events: 48, lengths: [100] },
            { tag: "128 bytes still in one slot", events: 62, lengths: [128] },
            { tag: "130 bytes in two slots", events: 63, lengths: [128, 8] },
            { tag: "200 bytes in two slots", events: 98, lengths: [128, 78] },
            { tag: "250 bytes fill the second slot", events: 123, lengths: [128, 128] },
            { tag: "252 bytes take a third slot", events: 124, lengths: [128, 128, 8] },
            { tag: "616 bytes fill all five slots", events: 306, lengths: [128, 128, 128, 128, 128] },
            { tag: "618 bytes would need a sixth slot", events: 307, lengths: [] },
            { tag: "640 bytes are not written", events: 318, lengths: [] },
            { tag: "700 bytes are not written", events: 348, lengths: [] },
        ];
    }

    function test_chunk_lengths(data) {
        var stream = keyStream(data.events);
        compare(stream.length, 2 * data.events + 4);
        var chunks = GunCode.slotChunks(stream, 6);
        compare(chunks.map(function (chunk) { return chunk.bytes.length; }), data.lengths);
        compare(chunks.map(function (chunk) { return chunk.slot; }),
                data.lengths.map(function (length, i) { return 6 + i; }));
    }

    function test_short_stream_is_sent_whole() {
        var stream = keyStream(48);
        compare(GunCode.slotChunks(stream, 11), [{ slot: 11, bytes: stream }]);
    }

    // A 200-byte stream of 2-byte records: the first 61 records fill the first slot with its link.
    function test_two_chunks_byte_for_byte() {
        var stream = keyStream(98, 0x0102);
        var chunks = GunCode.slotChunks(stream, 11);
        compare(chunks.length, 2);
        compare(chunks[0].slot, 11);
        compare(chunks[0].bytes, stream.slice(0, 124).concat([12, 0xFE, 0x00, 0x00]));
        compare(chunks[1].slot, 12);
        compare(chunks[1].bytes, [0x01, 0x02].concat(stream.slice(124)));
    }

    // The longest stream a gun can hold stays inside its own five slots.
    function test_guns_keep_to_their_slots_data() {
        return [
            { tag: "gun 0", gun: 0, slots: [6, 7, 8, 9, 10] },
            { tag: "gun 1", gun: 1, slots: [11, 12, 13, 14, 15] },
            { tag: "gun 2", gun: 2, slots: [16, 17, 18, 19, 20] },
        ];
    }

    function test_guns_keep_to_their_slots(data) {
        compare(GunCode.gunSlotStart(data.gun), data.slots[0]);
        var chunks = GunCode.slotChunks(keyStream(306), GunCode.gunSlotStart(data.gun));
        compare(chunks.map(function (chunk) { return chunk.slot; }), data.slots);
        compare(chunks[4].bytes.slice(-2), [0x00, 0x00]);
        compare(chunks[3].bytes.slice(-4), [data.slots[4], 0xFE, 0x00, 0x00]);
    }

    // Records as the encoder writes them. The tricky ones: a cursor record whose dx is 0xF9, a release
    // with a zero-count extension and key code 0 (bytes that look like end markers).
    readonly property var units: ({
        key: [0x0A, 0x04],
        release: [0x8A, 0x04],
        move: [0x0A, 0xF9, 0xF9, 0x00],
        keyExt: [0x00, 0x04, 0x00, 0x01, 0x00, 0x0F],
        releaseExt: [0x80, 0x00, 0x00, 0x03, 0x00, 0x00],
        moveExt: [0x00, 0xF9, 0x05, 0xFB, 0x00, 0x01, 0x00, 0x19],
    })

    // The stream of the named records, repeat bytes 01 02, and the positions where records start.
    function streamOf(names) {
        var bytes = [0x01, 0x02];
        var starts = [];
        names.forEach(function (name) {
            starts.push(bytes.length);
            bytes = bytes.concat(units[name]);
        });
        starts.push(bytes.length); // the end marker
        return { bytes: bytes.concat([0x00, 0x00]), starts: starts };
    }

    function repeated(name, count) {
        var names = [];
        for (var i = 0; i < count; ++i)
            names.push(name);
        return names;
    }

    // The first slot holds 122 bytes of records; rows place a long record just inside or across that line.
    function test_records_near_the_cut_data() {
        return [
            { tag: "a cursor record across the cut moves whole", before: 60, record: "move", lengths: [126, 88] },
            { tag: "a cursor record ending at the cut stays", before: 59, record: "move", lengths: [128, 84] },
            { tag: "a record and its extension across the cut", before: 59, record: "keyExt", lengths: [124, 90] },
            { tag: "a release and its zero extension across the cut", before: 60, record: "releaseExt",
              lengths: [126, 90] },
            { tag: "a cursor record and its extension across the cut", before: 58, record: "moveExt",
              lengths: [122, 92] },
            { tag: "a cursor record and its extension ending at the cut", before: 57, record: "moveExt",
              lengths: [128, 84] },
        ];
    }

    function test_records_near_the_cut(data) {
        var names = repeated("key", data.before).concat([data.record], repeated("release", 40));
        var stream = streamOf(names).bytes;
        var chunks = GunCode.slotChunks(stream, 16);
        compare(chunks.map(function (chunk) { return chunk.bytes.length; }), data.lengths);
        var record = units[data.record];
        // A record that fits ends the first slot before its link; one that does not opens the second.
        if (data.lengths[0] === 128)
            compare(chunks[0].bytes.slice(-4 - record.length, -4), record);
        else
            compare(chunks[1].bytes.slice(2, 2 + record.length), record);
        checkChunks(streamOf(names), 16, chunks);
    }

    // Everything a valid cut must keep, checked against the records the stream was built from.
    function checkChunks(built, firstSlot, chunks) {
        var stream = built.bytes;
        verify(chunks.length >= 1 && chunks.length <= 5, "chunk count " + chunks.length);
        var rebuilt = stream.slice(0, 2);
        for (var i = 0; i < chunks.length; ++i) {
            var bytes = chunks[i].bytes;
            var last = i + 1 === chunks.length;
            var at = rebuilt.length;
            compare(chunks[i].slot, firstSlot + i);
            verify(bytes.length <= 128, "chunk " + i + " has " + bytes.length + " bytes");
            compare(bytes.slice(0, 2), stream.slice(0, 2));
            verify(built.starts.indexOf(at) >= 0, "chunk " + i + " starts inside a record at " + at);
            if (last) {
                rebuilt = rebuilt.concat(bytes.slice(2));
                continue;
            }
            compare(bytes.slice(-4), [firstSlot + i + 1, 0xFE, 0x00, 0x00]);
            rebuilt = rebuilt.concat(bytes.slice(2, -4));
            // It was cut because the rest did not fit, and as late as the next record allowed.
            verify(2 + stream.length - at > 128, "chunk " + i + " could have ended the stream");
            var next = built.starts[built.starts.indexOf(rebuilt.length) + 1];
            verify(bytes.length + next - rebuilt.length > 128, "chunk " + i + " had room for the next record");
        }
        compare(rebuilt, stream);
    }

    // Streams of every even length up to past 640, with long records at every phase against the cuts.
    function test_every_length_is_cut_safely_data() {
        return [
            { tag: "key records", pattern: ["key", "release"] },
            { tag: "cursor records", pattern: ["move"] },
            { tag: "cursor and key records", pattern: ["key", "move", "release"] },
            { tag: "extensions", pattern: ["key", "keyExt", "release", "releaseExt"] },
            { tag: "cursor records with extensions", pattern: ["moveExt", "key", "move", "release", "release"] },
            { tag: "all kinds", pattern: ["moveExt", "keyExt", "move", "key", "releaseExt", "release"] },
        ];
    }

    function test_every_length_is_cut_safely(data) {
        var written = 0;
        for (var count = 1;; ++count) {
            var names = [];
            for (var i = 0; i < count; ++i)
                names.push(data.pattern[i % data.pattern.length]);
            var built = streamOf(names);
            var length = built.bytes.length;
            if (length >= 660)
                break;
            var chunks = GunCode.slotChunks(built.bytes, 6);
            if (length <= 128) {
                compare(chunks, [{ slot: 6, bytes: built.bytes }]);
                continue;
            }
            // Five slots hold 4 x 122 + 124 bytes of records at most, and at least 4 x 115 + 124 (a
            // record is at most 8 bytes, so a full slot wastes at most 7).
            if (length > 616) {
                compare(chunks, [], "length " + length);
                continue;
            }
            if (length <= 588)
                verify(chunks.length > 0, "a stream of " + length + " bytes was not written");
            if (chunks.length > 0) {
                checkChunks(built, 6, chunks);
                ++written;
            }
        }
        verify(written > 50, "only " + written + " multi-slot streams checked");
    }

    // --- the gun key cycle ---

    function slotsOf(keys, types) {
        return keys.map(function (key, i) { return { key: key, type: types ? types[i] : 2 }; });
    }

    function test_cycle_links_data() {
        return [
            { tag: "slots 0 and 2 on one key", keys: [3, -1, 3], key: 3, links: [2, 4, 1, 1] },
            { tag: "all three slots", keys: [3, 3, 3], key: 3, links: [2, 3, 4, 1] },
            { tag: "slot 1 alone", keys: [-1, 3, -1], key: 3, links: [3, 1, 1, 1] },
            { tag: "slot 2 alone", keys: [-1, -1, 3], key: 3, links: [4, 1, 1, 1] },
            { tag: "another key's slot stays out", keys: [5, 3, 3], key: 3, links: [3, 1, 4, 1] },
            { tag: "the other key's cycle", keys: [5, 3, 3], key: 5, links: [2, 1, 1, 1] },
            { tag: "no slot on the key", keys: [-1, -1, -1], key: 3, links: [1, 1, 1, 1] },
            { tag: "unbound is not a key", keys: [-1, -1, -1], key: -1, links: [1, 1, 1, 1] },
            { tag: "stored as text", keys: ["3", "-1", "3"], key: "3", links: [2, 4, 1, 1] },
            { tag: "a new profile's empty text is not key 0", keys: ["", "", ""], key: 0, links: [1, 1, 1, 1] },
        ];
    }

    function test_cycle_links(data) {
        compare(GunCode.cycleLinks(slotsOf(data.keys), data.key), data.links);
    }

    function test_menu_entries_data() {
        var all = [0, 1, 2];
        var unbound = [0, 1];
        return [
            { tag: "own, free, another's", keys: [3, -1, 5], key: 3, entries: [all, unbound, []] },
            { tag: "seen from the other key", keys: [3, -1, 5], key: 5, entries: [[], unbound, all] },
            { tag: "a key without slots", keys: [3, -1, 5], key: 7, entries: [[], unbound, []] },
            { tag: "all free", keys: [-1, "", -1], key: 0, entries: [unbound, unbound, unbound] },
        ];
    }

    function test_menu_entries(data) {
        compare(GunCode.gunMenuEntries(slotsOf(data.keys), data.key), data.entries);
    }

    // --- the gun key tables ---

    // Key 3 is the gun key of slots 0 and 2, key 20 of slot 1; key 4 still has a gun entry of an old
    // binding. Key 2 plays the macro of key index 2, key 17 (not copied) that of 17.
    function normalTable() {
        var table = [];
        for (var key = 0; key < 32; ++key)
            table.push([0, 0, 0, 0]);
        table[0] = [0x01, 0x00, 0xF0, 0x00];
        table[1] = [0x01, 0x00, 0xF1, 0x00];
        table[2] = [0x09, 0x02, 0x02, 0x00];
        table[3] = [0x08, 0x00, 0x05, 0x02];
        table[4] = [0x08, 0x00, 0x05, 0x01];
        table[5] = [0x00, 0x00, 0x04, 0x00];
        table[15] = [0x04, 0x00, 0x02, 0x00];
        table[16] = [0x01, 0x00, 0xF2, 0x00];
        table[17] = [0x09, 0x02, 0x11, 0x00];
        table[20] = [0x08, 0x00, 0x05, 0x03];
        return table;
    }

    readonly property var tableSlots: [{ key: 3, type: 1 }, { key: 20, type: "3" }, { key: "3", type: 4 }]

    function test_gun_key_tables_data() {
        return [
            { tag: "table 1 left button plays slot 6", table: 1, key: 0, entry: [0x09, 1, 6, 0] },
            { tag: "table 2 left button plays slot 11", table: 2, key: 0, entry: [0x09, 3, 11, 0] },
            { tag: "table 3 left button plays slot 16", table: 3, key: 0, entry: [0x09, 4, 16, 0] },
            { tag: "a button is copied", table: 2, key: 1, entry: [0x01, 0x00, 0xF1, 0x00] },
            { tag: "a key is copied", table: 3, key: 5, entry: [0x00, 0x00, 0x04, 0x00] },
            { tag: "entry 15 is copied", table: 1, key: 15, entry: [0x04, 0x00, 0x02, 0x00] },
            { tag: "a macro plays its device slot", table: 1, key: 2, entry: [0x09, 0x02, 0x03, 0x00] },
            { tag: "table 1 leads the gun key on to slot 2", table: 1, key: 3, entry: [0x08, 0, 0x05, 4] },
            { tag: "table 2 has no slot on key 3: back", table: 2, key: 3, entry: [0x08, 0, 0x05, 1] },
            { tag: "table 3 is the last of key 3: back", table: 3, key: 3, entry: [0x08, 0, 0x05, 1] },
            { tag: "a gun entry of no slot is dropped", table: 1, key: 4, entry: [0, 0, 0, 0] },
            { tag: "entries from 16 on are not copied", table: 1, key: 16, entry: [0, 0, 0, 0] },
            { tag: "a macro from 16 on is not copied", table: 2, key: 17, entry: [0, 0, 0, 0] },
            { tag: "a gun key from 16 on still leads back", table: 2, key: 20, entry: [0x08, 0, 0x05, 1] },
        ];
    }

    function test_gun_key_tables(data) {
        var tables = GunCode.gunKeyTables(normalTable(), tableSlots);
        compare(tables.length, 3);
        compare(tables[data.table - 1].length, 128);
        compare(tables[data.table - 1].slice(4 * data.key, 4 * data.key + 4), data.entry);
    }

    // Entries the rows above do not name are all zero.
    function test_gun_key_tables_hold_nothing_else() {
        var named = [0, 1, 2, 3, 5, 15, 20];
        GunCode.gunKeyTables(normalTable(), tableSlots).forEach(function (table, t) {
            for (var key = 0; key < 32; ++key) {
                if (named.indexOf(key) < 0)
                    compare(table.slice(4 * key, 4 * key + 4), [0, 0, 0, 0], "table " + (t + 1) + " key " + key);
            }
        });
    }

    function test_gun_key_tables_leave_the_panel_table_alone() {
        var table = normalTable();
        GunCode.gunKeyTables(table, tableSlots);
        compare(table, normalTable());
    }

    function test_run_type_defaults_to_2() {
        var tables = GunCode.gunKeyTables(normalTable(), [{ key: -1, type: "" }, { key: -1 }, { key: -1, type: 0 }]);
        compare(tables[0].slice(0, 4), [0x09, 2, 6, 0]);
        compare(tables[1].slice(0, 4), [0x09, 2, 11, 0]);
        compare(tables[2].slice(0, 4), [0x09, 0, 16, 0]);
    }

    // --- row texts ---

    function test_row_text_data() {
        var names = ["Gun_0", "Gun_1", "Gun_2"];
        return [
            { tag: "the gun of the lowest slot", keys: [3, 5, 3], key: 3, language: 0, text: "Gun_0" },
            { tag: "lowest bound, not slot 0", keys: [-1, 3, 3], key: 3, language: 0, text: "Gun_1" },
            { tag: "German shows the gun name", keys: [3, 5, 3], key: 5, language: 1, text: "Gun_1" },
            { tag: "English without a slot", keys: [3, 5, 3], key: 7, language: 0, text: "Gun Button" },
            { tag: "German without a slot", keys: [3, 5, 3], key: 7, language: 1, text: "枪键按键" },
            { tag: "Russian without a slot", keys: [-1, -1, -1], key: 7, language: 2, text: "枪键按键" },
        ].map(function (row) {
            row.names = names;
            return row;
        });
    }

    function test_row_text(data) {
        compare(GunCode.gunRowText(slotsOf(data.keys), data.key, data.names, data.language), data.text);
    }

    // --- editing ---

    readonly property var withStep: ["1,A", "5,3", "6,4", "2,A"]
    readonly property var twoSteps: ["5,1", "6,1", "5,2", "6,2", "2,A"]

    function test_insert_after_data() {
        var click = ["3,MS-L", "4,MS-L"];
        return [
            { tag: "after a press", list: withStep, index: 0, added: click,
              result: ["1,A", "3,MS-L", "4,MS-L", "5,3", "6,4", "2,A"] },
            { tag: "after a step's X: behind its Y", list: withStep, index: 1, added: click,
              result: ["1,A", "5,3", "6,4", "3,MS-L", "4,MS-L", "2,A"] },
            { tag: "after a step's Y", list: withStep, index: 2, added: click,
              result: ["1,A", "5,3", "6,4", "3,MS-L", "4,MS-L", "2,A"] },
            { tag: "after the last appends", list: withStep, index: 3, added: click,
              result: withStep.concat(click) },
            { tag: "nothing selected appends", list: withStep, index: -1, added: click,
              result: withStep.concat(click) },
            { tag: "into an empty list", list: [], index: -1, added: ["5,9", "6,-9"], result: ["5,9", "6,-9"] },
            { tag: "a step after the second step's X", list: twoSteps, index: 2, added: ["5,7", "6,7"],
              result: ["5,1", "6,1", "5,2", "6,2", "5,7", "6,7", "2,A"] },
            { tag: "a step after the first step's X", list: twoSteps, index: 0, added: ["5,7", "6,7"],
              result: ["5,1", "6,1", "5,7", "6,7", "5,2", "6,2", "2,A"] },
        ];
    }

    function test_insert_after(data) {
        var list = parseActions(data.list);
        compare(render(GunCode.insertAfter(list, data.index, parseActions(data.added))), data.result);
        compare(render(list), data.list);
    }

    function test_insert_delay_data() {
        return [
            { tag: "at a step's Y: before its X", list: withStep, index: 2, at: 1 },
            { tag: "at a step's X", list: withStep, index: 1, at: 1 },
            { tag: "at a press", list: withStep, index: 0, at: 0 },
            { tag: "at the last", list: withStep, index: 3, at: 3 },
            { tag: "nothing selected: at the end", list: withStep, index: -1, at: 4 },
            { tag: "at the second step's Y", list: twoSteps, index: 3, at: 2 },
            { tag: "at the first step's Y", list: twoSteps, index: 1, at: 0 },
        ];
    }

    function test_insert_delay(data) {
        var list = parseActions(data.list);
        var inserted = GunCode.insertDelayAt(list, data.index, 50);
        compare(inserted.index, data.at);
        var expected = data.list.slice();
        expected.splice(data.at, 0, "0,50");
        compare(render(inserted.actions), expected);
        compare(render(list), data.list);
    }

    function test_remove_data() {
        return [
            { tag: "a step's X takes its Y", list: withStep, index: 1, result: ["1,A", "2,A"] },
            { tag: "a step's Y takes its X", list: withStep, index: 2, result: ["1,A", "2,A"] },
            { tag: "a press alone", list: withStep, index: 0, result: ["5,3", "6,4", "2,A"] },
            { tag: "the second step's X", list: twoSteps, index: 2, result: ["5,1", "6,1", "2,A"] },
            { tag: "the first step's Y", list: twoSteps, index: 1, result: ["5,2", "6,2", "2,A"] },
            { tag: "past the end: nothing", list: withStep, index: 4, result: withStep },
            { tag: "nothing selected: nothing", list: withStep, index: -1, result: withStep },
        ];
    }

    function test_remove(data) {
        var list = parseActions(data.list);
        compare(render(GunCode.removeAt(list, data.index)), data.result);
        compare(render(list), data.list);
    }
}
