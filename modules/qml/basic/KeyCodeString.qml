import QtQuick
import "../J2/keyCodes.js" as KeyCodes

// The key-name tables shared by the key assignment and macro pages, held once by the frame as
// _KeyCodeString; the tables and their rules live in keyCodes.js.
Item {
    visible: false

    readonly property var str2keycode: KeyCodes.str2keycode
    readonly property var keycode2str: KeyCodes.keycode2str
    readonly property var str2mousecode: KeyCodes.str2mousecode
    readonly property var mousecode2str: KeyCodes.mousecode2str
    readonly property var mouseData2str: KeyCodes.mouseData2str
    readonly property var mouseData2str1: KeyCodes.mouseData2str1
    readonly property var mouseData2str2: KeyCodes.mouseData2str2

    function keycodeTostr(code) { return KeyCodes.keycodeTostr(code) }
    function strTokeycode(name) { return KeyCodes.strTokeycode(name) }
    function mousecodeTostr(code) { return KeyCodes.mousecodeTostr(code) }
    function logByte(intByte) { return KeyCodes.logByte(intByte) }
}
