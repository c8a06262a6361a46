.pragma library

// Tables and rules of the key assignment pages: key and mouse-button names, the functions a button can
// have (four bytes each, byte 0 the function type), the texts shown for them, the panel's rows and the
// function menu. Pure data and functions; callers pass the language and label lists they show.

// ---- key names ----

// The keys a button or macro can play, as HID Keyboard/Keypad usages, in the order the pages list them.
// 0x31 and 0x32 carry one name, so by name that key is 0x32; 0x86 has no name; 0x88 and 0x89 keep the
// two spellings stored macros and profiles were written with.
var keyTable = (function () {
    var rows = [];
    function add(name, code) {
        rows.push({ name: name, code: code });
    }
    function addNumbered(prefix, first, last, firstCode) {
        for (var n = first; n <= last; ++n)
            add(prefix + n, firstCode + n - first);
    }
    for (var letter = 0; letter < 26; ++letter)
        add(String.fromCharCode(0x41 + letter), 0x04 + letter);
    addNumbered("", 1, 9, 0x1E);
    add("0", 0x27);
    add("Enter", 0x28);
    add("Esc", 0x29);
    add("Back", 0x2A);
    add("Tab", 0x2B);
    add("Space", 0x2C);
    add("- _", 0x2D);
    add("= +", 0x2E);
    add("[ {", 0x2F);
    add("] }", 0x30);
    add("\\ |", 0x31);
    add("\\ |", 0x32);
    add("; :", 0x33);
    add("' \"", 0x34);
    add("` ~", 0x35);
    add(", <", 0x36);
    add(". >", 0x37);
    add("/ ?", 0x38);
    add("Caps", 0x39);
    addNumbered("F", 1, 12, 0x3A);
    add("Prt", 0x46);
    add("Scr", 0x47);
    add("Pau", 0x48);
    add("Ins", 0x49);
    add("Hom", 0x4A);
    add("PgU", 0x4B);
    add("Del", 0x4C);
    add("End", 0x4D);
    add("PgD", 0x4E);
    add("►", 0x4F); // right
    add("◄", 0x50); // left
    add("▼", 0x51); // down
    add("▲", 0x52); // up
    add("Num", 0x53);
    add("KP /", 0x54);
    add("KP *", 0x55);
    add("KP -", 0x56);
    add("KP +", 0x57);
    add("KP Enter", 0x58);
    addNumbered("KP ", 1, 9, 0x59);
    add("KP 0", 0x62);
    add("KP .", 0x63);
    add("Eur 2", 0x64);
    add("App", 0x65);
    add("Power", 0x66);
    add("KP =", 0x67);
    addNumbered("F", 13, 24, 0x68);
    add("Keypad", 0x85);
    add("Int'l 1", 0x87);
    add("Intl'2", 0x88);
    add("Int'l 2", 0x89);
    add("Int'l 4", 0x8A);
    add("Int'l 5", 0x8B);
    add("Lang 1", 0x90);
    add("Lang 2", 0x91);
    add("L Ctrl", 0xE0);
    add("L Shift", 0xE1);
    add("L Alt", 0xE2);
    add("L Win", 0xE3);
    add("R Ctrl", 0xE4);
    add("R Shift", 0xE5);
    add("R Alt", 0xE6);
    add("R Win", 0xE7);
    return rows;
})();

// Later rows win, which is what makes the shared backslash name give 0x32.
var str2keycode = {};
var keycode2str = {};
keyTable.forEach(function (row) {
    str2keycode[row.name] = row.code;
    keycode2str[row.code] = row.name;
});

var str2mousecode = { "MS-L": 0xF0, "MS-R": 0xF1, "MS-M": 0xF2, "MS-B4": 0xF3, "MS-B5": 0xF4 };
var mousecode2str = { 0xF0: "MS-L", 0xF1: "MS-R", 0xF2: "MS-M", 0xF3: "MS-B4", 0xF4: "MS-B5" };

function hasOwn(table, key) {
    return Object.prototype.hasOwnProperty.call(table, key);
}

// The name shown for a key the user pressed; mouse codes and unnamed keys show nothing.
function keycodeTostr(code) {
    var usage = Number(code);
    if (!(usage >= 0) || !hasOwn(keycode2str, usage))
        return "";
    return keycode2str[usage];
}

function strTokeycode(name) {
    return hasOwn(str2keycode, name) ? str2keycode[name] : -1;
}

// Undefined for a code without a name: the pages test for that themselves.
function mousecodeTostr(code) {
    return hasOwn(mousecode2str, code) ? mousecode2str[code] : undefined;
}

// The position (1 to 8) of the lowest set bit of a byte; 0 when no bit is set.
function logByte(intByte) {
    for (var bit = 0; bit < 8; ++bit) {
        if (intByte & (1 << bit))
            return bit + 1;
    }
    return 0;
}

// ---- button functions ----

var kKeyboardType = 0x00;
var kMouseType = 0x01;
var kMacroType = 0x09;
var kSpecialKeyType = 0x0B;
var kLeftButton = 0xF0;

// Four bytes as the menu and the name tables write them: 8 lower-case hex digits, byte 0 first.
function hexOfBytes(b0, b1, b2, b3) {
    return [b0, b1, b2, b3].map(function (value) {
        var digits = (Number(value) & 0xFF).toString(16);
        return digits.length < 2 ? "0" + digits : digits;
    }).join("");
}

function bytesOfHex(hex8) {
    var bytes = [];
    for (var i = 0; i < 4; ++i)
        bytes.push(parseInt(String(hex8).substr(2 * i, 2), 16));
    return bytes;
}

function isLeftButton(b0, b1, b2, b3) {
    return Number(b0) === kMouseType && Number(b2) === kLeftButton;
}

// What a function is called, per language: English, German, Russian. Some functions have no name in a
// language, and the panel then shows nothing for them.
var functionNames = [
    ["0100f000", "Left Key", "linke Taste", "Клик"],
    ["0100f100", "Right Key", "rechte Taste", "Меню"],
    ["0100f200", "Middle Key", "mittlere Taste", "Средняя кнопка"],
    ["0100f400", "Forward", "vorwärts-Taste", "IE Вперед"],
    ["0100f300", "Back", "zurück-Taste", "IE Назад"],
    ["0100f500", "Left Scroll", "Linke Schwenkwalze", "Пролистать Слева"],
    ["0100f600", "Right Scroll", "Rechte Schwenkwalze", "Пролистать Справа"],
    ["0f002e00", "Auto Run", "", "自动奔跑"],
    ["0f000500", "Fire Mode", "", "开火模式"],
    ["0af01e02", "Double Click", "Doppelklicken", "Двойной Клик"],
    ["07000100", "DPI +", "DPI +", "DPI +"],
    ["07000200", "DPI -", "DPI -", "DPI -"],
    ["07000300", "DPI LOOP", "DPI Schleife", "DPI цикл"],
    ["03008301", "Media Player", "Medien", "Медиаплеер"],
    ["0300b500", "Next Track", "Nächster Lied", "Следующая Дорожка"],
    ["0300b600", "Previous Track", "Vorhergehende Lied", "Предыдущая Дорожка"],
    ["0300b700", "Stop", "Aufhören", "Стоп"],
    ["0300cd00", "Play/Pause", "Spielen/Pause", "Играть/Пауза"],
    ["0300e200", "Mute", "Stumm", "Без Звука"],
    ["0300e900", "Volume Up", "Volume +", "Громче"],
    ["0300ea00", "Volume Down", "Volume -", "Тише"],
    ["0000e011", "New", "Neu", "Новый"],
    ["0000e01b", "Cut", "Scheren", "Вырезать"],
    ["0000e006", "Copy", "Kopie", "Копировать"],
    ["0000e019", "Paste", "Stock", "Вставить"],
    ["0000e016", "Save", "Sparen", "Сохранить"],
    ["0000e013", "Print", "Drucken", "Печать"],
    ["0000e009", "Find", "Suche", "Найти"],
    ["0000e01c", "Redo", "Wiederholen", "Вперед"],
    ["0000e01d", "Undo", "Widerruf", "Назад"],
    ["0000e004", "Select All", "Alle auswählen", "Выбрать Все"],
    ["03009401", "My Computer", "Mein Computer", "Мой компьютер"],
    ["03002302", "Web Home", "Browser-Startseite", "Главная"],
    ["03002102", "Search Computer", "Suche", "Поиск"],
    ["00042c1b", "Maximize", "Maximieren", "Максимум"],
    ["00042c11", "Minimize", "Minimieren", "Минимум"],
    ["0000e307", "Show Desktop", "Desktop anzeigen", "Показать Рабочий Стол"],
    ["0000e315", "Run", "Laufen", "Поехали"],
    ["08000101", "Gun Key Switch", "", ""],
    ["00000000", "Deactivated", "", ""],
];

function namesInColumn(column) {
    var table = {};
    functionNames.forEach(function (row) {
        table[row[0]] = row[column];
    });
    return table;
}

var mouseData2str = namesInColumn(1);
var mouseData2str1 = namesInColumn(2);
var mouseData2str2 = namesInColumn(3);
var functionNameTables = [mouseData2str, mouseData2str1, mouseData2str2];

// A language without its own table reads the English one.
function functionName(hex8, language) {
    var table = functionNameTables[language] || mouseData2str;
    return hasOwn(table, hex8) ? table[hex8] : "";
}

// Indexes into the panel's label list (keyMatrixLang).
var kMacroLabel = 0;
var kDeactivatedLabel = 1;
// A single key reads "Keyboard Key-" followed by its name (the panel title, label 3, would read as
// "Button AssignmentA").
var kKeyboardKeyLabel = 2;
var kRowLabel = 4;
var kFireKeyLabel = 5;
var kShiftLabel = 6;

function labelOf(labels, index) {
    return labels && labels[index] !== undefined ? String(labels[index]) : "";
}

// The text a button's row shows. The first matching rule wins; macroNameOf(keyIndex) names the macro
// a macro entry plays.
function keyCodetoText(b0, b1, b2, b3, labels, language, macroNameOf) {
    b0 = Number(b0);
    b1 = Number(b1);
    b2 = Number(b2);
    b3 = Number(b3);
    if (b0 === kMacroType) {
        var macroName = macroNameOf ? macroNameOf(b2) : "";
        return labelOf(labels, kMacroLabel) + (macroName === undefined ? "" : String(macroName));
    }
    if (b0 === kSpecialKeyType && b1 === 0x00 && b2 === 0x09 && b3 === 0x00)
        return labelOf(labels, kFireKeyLabel);
    if (b0 === kSpecialKeyType && b1 === 0x05 && b2 === 0x00 && b3 === 0x00)
        return labelOf(labels, kShiftLabel);
    if (b0 === kKeyboardType && b1 === 0 && b2 === 0)
        return labelOf(labels, kDeactivatedLabel);
    if (b0 === kKeyboardType && b1 === 0 && b3 === 0)
        return labelOf(labels, kKeyboardKeyLabel) + keycodeTostr(b2);
    return functionName(hexOfBytes(b0, b1, b2, b3), language);
}

// ---- the panel's rows ----

// The buttons with a row, in display order: seven in the top view, twelve in the side view. Key indexes
// 7, 12-15 and 24-31 have no row and are carried along unchanged.
var keyRows = [
    { key: 0, side: false, number: 1 },
    { key: 1, side: false, number: 2 },
    { key: 2, side: false, number: 3 },
    { key: 5, side: false, number: 4 },
    { key: 6, side: false, number: 5 },
    { key: 3, side: false, number: 6 },
    { key: 4, side: false, number: 7 },
    { key: 8, side: true, number: 1 },
    { key: 9, side: true, number: 2 },
    { key: 10, side: true, number: 3 },
    { key: 11, side: true, number: 4 },
    { key: 16, side: true, number: 5 },
    { key: 17, side: true, number: 6 },
    { key: 18, side: true, number: 7 },
    { key: 19, side: true, number: 8 },
    { key: 20, side: true, number: 9 },
    { key: 21, side: true, number: 10 },
    { key: 22, side: true, number: 11 },
    { key: 23, side: true, number: 12 },
];

// The position of the key's row in keyRows, -1 when the key has no row.
function rowOfKey(keyIndex) {
    for (var i = 0; i < keyRows.length; ++i) {
        if (keyRows[i].key === Number(keyIndex))
            return i;
    }
    return -1;
}

// The label already ends in a space, so "Button " gives "Button  1" and "Button  S1".
function rowLabel(keyIndex, labels) {
    var row = rowOfKey(keyIndex);
    if (row < 0)
        return "";
    return labelOf(labels, kRowLabel) + (keyRows[row].side ? " S" : " ") + keyRows[row].number;
}

// Where the function menu opens beside a row. The y follows the order the buttons had when the menu was
// laid out, not today's row order, and every other key opens at the bottom.
var menuYOfKey = { 0: 131, 1: 152, 2: 173, 5: 194, 6: 215, 3: 236, 4: 257,
                   7: 131, 8: 152, 9: 173, 10: 194, 11: 215, 12: 236, 13: 257 };
var kMenuX = 249;
var kMenuBottomY = 278;

function menuY(keyIndex) {
    return hasOwn(menuYOfKey, keyIndex) ? menuYOfKey[keyIndex] : kMenuBottomY;
}

// ---- key table ----

// The factory function of key indexes 0-15; a button whose macro is deleted gets its own back.
var defalutValue = ["0100f000", "0100f100", "0100f200", "0100f400", "0100f300", "07000100", "07000200",
                    "00000000", "00000000", "00000000", "00000000", "00000000", "00000000", "00000000",
                    "04000100", "04000200"];

var kKeyCount = 32;

// The profile file and the device number macro slots from 1, while the page keeps the key index itself
// in a macro entry's byte 2.
function loadedEntry(list4) {
    var entry = [];
    for (var i = 0; i < 4; ++i)
        entry.push(Number(list4[i]));
    if (entry[0] === kMacroType)
        entry[2] -= 1;
    return entry;
}

// The 128 bytes the device takes, entry k at 4k; a missing entry is sent as zeros.
function flattenKeyTable(entries) {
    var flat = [];
    for (var key = 0; key < kKeyCount; ++key) {
        var entry = entries[key] || [0, 0, 0, 0];
        var bytes = [];
        for (var i = 0; i < 4; ++i)
            bytes.push(Number(entry[i]) || 0);
        if (bytes[0] === kMacroType)
            bytes[2] += 1;
        flat = flat.concat(bytes);
    }
    return flat;
}

// ---- the function menu ----

// Default menu labels; a language file replaces the whole list. 12 and 44-54 belong to the gun menus.
var keyMenuLang = [
    "Left Key", "Right Key", "Middle Key", "Left Scroll", "Right Scroll",                   // 0-4
    "Double CLick", "DPI Setting +", "Multimedia Commands +", "Basic Commands +",            // 5-8
    "Additional Commands +", "Assign Keyboard Key", "Macro", "Gun Management", "Deactivated", // 9-13
    "DPI +", "DPI -", "DPI LOOP",                                                           // 14-16
    "Media Player", "Next Track", "Previous Track", "Stop", "Play/Pause", "Mute",           // 17-22
    "Volume Up", "Volume Down",                                                             // 23-24
    "New", "Cut", "Copy", "Paste", "Save", "Print", "Find", "Redo", "Undo", "Select All",  // 25-34
    "My Computer", "Web Home", "Search Computer", "Maximize", "Minimize", "Show DeskTop",   // 35-40
    "RUN", "Forward", "Back",                                                               // 41-43
    "Gun Key Switch", "Null", "Null", "Null", "Assignment", "Enable", "Disable",            // 44-50
    "Fire Key", "Shift", "", "",                                                            // 51-54
];

// Top entries in display order: a value is assigned at once, a sub-menu opens on hover, a dialog asks
// for the key or the macro.
var topMenu = [
    { index: 0, label: 0, value: "0100f000" },
    { index: 1, label: 1, value: "0100f100" },
    { index: 2, label: 2, value: "0100f200" },
    { index: 3, label: 3, value: "0100f500" },
    { index: 4, label: 4, value: "0100f600" },
    { index: 14, label: 42, value: "0100f400" },
    { index: 15, label: 43, value: "0100f300" },
    { index: 8, label: 8, submenu: 8 },
    { index: 7, label: 7, submenu: 7 },
    { index: 9, label: 9, submenu: 9 },
    { index: 6, label: 6, submenu: 6 },
    { index: 5, label: 5, value: "0af01e02" },
    { index: 10, label: 10, dialog: "single" },
    { index: 11, label: 11, dialog: "macro" },
    { index: 13, label: 13, value: "00000000" },
];

// Keyboard shortcuts put left Ctrl (e0) or left Windows (e3) first and the letter second; Maximize and
// Minimize hold left Alt (modifier bit 04) with Space and X or N.
var subMenus = {
    6: [
        { index: 100, label: 14, value: "07000100" },
        { index: 101, label: 15, value: "07000200" },
        { index: 102, label: 16, value: "07000300" },
    ],
    7: [
        { index: 200, label: 17, value: "03008301" },
        { index: 201, label: 18, value: "0300b500" },
        { index: 202, label: 19, value: "0300b600" },
        { index: 203, label: 20, value: "0300b700" },
        { index: 204, label: 21, value: "0300cd00" },
        { index: 205, label: 22, value: "0300e200" },
        { index: 206, label: 23, value: "0300e900" },
        { index: 207, label: 24, value: "0300ea00" },
    ],
    8: [
        { index: 300, label: 25, value: "0000e011" },
        { index: 301, label: 26, value: "0000e01b" },
        { index: 302, label: 27, value: "0000e006" },
        { index: 303, label: 28, value: "0000e019" },
        { index: 304, label: 29, value: "0000e016" },
        { index: 305, label: 30, value: "0000e013" },
        { index: 306, label: 31, value: "0000e009" },
        { index: 307, label: 32, value: "0000e01c" },
        { index: 308, label: 33, value: "0000e01d" },
        { index: 309, label: 34, value: "0000e004" },
    ],
    9: [
        { index: 400, label: 35, value: "03009401" },
        { index: 401, label: 36, value: "03002302" },
        { index: 402, label: 37, value: "03002102" },
        { index: 403, label: 38, value: "00042c1b" },
        { index: 404, label: 39, value: "00042c11" },
        { index: 405, label: 40, value: "0000e307" },
        { index: 406, label: 41, value: "0000e315" },
    ],
};
