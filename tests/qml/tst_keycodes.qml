import QtQuick
import QtTest
import "../../modules/qml/J2/keyCodes.js" as KeyCodes

TestCase {
    name: "KeyCodes"

    readonly property var englishLabels: ["Macro: ", "Deactivated", "Keyboard Key-", "Button Assignment",
                                          "Button ", "Fire Key", "Shift", "", "", ""]
    // One mark per label, so a row shows which label a rule took.
    readonly property var markedLabels: ["L0:", "L1", "L2:", "L3:", "L4 ", "L5", "L6", "L7", "L8", "L9"]

    // --- key names ---

    function test_key_name_data() {
        return [
            { tag: "A", name: "A", code: 0x04 },
            { tag: "Z", name: "Z", code: 0x1D },
            { tag: "1", name: "1", code: 0x1E },
            { tag: "9", name: "9", code: 0x26 },
            { tag: "0", name: "0", code: 0x27 },
            { tag: "Enter", name: "Enter", code: 0x28 },
            { tag: "Back", name: "Back", code: 0x2A },
            { tag: "minus", name: "- _", code: 0x2D },
            { tag: "apostrophe", name: "' \"", code: 0x34 },
            { tag: "slash", name: "/ ?", code: 0x38 },
            { tag: "F1", name: "F1", code: 0x3A },
            { tag: "F12", name: "F12", code: 0x45 },
            { tag: "PgD", name: "PgD", code: 0x4E },
            { tag: "right arrow", name: "►", code: 0x4F },
            { tag: "left arrow", name: "◄", code: 0x50 },
            { tag: "down arrow", name: "▼", code: 0x51 },
            { tag: "up arrow", name: "▲", code: 0x52 },
            { tag: "KP Enter", name: "KP Enter", code: 0x58 },
            { tag: "KP 1", name: "KP 1", code: 0x59 },
            { tag: "KP 9", name: "KP 9", code: 0x61 },
            { tag: "KP 0", name: "KP 0", code: 0x62 },
            { tag: "KP =", name: "KP =", code: 0x67 },
            { tag: "F13", name: "F13", code: 0x68 },
            { tag: "F24", name: "F24", code: 0x73 },
            { tag: "Keypad", name: "Keypad", code: 0x85 },
            { tag: "Int'l 1", name: "Int'l 1", code: 0x87 },
            { tag: "Intl'2 is 0x88", name: "Intl'2", code: 0x88 },
            { tag: "Int'l 2 is 0x89", name: "Int'l 2", code: 0x89 },
            { tag: "Int'l 5", name: "Int'l 5", code: 0x8B },
            { tag: "Lang 2", name: "Lang 2", code: 0x91 },
            { tag: "L Ctrl", name: "L Ctrl", code: 0xE0 },
            { tag: "R Win", name: "R Win", code: 0xE7 },
        ];
    }

    function test_key_name(data) {
        compare(KeyCodes.strTokeycode(data.name), data.code);
        compare(KeyCodes.str2keycode[data.name], data.code);
        compare(KeyCodes.keycodeTostr(data.code), data.name);
        compare(KeyCodes.keycode2str[data.code], data.name);
    }

    // The backslash key may be reported as 0x31 or 0x32; both show the one name, which assigns 0x32.
    function test_backslash_name_gives_0x32() {
        compare(KeyCodes.keycodeTostr(0x31), "\\ |");
        compare(KeyCodes.keycodeTostr(0x32), "\\ |");
        compare(KeyCodes.strTokeycode("\\ |"), 0x32);
        compare(KeyCodes.strTokeycode(KeyCodes.keycodeTostr(0x31)), 0x32);
    }

    function test_codes_without_a_name_data() {
        return [
            { tag: "negative", code: -1 },
            { tag: "zero", code: 0 },
            { tag: "below the letters", code: 0x03 },
            { tag: "after F24", code: 0x74 },
            { tag: "0x86 has no name", code: 0x86 },
            { tag: "0x8C", code: 0x8C },
            { tag: "mouse codes are not keys", code: 0xF0 },
            { tag: "beyond a byte", code: 0x104 },
        ];
    }

    function test_codes_without_a_name(data) {
        compare(KeyCodes.keycodeTostr(data.code), "");
    }

    function test_names_without_a_code_data() {
        return [
            { tag: "empty", name: "" },
            { tag: "lower case", name: "a" },
            { tag: "no Int'l 3", name: "Int'l 3" },
            { tag: "mouse names are not keys", name: "MS-L" },
            { tag: "a word for an arrow", name: "Right" },
            { tag: "object property names", name: "toString" },
        ];
    }

    function test_names_without_a_code(data) {
        compare(KeyCodes.strTokeycode(data.name), -1);
    }

    // The program's own key-name map holds the same names plus the five mouse names, 132 in all; a name
    // in one and not the other would encode a macro differently on the two paths.
    function test_names_match_the_programs_key_name_map() {
        var names = Object.keys(KeyCodes.str2keycode).concat(Object.keys(KeyCodes.str2mousecode));
        compare(names.length, 132);
        var codes = Object.keys(KeyCodes.keycode2str).map(Number);
        compare(codes.length, 128);
        // Every code but the backslash's second one is found again by its name.
        var lost = codes.filter(function (code) {
            return KeyCodes.strTokeycode(KeyCodes.keycodeTostr(code)) !== code;
        });
        compare(lost, [0x31]);
        compare(names.filter(function (name) { return /^Int'?l'? ?3/.test(name); }), []);
    }

    function test_mouse_names_data() {
        return [
            { tag: "left", name: "MS-L", code: 0xF0 },
            { tag: "right", name: "MS-R", code: 0xF1 },
            { tag: "middle", name: "MS-M", code: 0xF2 },
            { tag: "back", name: "MS-B4", code: 0xF3 },
            { tag: "forward", name: "MS-B5", code: 0xF4 },
        ];
    }

    function test_mouse_names(data) {
        compare(KeyCodes.str2mousecode[data.name], data.code);
        compare(KeyCodes.mousecode2str[data.code], data.name);
        compare(KeyCodes.mousecodeTostr(data.code), data.name);
    }

    function test_mouse_code_without_a_name_is_undefined() {
        verify(KeyCodes.mousecodeTostr(0xF5) === undefined);
        verify(KeyCodes.mousecodeTostr(0x04) === undefined);
        verify(KeyCodes.mousecodeTostr(-1) === undefined);
    }

    function test_log_byte_data() {
        return [
            { tag: "no bit", value: 0, position: 0 },
            { tag: "bit 0", value: 0x01, position: 1 },
            { tag: "bit 7", value: 0x80, position: 8 },
            { tag: "lowest of several", value: 0x06, position: 2 },
            { tag: "all bits", value: 0xFF, position: 1 },
            { tag: "bit 6", value: 0x40, position: 7 },
            { tag: "only the low byte counts", value: 0x100, position: 0 },
        ];
    }

    function test_log_byte(data) {
        compare(KeyCodes.logByte(data.value), data.position);
    }

    // --- text shown for a button ---

    function test_text_shown_data() {
        return [
            { tag: "macro", bytes: [0x09, 0x02, 5, 0], labels: englishLabels, language: 0,
              text: "Macro: Macro_5" },
            { tag: "macro with the language's label", bytes: [0x09, 0x00, 5, 0],
              labels: ["Makro: "].concat(englishLabels.slice(1)), language: 1, text: "Makro: Macro_5" },
            { tag: "macro rule comes before a deactivated look", bytes: [0x09, 0, 0, 0], labels: markedLabels,
              language: 0, text: "L0:Macro_0" },
            { tag: "fire key", bytes: [0x0B, 0x00, 0x09, 0x00], labels: markedLabels, language: 0, text: "L5" },
            { tag: "shift", bytes: [0x0B, 0x05, 0x00, 0x00], labels: markedLabels, language: 0, text: "L6" },
            { tag: "another 0B entry matches nothing", bytes: [0x0B, 0x00, 0x09, 0x01], labels: markedLabels,
              language: 0, text: "" },
            { tag: "deactivated", bytes: [0, 0, 0, 0], labels: markedLabels, language: 0, text: "L1" },
            { tag: "first three bytes zero are deactivated", bytes: [0, 0, 0, 0x05], labels: markedLabels,
              language: 0, text: "L1" },
            { tag: "keyboard key takes label 2", bytes: [0, 0, 0x04, 0], labels: markedLabels, language: 0,
              text: "L2:A" },
            { tag: "keyboard key in English", bytes: [0, 0, 0x04, 0], labels: englishLabels, language: 0,
              text: "Keyboard Key-A" },
            { tag: "backslash key", bytes: [0, 0, 0x31, 0], labels: markedLabels, language: 0, text: "L2:\\ |" },
            { tag: "unnamed keyboard key", bytes: [0, 0, 0x86, 0], labels: markedLabels, language: 0,
              text: "L2:" },
            { tag: "left key", bytes: [0x01, 0, 0xF0, 0], labels: markedLabels, language: 0, text: "Left Key" },
            { tag: "left key in German", bytes: [0x01, 0, 0xF0, 0], labels: markedLabels, language: 1,
              text: "linke Taste" },
            { tag: "left key in Russian", bytes: [0x01, 0, 0xF0, 0], labels: markedLabels, language: 2,
              text: "Клик" },
            { tag: "Auto Run in English", bytes: [0x0F, 0, 0x2E, 0], labels: markedLabels, language: 0,
              text: "Auto Run" },
            { tag: "Auto Run in German is empty", bytes: [0x0F, 0, 0x2E, 0], labels: markedLabels, language: 1,
              text: "" },
            { tag: "Auto Run in Russian", bytes: [0x0F, 0, 0x2E, 0], labels: markedLabels, language: 2,
              text: "自动奔跑" },
            { tag: "double click", bytes: [0x0A, 0xF0, 0x1E, 0x02], labels: markedLabels, language: 0,
              text: "Double Click" },
            { tag: "Ctrl+N is a function, not a key", bytes: [0, 0, 0xE0, 0x11], labels: markedLabels,
              language: 0, text: "New" },
            { tag: "Alt+Space+X", bytes: [0, 0x04, 0x2C, 0x1B], labels: markedLabels, language: 1,
              text: "Maximieren" },
            { tag: "gun key switch", bytes: [0x08, 0, 0x01, 0x01], labels: markedLabels, language: 0,
              text: "Gun Key Switch" },
            { tag: "factory entry of type 04 has no name", bytes: [0x04, 0, 0x01, 0], labels: markedLabels,
              language: 0, text: "" },
            { tag: "tilt code without a name", bytes: [0x01, 0, 0xF7, 0], labels: markedLabels, language: 0,
              text: "" },
            { tag: "keyboard key with a modifier and no name", bytes: [0, 0x02, 0x04, 0], labels: markedLabels,
              language: 0, text: "" },
        ];
    }

    function test_text_shown(data) {
        var asked = [];
        var text = KeyCodes.keyCodetoText(data.bytes[0], data.bytes[1], data.bytes[2], data.bytes[3],
                                          data.labels, data.language,
                                          function (key) { asked.push(key); return "Macro_" + key; });
        compare(text, data.text);
        // Only a macro entry asks for a macro name, and for the one in its byte 2.
        compare(asked, data.bytes[0] === 0x09 ? [data.bytes[2]] : []);
    }

    function test_function_names_data() {
        return [
            { tag: "English", hex: "07000300", language: 0, name: "DPI LOOP" },
            { tag: "German", hex: "07000300", language: 1, name: "DPI Schleife" },
            { tag: "Russian", hex: "07000300", language: 2, name: "DPI цикл" },
            { tag: "German umlaut", hex: "0100f300", language: 1, name: "zurück-Taste" },
            { tag: "volume up", hex: "0300e900", language: 0, name: "Volume Up" },
            { tag: "media player", hex: "03008301", language: 2, name: "Медиаплеер" },
            { tag: "show desktop", hex: "0000e307", language: 0, name: "Show Desktop" },
            { tag: "Fire Mode has no German name", hex: "0f000500", language: 1, name: "" },
            { tag: "Fire Mode in Russian", hex: "0f000500", language: 2, name: "开火模式" },
            { tag: "deactivated in English", hex: "00000000", language: 0, name: "Deactivated" },
            { tag: "deactivated has no Russian name", hex: "00000000", language: 2, name: "" },
            { tag: "absent", hex: "01020304", language: 0, name: "" },
            { tag: "upper-case hex is not a key", hex: "0100F000", language: 0, name: "" },
        ];
    }

    function test_function_names(data) {
        compare(KeyCodes.functionName(data.hex, data.language), data.name);
    }

    function test_function_name_tables_share_their_keys() {
        var english = Object.keys(KeyCodes.mouseData2str).sort();
        compare(english.length, 40);
        compare(Object.keys(KeyCodes.mouseData2str1).sort(), english);
        compare(Object.keys(KeyCodes.mouseData2str2).sort(), english);
        compare(english.filter(function (key) { return !/^[0-9a-f]{8}$/.test(key); }), []);
    }

    // --- rows ---

    function test_row_table() {
        var rows = KeyCodes.keyRows.map(function (row) {
            return [row.key, KeyCodes.rowLabel(row.key, englishLabels)];
        });
        compare(rows, [[0, "Button  1"], [1, "Button  2"], [2, "Button  3"], [5, "Button  4"],
                       [6, "Button  5"], [3, "Button  6"], [4, "Button  7"],
                       [8, "Button  S1"], [9, "Button  S2"], [10, "Button  S3"], [11, "Button  S4"],
                       [16, "Button  S5"], [17, "Button  S6"], [18, "Button  S7"], [19, "Button  S8"],
                       [20, "Button  S9"], [21, "Button  S10"], [22, "Button  S11"], [23, "Button  S12"]]);
        compare(KeyCodes.keyRows.filter(function (row) { return !row.side; }).length, 7);
    }

    function test_row_of_key_data() {
        return [
            { tag: "first top row", key: 0, row: 0 },
            { tag: "key 5 is the fourth row", key: 5, row: 3 },
            { tag: "key 4 is the last top row", key: 4, row: 6 },
            { tag: "first side row", key: 8, row: 7 },
            { tag: "key 16 follows key 11", key: 16, row: 11 },
            { tag: "last side row", key: 23, row: 18 },
            { tag: "key 7 has none", key: 7, row: -1 },
            { tag: "key 12 has none", key: 12, row: -1 },
            { tag: "key 15 has none", key: 15, row: -1 },
            { tag: "key 24 has none", key: 24, row: -1 },
            { tag: "key 31 has none", key: 31, row: -1 },
            { tag: "no key", key: -1, row: -1 },
        ];
    }

    function test_row_of_key(data) {
        compare(KeyCodes.rowOfKey(data.key), data.row);
        compare(KeyCodes.rowLabel(data.key, markedLabels) === "", data.row < 0);
    }

    function test_menu_y_data() {
        return [
            { key: 0, y: 131 }, { key: 1, y: 152 }, { key: 2, y: 173 }, { key: 5, y: 194 }, { key: 6, y: 215 },
            { key: 3, y: 236 }, { key: 4, y: 257 }, { key: 7, y: 131 }, { key: 8, y: 152 }, { key: 9, y: 173 },
            { key: 10, y: 194 }, { key: 11, y: 215 }, { key: 12, y: 236 }, { key: 13, y: 257 },
            { key: 14, y: 278 }, { key: 16, y: 278 }, { key: 23, y: 278 }, { key: 31, y: 278 },
        ].map(function (row) { row.tag = "key " + row.key; return row; });
    }

    function test_menu_y(data) {
        compare(KeyCodes.menuY(data.key), data.y);
    }

    // --- entries ---

    function test_hex_of_bytes_data() {
        return [
            { tag: "left key", bytes: [0x01, 0x00, 0xF0, 0x00], hex: "0100f000" },
            { tag: "zeros", bytes: [0, 0, 0, 0], hex: "00000000" },
            { tag: "double click", bytes: [0x0A, 0xF0, 0x1E, 0x02], hex: "0af01e02" },
            { tag: "all high", bytes: [0xFF, 0xFE, 0xAB, 0xCD], hex: "fffeabcd" },
        ];
    }

    function test_hex_of_bytes(data) {
        compare(KeyCodes.hexOfBytes(data.bytes[0], data.bytes[1], data.bytes[2], data.bytes[3]), data.hex);
        compare(KeyCodes.bytesOfHex(data.hex), data.bytes);
    }

    function test_left_button_data() {
        return [
            { tag: "left key", bytes: [0x01, 0, 0xF0, 0], left: true },
            { tag: "right key", bytes: [0x01, 0, 0xF1, 0], left: false },
            { tag: "double click of the left key", bytes: [0x0A, 0xF0, 0x1E, 0x02], left: false },
            { tag: "keyboard entry with F0", bytes: [0x00, 0, 0xF0, 0], left: false },
        ];
    }

    function test_left_button(data) {
        compare(KeyCodes.isLeftButton(data.bytes[0], data.bytes[1], data.bytes[2], data.bytes[3]), data.left);
    }

    function test_factory_entries() {
        compare(KeyCodes.defalutValue, ["0100f000", "0100f100", "0100f200", "0100f400", "0100f300",
                                        "07000100", "07000200", "00000000", "00000000", "00000000",
                                        "00000000", "00000000", "00000000", "00000000", "04000100",
                                        "04000200"]);
        // Row 4's button gets DPI + back when its macro is deleted.
        var bytes = KeyCodes.bytesOfHex(KeyCodes.defalutValue[5]);
        compare(KeyCodes.keyCodetoText(bytes[0], bytes[1], bytes[2], bytes[3], englishLabels, 0), "DPI +");
    }

    // The file and the device count macro slots from 1, the panel keeps the key index.
    function test_macro_entry_round_trip() {
        var entries = [];
        for (var key = 0; key < 32; ++key)
            entries.push([0, 0, key, 0]);
        entries[5] = [0x09, 0x02, 5, 0x00];
        entries[20] = [0x09, 0x00, 20, 0x00];
        entries[0] = [0x01, 0x00, 0xF0, 0x00];
        var flat = KeyCodes.flattenKeyTable(entries);
        compare(flat.length, 128);
        compare(flat.slice(0, 4), [0x01, 0x00, 0xF0, 0x00]);
        compare(flat.slice(20, 24), [0x09, 0x02, 6, 0x00]);
        compare(flat.slice(80, 84), [0x09, 0x00, 21, 0x00]);
        compare(flat.slice(124, 128), [0, 0, 31, 0]);
        for (key = 0; key < 32; ++key)
            compare(KeyCodes.loadedEntry(flat.slice(4 * key, 4 * key + 4)), entries[key], "key " + key);
        // The panel's entry stays as it was.
        compare(entries[5], [0x09, 0x02, 5, 0x00]);
    }

    function test_loaded_entry_data() {
        return [
            { tag: "macro slot 6 is key 5", stored: [9, 2, 6, 0], entry: [9, 2, 5, 0] },
            { tag: "text from the profile file", stored: ["9", "1", "1", "0"], entry: [9, 1, 0, 0] },
            { tag: "other types stay", stored: ["1", "0", "240", "0"], entry: [1, 0, 240, 0] },
            { tag: "DPI entry stays", stored: [7, 0, 1, 0], entry: [7, 0, 1, 0] },
        ];
    }

    function test_loaded_entry(data) {
        compare(KeyCodes.loadedEntry(data.stored), data.entry);
    }

    // --- the function menu ---

    function menuEntriesWithValues() {
        var entries = KeyCodes.topMenu.filter(function (entry) { return entry.value !== undefined; });
        for (var key in KeyCodes.subMenus)
            entries = entries.concat(KeyCodes.subMenus[key]);
        return entries;
    }

    // An assigned function must read back as the entry the user picked; the labels differ from the names
    // only in letter case ("Double CLick", "Show DeskTop", "RUN").
    function test_every_menu_value_has_its_english_name() {
        var entries = menuEntriesWithValues();
        compare(entries.length, 37);
        var wrong = entries.filter(function (entry) {
            var name = KeyCodes.functionName(entry.value, 0);
            return name === "" || name.toLowerCase() !== KeyCodes.keyMenuLang[entry.label].toLowerCase();
        }).map(function (entry) { return entry.index; });
        compare(wrong, []);
    }

    function test_top_menu() {
        compare(KeyCodes.topMenu.map(function (entry) { return entry.index; }),
                [0, 1, 2, 3, 4, 14, 15, 8, 7, 9, 6, 5, 10, 11, 13]);
        compare(KeyCodes.topMenu.map(function (entry) { return KeyCodes.keyMenuLang[entry.label]; }),
                ["Left Key", "Right Key", "Middle Key", "Left Scroll", "Right Scroll", "Forward", "Back",
                 "Basic Commands +", "Multimedia Commands +", "Additional Commands +", "DPI Setting +",
                 "Double CLick", "Assign Keyboard Key", "Macro", "Deactivated"]);
        var opens = KeyCodes.topMenu.filter(function (entry) { return entry.value === undefined; })
            .map(function (entry) { return [entry.index, entry.submenu, entry.dialog]; });
        compare(opens, [[8, 8, undefined], [7, 7, undefined], [9, 9, undefined], [6, 6, undefined],
                        [10, undefined, "single"], [11, undefined, "macro"]]);
    }

    function test_sub_menus_data() {
        return [
            { tag: "DPI", menu: 6, first: 100, count: 3, firstLabel: 14 },
            { tag: "multimedia", menu: 7, first: 200, count: 8, firstLabel: 17 },
            { tag: "basic", menu: 8, first: 300, count: 10, firstLabel: 25 },
            { tag: "additional", menu: 9, first: 400, count: 7, firstLabel: 35 },
        ];
    }

    function test_sub_menus(data) {
        var entries = KeyCodes.subMenus[data.menu];
        compare(entries.length, data.count);
        for (var i = 0; i < data.count; ++i) {
            compare(entries[i].index, data.first + i);
            compare(entries[i].label, data.firstLabel + i);
        }
    }

    function test_menu_labels_data() {
        return [
            { index: 0, label: "Left Key" }, { index: 5, label: "Double CLick" },
            { index: 12, label: "Gun Management" }, { index: 13, label: "Deactivated" },
            { index: 16, label: "DPI LOOP" }, { index: 24, label: "Volume Down" }, { index: 34, label: "Select All" },
            { index: 40, label: "Show DeskTop" }, { index: 41, label: "RUN" }, { index: 42, label: "Forward" },
            { index: 43, label: "Back" }, { index: 44, label: "Gun Key Switch" }, { index: 45, label: "Null" },
            { index: 47, label: "Null" }, { index: 48, label: "Assignment" }, { index: 49, label: "Enable" },
            { index: 50, label: "Disable" }, { index: 51, label: "Fire Key" }, { index: 52, label: "Shift" },
            { index: 53, label: "" }, { index: 54, label: "" },
        ].map(function (row) { row.tag = "label " + row.index; return row; });
    }

    function test_menu_labels(data) {
        compare(KeyCodes.keyMenuLang.length, 55);
        compare(KeyCodes.keyMenuLang[data.index], data.label);
    }
}
