pragma ComponentBehavior: Bound
import QtQuick
import "../basic"
import "names.js" as Names
import "profiles.js" as Profiles

// The user's named profiles: choose the active one, create, copy, rename, delete, load and save them.
Image {
    id: popup
    asynchronous: true
    // The frame's look and texts.
    required property Theme theme
    // The program's side of the scene (the view's slots).
    required property var bridge
    width: 264
    height: 599
    visible: false
    source: popup.theme.imageUrl("profile", "profileBg")

    // The active profile's number, set by the frame.
    property int profileNo: 0
    property int tmpProfileNo: 0
    property var entries: []
    property int currentIndex: -1
    // The row being renamed, -1 when none.
    property int editIndex: -1

    signal changeProfile(int tmpProfileNo)
    signal closeUI()
    // The popup has closed (the frame lifts its mask), before closeUI.
    signal dismissed()
    // A profile file was loaded into the current profile: the panels send what it holds.
    signal profileFileLoaded()
    signal doubleClick()
    signal listViewFocus()

    function init() {
        var loaded = Profiles.parseStoredList(popup.bridge.getNameList(2))
        currentIndex = Profiles.currentIndexFor(loaded, profileNo)
        entries = loaded
        if (popup.theme.language === 0 && entries.length > 0) {
            entries = Profiles.withStandardName(entries)
            writeBack()
        }
    }

    function writeBack() {
        popup.bridge.updataNameList(2, Profiles.storedList(entries))
    }

    function choose(index) {
        currentIndex = index
        tmpProfileNo = entries[index].profileNo
        changeProfile(tmpProfileNo)
    }

    function appendAndChoose(entry) {
        entries = entries.concat([entry])
        currentIndex = entries.length - 1
        writeBack()
    }

    function newProfile() {
        var entry = Profiles.newEntry(entries)
        if (entry === null)
            return
        appendAndChoose(entry)
        // A new profile starts from the factory settings.
        popup.bridge.resetProfile(entry.profileNo)
        choose(currentIndex)
    }

    function copyProfile() {
        var entry = Profiles.copyEntry(entries, currentIndex)
        if (entry === null)
            return
        popup.bridge.copyProfile(entry.profileNo, entries[currentIndex].profileNo)
        appendAndChoose(entry)
        choose(currentIndex)
    }

    function deleteProfile() {
        var result = Profiles.removeEntry(entries, currentIndex)
        if (result === null)
            return
        // Only the row goes: the profile's file stays on disk.
        entries = result.entries
        writeBack()
        choose(result.current)
    }

    function loadProfile() {
        if (!popup.bridge.loadProfile(profileNo))
            return
        profileFileLoaded()
    }

    function startRename(index) {
        editIndex = index
    }

    // Ends a rename: the new name is kept only when no other profile has it; a refused one says why.
    function endRename(name) {
        var index = editIndex
        editIndex = -1
        if (index < 0 || name === entries[index].profileName)
            return
        if (!Profiles.renameAllowed(entries, index, name)) {
            nameHint.text = String(name).trim().length === 0 ? Names.emptyText : Names.takenText
            nameHint.visible = true
            nameHintTimer.restart()
            return
        }
        var copy = entries.slice()
        copy[index] = { profileName: name.trim(), profileNo: copy[index].profileNo }
        entries = copy
        writeBack()
    }

    function profileEditorFocus() {
        if (editIndex >= 0)
            nameEditor.commit()
        contextMenu.visible = false
    }

    function closePopup() {
        profileEditorFocus()
        visible = false
        dismissed()
        closeUI()
    }

    function runCommand(command) {
        contextMenu.visible = false
        if (command === 0)
            deleteProfile()
        else if (command === 1)
            startRename(currentIndex)
        else if (command === 2)
            copyProfile()
        else if (command === 3)
            loadProfile()
        else
            popup.bridge.saveProfile(profileNo)
    }

    // A click on the popup's own background ends a rename and closes the menu.
    MouseArea {
        anchors.fill: parent
        onPressed: popup.profileEditorFocus()
    }

    Text {
        x: 12
        height: 30
        verticalAlignment: Text.AlignVCenter
        text: popup.theme.mainLang[19]
        color: popup.theme.fontColor
        font.family: popup.theme.fontFamily
        font.pixelSize: popup.theme.fontMiddleSize
        font.bold: true
    }
    Image {
        asynchronous: true
        objectName: "profileClose"
        x: 240
        y: 8
        source: popup.theme.imageUrl("profile", closeArea.containsMouse ? "closeH" : "close")
        MouseArea {
            id: closeArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: popup.closePopup()
        }
    }

    Column {
        id: list
        objectName: "profileList"
        y: 36
        width: 263
        height: Math.min((popup.entries.length + 1) * 18, 544)
        clip: true
        Repeater {
            model: popup.entries
            delegate: Rectangle {
                id: profileRow
                required property int index
                required property var modelData
                objectName: "profileRow" + profileRow.index
                width: 263
                height: 18
                color: profileRow.index === popup.currentIndex ? "#b03b3b" : (rowArea.containsMouse ? "#999999" : "transparent")
                Image {
                    asynchronous: true
                    x: 6
                    anchors.verticalCenter: parent.verticalCenter
                    source: popup.theme.imageUrl("profile", profileRow.index === popup.currentIndex ? "rowIconS" : "rowIcon")
                }
                Text {
                    x: 24
                    anchors.verticalCenter: parent.verticalCenter
                    visible: profileRow.index !== popup.editIndex
                    text: profileRow.modelData.profileName
                    color: popup.theme.fontColor
                    font.family: popup.theme.fontFamily
                    font.pixelSize: popup.theme.fontNormalSize
                }
                MouseArea {
                    id: rowArea
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    onPressed: function (mouse) {
                        popup.profileEditorFocus()
                        popup.listViewFocus()
                        popup.choose(profileRow.index)
                        if (mouse.button === Qt.RightButton) {
                            var at = mapToItem(popup, mouse.x, mouse.y)
                            contextMenu.x = Math.min(at.x, popup.width - contextMenu.width)
                            contextMenu.y = at.y + 3
                            contextMenu.visible = true
                        }
                    }
                    onDoubleClicked: {
                        popup.doubleClick()
                        popup.startRename(profileRow.index)
                    }
                }
            }
        }
    }

    TextInput {
        id: nameEditor
        objectName: "profileNameEditor"
        x: 24
        y: list.y + popup.editIndex * 18 + 2
        width: 230
        visible: popup.editIndex >= 0
        color: popup.theme.fontColor
        selectionColor: "#761212"
        font.family: popup.theme.fontFamily
        font.pixelSize: popup.theme.fontNormalSize
        maximumLength: 40
        function commit() {
            popup.endRename(text)
        }
        onVisibleChanged: {
            if (!visible)
                return
            text = popup.entries[popup.editIndex].profileName
            selectAll()
            forceActiveFocus()
        }
        onAccepted: commit()
    }
    Text {
        id: nameHint
        objectName: "profileNameHint"
        x: 24
        y: list.y + list.height + 4
        width: 230
        visible: false
        wrapMode: Text.WordWrap
        color: "#e05050"
        font.family: popup.theme.fontFamily
        font.pixelSize: popup.theme.fontNormalSize
        Timer {
            id: nameHintTimer
            interval: 4000
            onTriggered: nameHint.visible = false
        }
    }

    Repeater {
        model: [{ name: "profileNew", label: popup.theme.mainLang[20], x: 40 },
            { name: "profileDelete", label: popup.theme.mainLang[21], x: 175 }]
        delegate: Image {
            id: profileButton
            required property int index
            required property var modelData
            asynchronous: true
            objectName: profileButton.modelData.name
            x: profileButton.modelData.x
            y: 576
            source: popup.theme.imageUrl("profile", buttonArea.containsMouse ? "btnH" : "btn")
            Text {
                anchors.centerIn: parent
                text: profileButton.modelData.label
                color: popup.theme.fontColor
                font.family: popup.theme.fontFamily
                font.pixelSize: popup.theme.fontNormalSize
            }
            MouseArea {
                id: buttonArea
                anchors.fill: parent
                hoverEnabled: true
                onClicked: {
                    popup.profileEditorFocus()
                    if (profileButton.index === 0)
                        popup.newProfile()
                    else
                        popup.deleteProfile()
                }
            }
        }
    }

    Rectangle {
        id: contextMenu
        objectName: "profileMenu"
        visible: false
        width: 159
        height: 105
        color: "#6f2929"
        border.color: "#8f2020"
        Column {
            Repeater {
                model: 5
                delegate: Rectangle {
                    id: menuRow
                    required property int index
                    objectName: "profileMenuRow" + menuRow.index
                    width: 159
                    height: 21
                    color: menuArea.containsMouse ? "#8f2020" : "transparent"
                    Text {
                        x: 10
                        anchors.verticalCenter: parent.verticalCenter
                        text: popup.theme.mainLang[21 + menuRow.index]
                        color: popup.theme.fontColor
                        font.family: popup.theme.fontFamily
                        font.pixelSize: popup.theme.fontNormalSize
                    }
                    MouseArea {
                        id: menuArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: popup.runCommand(menuRow.index)
                    }
                }
            }
        }
    }
}
