import QtQuick

// Holds the mouse picture's place over the window until the picture is built: the frame clears the
// highlighted button through it.
Item {
    property int selectKey: -1
}
