pragma ComponentBehavior: Bound
import QtQuick
import "../common"
import "keyCodes.js" as KeyCodes

// The gun page's insert dialogs: the next key pressed, a mouse button, a cursor step or a delay. OK hands
// the page the actions to insert; the page decides where they go.
DialogPanel {
    id: dialog
    width: 300
    height: kind === kCursor ? 330 : 190
    z: 3

    readonly property int kKey: 0
    readonly property int kMouse: 1
    readonly property int kCursor: 2
    readonly property int kDelay: 3
    readonly property var mouseButtons: ["MS-L", "MS-R", "MS-M", "MS-B5", "MS-B4"]
    readonly property int maxOffset: 127
    readonly property int maxDelayMs: 100000

    property int kind: kKey
    property var labels: []
    // What the dialog holds: the key's name, the chosen mouse button, the cursor offsets, the delay.
    property string keyName: ""
    property int mouseChoice: 0
    property int offsetX: 0
    property int offsetY: 0

    signal accepted(var newActions)
    signal closed()

    title: labelAt([20, 27, 24, 22][kind])

    function labelAt(index) {
        return labels[index] !== undefined ? labels[index] : ""
    }

    function open(what) {
        kind = what
        keyName = ""
        mouseChoice = 0
        offsetX = 0
        offsetY = 0
        delayField.text = "10"
        x = (parent.width - width) / 2
        y = (parent.height - height) / 2
        visible = true
    }

    function close() {
        visible = false
        closed()
    }

    // Fed with every key event while the key dialog is open; mouse codes name their button.
    function showInput(usbCode) {
        keyName = usbCode >= 0xF0 ? String(KeyCodes.mousecodeTostr(usbCode) || "") : KeyCodes.keycodeTostr(usbCode)
    }

    function clampOffset(value) {
        var number = parseInt(value, 10)
        return isNaN(number) ? 0 : Math.max(-maxOffset, Math.min(maxOffset, number))
    }

    function result() {
        if (kind === kKey) {
            if (keyName === "")
                return []
            var mouse = KeyCodes.hasOwn(KeyCodes.str2mousecode, keyName)
            return [{ type: mouse ? 3 : 1, info: keyName }, { type: mouse ? 4 : 2, info: keyName }]
        }
        if (kind === kMouse)
            return [{ type: 3, info: mouseButtons[mouseChoice] }, { type: 4, info: mouseButtons[mouseChoice] }]
        if (kind === kCursor)
            return [{ type: 5, info: String(offsetX) }, { type: 6, info: String(offsetY) }]
        var ms = parseInt(delayField.text, 10)
        return isNaN(ms) || ms > maxDelayMs ? [] : [{ type: 0, info: String(ms) }]
    }

    function accept() {
        var list = result()
        close()
        if (list.length > 0)
            accepted(list)
    }

    onCloseClicked: close()

    component Label: Text {
        color: dialog.theme.fontColor
        font.family: dialog.theme.fontFamily
        font.pixelSize: dialog.theme.fontNormalSize
    }

    component NumberField: Rectangle {
        property alias text: input.text
        property alias validator: input.validator
        property alias objectNameOfInput: input.objectName
        signal edited()
        width: 70
        height: 24
        color: "#101010"
        border.color: input.activeFocus ? "#761212" : "#333333"
        TextInput {
            id: input
            anchors.fill: parent
            anchors.leftMargin: 6
            verticalAlignment: TextInput.AlignVCenter
            color: dialog.theme.fontColor
            font.family: dialog.theme.fontFamily
            font.pixelSize: dialog.theme.fontNormalSize
            onTextEdited: parent.edited()
        }
    }

    // The key: the name of the next key pressed.
    Column {
        x: 20
        y: 14
        spacing: 12
        visible: dialog.kind === dialog.kKey
        Label { text: dialog.labelAt(21) }
        Rectangle {
            width: 200
            height: 26
            color: "#101010"
            border.color: "#4e3434"
            Label {
                objectName: "gunInsertKeyName"
                x: 8
                anchors.verticalCenter: parent.verticalCenter
                text: dialog.keyName
            }
        }
    }

    // The mouse button.
    Column {
        x: 20
        y: 10
        spacing: 6
        visible: dialog.kind === dialog.kMouse
        Repeater {
            model: dialog.mouseButtons
            delegate: RadioOption {
                id: mouseOption
                theme: dialog.theme
                required property int index
                required property var modelData
                objectName: "gunInsertMouse" + mouseOption.index
                group: "dpiSetting"
                imageOn: "dpiSetting0"
                imageOff: "dpiSetting1"
                label: mouseOption.modelData
                checked: dialog.mouseChoice === mouseOption.index
                onClicked: dialog.mouseChoice = mouseOption.index
            }
        }
    }

    // The cursor step: typed, or set by dragging the marker over the pad (its centre is no motion). The pad
    // shows the motion the mouse will make: the stream negates Y, so a positive Y moves the cursor up and
    // sits above the centre.
    Item {
        visible: dialog.kind === dialog.kCursor
        x: 20
        y: 10
        width: 260
        height: 250
        Row {
            spacing: 8
            Label { text: dialog.labelAt(25); anchors.verticalCenter: parent.verticalCenter }
            NumberField {
                objectNameOfInput: "gunInsertX"
                text: String(dialog.offsetX)
                validator: IntValidator { bottom: -127; top: 127 }
                onEdited: dialog.offsetX = dialog.clampOffset(text)
            }
            Label { text: dialog.labelAt(26); anchors.verticalCenter: parent.verticalCenter }
            NumberField {
                objectNameOfInput: "gunInsertY"
                text: String(dialog.offsetY)
                validator: IntValidator { bottom: -127; top: 127 }
                onEdited: dialog.offsetY = dialog.clampOffset(text)
            }
        }
        Rectangle {
            id: pad
            objectName: "gunInsertPad"
            y: 34
            width: 255
            height: 200
            color: "#101010"
            border.color: "#4e3434"
            readonly property real unitX: (width - 1) / 254
            readonly property real unitY: (height - 1) / 254
            Rectangle { x: pad.width / 2; width: 1; height: pad.height; color: "#333333" }
            Rectangle { y: pad.height / 2; height: 1; width: pad.width; color: "#333333" }
            Rectangle {
                objectName: "gunInsertMarker"
                width: 9
                height: 9
                radius: 4
                color: "#fa6726"
                x: (dialog.offsetX + 127) * pad.unitX - width / 2
                y: (127 - dialog.offsetY) * pad.unitY - height / 2
            }
            MouseArea {
                anchors.fill: parent
                function follow(mouse) {
                    dialog.offsetX = dialog.clampOffset(Math.round(mouse.x / pad.unitX) - 127)
                    dialog.offsetY = dialog.clampOffset(127 - Math.round(mouse.y / pad.unitY))
                }
                onPressed: function (mouse) { follow(mouse) }
                onPositionChanged: function (mouse) { follow(mouse) }
            }
        }
    }

    // The delay in milliseconds.
    Column {
        x: 20
        y: 14
        spacing: 12
        visible: dialog.kind === dialog.kDelay
        Label { text: dialog.labelAt(23) }
        NumberField {
            id: delayField
            objectNameOfInput: "gunInsertDelay"
            width: 100
            validator: RegularExpressionValidator { regularExpression: /^(100000|[0-9]{0,5})$/ }
        }
    }

    Row {
        anchors.right: parent.right
        anchors.rightMargin: 14
        y: dialog.height - 30 - 40
        spacing: 10
        DialogButton {
            theme: dialog.theme
            objectName: "gunInsertOk"
            label: dialog.labelAt(10)
            onClicked: dialog.accept()
        }
        DialogButton {
            theme: dialog.theme
            objectName: "gunInsertCancel"
            label: dialog.labelAt(11)
            onClicked: dialog.close()
        }
    }
}
