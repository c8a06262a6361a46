pragma ComponentBehavior: Bound
import QtQuick

// The title bar's buttons: help, minimise, close. Each reports its index: 0 minimise, 1 close, 2 help.
Row {
    id: menuUp
    spacing: 5

    property url sourceAsk
    property url sourceAskH
    property url sourceMinimize
    property url sourceMinimizeH
    property url sourceClose
    property url sourceCloseH

    signal clickIndex(int index)

    Repeater {
        model: [
            { name: "askButton", index: 2, normal: menuUp.sourceAsk, hovered: menuUp.sourceAskH },
            { name: "minimizeButton", index: 0, normal: menuUp.sourceMinimize, hovered: menuUp.sourceMinimizeH },
            { name: "closeButton", index: 1, normal: menuUp.sourceClose, hovered: menuUp.sourceCloseH }
        ]
        delegate: Image {
            id: menuButton
            required property var modelData
            asynchronous: true
            objectName: menuButton.modelData.name
            width: 15
            height: 15
            source: area.containsMouse ? menuButton.modelData.hovered : menuButton.modelData.normal
            MouseArea {
                id: area
                anchors.fill: parent
                hoverEnabled: true
                onClicked: menuUp.clickIndex(menuButton.modelData.index)
            }
        }
    }
}
