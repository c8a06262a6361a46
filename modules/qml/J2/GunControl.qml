import QtQuick

// Holds this popup's place in the frame, with what the frame calls on it, until its page is built. Any
// click closes it, so the mask never traps the user.
Rectangle {
    id: popup
    width: 600
    height: 420
    visible: false
    color: "#e61a1a1a"
    border.color: "#8f2020"

    property bool isInputting: false
    property bool isInsertting: false
    property var macroEditorLang: ["Gun Macro", "Gun", "Sequence", "Options", "Start Record", "Stop Record",
                                   "Rec Time", "Loops Timer", "New", "Delete", "OK", "Cancel", "Delete",
                                   "Insert Left Button", "Insert Middle Button", "Insert Right Button",
                                   "Insert Delay", "Insert Key", "Insert Mouse", "Insert Cursor", "Insert Key",
                                   "Please input key:", "Insert delay", "please input delay:",
                                   "Insert Cursor offset", "X axis", "Y axis", "Insert Mouse", "", ""]

    function init(isSendData) {}
    function detectKeyboard(isDown, usbCode) {}
    function detectInput(isDown, usbCode) {}
    function closePopup() {
        popup.visible = false
        mainMask.visible = false
    }
    Text {
        x: 12
        y: 8
        text: macroEditorLang[0]
        color: mainIten.fontColor
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontMaxSize
    }
    MouseArea {
        anchors.fill: parent
        onClicked: popup.closePopup()
    }
}
