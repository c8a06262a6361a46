import QtQuick

// How quickly two clicks must follow each other to count as a double click.
DialPanel {
    id: panel
    title: panel.theme.mainLang[11]

    property alias doubleRateValue: panel.value

    signal doubleRateChange()
    signal clickDoubleRate()

    function load() { return panel.bridge.getDoubleClickSpeed() }
    function store(value) { panel.bridge.setDoubleClickSpeed(value) }
    onDialPressed: clickDoubleRate()
    onDialReleased: doubleRateChange()
    onDoubleRateChange: isSave = true
}
