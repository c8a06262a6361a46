import QtQuick
import "../common"
import "keyCodes.js" as KeyCodes

// Assigns one keyboard key to the selected button: the next key pressed anywhere is shown, OK takes it.
DialogPanel {
    id: dialog
    // The key assignment panel and the mouse picture with the selected button.
    required property var keyMatrix
    required property var mouse
    // The macro key dialog's texts, which this dialog shares.
    property var macroKeyLang: []
    width: 300
    height: 150
    title: dialog.macroKeyLang[7]

    // The key name shown; kept when the dialog opens again.
    property string textValue: ""

    signal closeSure()

    function detectKeyboard(isDown, usbCode) {
        textValue = KeyCodes.keycodeTostr(usbCode)
    }

    function accept() {
        var key = dialog.mouse.selectKey
        if (textValue !== "") {
            dialog.keyMatrix.modifyData(key, 0x00, 0x00, KeyCodes.strTokeycode(textValue), 0x00)
            dialog.keyMatrix.refreashUI()
            dialog.keyMatrix.cancelGunKeyFun(key)
        }
        close()
    }

    function close() {
        visible = false
        dialog.mouse.selectKey = -1
        dismissed()
        closeSure()
    }

    onCloseClicked: close()

    Text {
        x: 20
        y: 14
        text: dialog.macroKeyLang[8]
        color: dialog.theme.fontColor
        font.family: dialog.theme.fontFamily
        font.pixelSize: dialog.theme.fontNormalSize
    }
    Rectangle {
        x: 20
        y: 38
        width: 260
        height: 26
        color: "#101010"
        border.color: "#761212"
        Text {
            objectName: "singleKeyText"
            anchors.centerIn: parent
            text: dialog.textValue
            color: "#fa6726"
            font.family: dialog.theme.fontFamily
            font.pixelSize: dialog.theme.fontMiddleSize
        }
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 14
        y: 80
        spacing: 10
        DialogButton {
            theme: dialog.theme
            objectName: "singleKeyOk"
            label: dialog.macroKeyLang[5]
            onClicked: dialog.accept()
        }
        DialogButton {
            theme: dialog.theme
            objectName: "singleKeyCancel"
            label: dialog.macroKeyLang[6]
            onClicked: dialog.close()
        }
    }
}
