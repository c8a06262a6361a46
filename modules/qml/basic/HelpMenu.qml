pragma ComponentBehavior: Bound
import QtQuick

// The help menu: the web address (if any), the firmware updater and the version. Any click closes it.
Rectangle {
    id: menu
    // The frame's look and texts.
    required property Theme theme
    // Where the first row leads; empty opens nothing.
    property string helpAddress: ""

    // The second row: start the firmware updater.
    signal updateChosen()

    width: 159
    height: 64
    visible: false
    color: "#6f2929"
    border.width: 1
    border.color: "#8f2020"
    Column {
        x: 1
        y: 1
        Repeater {
            model: [menu.helpAddress !== "" ? menu.helpAddress : "J2 Configurator", "update", "verison:1.0"]
            delegate: Rectangle {
                id: askRow
                required property int index
                required property var modelData
                objectName: "askMenuRow" + askRow.index
                width: 157
                height: 21
                color: rowArea.containsMouse ? "#8f2020" : "transparent"
                Text {
                    x: 8
                    anchors.verticalCenter: parent.verticalCenter
                    text: askRow.modelData
                    color: menu.theme.fontColor
                    font.family: menu.theme.fontFamily
                    font.pixelSize: menu.theme.fontNormalSize
                }
                MouseArea {
                    id: rowArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: {
                        menu.visible = false
                        if (askRow.index === 0 && menu.helpAddress !== "")
                            Qt.openUrlExternally(menu.helpAddress)
                        else if (askRow.index === 1)
                            menu.updateChosen()
                    }
                }
            }
        }
    }
}
