import QtQuick

// The desktop's pointer speed.
DialPanel {
    id: panel
    title: mainIten.mainLang[10]

    property alias mouseRateValue: panel.value

    signal mouseRateChange()
    signal clickMouseRate()

    load: function () { return ui_View.getCursorSpeed() }
    store: function (value) { ui_View.setCursorSpeed(value) }
    onDialPressed: clickMouseRate()
    onDialReleased: mouseRateChange()
    onMouseRateChange: isSave = true
}
