pragma ComponentBehavior: Bound
import QtQuick

// Angle snapping on or off; sent together with the gesture correction.
Frame {
    id: panel
    title: panel.theme.mainLang[35]
    contentHeight: 40

    property bool isSave: false
    // Sent with the angle snap: the gesture correction panel's value.
    property int gestureValue: 0
    property int angleSnapValue: 0

    signal clickangleSnap(int tmpAngleSnapValue)

    function init(isSendData) {
        var snap = panel.bridge.ui_GetAngleSnap()
        angleSnapValue = snap.length > 0 ? Number(snap[0]) : 0
        if (isSendData)
            saveData()
    }

    function saveData() {
        panel.bridge.ui_setAngleSnap(angleSnapValue, gestureValue)
    }

    Row {
        x: 20
        y: 12
        spacing: 40
        Repeater {
            model: [{ label: panel.theme.mainLang[33], value: 1 }, { label: panel.theme.mainLang[34], value: 0 }]
            delegate: RadioOption {
                id: snapOption
                theme: panel.theme
                required property var modelData
                objectName: "angleSnap" + snapOption.modelData.value
                label: snapOption.modelData.label
                group: "scrollRate"
                imageOn: "scrollRate1"
                imageOff: "scrollRate0"
                checked: panel.angleSnapValue === snapOption.modelData.value
                onClicked: panel.clickangleSnap(snapOption.modelData.value)
            }
        }
    }
}
