import QtQuick

// Angle snapping on or off; sent together with the gesture correction.
Frame {
    id: panel
    title: mainIten.mainLang[35]
    contentHeight: 40

    property bool isSave: false
    property int angleSnapValue: 0

    signal clickangleSnap(int tmpAngleSnapValue)

    function init(isSendData) {
        var snap = ui_View.ui_GetAngleSnap()
        angleSnapValue = snap.length > 0 ? Number(snap[0]) : 0
        if (isSendData)
            saveData()
    }

    function saveData() {
        ui_View.ui_setAngleSnap(angleSnapValue, gestureCorrectionMain.gestureValue)
    }

    Row {
        x: 20
        y: 12
        spacing: 40
        Repeater {
            model: [{ label: mainIten.mainLang[33], value: 1 }, { label: mainIten.mainLang[34], value: 0 }]
            delegate: RadioOption {
                objectName: "angleSnap" + modelData.value
                label: modelData.label
                group: "scrollRate"
                imageOn: "scrollRate1"
                imageOff: "scrollRate0"
                checked: panel.angleSnapValue === modelData.value
                onClicked: panel.clickangleSnap(modelData.value)
            }
        }
    }
}
