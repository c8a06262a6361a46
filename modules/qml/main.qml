import QtQuick

// The scene's root until the pages arrive: the size of the window and the functions the program calls.
Rectangle {
    id: root
    width: 1000
    height: 640
    color: "#2b2d31"

    property int initCount: 0
    property int runCount: 0
    property int protectTime: -1
    property bool keyboardSeen: false
    property bool mouseSeen: false

    function initUI() { initCount += 1 }
    function run() { runCount += 1 }
    function detectKeyboard() { keyboardSeen = true }
    function detectMouse() { mouseSeen = true }
    function setProtectUI(busyTime) { protectTime = busyTime }
}
