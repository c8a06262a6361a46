import QtQuick

// What the user sees while the scene is locked: a pulsing "LOADING ......".
Item {
    id: busy
    width: busyText.width
    height: busyText.height

    property string fontFamily: "Arial"
    property int fontSize: 16

    Text {
        id: busyText
        objectName: "busyText"
        text: "LOADING ......"
        color: "#ffffff"
        font.family: busy.fontFamily
        font.pixelSize: busy.fontSize
        font.bold: true

        SequentialAnimation on opacity {
            running: busy.visible
            loops: Animation.Infinite
            NumberAnimation { from: 1.0; to: 0.2; duration: 400 }
            NumberAnimation { from: 0.2; to: 1.0; duration: 400 }
        }
    }
}
