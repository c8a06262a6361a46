import QtQuick

// Holds this popup's place in the frame, with what the frame calls on it, until its page is built. Any
// click closes it, so the mask never traps the user.
Rectangle {
    id: popup
    width: 264
    height: 599
    visible: false
    color: "#e61a1a1a"
    border.color: "#8f2020"

    property int profileNo: 0
    property int tmpProfileNo: 0

    signal changeProfile(int tmpProfileNo)
    signal closeUI()

    function init() {}
    function profileEditorFocus() {}
    function closePopup() {
        popup.visible = false
        mainMask.visible = false
        popup.closeUI()
    }
    Text {
        x: 12
        y: 8
        text: mainIten.mainLang[19]
        color: mainIten.fontColor
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontMaxSize
    }
    MouseArea {
        anchors.fill: parent
        onClicked: popup.closePopup()
    }
}
