pragma ComponentBehavior: Bound
import QtQuick
import "../basic"

// The action list's context menu: one row per command, each labelled with the editor's text 12 + command.
Rectangle {
    id: menu
    // The frame's look and texts.
    required property Theme theme
    property var labels: []
    property int commandCount: 0
    // Row n is named rowName + n.
    property string rowName: "actionMenuRow"

    signal commandChosen(int command)

    visible: false
    z: 2
    width: 159
    height: menu.commandCount * 21
    color: "#6f2929"
    border.color: "#8f2020"
    Column {
        Repeater {
            model: menu.commandCount
            delegate: Rectangle {
                id: menuRow
                required property int index
                objectName: menu.rowName + menuRow.index
                width: 159
                height: 21
                color: menuArea.containsMouse ? "#8f2020" : "transparent"
                Text {
                    x: 10
                    anchors.verticalCenter: parent.verticalCenter
                    text: menu.labels[12 + menuRow.index]
                    color: menu.theme.fontColor
                    font.family: menu.theme.fontFamily
                    font.pixelSize: menu.theme.fontNormalSize
                }
                MouseArea {
                    id: menuArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: menu.commandChosen(menuRow.index)
                }
            }
        }
    }
}
