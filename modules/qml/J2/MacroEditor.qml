import QtQuick
import "macroCode.js" as MacroCode

// The "Macro Manager": macros are created, named, recorded from the keyboard, edited and deleted here.
// Every change is saved at once and re-sent to each button slot that plays the macro.
ActionEditor {
    id: macroEditor
    // The key assignment panel, whose rows show the macros' names.
    required property var keyMatrix
    macroEditorLang: ["Macro Manager", "Macro", "Sequence", "Options", "Start Record", "Stop Record", "Rec Time",
                      "Loops Timer", "New", "Delete", "OK", "Cancel", "Delete", "Insert Left Button",
                      "Insert Middle Button", "Insert Right Button", "Insert Delay", "", "", ""]
    // A button's slot holds 128 bytes: the repeat count, this many records and the end marker.
    readonly property int maxEncodedLength: 126

    signal deleteMacroSignal(string macroName)

    function init() {
        loadList()
    }

    function libraryIndex(name) { return macroEditor.bridge.loadMacroIndex(name) }
    function libraryType(name) { return macroEditor.bridge.loadMacroType(name) }
    function libraryCreate(name, index) { return macroEditor.bridge.createMacroIni(name, index) === true }
    function libraryRename(oldName, newName) { return macroEditor.bridge.modifyMacroName(oldName, newName) === true }
    function libraryDelete(name) { macroEditor.bridge.deleteMacroIni(name) }
    function librarySetIndex(name, index) { macroEditor.bridge.setMacroIndex(name, index) }
    function libraryLines(name) { return macroEditor.bridge.loadMacroIni(name) }
    function librarySave(name, lines, bytes, repeat) { macroEditor.bridge.saveMacroIni(name, lines, bytes, repeat) }
    function encode(actionList, repeat) { return MacroCode.deCode(actionList, repeat) }

    function deCode(modelParam) {
        return encode(actionArray(modelParam), repeatCount())
    }

    function recordCount() {
        return MacroCode.recordCount(actionArray(actionListModel))
    }

    function roomForMore() {
        return recordCount() < maxEncodedLength
    }

    function beforeDelete(index, name) {
        deleteMacroSignal(name)
    }

    // The buttons that played a later macro follow it down one place.
    function afterDelete(removed) {
        macroEditor.bridge.changeMacroFileIndex(removed + 1)
    }

    function afterRename(oldName, newName) {
        macroEditor.keyMatrix.refreashUI()
    }

    function afterSave(name) {
        var users = macroEditor.bridge.isMacroUse(name)
        for (var i = 1; i < users.length; ++i)
            sendMacro(Number(users[i]), name)
    }

    // Writes a macro into the device slot of a button (slot index + 1). The repeat field shows the count
    // that went with it.
    function sendMacro(index, macroName) {
        var stored = storedEntry(macroName)
        if (stored.repeatText !== "")
            repeatText = stored.repeatText
        macroEditor.bridge.sendMacroData(encode(stored.actions, stored.repeat), index)
    }
}
