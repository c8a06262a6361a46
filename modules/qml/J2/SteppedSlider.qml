import QtQuick
import "../basic"

// A track picture per step: a press or drag picks the step under the pointer; `stepChosen` reports the
// step at release only when it differs from the step before the press.
Image {
    id: slider
    asynchronous: true
    // The frame's look and texts.
    required property Theme theme

    property int step: 0
    // Maps a pointer x to a step.
    property var stepAt: function (x) { return 0 }
    property string group: ""
    property string imagePrefix: ""
    property int pressStep: 0

    signal pressed()
    signal stepChosen(int step)

    source: slider.theme.imageUrl(group, imagePrefix + step)

    MouseArea {
        anchors.fill: parent
        preventStealing: true
        onPressed: function (mouse) {
            slider.pressed()
            slider.pressStep = slider.step
            slider.step = slider.stepAt(Math.max(0, Math.min(slider.width, mouse.x)))
        }
        onPositionChanged: function (mouse) {
            slider.step = slider.stepAt(Math.max(0, Math.min(slider.width, mouse.x)))
        }
        onReleased: {
            if (slider.step !== slider.pressStep)
                slider.stepChosen(slider.step)
        }
    }
}
