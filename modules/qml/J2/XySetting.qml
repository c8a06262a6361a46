import QtQuick
import "performance.js" as Performance

// Sensitivity of each axis in ten steps, sent as 20 to 200.
Frame {
    id: panel
    title: mainIten.mainLang[0]
    contentHeight: 112

    property bool isSave: false
    property alias xStep: xSlider.step
    property alias yStep: ySlider.step

    signal clickXySetting()

    function init(isSendData) {
        xStep = Number(ui_View.getXYSensitive(0)) || 0
        yStep = Number(ui_View.getXYSensitive(1)) || 0
        if (isSendData)
            sendSensitivity()
    }

    function sendSensitivity() {
        ui_View.ui_SetXYSensitive(Performance.sensitivityValue(xStep), Performance.sensitivityValue(yStep))
    }

    function saveData() {
        ui_View.setXYSensitive(0, xStep)
        ui_View.setXYSensitive(1, yStep)
        sendSensitivity()
    }

    Repeater {
        model: [{ label: mainIten.mainLang[1], y: 3 }, { label: mainIten.mainLang[2], y: 55 }]
        delegate: Row {
            x: 10
            y: modelData.y
            spacing: 6
            Image { source: mainIten.imageUrl("xySetting", "xyAxis") }
            Text {
                text: modelData.label
                color: mainIten.fontColor
                font.family: mainIten.fontFamily
                font.pixelSize: mainIten.fontNormalSize
            }
        }
    }
    SteppedSlider {
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
            x: 16
            y: modelData
            source: mainIten.imageUrl("xySetting", "xyScale")
        }
    }
}
