import QtQuick
import "gunCode.js" as GunCode

// The "Gun Macro" manager: the macro manager's twin for guns, sequences that may also move the cursor.
// Three gun slots each hold one gun; a gun key switches the mouse into the slots' key tables, where the
// left button plays the slot's gun. Every change is saved at once and the three slots are re-sent.
ActionEditor {
    id: gunControl
    // The key assignment panel, whose button rows the gun slots are bound to, and its function menu.
    required property var keyMatrix
    required property var keyMenu
    // A message for the frame to show beside the bottom bar.
    signal hint(string text)
    macroEditorLang: ["Gun Macro", "Gun", "Sequence", "Options", "Start Record", "Stop Record", "Rec Time",
                      "Loops Timer", "New", "Delete", "OK", "Cancel", "Delete", "Insert Left Button",
                      "Insert Middle Button", "Insert Right Button", "Insert Delay", "Insert Key", "Insert Mouse",
                      "Insert Cursor", "Insert Key", "Please input key:", "Insert delay", "please input delay:",
                      "Insert Cursor offset", "X axis", "Y axis", "Insert Mouse", "", ""]
    nameListType: 1
    newNamePrefix: "Gun_"
    partTag: "gun"
    menuCommandCount: 8

    // The next key event goes to the insert-key dialog.
    property bool isInsertting: false
    // Per gun slot, the gun list index of the gun it holds.
    property var gunDataEx: [0, 0, 0]
    readonly property int builtInGuns: 3
    readonly property int fallbackGun: 2
    readonly property int gunSlotsIndex: 5
    readonly property int insertKeyCommand: 5
    readonly property int insertMouseCommand: 6
    readonly property int insertCursorCommand: 7

    function init(isSendData) {
        loadList()
        readGunData()
        setGunMenuName()
        gunControl.keyMatrix.initGunKeyShow()
        if (isSendData)
            sendGunMacro()
    }

    // ---- the gun library ----

    readonly property string tooLongText: "too long for the mouse's gun slots, not written"

    function libraryIndex(name) { return gunControl.bridge.loadGunIndex(name) }
    function libraryType(name) { return gunControl.bridge.loadGunType(name) }
    function libraryCreate(name, index) { return gunControl.bridge.createGunIni(name, index) === true }
    function libraryRename(oldName, newName) { return gunControl.bridge.modifyGunName(oldName, newName) === true }
    function libraryDelete(name) { gunControl.bridge.deleteGunIni(name) }
    function librarySetIndex(name, index) { gunControl.bridge.setGunIndex(name, index) }
    function libraryLines(name) { return gunControl.bridge.loadGunIni(name) }
    function librarySave(name, lines, bytes, repeat) { gunControl.bridge.saveGunIni(name, lines, bytes, repeat) }
    function encode(actionList, repeat) { return GunCode.deCode(actionList, repeat) }

    function deCode(modelParam, loopTimes) {
        return encode(actionArray(modelParam), loopTimes)
    }

    // A gun must fit the mouse's slots for it: recording and inserting stop while one more key press with a
    // long pause would not fit any more.
    function roomForMore() {
        var more = actionArray(actionListModel).concat([{ type: 0, info: "100000" }, { type: 1, info: "A" },
                                                { type: 2, info: "A" }])
        return GunCode.slotChunks(encode(more, 1), 1).length > 0
    }

    // The built-in guns stay.
    function canDelete(index) {
        return index >= builtInGuns
    }

    // A slot that holds the gun lets go of its key first.
    function beforeDelete(index, name) {
        deleteGuntoGunKey(index)
    }

    // The other profiles release their slots of the gun; here the slots that held it fall back to the
    // last built-in gun and those holding a later gun follow it down one place.
    function afterDelete(removed) {
        gunControl.bridge.upDateDeleteGun(removed)
        gunDataEx = gunDataEx.map(function (gun) {
            return gun === removed ? fallbackGun : (gun > removed ? gun - 1 : gun)
        })
        gunControl.bridge.setSelectGun(gunDataEx)
        setGunMenuName()
        gunControl.keyMatrix.initGunKeyShow()
    }

    function afterRename(oldName, newName) {
        gunControl.keyMatrix.modifyGunName(oldName, newName)
        setGunMenuName()
    }

    function afterSave(name) {
        sendGunMacro()
    }

    // ---- gun slots ----

    function readGunData() {
        var stored = gunControl.bridge.getselectGun()
        let slots = []
        for (let slot = 0; slot < GunCode.kGunSlotCount; ++slot) {
            // A profile that never chose stores nothing: the first gun, as the other profiles read it.
            var gun = parseInt(stored[slot], 10)
            slots.push(isNaN(gun) || gun < 0 ? 0 : gun)
        }
        gunDataEx = slots
    }

    function setGunData(index, val) {
        var slots = gunDataEx.slice()
        slots[index] = Number(val)
        gunDataEx = slots
    }

    function getGunName(index) {
        return getMacroName(gunDataEx[index])
    }

    function getMacroName(index) {
        return index >= 0 && index < macroListModel.count ? macroListModel.get(index).macroName : ""
    }

    // Records the slots and writes the guns of the slots bound to a key to the mouse. A slot no key plays
    // is not written: its device slots may hold a button's macro.
    function sendGunMacro() {
        gunControl.bridge.setSelectGun(gunDataEx)
        var names = []
        for (var slot = 0; slot < GunCode.kGunSlotCount; ++slot)
            names.push(gunControl.keyMatrix.gunKeyDataEx[slot].key >= 0 ? getGunName(slot) : "")
        sendMacro(gunSlotsIndex, names[0], names[1], names[2])
    }

    // Gun g goes to the device slots from index + 5g + 1 on, cut into linked chunks when it is long; a gun
    // too long for its five slots is not written.
    function sendMacro(index, macroName0, macroName1, macroName2) {
        var names = [macroName0, macroName1, macroName2]
        for (var g = 0; g < names.length; ++g) {
            if (names[g] === "")
                continue
            var stored = storedEntry(names[g])
            var chunks = GunCode.slotChunks(encode(stored.actions, stored.repeat),
                                            index + GunCode.kSlotsPerGun * g + 1)
            // The mouse keeps the gun it had: the user must know the page's version is not on it.
            if (chunks.length === 0)
                gunControl.hint(names[g] + ": " + tooLongText)
            for (var c = 0; c < chunks.length; ++c)
                gunControl.bridge.sendMacroData(chunks[c].bytes, chunks[c].slot - 1)
        }
    }

    // The key menu's gun entries carry the names of the guns in bound slots.
    function setGunMenuName() {
        var labels = []
        for (var slot = 0; slot < GunCode.kGunSlotCount; ++slot)
            labels.push(gunControl.keyMatrix.gunKeyDataEx[slot].key >= 0 ? getGunName(slot) : "")
        gunControl.keyMenu.setGunMenuName(labels[0], labels[1], labels[2])
    }

    function deleteGuntoGunKey(index) {
        for (var slot = 0; slot < GunCode.kGunSlotCount; ++slot) {
            var key = gunControl.keyMatrix.gunKeyDataEx[slot].key
            if (gunDataEx[slot] === index && key >= 0)
                gunControl.keyMatrix.closeGunKeyProc(key, slot)
        }
    }

    // ---- editing: a cursor step's X and Y stay together ----

    function removeAction(index) {
        setActions(GunCode.removeAt(actionArray(actionListModel), index))
        currentAction = Math.min(index, actionListModel.count - 1)
    }

    function insertActions(list) {
        setActions(GunCode.insertAfter(actionArray(actionListModel), currentAction, list))
    }

    function insertDelay(ms) {
        var result = GunCode.insertDelayAt(actionArray(actionListModel), currentAction, ms)
        setActions(result.actions)
        currentAction = result.index
    }

    function extraMenuCommand(cmd) {
        if (cmd === insertKeyCommand) {
            insertDialog.open(insertDialog.kKey)
            isInsertting = true
        } else if (cmd === insertMouseCommand) {
            insertDialog.open(insertDialog.kMouse)
        } else if (cmd === insertCursorCommand) {
            insertDialog.open(insertDialog.kCursor)
        }
    }

    // The menu's "Insert Delay" asks for the delay first.
    function insertDelayCommand() {
        insertDialog.open(insertDialog.kDelay)
        return false
    }

    // A dialog left open goes with the page (its own visibility already reads false with the page's).
    onVisibleChanged: {
        if (!visible)
            insertDialog.close()
    }

    function detectInput(isDown, usbCode) {
        if (insertDialog.visible && insertDialog.kind === insertDialog.kKey)
            insertDialog.showInput(usbCode)
    }

    GunInsertDialog {
        bridge: gunControl.bridge
        theme: gunControl.theme
        id: insertDialog
        objectName: "gunInsertDialog"
        labels: gunControl.macroEditorLang
        onAccepted: function (newActions) {
            if (newActions.length === 1 && newActions[0].type === 0)
                gunControl.insertDelay(newActions[0].info)
            else
                gunControl.insertActions(newActions)
            gunControl.autoSave()
        }
        onClosed: gunControl.isInsertting = false
    }
}
