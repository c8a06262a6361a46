import QtQuick

// The window's background: one picture filling the whole frameless window.
Item {
    id: environment
    width: 1000
    height: 640

    property url source: "qrc:/modules/img/background.png"

    Image {
        objectName: "background"
        anchors.fill: parent
        source: environment.source
        asynchronous: false
    }
}
