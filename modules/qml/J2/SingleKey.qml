import QtQuick
import "../common"
import "keyCodes.js" as KeyCodes

// Assigns one keyboard key to the selected button: the next key pressed anywhere is shown, OK takes it.
DialogPanel {
    id: dialog
    width: 300
    height: 150
    title: macroKeyMain.macroKeyLang[7]

    // The key name shown; kept when the dialog opens again.
    property string textValue: ""

    signal closeSure()

    function detectKeyboard(isDown, usbCode) {
        textValue = KeyCodes.keycodeTostr(usbCode)
    }

    function accept() {
        var key = mouseMain.selectKey
        if (textValue !== "") {
            keyMatrixMain.modifyData(key, 0x00, 0x00, KeyCodes.strTokeycode(textValue), 0x00)
            keyMatrixMain.refreashUI()
            keyMatrixMain.cancelGunKeyFun(key)
        }
        close()
    }

    function close() {
        visible = false
        mouseMain.selectKey = -1
        mainMask.visible = false
        closeSure()
    }

    onCloseClicked: close()

    Text {
        x: 20
        y: 14
        text: macroKeyMain.macroKeyLang[8]
        color: mainIten.fontColor
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontNormalSize
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
            font.family: mainIten.fontFamily
            font.pixelSize: mainIten.fontMiddleSize
        }
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 14
        y: 80
        spacing: 10
        DialogButton {
            objectName: "singleKeyOk"
            label: macroKeyMain.macroKeyLang[5]
            onClicked: dialog.accept()
        }
        DialogButton {
            objectName: "singleKeyCancel"
            label: macroKeyMain.macroKeyLang[6]
            onClicked: dialog.close()
        }
    }
}
