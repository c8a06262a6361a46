import QtQuick

// Holds this popup's place in the frame, with what the frame calls on it, until its page is built. Any
// click closes it, so the mask never traps the user.
Rectangle {
    id: popup
    width: 360
    height: 240
    visible: false
    color: "#e61a1a1a"
    border.color: "#8f2020"

    property var macroKeyLang: ["Macro Key", "Please select a macro",
                                "Macro runs one-time after\npressing the button",
                                "Macro runs endless loop\nuntil any button is pressed",
                                "Macro runs endless loop\nuntil button is released", "OK", "Cancel", "Key",
                                "Please assign a Key", ""]

    function macroKeyFocus() {}
    function closePopup() {
        popup.visible = false
        mainMask.visible = false
    }
    Text {
        x: 12
        y: 8
        text: macroKeyLang[0]
        color: mainIten.fontColor
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontMaxSize
    }
    MouseArea {
        anchors.fill: parent
        onClicked: popup.closePopup()
    }
}
