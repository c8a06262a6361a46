pragma ComponentBehavior: Bound
import QtQuick
import "performance.js" as Performance

// Seven DPI stages side by side: a vertical slider with its value, the stage's enable flag and its colour.
Frame {
    id: panel
    title: panel.theme.mainLang[3]
    contentHeight: 232

    property bool isSave: false
    readonly property int stageCount: 7
    property var dpiValues: [10800, 10800, 10800, 10800, 10800, 10800, 10800]
    // The bars' heights follow the pointer while a knob is dragged; otherwise they follow the values.
    property var barHeights: dpiValues.map(Performance.barHeightFromDpi)
    property var dpiFlags: [true, true, true, true, true, true, true]
    property var dpiColors: ["#ff0000", "#0000ff", "#00ff00", "#ffff00", "#00ffff", "#ff6e00", "#ff00ff"]
    // The stage the colour picker is choosing for.
    property int colorTarget: -1

    signal dpiValueChange(int dpiIndex, int dpiData)
    signal dpiSelectChange(int dpiIndex)
    signal dpiColorChange()
    signal openColorBar(int dpiSelect, string dpiColor)
    signal clickDpiSetting()

    function replaced(list, index, value) {
        var copy = list.slice()
        copy[index] = value
        return copy
    }

    function init(isSendData) {
        var values = panel.bridge.ui_91H_GetDPISet()
        var flags = panel.bridge.ui_91H_GetDPISelect()
        var colourBytes = panel.bridge.ui_90H_GetLED8StageColor(1)
        let loadedValues = []
        let loadedFlags = []
        let loadedColours = []
        for (let stage = 0; stage < stageCount; ++stage) {
            loadedValues.push(values[stage] !== undefined ? Number(values[stage]) : 10800)
            loadedFlags.push(flags[stage] !== undefined ? Number(flags[stage]) !== 0 : true)
            loadedColours.push(Performance.colourFromBytes(colourBytes, stage))
        }
        dpiValues = loadedValues
        barHeights = dpiValues.map(Performance.barHeightFromDpi)
        dpiFlags = loadedFlags
        dpiColors = loadedColours
        if (isSendData) {
            dpiSelectChange(0)
            panel.bridge.ui_10H_SetLED8StageColor(1, colourBytes)
            isSave = false
            saveData()
        }
    }

    function saveData() {
        var sent = Performance.dpiArguments(dpiValues, dpiFlags, dpiColors)
        panel.bridge.ui_SetDPISelect(sent.flags)
        panel.bridge.ui_SetDPISet(6, sent.codes, sent.values)
        // The mouse takes the stage colours reliably only when they come twice.
        panel.bridge.ui_10H_SetLED8StageColor(1, sent.colorBytes)
        panel.bridge.ui_10H_SetLED8StageColor(1, sent.colorBytes)
    }

    // The colour picker chose a colour for the target stage.
    function setColor(colour) {
        if (colorTarget < 0)
            return
        dpiColors = replaced(dpiColors, colorTarget, colour)
        dpiColorChange()
    }

    onDpiValueChange: isSave = true
    onDpiSelectChange: isSave = true
    onDpiColorChange: isSave = true

    Row {
        x: 2
        y: 4
        Repeater {
            model: panel.stageCount
            delegate: Item {
                id: stage
                required property int index
                objectName: "dpiStage" + stage.index
                width: 34
                height: 226
                readonly property int stageIndex: stage.index
                property bool dragging: false

                Image {
                    id: slider
                    asynchronous: true
                    objectName: "dpiSlider" + stage.stageIndex
                    x: 7
                    source: panel.theme.imageUrl("dpiSetting", "dpiSlider")
                    Rectangle {
                        x: 7
                        width: 6
                        radius: 2
                        y: 162 - height
                        height: panel.barHeights[stage.stageIndex]
                        gradient: Gradient {
                            GradientStop { position: 0.0; color: "#f88600" }
                            GradientStop { position: 1.0; color: "#fe0000" }
                        }
                    }
                    Image {
                        id: knob
                        asynchronous: true
                        x: 4
                        y: 162 - panel.barHeights[stage.stageIndex] - 6
                        source: panel.theme.imageUrl("dpiSetting", "dpiKnob")
                    }
                    MouseArea {
                        anchors.fill: parent
                        // Dragging a knob must not scroll the right panel.
                        preventStealing: true
                        function follow(mouse) {
                            var height = Performance.barHeightFromPointer(mouse.y)
                            panel.barHeights = panel.replaced(panel.barHeights, stage.stageIndex, height)
                            panel.dpiValues = panel.replaced(panel.dpiValues, stage.stageIndex,
                                                             Performance.dpiFromBarHeight(height))
                        }
                        onPressed: function (mouse) {
                            panel.clickDpiSetting()
                            stage.dragging = Math.abs(mouse.y - (knob.y + 6)) <= 8
                            follow(mouse)
                            if (!stage.dragging)
                                panel.dpiValueChange(stage.stageIndex, panel.dpiValues[stage.stageIndex])
                        }
                        onPositionChanged: function (mouse) {
                            if (stage.dragging)
                                follow(mouse)
                        }
                        onReleased: {
                            if (!stage.dragging)
                                return
                            stage.dragging = false
                            panel.dpiValueChange(stage.stageIndex, panel.dpiValues[stage.stageIndex])
                        }
                    }
                }
                Image {
                    asynchronous: true
                    x: 1
                    y: 174
                    source: panel.theme.imageUrl("dpiSetting", "dpiValue")
                    Text {
                        objectName: "dpiValueText" + stage.stageIndex
                        anchors.centerIn: parent
                        text: panel.dpiValues[stage.stageIndex]
                        color: panel.theme.fontColor
                        font.family: panel.theme.fontFamily
                        font.pixelSize: panel.theme.fontMinSize
                    }
                }
                Image {
                    asynchronous: true
                    objectName: "dpiFlag" + stage.stageIndex
                    x: 10
                    y: 194
                    source: panel.theme.imageUrl("dpiSetting", panel.dpiFlags[stage.stageIndex] ? "dpiSetting0"
                                                                                             : "dpiSetting1")
                    MouseArea {
                        anchors.fill: parent
                        onClicked: {
                            panel.clickDpiSetting()
                            panel.dpiFlags = panel.replaced(panel.dpiFlags, stage.stageIndex,
                                                            !panel.dpiFlags[stage.stageIndex])
                            panel.dpiSelectChange(stage.stageIndex)
                        }
                    }
                }
                Rectangle {
                    objectName: "dpiColor" + stage.stageIndex
                    x: 13
                    y: 214
                    width: 8
                    height: 8
                    color: panel.dpiColors[stage.stageIndex]
                    border.color: "#60ffffff"
                    MouseArea {
                        // A finger-sized target around the small swatch.
                        anchors.fill: parent
                        anchors.margins: -4
                        onClicked: {
                            panel.clickDpiSetting()
                            panel.colorTarget = stage.stageIndex
                            panel.openColorBar(stage.stageIndex, panel.dpiColors[stage.stageIndex])
                        }
                    }
                }
            }
        }
    }
}
