import QtQuick

// The dialogs' buttons: dark red, brighter under the pointer.
Rectangle {
    id: dialogButton
    property string label: ""
    signal clicked()
    width: 88
    height: 25
    color: buttonArea.containsMouse ? "#761212" : "#4f1717"
    border.color: "#4e3434"
    Text {
        anchors.centerIn: parent
        text: dialogButton.label
        color: mainIten.fontColor
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontNormalSize
    }
    MouseArea {
        id: buttonArea
        anchors.fill: parent
        hoverEnabled: true
        onClicked: dialogButton.clicked()
    }
}
