import QtQuick

// Moves the window by the pointer's offset from the press point; the window follows the pointer, so the
// press point stays under it and each move reports only new motion.
MouseArea {
    id: dragArea
    property point pressPoint
    signal pressStarted()
    // The pointer moved this far from the press point: the window is to move by as much.
    signal dragged(real dx, real dy)
    onPressed: function (mouse) {
        dragArea.pressPoint = Qt.point(mouse.x, mouse.y)
        dragArea.pressStarted()
    }
    onPositionChanged: function (mouse) {
        if (!dragArea.pressed)
            return
        dragArea.dragged(mouse.x - dragArea.pressPoint.x, mouse.y - dragArea.pressPoint.y)
    }
}
