pragma ComponentBehavior: Bound
import QtQuick
import "../basic"
import "performance.js" as Performance

// A half-round dial from 0 (slow) to 11 (fast): the value follows the pointer and is reported on release.
Item {
    id: dial
    // The frame's look and texts.
    required property Theme theme
    width: 160
    height: 94

    property int value: 5
    property int pressValue: 5

    signal pressed()
    signal released()

    Image {
        id: picture
        asynchronous: true
        objectName: "dialImage"
        source: dial.theme.imageUrl("mouseRate", Performance.dialImage(dial.value))
        MouseArea {
            anchors.fill: parent
            preventStealing: true
            function follow(mouse) {
                dial.value = Performance.dialValue(mouse.x, mouse.y, picture.width / 2)
            }
            onPressed: function (mouse) {
                dial.pressed()
                dial.pressValue = dial.value
                follow(mouse)
            }
            onPositionChanged: function (mouse) { follow(mouse) }
            onReleased: dial.released()
        }
    }
    Repeater {
        model: [{ text: dial.theme.mainLang[13], left: true }, { text: dial.theme.mainLang[14], left: false }]
        delegate: Text {
            id: endLabel
            required property var modelData
            x: endLabel.modelData.left ? 10 : picture.width - 10 - width
            y: 78
            text: endLabel.modelData.text
            color: dial.theme.fontColor
            font.family: dial.theme.fontFamily
            font.pixelSize: dial.theme.fontMinSize
        }
    }
}
