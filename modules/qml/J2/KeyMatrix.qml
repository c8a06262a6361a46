import QtQuick
import "keyCodes.js" as KeyCodes

// "Button Assignment": one row per physical button with the function it has. The panel keeps all 32
// entries of the current profile's key table, rows or not, and sends the whole table on Save.
Frame {
    id: panel
    title: keyMatrixLang[3]
    contentHeight: isSide ? 266 : 162

    property bool isSave: false
    property bool isSide: false
    // The key table: 32 entries of four bytes, in key-index order.
    property var modKeysVar: []
    property var keyTexts: []
    // The three gun slots: the key index each is bound to (-1 none) and its type.
    property var gunKeyDataEx: [{ key: -1, type: 2 }, { key: -1, type: 2 }, { key: -1, type: 2 }]
    property var keyMatrixLang: ["Macro: ", "Deactivated", "Keyboard Key-", "Button Assignment", "Button ",
                                 "Fire Key", "Shift", "", "", ""]
    readonly property var defalutValue: KeyCodes.defalutValue
    readonly property int keyCount: 32
    readonly property int macroTypeData: 0x09
    readonly property int gunTypeData: 0x08
    readonly property int gunRowMark: 0x01

    signal clickKeyMatrix(int index)
    signal enterBtn(int index)
    signal leaveBtn(int index)

    function entryText(entry) {
        return KeyCodes.keyCodetoText(entry[0], entry[1], entry[2], entry[3], keyMatrixLang, mainIten.language,
                                      function (key) { return String(ui_View.getMacroKey(key)) })
    }

    function isGunRow(entry) {
        return entry[0] === gunTypeData && entry[2] === gunRowMark
    }

    function init(isSendData) {
        var entries = []
        var texts = []
        var asRead = []
        for (var key = 0; key < keyCount; ++key) {
            var stored = ui_View.getKeydefine(key)
            var bytes = []
            for (var b = 0; b < 4; ++b)
                bytes.push(stored[b] !== undefined ? Number(stored[b]) : 0)
            asRead = asRead.concat(bytes)
            var entry = KeyCodes.loadedEntry(bytes)
            entries.push(entry)
            texts.push(entryText(entry))
        }
        modKeysVar = entries
        keyTexts = texts
        loadGunSlots()
        // A button's macro is written to its slot whenever the panel loads, so the mouse plays what the
        // profile says even when the table itself is not sent.
        for (key = 0; key < keyCount; ++key) {
            if (entries[key][0] === macroTypeData)
                macroEditorMain.sendMacro(entries[key][2], String(ui_View.getMacroKey(entries[key][2])))
        }
        if (isSendData)
            ui_View.ui_0DH_SetKeyMatrix(asRead)
    }

    function loadGunSlots() {
        var stored = ui_View.getselectGunKey()
        var slots = []
        // A profile that never bound a gun key stores nothing (or empty text) here: unbound, run type 2.
        function storedNumber(value, otherwise) {
            var number = parseInt(value, 10)
            return isNaN(number) ? otherwise : number
        }
        for (var slot = 0; slot < 3; ++slot)
            slots.push({ key: storedNumber(stored[slot], -1), type: storedNumber(stored[slot + 3], 2) })
        gunKeyDataEx = slots
    }

    function refreashUI() {
        var texts = keyTexts.slice()
        for (var key = 0; key < keyCount; ++key) {
            if (!isGunRow(modKeysVar[key]))
                texts[key] = entryText(modKeysVar[key])
        }
        keyTexts = texts
        isSave = true
    }

    function saveData() {
        ui_View.ui_0DH_SetKeyMatrix(KeyCodes.flattenKeyTable(modKeysVar))
    }

    // How many buttons act as the left button: the last one may not be given another function.
    function checkLeftKey() {
        var count = 0
        for (var key = 0; key < keyCount; ++key) {
            var entry = modKeysVar[key]
            if (KeyCodes.isLeftButton(entry[0], entry[1], entry[2], entry[3]))
                ++count
        }
        return count
    }

    function modifyData(index, tmp0, tmp1, tmp2, tmp3) {
        if (index < 0 || index >= keyCount)
            return
        var current = modKeysVar[index]
        if (KeyCodes.isLeftButton(current[0], current[1], current[2], current[3]) && checkLeftKey() < 2)
            return
        var entries = modKeysVar.slice()
        entries[index] = [tmp0, tmp1, tmp2, tmp3]
        modKeysVar = entries
    }

    function keyCodetoText(tmp0, tmp1, tmp2, tmp3) {
        return entryText([tmp0, tmp1, tmp2, tmp3])
    }

    function setText(index, txt, tag) {
        var texts = keyTexts.slice()
        texts[index] = txt
        keyTexts = texts
    }

    function getx(index) {
        return 249
    }

    function gety(index) {
        return KeyCodes.menuY(index)
    }

    function keyDisplay(side) {
        isSide = side
    }

    // A deleted macro leaves the top rows that played it with their factory function.
    function deleteMacroProc(macroName) {
        var shown = keyMatrixLang[0] + macroName
        var changed = false
        for (var i = 0; i < KeyCodes.keyRows.length; ++i) {
            var row = KeyCodes.keyRows[i]
            if (row.side || keyTexts[row.key] !== shown)
                continue
            var bytes = KeyCodes.bytesOfHex(defalutValue[row.key])
            modifyData(row.key, bytes[0], bytes[1], bytes[2], bytes[3])
            changed = true
        }
        if (changed)
            refreashUI()
    }

    // A button that gets another function is no longer a gun key.
    function cancelGunKeyFun(gunKeyIndex) {
        var slots = []
        for (var slot = 0; slot < 3; ++slot) {
            var bound = gunKeyDataEx[slot]
            slots.push({ key: bound.key === gunKeyIndex ? -1 : bound.key, type: bound.type })
        }
        gunKeyDataEx = slots
        ui_View.setSelectGunKey([slots[0].key, slots[1].key, slots[2].key, slots[0].type, slots[1].type,
                                 slots[2].type])
    }

    Column {
        x: 4
        y: 4
        Repeater {
            model: KeyCodes.keyRows.filter(function (row) { return row.side === panel.isSide })
            delegate: Rectangle {
                objectName: "keyRow" + modelData.key
                width: 234
                height: panel.isSide ? 21 : 22
                color: rowArea.containsMouse ? "#4f1717" : "transparent"
                Text {
                    x: 6
                    anchors.verticalCenter: parent.verticalCenter
                    text: KeyCodes.rowLabel(modelData.key, panel.keyMatrixLang)
                    color: mainIten.fontColor
                    font.family: mainIten.fontFamily
                    font.pixelSize: mainIten.fontNormalSize
                }
                Text {
                    objectName: "keyText" + modelData.key
                    anchors.right: parent.right
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    width: 130
                    horizontalAlignment: Text.AlignRight
                    elide: Text.ElideRight
                    text: panel.keyTexts[modelData.key] !== undefined ? panel.keyTexts[modelData.key] : ""
                    color: "#fa6726"
                    font.family: mainIten.fontFamily
                    font.pixelSize: mainIten.fontNormalSize
                }
                MouseArea {
                    id: rowArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: panel.enterBtn(modelData.key)
                    onExited: panel.leaveBtn(modelData.key)
                    onClicked: panel.clickKeyMatrix(modelData.key)
                }
            }
        }
    }
}
