import QtQuick

// Holds this panel's place in the frame, with the contract Save, Cancel and Reset rely on, until the
// panel's own controls are built.
Frame {
    title: keyMatrixLang[3]
    contentHeight: 262

    property bool isSave: false
    property var keyMatrixLang: ["Macro: ", "Deactivated", "Keyboard Key-", "Button Assignment", "Button ",
                                 "Fire Key", "Shift", "", "", ""]

    function init(isSendData) {}
    function saveData() {}
    function keyDisplay(isSide) {}
}
