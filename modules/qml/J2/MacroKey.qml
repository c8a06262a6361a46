pragma ComponentBehavior: Bound
import QtQuick
import "../common"
import "gunCode.js" as GunCode

// Assigns a recorded macro, with how it runs, to the selected button, and writes it to the button's slot
// at once.
DialogPanel {
    id: dialog
    // The panels a chosen macro or gun goes to, the mouse picture with the selected button, and the
    // frame's question before a gun takes a button's macro.
    required property var gunControl
    required property var macroEditor
    required property var keyMatrix
    required property var mouse
    required property var gunSlotSure
    // Shown over the window (the frame lays its mask under it).
    signal opened()
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
    readonly property var choices: uiType === 1 ? dialog.gunControl.macroListModel : dialog.macroEditor.macroListModel

    signal closeSure()

    function showUI() {
        // A gun plays while its button is held unless the user says otherwise.
        macroType = uiType === 1 ? 2 : 0
        shownName = selectedName()
        nameList.visible = false
        x = (dialog.theme.frameWidth - width) / 2
        y = (dialog.theme.frameHeight - height) / 2
        visible = true
        opened()
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
        var first = dialog.gunControl.gunSlotsIndex + GunCode.kSlotsPerGun * slot
        for (var key = first; key < first + GunCode.kSlotsPerGun; ++key) {
            var entry = dialog.keyMatrix.modKeysVar[key]
            if (entry !== undefined && Number(entry[0]) === 0x09)
                rows.push(key)
        }
        return rows
    }

    function accept() {
        var name = selectedName()
        var key = dialog.mouse.selectKey
        // A gun that would take a macro's place in the mouse is bound only once the user agreed.
        if (name !== "" && uiType === 1 && macroRowsUnderGunSlot(gunIndex).length > 0 && !dialog.gunSlotSure.visible) {
            dialog.gunSlotSure.rows = macroRowsUnderGunSlot(gunIndex)
            dialog.gunSlotSure.placeAtStart()
            dialog.gunSlotSure.visible = true
            return
        }
        dialog.gunSlotSure.visible = false
        if (name !== "" && uiType === 0) {
            dialog.bridge.setMacroKey(key, name)
            dialog.keyMatrix.modifyData(key, 0x09, macroType, key, 0x00)
            dialog.keyMatrix.refreashUI()
            dialog.macroEditor.sendMacro(key, name)
        } else if (name !== "" && uiType === 1 && dialog.keyMatrix.openGunKeyProc(key, gunIndex, macroType)) {
            dialog.gunControl.setGunData(gunIndex, listSelection())
            dialog.gunControl.setGunMenuName()
            dialog.keyMatrix.initGunKeyShow()
            dialog.gunControl.sendGunMacro()
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
        y: 12
        text: dialog.macroKeyLang[1]
        color: dialog.theme.fontColor
        font.family: dialog.theme.fontFamily
        font.pixelSize: dialog.theme.fontNormalSize
    }
    Column {
        x: 20
        y: 76
        spacing: 6
        Repeater {
            model: 3
            delegate: RadioOption {
                id: runTypeOption
                theme: dialog.theme
                required property int index
                objectName: "macroRunType" + runTypeOption.index
                label: dialog.macroKeyLang[2 + runTypeOption.index]
                group: "lightControl"
                imageOn: "lightControlBtn1"
                imageOff: "lightControlBtn0"
                checked: dialog.macroType === runTypeOption.index
                onClicked: dialog.macroType = runTypeOption.index
            }
        }
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 14
        y: 184
        spacing: 10
        DialogButton {
            theme: dialog.theme
            objectName: "macroKeyOk"
            label: dialog.macroKeyLang[5]
            onClicked: dialog.accept()
        }
        DialogButton {
            theme: dialog.theme
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
            font.family: dialog.theme.fontFamily
            font.pixelSize: dialog.theme.fontNormalSize
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
                    id: choiceRow
                    required property int index
                    required property string macroName
                    objectName: "macroNameChoice" + choiceRow.index
                    width: listView.width
                    height: 20
                    color: choiceRow.macroName === dialog.chosenName ? "#b03b3b" : (choiceArea.containsMouse ? "#4f1717"
                                                                                                     : "transparent")
                    Text {
                        x: 8
                        anchors.verticalCenter: parent.verticalCenter
                        text: choiceRow.macroName
                        color: dialog.theme.fontColor
                        font.family: dialog.theme.fontFamily
                        font.pixelSize: dialog.theme.fontNormalSize
                    }
                    MouseArea {
                        id: choiceArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: {
                            dialog.choose(choiceRow.index)
                            nameList.visible = false
                        }
                    }
                }
            }
        }
    }
}
