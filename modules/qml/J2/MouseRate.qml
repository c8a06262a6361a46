import QtQuick

// The desktop's pointer speed.
DialPanel {
    id: panel
    title: panel.theme.mainLang[10]

    property alias mouseRateValue: panel.value

    signal mouseRateChange()
    signal clickMouseRate()

    function load() { return panel.bridge.getCursorSpeed() }
    function store(value) { panel.bridge.setCursorSpeed(value) }
    onDialPressed: clickMouseRate()
    onDialReleased: mouseRateChange()
    onMouseRateChange: isSave = true
}
