import QtQuick

// Holds this popup's place in the frame, with what the frame calls on it, until its page is built. Any
// click closes it, so the mask never traps the user.
Rectangle {
    id: popup
    width: 136
    height: 317
    visible: false
    color: "#e61a1a1a"
    border.color: "#8f2020"

    property var keyMenuLang: []

    function init() {}
    function closePopup() {
        popup.visible = false
    }
    Text {
        x: 12
        y: 8
        text: ""
        color: mainIten.fontColor
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontMaxSize
    }
    MouseArea {
        anchors.fill: parent
        onClicked: popup.closePopup()
    }
}
