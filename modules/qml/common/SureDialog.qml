import QtQuick
import "../basic"

// A confirmation dialog that can be dragged by any point but never out of the window.
Image {
    id: dialog
    asynchronous: true
    // The frame's look and texts.
    required property Theme theme
    property string title: ""
    property string message: ""
    default property alias buttons: buttonRow.data
    width: 427
    height: 102
    visible: false
    source: dialog.theme.imageUrl("index", "sureBg")
    function placeAtStart() {
        x = (dialog.theme.frameHeight - height) / 2
        y = (dialog.theme.frameHeight - height) / 2
    }
    MouseArea {
        anchors.fill: parent
        drag.target: dialog
        // The dialog follows the pointer from the first pixel, as a window's title bar does.
        drag.threshold: 0
        drag.smoothed: false
        drag.minimumX: 0
        drag.maximumX: dialog.theme.frameWidth - dialog.width
        drag.minimumY: 0
        drag.maximumY: dialog.theme.frameHeight - dialog.height
    }
    Text {
        x: 12
        height: 30
        verticalAlignment: Text.AlignVCenter
        text: dialog.title
        color: dialog.theme.fontColor
        font.family: dialog.theme.fontFamily
        font.pixelSize: dialog.theme.fontNormalSize
        font.bold: true
    }
    Text {
        x: 20
        y: 40
        text: dialog.message
        color: dialog.theme.fontColor
        font.family: dialog.theme.fontFamily
        font.pixelSize: dialog.theme.fontNormalSize
    }
    Row {
        id: buttonRow
        anchors.right: parent.right
        anchors.rightMargin: 14
        y: 66
        spacing: 10
    }
}
