pragma ComponentBehavior: Bound
import QtQuick
import "performance.js" as Performance

// Sensitivity of each axis in ten steps, sent as 20 to 200.
Frame {
    id: panel
    title: panel.theme.mainLang[0]
    contentHeight: 112

    property bool isSave: false
    property alias xStep: xSlider.step
    property alias yStep: ySlider.step

    signal clickXySetting()

    function init(isSendData) {
        xStep = Number(panel.bridge.getXYSensitive(0)) || 0
        yStep = Number(panel.bridge.getXYSensitive(1)) || 0
        if (isSendData)
            sendSensitivity()
    }

    function sendSensitivity() {
        panel.bridge.ui_SetXYSensitive(Performance.sensitivityValue(xStep), Performance.sensitivityValue(yStep))
    }

    function saveData() {
        panel.bridge.setXYSensitive(0, xStep)
        panel.bridge.setXYSensitive(1, yStep)
        sendSensitivity()
    }

    Repeater {
        model: [{ label: panel.theme.mainLang[1], y: 3 }, { label: panel.theme.mainLang[2], y: 55 }]
        delegate: Row {
            id: axisRow
            required property var modelData
            x: 10
            y: axisRow.modelData.y
            spacing: 6
            Image { source: panel.theme.imageUrl("xySetting", "xyAxis") }
            Text {
                text: axisRow.modelData.label
                color: panel.theme.fontColor
                font.family: panel.theme.fontFamily
                font.pixelSize: panel.theme.fontNormalSize
            }
        }
    }
    SteppedSlider {
        theme: panel.theme
        id: xSlider
        objectName: "xSlider"
        x: 16
        y: 22
        group: "xySetting"
        imagePrefix: "xy"
        stepAt: Performance.sensitivityStep
        onPressed: panel.clickXySetting()
        onStepChosen: panel.isSave = true
    }
    SteppedSlider {
        theme: panel.theme
        id: ySlider
        objectName: "ySlider"
        x: 16
        y: 74
        group: "xySetting"
        imagePrefix: "xy"
        stepAt: Performance.sensitivityStep
        onPressed: panel.clickXySetting()
        onStepChosen: panel.isSave = true
    }
    Repeater {
        model: [44, 96]
        delegate: Image {
            id: axisPicture
            required property var modelData
            asynchronous: true
            x: 16
            y: axisPicture.modelData
            source: panel.theme.imageUrl("xySetting", "xyScale")
        }
    }
}
