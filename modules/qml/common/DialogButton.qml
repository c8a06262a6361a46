import QtQuick
import "../basic"

// The dialogs' buttons: dark red, brighter under the pointer.
Rectangle {
    id: dialogButton
    // The frame's look and texts.
    required property Theme theme
    property string label: ""
    signal clicked()
    width: 88
    height: 25
    color: buttonArea.containsMouse ? "#761212" : "#4f1717"
    border.color: "#4e3434"
    Text {
        anchors.centerIn: parent
        text: dialogButton.label
        color: dialogButton.theme.fontColor
        font.family: dialogButton.theme.fontFamily
        font.pixelSize: dialogButton.theme.fontNormalSize
    }
    MouseArea {
        id: buttonArea
        anchors.fill: parent
        hoverEnabled: true
        onClicked: dialogButton.clicked()
    }
}
