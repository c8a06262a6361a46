import QtQuick

// How quickly two clicks must follow each other to count as a double click.
DialPanel {
    id: panel
    title: mainIten.mainLang[11]

    property alias doubleRateValue: panel.value

    signal doubleRateChange()
    signal clickDoubleRate()

    load: function () { return ui_View.getDoubleClickSpeed() }
    store: function (value) { ui_View.setDoubleClickSpeed(value) }
    onDialPressed: clickDoubleRate()
    onDialReleased: doubleRateChange()
    onDoubleRateChange: isSave = true
}
