import QtQuick
import "../basic"

// The frame of the key and macro dialogs: a title bar to drag it by (never out of the window), a close
// button, and the dialog's own content below.
Rectangle {
    id: dialog
    // The frame's look and texts.
    required property Theme theme
    // The program's side of the scene (the view's slots).
    required property var bridge
    visible: false
    color: "#f21a1a1a"
    border.color: "#4e3434"

    property string title: ""
    default property alias content: body.data

    signal closeClicked()
    // The dialog has closed (the frame lifts the mask it laid over the window).
    signal dismissed()

    Rectangle {
        width: parent.width
        height: 30
        color: "#1e1e1e"
        MouseArea {
            anchors.fill: parent
            drag.target: dialog
            drag.threshold: 0
            drag.smoothed: false
            drag.minimumX: 0
            drag.maximumX: dialog.theme.frameWidth - dialog.width
            drag.minimumY: 0
            drag.maximumY: dialog.theme.frameHeight - dialog.height
        }
        Text {
            x: 12
            anchors.verticalCenter: parent.verticalCenter
            text: dialog.title
            color: dialog.theme.fontColor
            font.family: dialog.theme.fontFamily
            font.pixelSize: dialog.theme.fontNormalSize
            font.bold: true
        }
        Image {
            asynchronous: true
            objectName: dialog.objectName + "Close"
            anchors.right: parent.right
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            source: dialog.theme.imageUrl("profile", closeArea.containsMouse ? "closeH" : "close")
            MouseArea {
                id: closeArea
                anchors.fill: parent
                hoverEnabled: true
                onClicked: dialog.closeClicked()
            }
        }
    }
    Item {
        id: body
        y: 30
        width: parent.width
        height: parent.height - 30
    }
}
