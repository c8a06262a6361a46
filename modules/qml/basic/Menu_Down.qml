pragma ComponentBehavior: Bound
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
            id: menuButton
            required property int index
            required property var modelData
            asynchronous: true
            objectName: menuButton.modelData
            readonly property bool pressedLook: menuButton.index === 2 && menuDown.savePending
            source: pressedLook ? menuDown.sourceButtonP
                                : (area.containsMouse ? menuDown.sourceButtonH : menuDown.sourceButton)
            Text {
                anchors.centerIn: parent
                text: menuDown.labels[menuButton.index] !== undefined ? menuDown.labels[menuButton.index] : ""
                color: menuDown.fontColor
                font.family: menuDown.fontFamily
                font.pixelSize: menuDown.fontSize
            }
            MouseArea {
                id: area
                anchors.fill: parent
                hoverEnabled: true
                onClicked: menuDown.clickIndex(menuButton.index)
            }
        }
    }
}
