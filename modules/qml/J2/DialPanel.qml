import QtQuick

// A panel holding one dial whose value is read from and written to the desktop through `load` and `store`.
Frame {
    id: panel
    contentHeight: 104

    property bool isSave: false
    property alias value: dial.value
    property var load: function () { return 5 }
    property var store: function (value) {}

    signal dialPressed()
    signal dialReleased()

    function init(isSendData) {
        value = load()
        if (isSendData)
            saveData()
    }

    // The desktop may not take the value (no such setting there): the dial then shows what it holds.
    function saveData() {
        store(value)
        value = load()
    }

    Dial {
        id: dial
        objectName: panel.objectName + "Dial"
        x: 41
        y: 6
        onPressed: panel.dialPressed()
        onReleased: panel.dialReleased()
    }
}
