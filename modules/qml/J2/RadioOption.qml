import QtQuick

// A radio picture with its label; the whole row takes the click.
Row {
    id: option
    spacing: 6

    property string label: ""
    property string group: ""
    property string imageOn: ""
    property string imageOff: ""
    property bool checked: false

    signal clicked()

    Image {
        anchors.verticalCenter: parent.verticalCenter
        source: mainIten.imageUrl(option.group, option.checked ? option.imageOn : option.imageOff)
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: option.label
        color: mainIten.fontColor
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontNormalSize
        MouseArea {
            anchors.fill: parent
            anchors.leftMargin: -20
            onClicked: option.clicked()
        }
    }
}
