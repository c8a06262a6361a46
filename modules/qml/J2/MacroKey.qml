import QtQuick
import "../common"
import "gunCode.js" as GunCode

// Assigns a recorded macro, with how it runs, to the selected button, and writes it to the button's slot
// at once.
DialogPanel {
    id: dialog
    width: 360
    height: 250
    title: macroKeyLang[0]

    // 0 once per press, 1 until any button is pressed, 2 while the button is held.
    property int macroType: 0
    // 0 assigns to a button, 1 to a gun slot.
    property int uiType: 0
    property int gunIndex: -1
    property var macroKeyLang: ["Macro Key", "Please select a macro",
                                "Macro runs one-time after\npressing the button",
                                "Macro runs endless loop\nuntil any button is pressed",
                                "Macro runs endless loop\nuntil button is released", "OK", "Cancel", "Key",
                                "Please assign a Key", ""]
    // The name shown in the field, which is what OK assigns. Each list keeps its own selection between
    // openings, by name: after an entry is deleted or moved, a position would point at another one.
    property string shownName: ""
    property string macroSelection: ""
    property string gunSelection: ""
    readonly property string chosenName: uiType === 1 ? gunSelection : macroSelection
    readonly property var choices: uiType === 1 ? gunControlMain.macroListModel : macroEditorMain.macroListModel

    signal closeSure()

    function showUI() {
        // A gun plays while its button is held unless the user says otherwise.
        macroType = uiType === 1 ? 2 : 0
        shownName = selectedName()
        nameList.visible = false
        x = (mainIten.width - width) / 2
        y = (mainIten.height - height) / 2
        visible = true
        mainMask.visible = true
    }

    function macroKeyFocus() {
        nameList.visible = false
    }

    // The position of the chosen name in its list, -1 when it is no longer there.
    function listSelection() {
        for (var i = 0; i < choices.count; ++i) {
            if (choices.get(i).macroName === chosenName)
                return i
        }
        return -1
    }

    function selectedName() {
        return listSelection() >= 0 ? chosenName : ""
    }

    function choose(index) {
        if (uiType === 1)
            gunSelection = choices.get(index).macroName
        else
            macroSelection = choices.get(index).macroName
        shownName = selectedName()
    }

    // The button rows whose macros live in the device slots gun slot `slot` fills: binding the gun writes
    // over them.
    function macroRowsUnderGunSlot(slot) {
        var rows = []
        var first = gunControlMain.gunSlotsIndex + GunCode.kSlotsPerGun * slot
        for (var key = first; key < first + GunCode.kSlotsPerGun; ++key) {
            var entry = keyMatrixMain.modKeysVar[key]
            if (entry !== undefined && Number(entry[0]) === 0x09)
                rows.push(key)
        }
        return rows
    }

    function accept() {
        var name = selectedName()
        var key = mouseMain.selectKey
        // A gun that would take a macro's place in the mouse is bound only once the user agreed.
        if (name !== "" && uiType === 1 && macroRowsUnderGunSlot(gunIndex).length > 0 && !gunSlotSure.visible) {
            gunSlotSure.rows = macroRowsUnderGunSlot(gunIndex)
            gunSlotSure.placeAtStart()
            gunSlotSure.visible = true
            return
        }
        gunSlotSure.visible = false
        if (name !== "" && uiType === 0) {
            ui_View.setMacroKey(key, name)
            keyMatrixMain.modifyData(key, 0x09, macroType, key, 0x00)
            keyMatrixMain.refreashUI()
            macroEditorMain.sendMacro(key, name)
        } else if (name !== "" && uiType === 1 && keyMatrixMain.openGunKeyProc(key, gunIndex, macroType)) {
            gunControlMain.setGunData(gunIndex, listSelection())
            gunControlMain.setGunMenuName()
            keyMatrixMain.initGunKeyShow()
            gunControlMain.sendGunMacro()
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
        y: 12
        text: dialog.macroKeyLang[1]
        color: mainIten.fontColor
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontNormalSize
    }
    Column {
        x: 20
        y: 76
        spacing: 6
        Repeater {
            model: 3
            delegate: RadioOption {
                objectName: "macroRunType" + index
                label: dialog.macroKeyLang[2 + index]
                group: "lightControl"
                imageOn: "lightControlBtn1"
                imageOff: "lightControlBtn0"
                checked: dialog.macroType === index
                onClicked: dialog.macroType = index
            }
        }
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 14
        y: 184
        spacing: 10
        DialogButton {
            objectName: "macroKeyOk"
            label: dialog.macroKeyLang[5]
            onClicked: dialog.accept()
        }
        DialogButton {
            objectName: "macroKeyCancel"
            label: dialog.macroKeyLang[6]
            onClicked: dialog.close()
        }
    }
    // The name field and its drop-down list of the macro page's macros, over everything else.
    Rectangle {
        objectName: "macroNameField"
        x: 20
        y: 36
        z: 1
        width: 320
        height: 26
        color: "#101010"
        border.color: "#761212"
        Text {
            x: 8
            anchors.verticalCenter: parent.verticalCenter
            text: dialog.shownName
            color: "#fa6726"
            font.family: mainIten.fontFamily
            font.pixelSize: mainIten.fontNormalSize
        }
        MouseArea {
            anchors.fill: parent
            onClicked: nameList.visible = !nameList.visible
        }
        Rectangle {
            id: nameList
            objectName: "macroNameList"
            y: parent.height
            width: parent.width
            height: Math.min(listView.contentHeight, 120) + 2
            visible: false
            color: "#1a1a1a"
            border.color: "#761212"
            ListView {
                id: listView
                anchors.fill: parent
                anchors.margins: 1
                clip: true
                model: dialog.choices
                delegate: Rectangle {
                    objectName: "macroNameChoice" + index
                    width: listView.width
                    height: 20
                    color: macroName === dialog.chosenName ? "#b03b3b" : (choiceArea.containsMouse ? "#4f1717"
                                                                                                     : "transparent")
                    Text {
                        x: 8
                        anchors.verticalCenter: parent.verticalCenter
                        text: macroName
                        color: mainIten.fontColor
                        font.family: mainIten.fontFamily
                        font.pixelSize: mainIten.fontNormalSize
                    }
                    MouseArea {
                        id: choiceArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: {
                            dialog.choose(index)
                            nameList.visible = false
                        }
                    }
                }
            }
        }
    }
}
