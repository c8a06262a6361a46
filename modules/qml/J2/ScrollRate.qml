pragma ComponentBehavior: Bound
import QtQuick
import "performance.js" as Performance

// Wheel scrolling: a number of rows per notch (1 to 100), or one screen per notch.
Frame {
    id: panel
    // The lines field took or lost the keyboard focus; it is done and the frame takes the focus back.
    signal textFocusChanged(bool focused)
    signal giveFocusBack()
    title: panel.theme.mainLang[12]
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
        panel.bridge.setVerticalScrollLines(lines)
        showStored()
    }

    function showStored() {
        lines = panel.bridge.getVerticalScrollLines()
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
                theme: panel.theme
                objectName: "scrollRows"
                anchors.verticalCenter: parent.verticalCenter
                label: panel.theme.mainLang[15]
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
                asynchronous: true
                anchors.verticalCenter: parent.verticalCenter
                source: panel.theme.imageUrl("scrollRate", "scrollField")
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
                    color: panel.theme.fontColor
                    font.family: panel.theme.fontFamily
                    font.pixelSize: panel.theme.fontNormalSize
                    selectByMouse: true
                    onActiveFocusChanged: {
                        panel.textFocusChanged(activeFocus)
                        if (activeFocus)
                            return
                        // Editing the number means rows per notch.
                        panel.oneScreen = false
                        panel.linesChange(panel.fieldLines())
                    }
                    onAccepted: panel.giveFocusBack()
                }
            }
            Column {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 1
                Repeater {
                    model: [{ name: "scrollUp", up: true }, { name: "scrollDown", up: false }]
                    delegate: Image {
                        id: scrollButton
                        required property var modelData
                        asynchronous: true
                        objectName: scrollButton.modelData.name
                        source: panel.theme.imageUrl("scrollRate", area.containsMouse ? scrollButton.modelData.name + "H"
                                                                                   : scrollButton.modelData.name)
                        MouseArea {
                            id: area
                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: {
                                panel.clickScrollRate()
                                // The arrows change only the field; the value goes out when it loses focus.
                                field.text = scrollButton.modelData.up ? Performance.scrollStepUp(field.text)
                                                          : Performance.scrollStepDown(field.text)
                            }
                        }
                    }
                }
            }
        }
        RadioOption {
            theme: panel.theme
            objectName: "scrollScreen"
            label: panel.theme.mainLang[16]
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
