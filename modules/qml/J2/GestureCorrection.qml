import QtQuick
import "performance.js" as Performance

// Gesture correction in five steps; sent together with angle snapping.
Frame {
    id: panel
    title: mainIten.mainLang[36]
    contentHeight: 60

    property bool isSave: false
    property int gestureValue: 0

    signal correctionValue(int value)

    function init(isSendData) {
        var snap = ui_View.ui_GetAngleSnap()
        gestureValue = snap.length > 1 ? Number(snap[1]) : 0
        slider.step = gestureValue
        if (isSendData)
            saveData()
    }

    function saveData() {
        ui_View.ui_setAngleSnap(angleSnapMain.angleSnapValue, gestureValue)
    }

    SteppedSlider {
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
        x: 43
        y: 36
        source: mainIten.imageUrl("scrollRate", "gestureScale")
    }
}
