import QtQuick
import "performance.js" as Performance

// Wheel scrolling: a number of rows per notch (1 to 100), or one screen per notch.
Frame {
    id: panel
    title: mainIten.mainLang[12]
    contentHeight: 64

    property bool isSave: false
    property int lines: 0
    property bool oneScreen: false

    signal linesChange(int linesValue)
    signal clickScrollRate()

    function init(isSendData) {
        showStored()
        if (isSendData)
            saveData()
    }

    // The desktop may not take the value (no such setting there): the panel then shows what it holds.
    function saveData() {
        ui_View.setVerticalScrollLines(lines)
        showStored()
    }

    function showStored() {
        lines = ui_View.getVerticalScrollLines()
        oneScreen = Performance.isOneScreen(lines)
        if (!oneScreen)
            field.text = String(lines)
    }

    // The field's number, tidied: an empty or too small value becomes 1.
    function fieldLines() {
        field.text = String(Performance.scrollFieldValue(field.text))
        return Number(field.text)
    }

    Column {
        x: 20
        y: 8
        spacing: 10
        Row {
            spacing: 8
            RadioOption {
                objectName: "scrollRows"
                anchors.verticalCenter: parent.verticalCenter
                label: mainIten.mainLang[15]
                group: "scrollRate"
                imageOn: "scrollRate1"
                imageOff: "scrollRate0"
                checked: !panel.oneScreen
                onClicked: {
                    panel.clickScrollRate()
                    panel.oneScreen = false
                    panel.linesChange(panel.fieldLines())
                }
            }
            Image {
                anchors.verticalCenter: parent.verticalCenter
                source: mainIten.imageUrl("scrollRate", "scrollField")
                TextInput {
                    id: field
                    objectName: "scrollField"
                    anchors.fill: parent
                    anchors.leftMargin: 4
                    verticalAlignment: TextInput.AlignVCenter
                    text: "1"
                    maximumLength: 3
                    // Digits only, never above 100: a keystroke that would pass 100 is refused.
                    validator: RegularExpressionValidator { regularExpression: /^(100|[0-9]{0,2})$/ }
                    color: mainIten.fontColor
                    font.family: mainIten.fontFamily
                    font.pixelSize: mainIten.fontNormalSize
                    selectByMouse: true
                    onActiveFocusChanged: {
                        mainIten.isScrollRateFocus = activeFocus
                        if (activeFocus)
                            return
                        // Editing the number means rows per notch.
                        panel.oneScreen = false
                        panel.linesChange(panel.fieldLines())
                    }
                    onAccepted: mainIten.forceActiveFocus()
                }
            }
            Column {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 1
                Repeater {
                    model: [{ name: "scrollUp", up: true }, { name: "scrollDown", up: false }]
                    delegate: Image {
                        objectName: modelData.name
                        source: mainIten.imageUrl("scrollRate", area.containsMouse ? modelData.name + "H"
                                                                                   : modelData.name)
                        MouseArea {
                            id: area
                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: {
                                panel.clickScrollRate()
                                // The arrows change only the field; the value goes out when it loses focus.
                                field.text = modelData.up ? Performance.scrollStepUp(field.text)
                                                          : Performance.scrollStepDown(field.text)
                            }
                        }
                    }
                }
            }
        }
        RadioOption {
            objectName: "scrollScreen"
            label: mainIten.mainLang[16]
            group: "scrollRate"
            imageOn: "scrollRate1"
            imageOff: "scrollRate0"
            checked: panel.oneScreen
            onClicked: {
                panel.clickScrollRate()
                panel.oneScreen = true
                panel.linesChange(Performance.kOneScreen)
            }
        }
    }
}
