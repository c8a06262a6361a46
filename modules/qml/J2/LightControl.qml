pragma ComponentBehavior: Bound
import QtQuick
import "lighting.js" as Lighting

// The mouse's lighting: Static, Breath or RGB, each with its own level.
Frame {
    id: panel
    title: panel.theme.mainLang[4]
    contentHeight: 117

    property bool isSave: false
    property int effect: 1
    property var levels: [4, 4, 4]
    property var toggles: ({ left: false, right: false, middle: false })
    // What Save sends, as the last user action left it.
    property int tmpEffect: 0
    property int tmpOption0: 0
    property int tmpOption1: 0

    signal setLED(int effect, int option1, int option2)
    signal clickLightControl()

    function init(isSendData) {
        var loaded = Lighting.loadedEffect(panel.bridge.ui_8DH_GetRGBLedEffect())
        effect = loaded.effect
        levels = loaded.levels
        toggles = loaded.toggles
        // What Save would send is what is shown again: a change left before the reload is gone.
        var current = currentArguments()
        tmpEffect = current[0]
        tmpOption0 = current[1]
        tmpOption1 = current[2]
        if (isSendData) {
            isSave = false
            saveData()
        }
    }

    function currentArguments() {
        var mask = Lighting.toggleMask(toggles.left, toggles.right, toggles.middle)
        return Lighting.setLedArguments(effect, effect <= 3 ? levels[effect - 1] : 0, mask)
    }

    function saveData() {
        var sent = Lighting.sendValues(tmpEffect, tmpOption0, tmpOption1)
        panel.bridge.ui_SetRGBLedEffect(sent[0], sent[1], sent[2], [tmpEffect, tmpOption0, tmpOption1])
    }

    function userChanged() {
        var current = currentArguments()
        setLED(current[0], current[1], current[2])
    }

    onSetLED: function (effect, option1, option2) {
        tmpEffect = effect
        tmpOption0 = option1
        tmpOption1 = option2
        isSave = true
    }

    Repeater {
        model: 3
        delegate: Item {
            id: row
            required property int index
            objectName: "lightRow" + row.index
            readonly property int rowEffect: row.index + 1
            x: 12
            y: 8 + row.index * 36
            width: 222
            height: 30
            RadioOption {
                theme: panel.theme
                objectName: "lightEffect" + row.rowEffect
                anchors.verticalCenter: parent.verticalCenter
                label: panel.theme.mainLang[5 + row.index]
                group: "lightControl"
                imageOn: "lightControlBtn1"
                imageOff: "lightControlBtn0"
                checked: panel.effect === row.rowEffect
                onClicked: {
                    panel.clickLightControl()
                    panel.effect = row.rowEffect
                    panel.userChanged()
                }
            }
            Image {
                asynchronous: true
                x: 70
                anchors.verticalCenter: parent.verticalCenter
                source: panel.theme.imageUrl("lightControl", "lightControlTxt" + row.index)
            }
            Image {
                id: track
                asynchronous: true
                objectName: "lightLevel" + row.rowEffect
                x: 92
                anchors.verticalCenter: parent.verticalCenter
                opacity: panel.effect === row.rowEffect ? 1 : 0.4
                property int pressLevel: 0
                source: panel.theme.imageUrl("lightControl", "lightControl" + panel.levels[row.index])
                MouseArea {
                    anchors.fill: parent
                    anchors.topMargin: -6
                    anchors.bottomMargin: -6
                    // Only the slider of the chosen effect takes input.
                    enabled: panel.effect === row.rowEffect
                    preventStealing: true
                    function follow(mouse) {
                        var copy = panel.levels.slice()
                        copy[row.index] = Lighting.lightLevel(Math.max(0, Math.min(track.width, mouse.x)))
                        panel.levels = copy
                    }
                    onPressed: function (mouse) {
                        panel.clickLightControl()
                        track.pressLevel = panel.levels[row.index]
                        follow(mouse)
                    }
                    onPositionChanged: function (mouse) { follow(mouse) }
                    onReleased: {
                        if (panel.levels[row.index] !== track.pressLevel)
                            panel.userChanged()
                    }
                }
            }
        }
    }
}
