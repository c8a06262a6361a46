pragma ComponentBehavior: Bound
import QtQuick
import "names.js" as Names
import "../common"
import "keyCodes.js" as KeyCodes
import "macroCode.js" as MacroCode

// What the macro and gun managers share: a named list of action sequences kept in a library of files,
// recorded from the keyboard, edited through a context menu and saved at once on every change. Each
// manager says which library it keeps, how its sequences are encoded and sent, and what else a new,
// renamed or deleted entry touches, by overriding the hooks below.
DialogPanel {
    id: editor
    width: 600
    height: 430
    title: macroEditorLang[0]

    property bool isInputting: false
    property var macroEditorLang: []
    property alias macroListModel: macros
    property alias actionListModel: actions
    property alias repeatText: repeatField.text
    property int currentMacro: -1
    property int currentAction: -1
    // The macro or delay being renamed or edited inline, -1 when none.
    property int editingMacro: -1
    property int editingDelay: -1
    property bool recordTime: false
    property int recordTicks: 0
    readonly property int maxMacros: 100
    readonly property string placeholderName: "loaderkorvid"
    // Which name list the entries' names are kept in, and how a new entry is called.
    property int nameListType: 0
    property string newNamePrefix: "Macro_"
    // Prefixes the names of the editor's parts, so that two editors in one scene can be told apart.
    property string partTag: ""
    // The context menu's entries: label macroEditorLang[12 + command] for each command.
    property int menuCommandCount: 5

    signal listViewFocus()
    // A text field is done: the frame takes the keyboard focus back.
    signal giveFocusBack()

    function partName(name) {
        return partTag === "" ? name : partTag + name.charAt(0).toUpperCase() + name.substring(1)
    }

    // ---- hooks: the library an editor keeps, and what its changes touch ----

    function libraryIndex(name) { return 0 }
    function libraryType(name) { return 0 }
    // Both answer whether the library took the name (a name it cannot store as a file is refused).
    function libraryCreate(name, index) { return true }
    function libraryRename(oldName, newName) { return true }
    function libraryDelete(name) {}
    function librarySetIndex(name, index) {}
    function libraryLines(name) { return [] }
    function librarySave(name, lines, bytes, repeat) {}
    function encode(actionList, repeat) { return [] }
    function roomForMore() { return true }
    function canDelete(index) { return true }
    function beforeDelete(index, name) {}
    function afterDelete(removed) {}
    function afterRename(oldName, newName) {}
    function afterSave(name) {}
    // Commands of the context menu beyond deleting an action and inserting clicks and a delay.
    function extraMenuCommand(cmd) {}
    // The menu's "Insert Delay"; false when nothing changed yet.
    function insertDelayCommand() {
        insertDelay(50)
        return true
    }
    // Types 5 and 6 are the gun page's cursor steps.
    function actionPicture(type) {
        if (type === 5 || type === 6)
            return "cursor"
        return type === 0 ? "delay" : (type === 1 || type === 3 ? "press" : "release")
    }
    // A cursor step shows its axis label (the gun page's labels 25 and 26) before the offset.
    function actionText(type, info) {
        if (type === 5 || type === 6)
            return macroEditorLang[type === 5 ? 25 : 26] + " " + info
        return type === 0 ? info + " ms" : info
    }

    ListModel { id: macros }
    ListModel { id: actions }

    Timer {
        id: recordClock
        interval: 10
        repeat: true
        onTriggered: editor.recordTicks += 1
    }

    // ---- the macro list ----

    // The list from the library's name list, in library order.
    function loadList() {
        macros.clear()
        var names = editor.bridge.getNameList(nameListType)
        if (names.length === 2 && String(names[1]) === placeholderName)
            names = [names[0]]
        for (var i = 0; i < names.length; ++i) {
            var name = String(names[i])
            var index = Number(libraryIndex(name))
            var at = 0
            while (at < macros.count && macros.get(at).no <= index)
                ++at
            macros.insert(at, { macroName: name, no: index, macroType: Number(libraryType(name)) })
        }
        contextMenu.commandCount = menuCommandCount
    }

    function showNameHint(text) {
        nameHint.text = text
        nameHint.visible = true
        nameHintTimer.restart()
    }

    function allNames() {
        var names = []
        for (let i = 0; i < macros.count; ++i)
            names.push(macros.get(i).macroName)
        return names
    }

    function getCurrentMacroName() {
        return currentMacro >= 0 && currentMacro < macros.count ? macros.get(currentMacro).macroName : ""
    }

    function getMacroType(index) {
        return index >= 0 && index < macros.count ? macros.get(index).macroType : 0
    }

    function selectMacro(index) {
        commitEdits()
        currentMacro = index
        currentAction = -1
        loadActions()
    }

    function newMacro() {
        commitEdits()
        if (macros.count >= maxMacros)
            return
        var names = allNames()
        var number = 0
        while (names.indexOf(newNamePrefix + number) >= 0)
            ++number
        var name = newNamePrefix + number
        var count = macros.count
        // Nothing new is shown unless the library could make its file.
        if (!libraryCreate(name, count)) {
            showNameHint(Names.notStoredText)
            return
        }
        macros.append({ macroName: name, no: count, macroType: 0 })
        currentMacro = macros.count - 1
        loadActions()
        editor.bridge.updataNameList(nameListType, allNames())
    }

    // A refused rename keeps the old name everywhere and says why.
    function renameMacro(index, newName) {
        var oldName = macros.get(index).macroName
        if (newName === oldName)
            return
        var problem = Names.problem(newName, allNames())
        if (problem === "" && !libraryRename(oldName, newName))
            problem = Names.notStoredText
        if (problem !== "") {
            showNameHint(problem)
            return
        }
        macros.setProperty(index, "macroName", newName)
        editor.bridge.updataNameList(nameListType, allNames())
        afterRename(oldName, newName)
    }

    function deleteMacro() {
        commitEdits()
        if (currentMacro < 0 || currentMacro >= macros.count || !canDelete(currentMacro))
            return
        var removed = currentMacro
        var name = macros.get(removed).macroName
        beforeDelete(removed, name)
        libraryDelete(name)
        actions.clear()
        macros.remove(removed)
        for (var i = removed; i < macros.count; ++i)
            macros.setProperty(i, "no", macros.get(i).no - 1)
        currentMacro = Math.min(removed, macros.count - 1)
        for (i = 0; i < macros.count; ++i)
            librarySetIndex(macros.get(i).macroName, i)
        afterDelete(removed)
        editor.bridge.updataNameList(nameListType, allNames())
        if (currentMacro >= 0)
            loadActions()
    }

    // ---- the action list ----

    function loadActions() {
        actions.clear()
        var lines = libraryLines(getCurrentMacroName())
        var stored = MacroCode.storedEntry(lines)
        for (var i = 0; i < stored.actions.length; ++i)
            actions.append(stored.actions[i])
        if (lines.length > 0)
            repeatField.text = stored.repeatText
    }

    function setActions(list) {
        actions.clear()
        for (var i = 0; i < list.length; ++i)
            actions.append({ type: Number(list[i].type), info: String(list[i].info) })
    }

    function actionArray(model) {
        let list = []
        for (var i = 0; i < model.count; ++i)
            list.push({ type: model.get(i).type, info: model.get(i).info })
        return list
    }

    function getAllMacroActions() {
        return actionArray(actions).map(function (action) { return action.type + "," + action.info })
    }

    function repeatCount() {
        var value = parseInt(repeatField.text, 10)
        return isNaN(value) ? 1 : value
    }

    function autoSave() {
        var name = getCurrentMacroName()
        if (name === "")
            return
        librarySave(name, getAllMacroActions(), encode(actionArray(actions), repeatCount()), repeatCount())
        afterSave(name)
    }

    // A stored entry's actions and repeat count, as the device gets them.
    function storedEntry(name) {
        return MacroCode.storedEntry(libraryLines(name))
    }

    // ---- recording ----

    function toggleRecord() {
        commitEdits()
        if (recordClock.running) {
            stopRecord()
            autoSave()
            return
        }
        actions.clear()
        currentAction = -1
        recordTicks = 0
        recordClock.start()
        isInputting = currentMacro >= 0
    }

    function stopRecord() {
        recordClock.stop()
        isInputting = false
    }

    function detectKeyboard(isDown, usbCode) {
        if (!roomForMore())
            return
        var name = usbCode < 0xF0 ? KeyCodes.keycodeTostr(usbCode) : KeyCodes.mousecodeTostr(usbCode)
        if (actions.count > 0 && recordTime)
            actions.append({ type: 0, info: String(recordTicks * 10) })
        recordTicks = 0
        var mouse = usbCode >= 0xF0
        actions.append({ type: isDown ? (mouse ? 3 : 1) : (mouse ? 4 : 2), info: name })
        actionView.positionViewAtEnd()
    }

    // ---- the action list's context menu ----

    function macroMenuCmd(cmd) {
        contextMenu.visible = false
        if (cmd === 0) {
            removeAction(currentAction)
        } else if (cmd >= 1 && cmd <= 3) {
            if (!roomForMore())
                return
            var button = ["MS-L", "MS-M", "MS-R"][cmd - 1]
            insertActions([{ type: 3, info: button }, { type: 4, info: button }])
        } else if (cmd === 4) {
            if (!roomForMore() || !insertDelayCommand())
                return
        } else {
            extraMenuCommand(cmd)
            return
        }
        autoSave()
    }

    function removeAction(index) {
        if (index < 0 || index >= actions.count)
            return
        actions.remove(index)
        currentAction = Math.min(index, actions.count - 1)
    }

    // After the selected action; at the end when none or the last is selected.
    function insertActions(list) {
        var at = currentAction < 0 || currentAction >= actions.count - 1 ? actions.count : currentAction + 1
        for (var i = 0; i < list.length; ++i)
            actions.insert(at + i, list[i])
    }

    // Before the selected action (the first when none is), and selected.
    function insertDelay(ms) {
        var before = currentAction < 0 ? 0 : currentAction
        actions.insert(before, { type: 0, info: String(ms) })
        currentAction = before
    }

    function macroCmd(index) {
        if (index === 0)
            newMacro()
        else if (index === 1)
            deleteMacro()
        else if (index === 2)
            toggleRecord()
    }

    function commitEdits() {
        if (editingMacro >= 0)
            nameEditor.commit()
        if (editingDelay >= 0)
            delayEditor.commit()
        contextMenu.visible = false
    }

    function openContextMenu(at) {
        contextMenu.x = Math.min(at.x, editor.width - contextMenu.width)
        contextMenu.y = Math.min(at.y, editor.height - contextMenu.height)
        contextMenu.visible = true
    }

    function macroEditorFocus() {
        commitEdits()
        if (repeatField.activeFocus)
            editor.giveFocusBack()
    }

    function closeEditor() {
        commitEdits()
        stopRecord()
        visible = false
        dismissed()
        autoSave()
    }

    onCloseClicked: closeEditor()

    // A click on the dialog's own background ends inline edits.
    MouseArea {
        anchors.fill: parent
        onPressed: {
            editor.listViewFocus()
            editor.macroEditorFocus()
        }
    }

    component Heading: Text {
        color: editor.theme.fontColor
        font.family: editor.theme.fontFamily
        font.pixelSize: editor.theme.fontNormalSize
        font.bold: true
    }

    component ListBox: Rectangle {
        color: "#101010"
        border.color: "#4e3434"
    }

    component CheckOption: RadioOption {
        group: "dpiSetting"
        imageOn: "dpiSetting0"
        imageOff: "dpiSetting1"
    }

    // The macros.
    Heading { x: 16; y: 10; text: editor.macroEditorLang[1] }
    ListBox {
        x: 16
        y: 32
        width: 170
        height: 300
        ListView {
            id: macroView
            objectName: editor.partName("macroList")
            anchors.fill: parent
            anchors.margins: 1
            clip: true
            model: macros
            delegate: Rectangle {
                id: macroRow
                required property int index
                required property string macroName
                objectName: editor.partName("macroRow") + macroRow.index
                width: macroView.width
                height: 20
                color: macroRow.index === editor.currentMacro ? "#b03b3b" : (macroArea.containsMouse ? "#4f1717" : "transparent")
                Text {
                    x: 8
                    anchors.verticalCenter: parent.verticalCenter
                    visible: macroRow.index !== editor.editingMacro
                    text: macroRow.macroName
                    color: editor.theme.fontColor
                    font.family: editor.theme.fontFamily
                    font.pixelSize: editor.theme.fontNormalSize
                }
                MouseArea {
                    id: macroArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: editor.selectMacro(macroRow.index)
                    onDoubleClicked: {
                        editor.selectMacro(macroRow.index)
                        editor.editingMacro = macroRow.index
                    }
                }
            }
        }
        TextInput {
            id: nameEditor
            objectName: editor.partName("macroNameEditor")
            x: 8
            y: 1 + editor.editingMacro * 20 + 3 - macroView.contentY
            width: 150
            visible: editor.editingMacro >= 0
            color: editor.theme.fontColor
            selectionColor: "#761212"
            font.family: editor.theme.fontFamily
            font.pixelSize: editor.theme.fontNormalSize
            maximumLength: 40
            // Characters no file name may hold are refused as they are typed.
            validator: RegularExpressionValidator { regularExpression: Names.allowedPattern }
            function commit() {
                var index = editor.editingMacro
                editor.editingMacro = -1
                if (index >= 0 && index < macros.count)
                    editor.renameMacro(index, text.trim())
            }
            onVisibleChanged: {
                if (!visible)
                    return
                text = macros.get(editor.editingMacro).macroName
                selectAll()
                forceActiveFocus()
            }
            onAccepted: commit()
        }
        Text {
            id: nameHint
            objectName: editor.partName("nameHint")
            x: 8
            y: macroView.height - height - 4
            width: 150
            visible: false
            wrapMode: Text.WordWrap
            color: "#e05050"
            font.family: editor.theme.fontFamily
            font.pixelSize: editor.theme.fontNormalSize
            Timer {
                id: nameHintTimer
                interval: 4000
                onTriggered: nameHint.visible = false
            }
        }
    }
    Row {
        x: 16
        y: 340
        spacing: 10
        DialogButton {
            theme: editor.theme
            objectName: editor.partName("macroNew")
            width: 80
            label: editor.macroEditorLang[8]
            onClicked: editor.macroCmd(0)
        }
        DialogButton {
            theme: editor.theme
            objectName: editor.partName("macroDelete")
            width: 80
            label: editor.macroEditorLang[9]
            onClicked: editor.macroCmd(1)
        }
    }

    // The actions of the selected macro.
    Heading { x: 200; y: 10; text: editor.macroEditorLang[2] }
    ListBox {
        x: 200
        y: 32
        width: 210
        height: 330
        // Below the rows: the context menu opens with no action selected, so inserts go at the end.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.RightButton
            onPressed: function (mouse) {
                editor.commitEdits()
                editor.currentAction = -1
                editor.openContextMenu(mapToItem(editor, mouse.x, mouse.y))
            }
        }
        ListView {
            id: actionView
            objectName: editor.partName("actionList")
            anchors.fill: parent
            anchors.margins: 1
            clip: true
            model: actions
            delegate: Rectangle {
                id: actionRow
                required property int index
                required property int type
                required property string info
                objectName: editor.partName("actionRow") + actionRow.index
                width: actionView.width
                height: 20
                color: actionRow.index === editor.currentAction ? "#b03b3b" : "transparent"
                Image {
                    asynchronous: true
                    x: 6
                    anchors.verticalCenter: parent.verticalCenter
                    source: editor.theme.imageUrl("macros", editor.actionPicture(actionRow.type))
                }
                Text {
                    x: 28
                    anchors.verticalCenter: parent.verticalCenter
                    visible: actionRow.index !== editor.editingDelay
                    text: editor.actionText(actionRow.type, actionRow.info)
                    color: editor.theme.fontColor
                    font.family: editor.theme.fontFamily
                    font.pixelSize: editor.theme.fontNormalSize
                }
                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    onPressed: function (mouse) {
                        editor.commitEdits()
                        editor.currentAction = actionRow.index
                        if (mouse.button === Qt.RightButton)
                            editor.openContextMenu(mapToItem(editor, mouse.x, mouse.y))
                    }
                    onDoubleClicked: {
                        if (actionRow.type === 0)
                            editor.editingDelay = actionRow.index
                    }
                }
            }
        }
        TextInput {
            id: delayEditor
            objectName: editor.partName("delayEditor")
            x: 28
            y: 1 + editor.editingDelay * 20 + 3 - actionView.contentY
            width: 150
            visible: editor.editingDelay >= 0
            color: editor.theme.fontColor
            selectionColor: "#761212"
            font.family: editor.theme.fontFamily
            font.pixelSize: editor.theme.fontNormalSize
            // Whole milliseconds up to 100000: a digit that would go past it is refused.
            validator: RegularExpressionValidator { regularExpression: /^(100000|[0-9]{0,5})$/ }
            function commit() {
                var index = editor.editingDelay
                editor.editingDelay = -1
                if (index < 0 || index >= actions.count)
                    return
                var value = parseInt(text, 10)
                if (/^[0-9]+$/.test(text) && value <= 100000)
                    actions.setProperty(index, "info", String(value))
                editor.autoSave()
            }
            onVisibleChanged: {
                if (!visible)
                    return
                text = actions.get(editor.editingDelay).info
                selectAll()
                forceActiveFocus()
            }
            onAccepted: commit()
        }
    }

    // Recording and repeating.
    Heading { x: 424; y: 10; text: editor.macroEditorLang[3] }
    Column {
        x: 424
        y: 36
        spacing: 12
        DialogButton {
            theme: editor.theme
            objectName: editor.partName("recordButton")
            width: 160
            label: recordClock.running ? editor.macroEditorLang[5] : editor.macroEditorLang[4]
            onClicked: editor.macroCmd(2)
        }
        CheckOption {
            theme: editor.theme
            objectName: editor.partName("recordTime")
            label: editor.macroEditorLang[6]
            checked: editor.recordTime
            onClicked: editor.recordTime = !editor.recordTime
        }
        CheckOption {
            theme: editor.theme
            id: loopsOption
            objectName: editor.partName("loopsTimer")
            label: editor.macroEditorLang[7]
            onClicked: {
                checked = !checked
                if (!checked) {
                    repeatField.text = "1"
                    editor.autoSave()
                }
            }
        }
        Rectangle {
            width: 80
            height: 24
            color: "#101010"
            border.color: loopsOption.checked ? "#761212" : "#333333"
            TextInput {
                id: repeatField
                objectName: editor.partName("repeatField")
                anchors.fill: parent
                anchors.leftMargin: 6
                verticalAlignment: TextInput.AlignVCenter
                text: "1"
                enabled: loopsOption.checked
                color: enabled ? editor.theme.fontColor : "#808080"
                font.family: editor.theme.fontFamily
                font.pixelSize: editor.theme.fontNormalSize
                validator: IntValidator { bottom: 0; top: 65535 }
                onActiveFocusChanged: {
                    if (activeFocus)
                        return
                    if (text === "")
                        text = "1"
                    editor.autoSave()
                }
                onAccepted: editor.giveFocusBack()
            }
        }
    }

    Row {
        anchors.right: parent.right
        anchors.rightMargin: 14
        y: 362
        spacing: 10
        DialogButton {
            theme: editor.theme
            objectName: editor.partName("macroOk")
            label: editor.macroEditorLang[10]
            onClicked: editor.closeEditor()
        }
        DialogButton {
            theme: editor.theme
            objectName: editor.partName("macroCancel")
            label: editor.macroEditorLang[11]
            onClicked: editor.closeEditor()
        }
    }

    ActionMenu {
        id: contextMenu
        objectName: editor.partName("actionMenu")
        theme: editor.theme
        labels: editor.macroEditorLang
        rowName: editor.partName("actionMenuRow")
        onCommandChosen: function (command) { editor.macroMenuCmd(command) }
    }
}
