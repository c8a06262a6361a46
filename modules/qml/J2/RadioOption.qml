import QtQuick
import "../basic"

// A radio picture with its label; the whole row takes the click.
Row {
    id: option
    // The frame's look and texts.
    required property Theme theme
    spacing: 6

    property string label: ""
    property string group: ""
    property string imageOn: ""
    property string imageOff: ""
    property bool checked: false

    signal clicked()

    Image {
        asynchronous: true
        anchors.verticalCenter: parent.verticalCenter
        source: option.theme.imageUrl(option.group, option.checked ? option.imageOn : option.imageOff)
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: option.label
        color: option.theme.fontColor
        font.family: option.theme.fontFamily
        font.pixelSize: option.theme.fontNormalSize
        MouseArea {
            anchors.fill: parent
            anchors.leftMargin: -20
            onClicked: option.clicked()
        }
    }
}
