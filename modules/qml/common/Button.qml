import QtQuick

// A flat text button: the grey plate shows fully only while the pointer is over it.
Item {
    id: button
    width: 192
    height: 38

    property string textValue: ""
    property string fontFamily: "Arial"
    property int fontSize: 11
    property color fontColor: "#ffffff"
    readonly property bool hovered: area.containsMouse

    signal clicked()

    Rectangle {
        anchors.fill: parent
        color: "#737373"
        opacity: button.hovered ? 1 : 0.1
    }
    Text {
        anchors.centerIn: parent
        text: button.textValue
        color: button.fontColor
        font.family: button.fontFamily
        font.pixelSize: button.fontSize
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.clicked()
    }
}
