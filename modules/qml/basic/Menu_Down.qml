import QtQuick

// The bottom bar: Reset, Cancel and Save. Save shows its pressed picture while there is anything to save.
Row {
    id: menuDown
    spacing: 5

    property var labels: ["Reset", "Cancel", "Save"]
    property bool savePending: false
    property url sourceButton
    property url sourceButtonH
    property url sourceButtonP
    property string fontFamily: "Arial"
    property int fontSize: 11
    property color fontColor: "#ffffff"

    signal clickIndex(int index)

    Repeater {
        model: ["resetButton", "cancelButton", "saveButton"]
        delegate: Image {
            objectName: modelData
            readonly property bool pressedLook: index === 2 && menuDown.savePending
            source: pressedLook ? menuDown.sourceButtonP
                                : (area.containsMouse ? menuDown.sourceButtonH : menuDown.sourceButton)
            Text {
                anchors.centerIn: parent
                text: menuDown.labels[index] !== undefined ? menuDown.labels[index] : ""
                color: menuDown.fontColor
                font.family: menuDown.fontFamily
                font.pixelSize: menuDown.fontSize
            }
            MouseArea {
                id: area
                anchors.fill: parent
                hoverEnabled: true
                onClicked: menuDown.clickIndex(index)
            }
        }
    }
}
