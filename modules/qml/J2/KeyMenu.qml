import QtQuick
import "keyCodes.js" as KeyCodes

// The function menu of a button row: values are chosen directly, sub-menus open on hover, two entries
// open the key and macro dialogs.
Rectangle {
    id: menu
    width: 136
    height: 317
    visible: false
    color: "#e61a1a1a"
    border.color: "#8f2020"

    property var keyMenuLang: KeyCodes.keyMenuLang.slice()
    // The menu index whose sub-menu is open, -1 when none.
    property int openSubMenu: -1

    signal menuCmd(string menuStr)
    signal gunKeyAssignment(int gunIndex, int cmd)
    signal singleKeyChosen()
    signal macroKeyChosen()

    function init() {
        openSubMenu = -1
    }

    function showControl() {
        openSubMenu = -1
        visible = true
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

    function setGunMenuName(index0, index1, index2) {}

    component Entry: Rectangle {
        id: entry
        property var item
        property bool hasSubMenu: item.submenu !== undefined
        signal hovered()
        width: 130
        height: 19
        color: entryArea.containsMouse ? "#8f2020" : "transparent"
        Text {
            x: 6
            anchors.verticalCenter: parent.verticalCenter
            text: menu.keyMenuLang[entry.item.label] !== undefined ? menu.keyMenuLang[entry.item.label] : ""
            color: mainIten.fontColor
            font.family: mainIten.fontFamily
            font.pixelSize: mainIten.fontMinSize
        }
        MouseArea {
            id: entryArea
            anchors.fill: parent
            hoverEnabled: true
            onEntered: entry.hovered()
            onClicked: menu.menuCmdProc(entry.item.index)
        }
    }

    Column {
        x: 3
        y: 3
        spacing: 2
        Repeater {
            model: KeyCodes.topMenu
            delegate: Entry {
                objectName: "keyMenuEntry" + modelData.index
                item: modelData
                onHovered: menu.openSubMenu = hasSubMenu ? modelData.index : -1
                Rectangle {
                    objectName: "keyMenuSub" + modelData.index
                    x: parent.width + 5
                    visible: menu.openSubMenu === modelData.index && modelData.submenu !== undefined
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
                            model: modelData.submenu !== undefined ? KeyCodes.subMenus[modelData.submenu] : []
                            delegate: Entry {
                                objectName: "keyMenuEntry" + modelData.index
                                item: modelData
                            }
                        }
                    }
                }
            }
        }
    }
}
