pragma ComponentBehavior: Bound
import QtQuick
import "keyCodes.js" as KeyCodes
import "gunCode.js" as GunCode

// "Button Assignment": one row per physical button with the function it has. The panel keeps all 32
// entries of the current profile's key table, rows or not, and sends the whole table on Save.
Frame {
    id: panel
    // The gun and macro managers, whose entries the buttons run.
    required property var gunControl
    required property var macroEditor
    // The gun page is offered (the application settings ask for it).
    property bool gunPageShown: false
    // Off while the pages only show again what the program has already written to the mouse.
    property bool writesMacrosOnLoad: true
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
    // A gun key entry: [gunTypeData, 0, mark, link]; the bound form carries GunCode.kGunKeyMark.
    readonly property int gunRowMark: 0x01

    signal clickKeyMatrix(int index)
    signal enterBtn(int index)
    signal leaveBtn(int index)

    function entryText(entry) {
        return KeyCodes.keyCodetoText(entry[0], entry[1], entry[2], entry[3], keyMatrixLang, panel.theme.language,
                                      function (key) { return String(panel.bridge.getMacroKey(key)) })
    }

    // Gun key rows show the gun they play (initGunKeyShow), not a function name.
    function isGunRow(entry) {
        return entry[0] === gunTypeData && (entry[2] === gunRowMark || entry[2] === GunCode.kGunKeyMark)
    }

    function init(isSendData) {
        var entries = []
        var texts = []
        var asRead = []
        for (var key = 0; key < keyCount; ++key) {
            var stored = panel.bridge.getKeydefine(key)
            let bytes = []
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
        if (panel.gunPageShown) {
            panel.gunControl.readGunData()
            panel.gunControl.setGunMenuName()
        }
        initGunKeyShow()
        // A button's macro is written to its slot whenever the panel loads, so the mouse plays what the
        // profile says even when the table itself is not sent.
        for (key = 0; key < keyCount && panel.writesMacrosOnLoad; ++key) {
            if (entries[key][0] === macroTypeData)
                panel.macroEditor.sendMacro(entries[key][2], String(panel.bridge.getMacroKey(entries[key][2])))
        }
        if (!isSendData)
            return
        panel.bridge.ui_0DH_SetKeyMatrix(asRead)
        if (panel.gunPageShown) {
            panel.gunControl.sendGunMacro()
            setGunKeyMatrix()
        }
    }

    function loadGunSlots() {
        var stored = panel.bridge.getselectGunKey()
        let slots = []
        // A profile that never bound a gun key stores nothing (or empty text) here: unbound, run type 2.
        for (let slot = 0; slot < GunCode.kGunSlotCount; ++slot)
            slots.push({ key: GunCode.keyIndexOf(stored[slot]), type: GunCode.runTypeOf({ type: stored[slot + 3] }) })
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
        panel.bridge.ui_0DH_SetKeyMatrix(KeyCodes.flattenKeyTable(modKeysVar))
        if (panel.gunPageShown)
            setGunKeyMatrix()
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
        let slots = []
        for (let slot = 0; slot < GunCode.kGunSlotCount; ++slot) {
            var bound = gunKeyDataEx[slot]
            slots.push({ key: bound.key === gunKeyIndex ? -1 : bound.key, type: bound.type })
        }
        gunKeyDataEx = slots
        panel.gunControl.setGunMenuName()
        storeGunSlots()
    }

    function storeGunSlots() {
        var slots = gunKeyDataEx
        panel.bridge.setSelectGunKey([slots[0].key, slots[1].key, slots[2].key, slots[0].type, slots[1].type,
                                 slots[2].type])
    }

    // ---- gun keys ----

    // The gun menu entries of a slot for the key (0 Assignment, 1 Enable, 2 Disable).
    function gunKeyMenuControl(gunIndex, keyIndex) {
        return GunCode.gunMenuEntries(gunKeyDataEx, keyIndex)[gunIndex]
    }

    // The key's entry leads from the normal table into the cycle of the slots bound to it.
    function linkGunKey(keyIndex) {
        if (keyIndex < 0 || keyIndex >= keyCount)
            return
        var entries = modKeysVar.slice()
        entries[keyIndex] = [gunTypeData, 0x00, GunCode.kGunKeyMark, GunCode.cycleLinks(gunKeyDataEx, keyIndex)[0]]
        modKeysVar = entries
    }

    function openGunKeyProc(keyIndex, gunIndex, gunType) {
        var current = modKeysVar[keyIndex]
        // The last left button keeps its function, as with every other assignment.
        if (current === undefined
                || (KeyCodes.isLeftButton(current[0], current[1], current[2], current[3]) && checkLeftKey() < 2))
            return false
        var slots = gunKeyDataEx.slice()
        slots[gunIndex] = { key: keyIndex, type: Number(gunType) }
        gunKeyDataEx = slots
        linkGunKey(keyIndex)
        storeGunSlots()
        isSave = true
        return true
    }

    function closeGunKeyProc(gunKeyIndex, gunIndex) {
        var slots = gunKeyDataEx.slice()
        slots[gunIndex] = { key: -1, type: slots[gunIndex].type }
        gunKeyDataEx = slots
        linkGunKey(gunKeyIndex)
        storeGunSlots()
        panel.gunControl.setGunData(gunIndex, panel.gunControl.fallbackGun)
        panel.gunControl.setGunMenuName()
        initGunKeyShow()
        isSave = true
    }

    function gunNames() {
        return [panel.gunControl.getGunName(0), panel.gunControl.getGunName(1), panel.gunControl.getGunName(2)]
    }

    function initGunKeyShow() {
        var names = gunNames()
        for (var key = 0; key < keyCount; ++key) {
            if (isGunRow(modKeysVar[key]))
                controlGunShow(key, GunCode.gunRowText(gunKeyDataEx, key, names, panel.theme.language))
        }
    }

    function controlGunShow(keyIndex, keyString) {
        setText(keyIndex, keyString, 0)
    }

    // Slot t's table (t = 1-3) goes to the mouse as key table t.
    function setGunKeyMatrix() {
        var tables = GunCode.gunKeyTables(modKeysVar, gunKeyDataEx)
        for (var t = 1; t <= tables.length; ++t)
            panel.bridge.ui_0DH_SetGunKeyMatrix(tables[t - 1], t)
    }

    // The rows show the gun page's names, which already carry the new one.
    function modifyGunName(oldName, newName) {
        initGunKeyShow()
    }

    Column {
        x: 4
        y: 4
        Repeater {
            model: KeyCodes.keyRows.filter(function (row) { return row.side === panel.isSide })
            delegate: Rectangle {
                id: keyRow
                required property var modelData
                objectName: "keyRow" + keyRow.modelData.key
                width: 234
                height: panel.isSide ? 21 : 22
                color: rowArea.containsMouse ? "#4f1717" : "transparent"
                Text {
                    x: 6
                    anchors.verticalCenter: parent.verticalCenter
                    text: KeyCodes.rowLabel(keyRow.modelData.key, panel.keyMatrixLang)
                    color: panel.theme.fontColor
                    font.family: panel.theme.fontFamily
                    font.pixelSize: panel.theme.fontNormalSize
                }
                Text {
                    objectName: "keyText" + keyRow.modelData.key
                    anchors.right: parent.right
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    width: 130
                    horizontalAlignment: Text.AlignRight
                    elide: Text.ElideRight
                    text: panel.keyTexts[keyRow.modelData.key] !== undefined ? panel.keyTexts[keyRow.modelData.key] : ""
                    color: "#fa6726"
                    font.family: panel.theme.fontFamily
                    font.pixelSize: panel.theme.fontNormalSize
                }
                MouseArea {
                    id: rowArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: panel.enterBtn(keyRow.modelData.key)
                    onExited: panel.leaveBtn(keyRow.modelData.key)
                    onClicked: panel.clickKeyMatrix(keyRow.modelData.key)
                }
            }
        }
    }
}
