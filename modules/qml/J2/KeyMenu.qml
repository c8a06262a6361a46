pragma ComponentBehavior: Bound
import QtQuick
import "../basic"
import "keyCodes.js" as KeyCodes

// The function menu of a button row: values are chosen directly, sub-menus open on hover, two entries
// open the key and macro dialogs.
Rectangle {
    id: menu
    // The key assignment panel and the mouse picture, which knows the selected button.
    required property var keyMatrix
    required property var mouse
    // The frame's look and texts.
    required property Theme theme
    width: 136
    height: gunMenuShown ? 338 : 317
    visible: false
    color: "#e61a1a1a"
    border.color: "#8f2020"

    property var keyMenuLang: KeyCodes.keyMenuLang.slice()
    // The menu index whose sub-menu is open, -1 when none.
    property int openSubMenu: -1
    // The gun entries: shown only where the gun page is; each names the gun of its bound slot.
    property bool gunMenuShown: false
    property var gunMenuNames: ["", "", ""]
    // The gun slot whose commands are open, -1 when none.
    property int openGunSlot: -1
    readonly property var gunTopEntry: ({ index: 16, label: 44, submenu: "gun" })
    readonly property var gunSlotEntries: [{ index: 500, label: 45, gunSlot: 0 }, { index: 501, label: 46, gunSlot: 1 },
                                          { index: 502, label: 47, gunSlot: 2 }]
    readonly property int gunCommandLabel: 48
    readonly property int gunCommandIndex: 600

    signal menuCmd(string menuStr)
    signal gunKeyAssignment(int gunIndex, int cmd)
    signal singleKeyChosen()
    signal macroKeyChosen()

    function init() {
        openSubMenu = -1
        openGunSlot = -1
    }

    function showControl() {
        openSubMenu = -1
        openGunSlot = -1
        visible = true
    }

    // A sub-menu beside an entry near the bottom of the window opens upwards instead of past its edge.
    function keepInWindow(subMenu) {
        if (!subMenu.visible)
            return
        var entryTop = subMenu.parent.mapToItem(null, 0, 0).y
        subMenu.y = Math.min(0, menu.theme.frameHeight - 4 - entryTop - subMenu.height)
    }

    function entryLabel(item) {
        if (item.gunSlot !== undefined && gunMenuNames[item.gunSlot] !== "")
            return gunMenuNames[item.gunSlot]
        return keyMenuLang[item.label] !== undefined ? keyMenuLang[item.label] : ""
    }

    function subMenuEntries(submenu) {
        if (submenu === undefined)
            return []
        return submenu === gunTopEntry.submenu ? gunSlotEntries : KeyCodes.subMenus[submenu]
    }

    function menuCmdProc(index) {
        var entry = KeyCodes.topMenu.filter(function (item) { return item.index === index })[0]
        if (entry === undefined) {
            for (var key in KeyCodes.subMenus) {
                var found = KeyCodes.subMenus[key].filter(function (item) { return item.index === index })
                if (found.length > 0)
                    entry = found[0]
            }
        }
        if (entry === undefined || entry.submenu !== undefined)
            return
        if (entry.dialog === "single")
            singleKeyChosen()
        else if (entry.dialog === "macro")
            macroKeyChosen()
        else
            menuCmd(entry.value)
    }

    function setGunMenuName(index0, index1, index2) {
        gunMenuNames = [String(index0), String(index1), String(index2)]
    }

    component Entry: Rectangle {
        id: entry
        property var item
        property bool hasSubMenu: item.submenu !== undefined
        signal hovered()
        signal clicked()
        width: 130
        height: 19
        color: entryArea.containsMouse ? "#8f2020" : "transparent"
        Text {
            x: 6
            anchors.verticalCenter: parent.verticalCenter
            text: menu.entryLabel(entry.item)
            color: menu.theme.fontColor
            font.family: menu.theme.fontFamily
            font.pixelSize: menu.theme.fontMinSize
        }
        MouseArea {
            id: entryArea
            anchors.fill: parent
            hoverEnabled: true
            onEntered: entry.hovered()
            // The entry may be gone once its own handlers ran (a gun command closes the menu).
            onClicked: {
                menu.menuCmdProc(entry.item.index)
                entry.clicked()
            }
        }
    }

    Column {
        x: 3
        y: 3
        spacing: 2
        Repeater {
            model: menu.gunMenuShown ? KeyCodes.topMenu.concat([menu.gunTopEntry]) : KeyCodes.topMenu
            delegate: Entry {
                id: topEntry
                required property var modelData
                objectName: "keyMenuEntry" + topEntry.modelData.index
                item: topEntry.modelData
                onHovered: {
                    menu.openSubMenu = hasSubMenu ? topEntry.modelData.index : -1
                    menu.openGunSlot = -1
                }
                Rectangle {
                    objectName: "keyMenuSub" + topEntry.modelData.index
                    x: parent.width + 5
                    onVisibleChanged: menu.keepInWindow(this)
                    visible: menu.openSubMenu === topEntry.modelData.index && topEntry.modelData.submenu !== undefined
                    width: 136
                    height: subColumn.height + 6
                    color: "#e61a1a1a"
                    border.color: "#8f2020"
                    Column {
                        id: subColumn
                        x: 3
                        y: 3
                        spacing: 2
                        Repeater {
                            model: menu.subMenuEntries(topEntry.modelData.submenu)
                            delegate: Entry {
                                id: subEntry
                                required property var modelData
                                objectName: "keyMenuEntry" + subEntry.modelData.index
                                item: subEntry.modelData
                                onHovered: menu.openGunSlot = subEntry.modelData.gunSlot !== undefined ? subEntry.modelData.gunSlot : -1
                                // A gun slot's commands for the selected key.
                                Rectangle {
                                    objectName: "keyMenuGunSub" + subEntry.modelData.index
                                    x: parent.width + 5
                                    onVisibleChanged: menu.keepInWindow(this)
                                    onHeightChanged: menu.keepInWindow(this)
                                    visible: subEntry.modelData.gunSlot !== undefined && menu.openGunSlot === subEntry.modelData.gunSlot
                                    width: 136
                                    height: gunColumn.height + 6
                                    color: "#e61a1a1a"
                                    border.color: "#8f2020"
                                    Column {
                                        id: gunColumn
                                        x: 3
                                        y: 3
                                        spacing: 2
                                        Repeater {
                                            model: subEntry.visible && subEntry.modelData.gunSlot !== undefined
                                                   && menu.openGunSlot === subEntry.modelData.gunSlot
                                                   ? menu.keyMatrix.gunKeyMenuControl(subEntry.modelData.gunSlot, menu.mouse.selectKey)
                                                   : []
                                            delegate: Entry {
                                                id: gunEntry
                                                required property var modelData
                                                property int slot: subEntry.item.gunSlot
                                                objectName: "keyMenuEntry" + (menu.gunCommandIndex + gunEntry.modelData) + "_" + slot
                                                item: ({ index: menu.gunCommandIndex + gunEntry.modelData,
                                                         label: menu.gunCommandLabel + gunEntry.modelData })
                                                onClicked: menu.gunKeyAssignment(slot, gunEntry.modelData)
                                            }
                                        }
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}
