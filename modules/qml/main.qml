pragma ComponentBehavior: Bound
import QtQuick
import "./basic"
import "./common"
import "./J2"
import "./J2/keyCodes.js" as KeyCodes

// The configurator's window: every setting panel visible at once in a fixed 1000 x 640 layout, the popups
// laid over it, the title and bottom bars, the busy lock and the two confirmation dialogs. The program
// reaches the scene only through the root functions below; the scene reaches the program only through
// ui_View and ui_Ctl.
Item {
    id: mainIten
    objectName: "mainIten"
    width: 1000
    height: 640
    visible: true

    property var mainLang: ["Axis Sensitivity", "x-Axis", "y-Axis", "DPI Setting", "Lighting", "Static", "Breath",
        "RGB", "Finger \nTapping", "Polling Rate", "Mouse Speed", "Double-Click Speed", "Scroll Speed", "Slow",
        "Fast", "Number of Rows", "Scrol one Screen", "Top View", "Side View", "Config", "New", "Delete", "Edit",
        "Copy", "Load", "Save", "Reset", "Reset Factroy Setting", "OK", "Cancel", "LKEY", "RKEY", "MKEY", "ON",
        "OFF", "Angle Snap", "Gesture Correction", "Warning", "Left Button must be selected!", "Save"]
    property int language: 1
    property bool isScrollRateFocus: false
    property int skin_No: 1
    property string fontFamily: "微软雅黑"
    property int fontNormalSize: 11
    property int fontMinSize: 10
    property int fontMiddleSize: 14
    property int fontMaxSize: 16
    property color fontColor: "#ffffff"
    property int globalSetting_size: 11
    property color globalSetting_color: "#FF00FFFF"
    property string globalSetting_fontFamily: "Arial"
    property int animation_speed: 300

    // Set once the start-up lock has ended and the frame has been revealed.
    property bool uiShown: false
    // The profile popup chose another profile: its panels are re-sent when it closes.
    property bool profileChanged: false
    // Where the help menu's first row leads; empty opens nothing.
    property string helpAddress: ""

    // The panels taking part in Save, Cancel, Reset and profile switches, in the order Save sends them.
    property var savePanels: [keyMatrixMain, xySettingMain, dpiSettingMain, lightControlMain,
        reprotRateMain, mouseRateMain, doubleRateMain, scrollRateMain, angleSnapMain, gestureCorrectionMain]
    // Cancel, Reset and profile switches reload the angle snap and gesture correction right after the DPI panel.
    property var reloadPanels: savePanels.slice(0, 3).concat(savePanels.slice(8), savePanels.slice(3, 8))
    // A loaded profile file holds the values of all but the angle snap and gesture correction.
    property var profileFilePanels: savePanels.slice(0, 8)
    // The gun page, its launcher and the key menu's gun entries are shown only when the application
    // settings ask for them (entry 0 of the settings' numbered list set to 1).
    property bool gunPageShown: false
    readonly property bool savePending: savePanels.some(function (panel) { return panel.isSave })
    readonly property string programSwitchedText: "j2ctl chose another profile: unsaved changes were dropped"

    function imageUrl(group, name) {
        return theme.imageUrl(group, name)
    }
    // The program's side of the scene, handed to the pages. The window sets it after loading the scene and
    // before calling initUI.
    readonly property var bridge: typeof ui_View === "undefined" ? null : ui_View // qmllint disable unqualified

    // The look and texts handed to every page.
    Theme {
        id: theme
        mainLang: mainIten.mainLang
        language: mainIten.language
        skin_No: mainIten.skin_No
        fontFamily: mainIten.fontFamily
        fontNormalSize: mainIten.fontNormalSize
        fontMinSize: mainIten.fontMinSize
        fontMiddleSize: mainIten.fontMiddleSize
        fontMaxSize: mainIten.fontMaxSize
        fontColor: mainIten.fontColor
        animation_speed: mainIten.animation_speed
        frameWidth: mainIten.width
        frameHeight: mainIten.height
    }

    property url sourceBackground: "qrc:/modules/img/background.png"
    property url sourceMainLogo: imageUrl("index", "logo")
    property url sourcePowerOn: imageUrl("index", "powerOn")
    property url sourceAsk: imageUrl("index", "ask")
    property url sourceAskH: imageUrl("index", "askH")
    property url sourceMinimize: imageUrl("index", "closeBtn")
    property url sourceMinimizeH: imageUrl("index", "closeBtnH")
    property url sourceClose: imageUrl("index", "minBtn")
    property url sourceCloseH: imageUrl("index", "minBtnH")
    property url sourceSureBg: imageUrl("index", "sureBg")
    property url sourceProfileBtn: imageUrl("index", "profileBtn")
    property url sourceProfileBtnH: imageUrl("index", "profileBtnH")
    property url sourceFlickableBar: imageUrl("index", "flickableBar")
    property url sourceDownBtn: imageUrl("index", "downBtn")
    property url sourceDownBtnH: imageUrl("index", "downBtnH")
    property url sourceDownBtnP: imageUrl("index", "downBtnP")

    signal emptyAreaPressed()
    signal msg_KB(bool isDown, int usbCode)
    signal msg_MS(bool isDown, int code, int x, int y)

    // ---- called by the program ----

    function initUI() {
        setProtectUI(100)
        for (var profile = 0; profile < 5; ++profile)
            mainIten.bridge.ui_8CH_ReadProfile(profile)
        mainIten.bridge.ui_CheckProfileEnable()

        var languageText = String(mainIten.bridge.getLang())
        if (languageText === "English")
            language = 0
        else if (languageText === "German")
            language = 1
        else if (languageText === "Russian")
            language = 2

        var storedProfile = parseInt(mainIten.bridge.getProfile(), 10)
        profileMain.profileNo = isNaN(storedProfile) ? 0 : storedProfile
        mainIten.bridge.ui_02H_SetCurrentProfile(profileMain.profileNo)

        if (language !== 0) {
            mainLang = languageTable(0, languageText, mainLang)
            keyMatrixMain.keyMatrixLang = languageTable(1, languageText, keyMatrixMain.keyMatrixLang)
            keyMenuMain.keyMenuLang = languageTable(2, languageText, keyMenuMain.keyMenuLang)
            macroEditorMain.macroEditorLang = languageTable(3, languageText, macroEditorMain.macroEditorLang)
            gunControlMain.macroEditorLang = languageTable(4, languageText, gunControlMain.macroEditorLang)
            macroKeyMain.macroKeyLang = languageTable(5, languageText, macroKeyMain.macroKeyLang)
            mainIten.bridge.getGlobalStrings(6, languageText)
        }

        var apConfig = mainIten.bridge.loadApConfig()
        gunPageShown = apConfig.length > 0 && Number(apConfig[0]) === 1

        keyMatrixMain.init(false)
        macroEditorMain.init()
        if (gunPageShown)
            gunControlMain.init(false)
        angleSnapMain.init(false)
        gestureCorrectionMain.init(false)
        profileMain.init()
        keyMenuMain.init()
        xySettingMain.init(false)
        dpiSettingMain.init(false)
        lightControlMain.init(false)
        reprotRateMain.init(false)
        mouseRateMain.init(false)
        doubleRateMain.init(false)
        scrollRateMain.init(false)
        reprotRateMain.isSave = false
    }

    function run() {}

    // Locks the scene for `interval` ms behind the busy text; 0 unlocks at the next turn of the event loop.
    // Set while a re-send or a Save queues its writes; the busy lock lasts until the last of them has ended.
    property bool resending: false
    readonly property int busyPollMs: 100

    function setProtectUI(interval) {
        protectUIItem.visible = true
        mainIten.bridge.setEnabled(false)
        tmrProtectUI.interval = interval
        tmrProtectUI.restart()
    }

    function detectKeyboard(isDown, usbCode) {
        msg_KB(isDown, usbCode)
    }

    function detectMouse(isDown, code, x, y) {
        msg_MS(isDown, code, x, y)
    }

    // ---- the frame's own work ----

    // A missing or empty language table keeps the built-in texts rather than blanking every label.
    function languageTable(type, languageText, builtIn) {
        var table = mainIten.bridge.getGlobalStrings(type, languageText)
        return table.length > 0 ? table : builtIn
    }

    function focusControl() {
        if (isScrollRateFocus) {
            isScrollRateFocus = false
            mainIten.forceActiveFocus()
        }
        if (keyMenuMain.visible) {
            keyMenuMain.visible = false
            mouseMain.selectKey = -1
        }
        colorBar.visible = false
        askMenu.visible = false
    }

    function savePanelsNow() {
        if (!savePending)
            return
        setProtectUI(0)
        resending = true
        for (var i = 0; i < savePanels.length; ++i) {
            var panel = savePanels[i]
            if (panel.isSave) {
                panel.isSave = false
                panel.saveData()
            }
        }
        resending = false
    }

    // Writes the shown panels again (after a factory reset or a profile switch) under the busy lock, which
    // lasts at least `minimumMs` and until the last write has ended; `prepare` runs once the lock is on.
    function resendUnderLock(minimumMs, prepare) {
        setProtectUI(minimumMs)
        resending = true
        if (prepare)
            prepare()
        reloadAllPanels(true)
        resending = false
    }

    function reloadAllPanels(isSendData) {
        for (var i = 0; i < reloadPanels.length; ++i)
            reloadPanels[i].init(isSendData)
    }

    // Cancel: every panel shows what is stored again, and nothing is left for a later Save to send.
    function cancelChanges() {
        reloadAllPanels(false)
        for (var i = 0; i < savePanels.length; ++i)
            savePanels[i].isSave = false
    }

    // The program changed the stored settings and the mouse (a j2ctl request): the pages show what is
    // stored again. A page with changes not saved yet keeps them for its Save, unless the request chose
    // another profile: then, as when one is chosen in the list, every page shows the new profile, and the
    // user is told what was dropped. The program has written the buttons' macros already.
    function reloadFromProgram() {
        var storedProfile = parseInt(mainIten.bridge.getProfile(), 10)
        if (isNaN(storedProfile))
            storedProfile = 0
        var otherProfile = storedProfile !== profileMain.profileNo
        if (otherProfile && savePending)
            showHint(programSwitchedText)
        profileMain.profileNo = storedProfile
        var reloaded = reloadPanels.filter(function (panel) { return otherProfile || !panel.isSave })
        keyMatrixMain.writesMacrosOnLoad = false
        for (var i = 0; i < reloaded.length; ++i)
            reloaded[i].init(false)
        keyMatrixMain.writesMacrosOnLoad = true
        for (i = 0; i < reloaded.length; ++i)
            reloaded[i].isSave = false
    }

    function factoryReset() {
        factorysure.visible = false
        mainMask.visible = false
        resendUnderLock(1500, function () { mainIten.bridge.resetProfile(profileMain.profileNo) })
    }

    function showPopupCentred(popup) {
        popup.x = (mainIten.width - popup.width) / 2
        popup.y = (mainIten.height - popup.height) / 2
        popup.visible = true
        mainMask.visible = true
    }

    function showLeftKeyWarning() {
        leftKeysure.placeAtStart()
        leftKeysure.visible = true
        mainMask.visible = true
    }

    // A click on a button row: the function menu beside it, unless it is the last left button.
    function openKeyMenu(index) {
        focusControl()
        var entry = keyMatrixMain.modKeysVar[index]
        if (entry !== undefined && KeyCodes.isLeftButton(entry[0], entry[1], entry[2], entry[3])
                && keyMatrixMain.checkLeftKey() === 1) {
            showLeftKeyWarning()
            return
        }
        keyMenuMain.x = keyMatrixMain.getx(index)
        keyMenuMain.y = keyMatrixMain.gety(index)
        keyMenuMain.showControl()
        mouseMain.selectKey = index
    }

    // The menu chose a function for the selected button.
    function assignFunction(menuStr) {
        keyMenuMain.visible = false
        var key = mouseMain.selectKey
        var bytes = KeyCodes.bytesOfHex(menuStr)
        keyMatrixMain.modifyData(key, bytes[0], bytes[1], bytes[2], bytes[3])
        keyMatrixMain.refreashUI()
        keyMatrixMain.cancelGunKeyFun(key)
        mouseMain.selectKey = -1
    }

    // The key menu's gun commands for the selected button: 0 assigns a gun to a slot through the macro key
    // dialog, 1 binds the slot again, 2 lets it go.
    function gunKeyCommand(slot, cmd) {
        keyMenuMain.visible = false
        var key = mouseMain.selectKey
        if (cmd === 0) {
            macroKeyMain.uiType = 1
            macroKeyMain.gunIndex = slot
            macroKeyMain.showUI()
            return
        }
        if (cmd === 1 && keyMatrixMain.openGunKeyProc(key, slot, keyMatrixMain.gunKeyDataEx[slot].type)) {
            gunControlMain.setGunMenuName()
            keyMatrixMain.initGunKeyShow()
            gunControlMain.sendGunMacro()
        } else if (cmd === 2) {
            keyMatrixMain.closeGunKeyProc(key, slot)
        }
        mouseMain.selectKey = -1
    }

    function menuUpClicked(index) {
        if (index === 0)
            ui_Ctl.onMinimize() // qmllint disable unqualified
        else if (index === 1)
            ui_Ctl.onClose() // qmllint disable unqualified
        else
            askMenu.visible = true
    }

    function menuDownClicked(index) {
        focusControl()
        if (index === 0) {
            factorysure.placeAtStart()
            factorysure.visible = true
            mainMask.visible = true
        } else if (index === 1) {
            cancelChanges()
        } else {
            savePanelsNow()
        }
    }

    onMsg_KB: function (isDown, usbCode) {
        if (macroEditorMain.isInputting)
            macroEditorMain.detectKeyboard(isDown, usbCode)
        if (gunControlMain.isInputting)
            gunControlMain.detectKeyboard(isDown, usbCode)
        if (gunControlMain.isInsertting)
            gunControlMain.detectInput(isDown, usbCode)
        if (singleKeyMain.visible)
            singleKeyMain.detectKeyboard(isDown, usbCode)
    }

    // ---- items, bottom to top ----

    WindowDragArea {
        id: dragRegion
        objectName: "dragRegion"
        anchors.fill: parent
        onPressStarted: {
            mainIten.emptyAreaPressed()
            mainIten.focusControl()
        }
        onDragged: function (dx, dy) { mainIten.moveWindow(dx, dy) }
    }

    // The pages' pictures load off the GUI thread (asynchronous): the frame stays hidden behind the busy text
    // until the start-up lock ends, so its first frame need not wait for them. The background alone loads at
    // once, so the revealed frame never lacks it.
    Image {
        id: powerOnLogo
        asynchronous: true
        objectName: "powerOnLogo"
        anchors.centerIn: parent
        visible: false
        source: mainIten.sourcePowerOn
    }

    BusyIndicator {
        id: protectUIItem
        objectName: "protectUIItem"
        anchors.centerIn: parent
        z: 99
        visible: false
        fontFamily: mainIten.globalSetting_fontFamily
        fontSize: mainIten.fontMaxSize
    }

    Timer {
        id: tmrProtectUI
        objectName: "tmrProtectUI"
        interval: 1000
        repeat: false
        onTriggered: {
            // Input taken while writes are still queued would be shown and then overwritten by them.
            if (mainIten.resending || !hid.deviceIsFree()) { // qmllint disable unqualified
                interval = mainIten.busyPollMs
                restart()
                return
            }
            mainIten.bridge.setEnabled(true)
            protectUIItem.visible = false
            mainIten.uiShown = true
        }
    }

    Environment {
        id: envItem
        objectName: "envItem"
        visible: mainIten.uiShown
        source: mainIten.sourceBackground
    }

    Image {
        id: mainLogo
        asynchronous: true
        objectName: "mainLogo"
        x: 18
        y: 32
        visible: mainIten.uiShown
        source: mainIten.sourceMainLogo
    }

    Column {
        id: panelleft
        objectName: "panelleft"
        x: 18
        y: 106
        spacing: 5
        visible: mainIten.uiShown

        KeyMatrix {
            id: keyMatrixMain
            objectName: "keyMatrixMain"
            theme: theme
            bridge: mainIten.bridge
            gunControl: gunControlMain
            macroEditor: macroEditorMain
            gunPageShown: mainIten.gunPageShown
            onClickFrame: mainIten.focusControl()
            onEnterBtn: function (index) {
                if (!keyMenuMain.visible)
                    mouseMain.selectKey = index
            }
            onLeaveBtn: function (index) {
                if (!keyMenuMain.visible)
                    mouseMain.selectKey = -1
            }
            onClickKeyMatrix: function (index) { mainIten.openKeyMenu(index) }
        }
        Rectangle {
            id: macroButtonBox
            width: 242
            height: 50
            color: "#b31a1a1a"
            Button {
                objectName: "macroManagerButton"
                anchors.centerIn: parent
                anchors.horizontalCenterOffset: mainIten.gunPageShown ? -58 : 0
                width: mainIten.gunPageShown ? 110 : 192
                textValue: macroEditorMain.macroEditorLang[0]
                fontFamily: mainIten.fontFamily
                fontSize: mainIten.fontNormalSize
                onClicked: {
                    mainIten.focusControl()
                    mainIten.showPopupCentred(macroEditorMain)
                }
            }
            Button {
                objectName: "gunManagerButton"
                anchors.centerIn: parent
                anchors.horizontalCenterOffset: 58
                width: 110
                visible: mainIten.gunPageShown
                textValue: gunControlMain.macroEditorLang[0]
                fontFamily: mainIten.fontFamily
                fontSize: mainIten.fontNormalSize
                onClicked: {
                    mainIten.focusControl()
                    mainIten.showPopupCentred(gunControlMain)
                }
            }
        }
        XySetting {
            id: xySettingMain
            objectName: "xySettingMain"
            theme: theme
            bridge: mainIten.bridge
            onClickFrame: mainIten.focusControl()
            onClickXySetting: mainIten.focusControl()
        }
    }

    Image {
        id: profileBtn
        asynchronous: true
        objectName: "profileBtn"
        anchors.left: parent.left
        anchors.leftMargin: 20
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 6
        visible: mainIten.uiShown
        source: profileArea.containsMouse ? mainIten.sourceProfileBtnH : mainIten.sourceProfileBtn
        Text {
            anchors.centerIn: parent
            anchors.horizontalCenterOffset: 10
            text: mainIten.mainLang[19]
            color: mainIten.fontColor
            font.family: mainIten.fontFamily
            font.pixelSize: mainIten.fontNormalSize
        }
        MouseArea {
            id: profileArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: {
                mainIten.focusControl()
                profileMain.x = 0
                profileMain.y = 0
                profileMain.visible = !profileMain.visible
                mainMask.visible = profileMain.visible
            }
        }
    }

    Image {
        id: flickableBar
        asynchronous: true
        objectName: "flickableBar"
        anchors.right: parent.right
        anchors.rightMargin: 9
        y: 32
        visible: mainIten.uiShown
        source: mainIten.sourceFlickableBar
    }

    Item {
        id: panelRightItem
        objectName: "panelRightItem"
        anchors.left: parent.left
        anchors.leftMargin: 734
        anchors.right: parent.right
        anchors.rightMargin: 9
        anchors.top: parent.top
        anchors.topMargin: 32
        height: 563
        visible: mainIten.uiShown

        Flickable {
            id: rightFlickable
            objectName: "rightFlickable"
            width: 242
            height: Math.min(contentHeight, 563)
            contentWidth: 242
            contentHeight: rightColumn.height
            boundsBehavior: Flickable.StopAtBounds
            clip: true

            Column {
                id: rightColumn
                spacing: 5
                DpiSetting {
                    id: dpiSettingMain
                    objectName: "dpiSettingMain"
                    theme: theme
                    bridge: mainIten.bridge
                    onClickFrame: mainIten.focusControl()
                    onClickDpiSetting: mainIten.focusControl()
                    onOpenColorBar: function (dpiSelect, dpiColor) { colorBar.openFor(dpiSelect, dpiColor) }
                }
                LightControl {
                    id: lightControlMain
                    objectName: "lightControlMain"
                    theme: theme
                    bridge: mainIten.bridge
                    onClickFrame: mainIten.focusControl()
                    onClickLightControl: mainIten.focusControl()
                }
                ReportRate {
                    id: reprotRateMain
                    objectName: "reprotRateMain"
                    theme: theme
                    bridge: mainIten.bridge
                    onClickFrame: mainIten.focusControl()
                    onClickReportRate: mainIten.focusControl()
                }
                MouseRate {
                    id: mouseRateMain
                    objectName: "mouseRateMain"
                    theme: theme
                    bridge: mainIten.bridge
                    onClickFrame: mainIten.focusControl()
                    onClickMouseRate: mainIten.focusControl()
                }
                DoubleRate {
                    id: doubleRateMain
                    objectName: "doubleRateMain"
                    theme: theme
                    bridge: mainIten.bridge
                    onClickFrame: mainIten.focusControl()
                    onClickDoubleRate: mainIten.focusControl()
                }
                ScrollRate {
                    id: scrollRateMain
                    objectName: "scrollRateMain"
                    theme: theme
                    bridge: mainIten.bridge
                    onTextFocusChanged: function (focused) { mainIten.isScrollRateFocus = focused }
                    onGiveFocusBack: mainIten.forceActiveFocus()
                    onClickFrame: mainIten.focusControl()
                    onClickScrollRate: mainIten.focusControl()
                    onLinesChange: function (linesValue) {
                        scrollRateMain.lines = linesValue
                        scrollRateMain.isSave = true
                    }
                }
                AngleSnap {
                    id: angleSnapMain
                    objectName: "angleSnapMain"
                    theme: theme
                    bridge: mainIten.bridge
                    gestureValue: gestureCorrectionMain.gestureValue
                    onClickFrame: mainIten.focusControl()
                    onClickangleSnap: function (tmpAngleSnapValue) {
                        mainIten.focusControl()
                        angleSnapMain.angleSnapValue = tmpAngleSnapValue
                        angleSnapMain.isSave = true
                    }
                }
                GestureCorrection {
                    id: gestureCorrectionMain
                    objectName: "gestureCorrectionMain"
                    theme: theme
                    bridge: mainIten.bridge
                    angleSnapValue: angleSnapMain.angleSnapValue
                    onClickFrame: mainIten.focusControl()
                    onCorrectionValue: function (value) {
                        gestureCorrectionMain.gestureValue = value
                        gestureCorrectionMain.isSave = true
                    }
                }
            }
        }

        // The right panel's scroll bar; dragging it scrolls the panel.
        Rectangle {
            id: scrollBar
            objectName: "scrollBar"
            x: panelRightItem.width - width
            width: 8
            radius: 4
            y: rightFlickable.visibleArea.yPosition * 563
            height: Math.min(1, rightFlickable.visibleArea.heightRatio) * 563
            visible: rightFlickable.visibleArea.heightRatio < 1
            border.width: 1
            border.color: "#60000000"
            gradient: Gradient {
                GradientStop { position: 0.0; color: "#767676" }
                GradientStop { position: 1.0; color: "#303030" }
            }
            Rectangle {
                anchors.fill: parent
                radius: parent.radius
                color: "#20ffffff"
                visible: scrollArea.containsMouse || scrollArea.pressed
            }
            MouseArea {
                id: scrollArea
                anchors.fill: parent
                hoverEnabled: true
                property real pressY
                property real pressContentY
                onPressed: function (mouse) {
                    mainIten.focusControl()
                    pressY = mapToItem(panelRightItem, mouse.x, mouse.y).y
                    pressContentY = rightFlickable.contentY
                }
                onPositionChanged: function (mouse) {
                    if (!pressed)
                        return
                    var moved = mapToItem(panelRightItem, mouse.x, mouse.y).y - pressY
                    var scrollRange = rightFlickable.contentHeight - rightFlickable.height
                    var contentY = pressContentY + moved * rightFlickable.contentHeight / 563
                    rightFlickable.contentY = Math.max(0, Math.min(scrollRange, contentY))
                }
            }
        }

        // The DPI stage colour picker.
        ColorPicker {
            id: colorBar
            objectName: "colorBar"
            theme: theme
            onColourChosen: function (colour) { dpiSettingMain.setColor(colour) }
        }
    }

    // A short message beside the bottom bar, for what a page cannot show itself (it may be closed).
    Text {
        id: frameHint
        objectName: "frameHint"
        x: 20
        y: 612
        width: 630
        visible: false
        elide: Text.ElideRight
        color: "#e05050"
        font.family: mainIten.fontFamily
        font.pixelSize: mainIten.fontNormalSize
        Timer {
            id: frameHintTimer
            interval: 6000
            onTriggered: frameHint.visible = false
        }
    }
    // The window moves by the pointer's offset from where a drag began.
    function moveWindow(dx, dy) {
        ui_Ctl.onXChanged(dx) // qmllint disable unqualified
        ui_Ctl.onYChanged(dy) // qmllint disable unqualified
    }

    function showHint(text) {
        frameHint.text = text
        frameHint.visible = true
        frameHintTimer.restart()
    }

    Menu_Down {
        id: downItem
        objectName: "downItem"
        x: 667
        y: 604
        visible: mainIten.uiShown
        labels: [mainIten.mainLang[26], macroEditorMain.macroEditorLang[11], mainIten.mainLang[39]]
        savePending: mainIten.savePending
        sourceButton: mainIten.sourceDownBtn
        sourceButtonH: mainIten.sourceDownBtnH
        sourceButtonP: mainIten.sourceDownBtnP
        fontFamily: mainIten.fontFamily
        fontSize: mainIten.fontNormalSize
        onClickIndex: function (index) { mainIten.menuDownClicked(index) }
    }

    Menu_Up {
        id: upItem
        objectName: "upItem"
        x: 935
        y: 5
        visible: mainIten.uiShown
        sourceAsk: mainIten.sourceAsk
        sourceAskH: mainIten.sourceAskH
        sourceMinimize: mainIten.sourceMinimize
        sourceMinimizeH: mainIten.sourceMinimizeH
        sourceClose: mainIten.sourceClose
        sourceCloseH: mainIten.sourceCloseH
        onClickIndex: function (index) { mainIten.menuUpClicked(index) }
    }

    Mouse {
        id: mouseMain
        objectName: "mouseMain"
        theme: theme
        anchors.fill: parent
        visible: mainIten.uiShown
        onViewChanged: function (isSide) {
            keyMatrixMain.keyDisplay(isSide)
            mainIten.focusControl()
        }
    }

    Rectangle {
        id: mainMask
        objectName: "mainMask"
        anchors.fill: parent
        visible: false
        color: "#90000000"
        WindowDragArea {
            anchors.fill: parent
            onDragged: function (dx, dy) { mainIten.moveWindow(dx, dy) }
            onPressStarted: {
                if (macroEditorMain.visible)
                    macroEditorMain.macroEditorFocus()
                if (profileMain.visible)
                    profileMain.profileEditorFocus()
                if (macroKeyMain.visible)
                    macroKeyMain.macroKeyFocus()
            }
        }
    }

    MacroEditor {
        id: macroEditorMain
        objectName: "macroEditorMain"
        theme: theme
        bridge: mainIten.bridge
        keyMatrix: keyMatrixMain
        onGiveFocusBack: mainIten.forceActiveFocus()
        onDismissed: mainMask.visible = false
        onDeleteMacroSignal: function (macroName) { keyMatrixMain.deleteMacroProc(macroName) }
    }
    GunControl {
        id: gunControlMain
        objectName: "gunControlMain"
        theme: theme
        bridge: mainIten.bridge
        keyMatrix: keyMatrixMain
        keyMenu: keyMenuMain
        onGiveFocusBack: mainIten.forceActiveFocus()
        onDismissed: mainMask.visible = false
        onHint: function (text) { mainIten.showHint(text) }
    }
    KeyMenu {
        id: keyMenuMain
        objectName: "keyMenuMain"
        theme: theme
        keyMatrix: keyMatrixMain
        mouse: mouseMain
        gunMenuShown: mainIten.gunPageShown
        onMenuCmd: function (menuStr) { mainIten.assignFunction(menuStr) }
        onGunKeyAssignment: function (gunIndex, cmd) { mainIten.gunKeyCommand(gunIndex, cmd) }
        onSingleKeyChosen: {
            keyMenuMain.visible = false
            mainIten.showPopupCentred(singleKeyMain)
        }
        onMacroKeyChosen: {
            keyMenuMain.visible = false
            macroKeyMain.uiType = 0
            macroKeyMain.showUI()
        }
    }
    Profile {
        id: profileMain
        objectName: "profileMain"
        theme: theme
        bridge: mainIten.bridge
        onDismissed: mainMask.visible = false
        onProfileFileLoaded: {
            for (var i = 0; i < mainIten.profileFilePanels.length; ++i)
                mainIten.profileFilePanels[i].init(true)
        }
        onChangeProfile: function (tmpProfileNo) {
            if (tmpProfileNo === profileMain.profileNo)
                return
            profileMain.profileNo = tmpProfileNo
            mainIten.bridge.ui_02H_SetCurrentProfile(tmpProfileNo)
            mainIten.profileChanged = true
            mainIten.reloadAllPanels(false)
        }
        onCloseUI: {
            if (!mainIten.profileChanged)
                return
            mainIten.profileChanged = false
            mainIten.resendUnderLock(1500)
            mainIten.bridge.ui_02H_SetKeyMatrixNo(0)
        }
    }
    SingleKey {
        id: singleKeyMain
        objectName: "singleKeyMain"
        theme: theme
        bridge: mainIten.bridge
        keyMatrix: keyMatrixMain
        mouse: mouseMain
        macroKeyLang: macroKeyMain.macroKeyLang
        onDismissed: mainMask.visible = false
    }
    MacroKey {
        id: macroKeyMain
        objectName: "macroKeyMain"
        theme: theme
        bridge: mainIten.bridge
        gunControl: gunControlMain
        macroEditor: macroEditorMain
        keyMatrix: keyMatrixMain
        mouse: mouseMain
        gunSlotSure: gunSlotSure
        onOpened: mainMask.visible = true
        onDismissed: mainMask.visible = false
    }

    SureDialog {
        id: factorysure
        objectName: "factorysure"

        theme: theme
        title: mainIten.mainLang[26]
        message: mainIten.mainLang[27]
        DialogButton {
            objectName: "factoryOkButton"
            theme: theme
            label: mainIten.mainLang[28]
            onClicked: mainIten.factoryReset()
        }
        DialogButton {
            objectName: "factoryCancelButton"
            theme: theme
            label: mainIten.mainLang[29]
            onClicked: {
                factorysure.visible = false
                mainMask.visible = false
            }
        }
    }

    SureDialog {
        id: gunSlotSure
        objectName: "gunSlotSure"

        theme: theme
        z: 10
        property var rows: []
        title: macroKeyMain.macroKeyLang[0]
        message: "The macro of button row " + rows.map(function (row) { return row + 1 }).join(", ")
                 + " will stop working. Continue?"
        DialogButton {
            objectName: "gunSlotOkButton"
            theme: theme
            label: mainIten.mainLang[28]
            onClicked: macroKeyMain.accept()
        }
        DialogButton {
            objectName: "gunSlotCancelButton"
            theme: theme
            label: mainIten.mainLang[29]
            onClicked: gunSlotSure.visible = false
        }
    }
    SureDialog {
        id: leftKeysure
        objectName: "leftKeysure"
        theme: theme
        title: mainIten.mainLang[37]
        message: mainIten.mainLang[38]
        DialogButton {
            objectName: "leftKeyOkButton"
            theme: theme
            label: mainIten.mainLang[28]
            onClicked: {
                leftKeysure.visible = false
                mainMask.visible = false
            }
        }
    }

    // The help menu: the web address (if any), the firmware updater and the version.
    HelpMenu {
        id: askMenu
        objectName: "askMenu"
        x: 790
        y: 24
        theme: theme
        helpAddress: mainIten.helpAddress
        onUpdateChosen: mainIten.bridge.openUpdateExe()
    }

    KeyCodeString { id: _KeyCodeString; objectName: "_KeyCodeString" }
}
