import QtQuick
import "performance.js" as Performance

// Gesture correction in five steps; sent together with angle snapping.
Frame {
    id: panel
    title: panel.theme.mainLang[36]
    contentHeight: 60

    property bool isSave: false
    // Sent with the gesture correction: the angle snap panel's value.
    property int angleSnapValue: 0
    property int gestureValue: 0

    signal correctionValue(int value)

    function init(isSendData) {
        var snap = panel.bridge.ui_GetAngleSnap()
        gestureValue = snap.length > 1 ? Number(snap[1]) : 0
        slider.step = gestureValue
        if (isSendData)
            saveData()
    }

    function saveData() {
        panel.bridge.ui_setAngleSnap(angleSnapValue, gestureValue)
    }

    SteppedSlider {
        theme: panel.theme
        id: slider
        objectName: "gestureSlider"
        x: 43
        y: 14
        step: 4
        group: "scrollRate"
        imagePrefix: "gestureCorrection"
        stepAt: Performance.gestureStep
        onPressed: panel.clickFrame()
        onStepChosen: function (step) { panel.correctionValue(step) }
    }
    Image {
        asynchronous: true
        x: 43
        y: 36
        source: panel.theme.imageUrl("scrollRate", "gestureScale")
    }
}
