pragma ComponentBehavior: Bound
import QtQuick
import "../basic"
import "performance.js" as Performance

// The DPI stage colour picker, opened under a stage's swatch: presets, the custom colour and a hue bar.
Rectangle {
    id: picker
    // The frame's look and texts.
    required property Theme theme
    // A colour was chosen for the stage the picker was opened for.
    signal colourChosen(string colour)
    visible: false
    y: 252
    width: 160
    height: 103
    color: "#1c1c1c"
    border.color: "#c0c0c0"
    readonly property var stageX: [25, 61, 98, -17, 20, 58, 58]
    property string customColor: "#ff0000"

    function openFor(stage, colour) {
        x = stageX[stage]
        customColor = colour
        hueSlider.x = Performance.huePosition(colour)
        visible = true
    }
    function apply(colour) {
        customColor = colour
        picker.colourChosen(colour)
    }

    // Clicks inside the picker must not reach the frame's empty area below it.
    MouseArea { anchors.fill: parent }
    Row {
        x: 8
        y: 8
        spacing: 6
        Repeater {
            model: ["#ff0000", "#0000ff", "#00ff00", "#ffff00", "#00ffff", "#ff00ff"]
            delegate: Rectangle {
                id: preset
                required property int index
                required property var modelData
                objectName: "colorPreset" + preset.index
                width: 18
                height: 18
                color: preset.modelData
                border.color: "#60ffffff"
                MouseArea {
                    anchors.fill: parent
                    onClicked: picker.apply(preset.modelData)
                }
            }
        }
    }
    Rectangle {
        objectName: "customColor"
        x: 8
        y: 36
        width: 26
        height: 26
        color: picker.customColor
        border.color: "#60ffffff"
    }
    Text {
        objectName: "customColorText"
        x: 42
        y: 42
        text: "R " + parseInt(picker.customColor.substr(1, 2), 16) + "   G "
              + parseInt(picker.customColor.substr(3, 2), 16) + "   B "
              + parseInt(picker.customColor.substr(5, 2), 16)
        color: picker.theme.fontColor
        font.family: picker.theme.fontFamily
        font.pixelSize: picker.theme.fontMinSize
    }
    Item {
        id: hueBar
        objectName: "hueBar"
        x: 16
        y: 76
        width: 128
        height: 12
        Rectangle {
            // A horizontal gradient: a vertical one turned on its side.
            anchors.centerIn: parent
            width: parent.height
            height: parent.width
            rotation: -90
            gradient: Gradient {
                GradientStop { position: 0.0; color: "#ff0000" }
                GradientStop { position: 0.167; color: "#ffff00" }
                GradientStop { position: 0.333; color: "#00ff00" }
                GradientStop { position: 0.5; color: "#00ffff" }
                GradientStop { position: 0.667; color: "#0000ff" }
                GradientStop { position: 0.833; color: "#ff00ff" }
                GradientStop { position: 1.0; color: "#ff0000" }
            }
        }
        Rectangle {
            id: hueSlider
            objectName: "hueSlider"
            x: -2
            y: -3
            width: 4
            height: 18
            color: "#ffffff"
            border.color: "#1c1c1c"
        }
        MouseArea {
            anchors.fill: parent
            anchors.margins: -4
            preventStealing: true
            function place(mouse) {
                var atX = mapToItem(hueBar, mouse.x, mouse.y).x
                hueSlider.x = Math.max(-2, Math.min(125, Math.round(atX - hueSlider.width / 2)))
            }
            onPressed: function (mouse) { place(mouse) }
            onPositionChanged: function (mouse) { place(mouse) }
            onReleased: picker.apply(Performance.hueColour(hueSlider.x))
        }
    }
}
