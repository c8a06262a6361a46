import QtQuick
import "../basic"

// The common panel shell: a title bar that folds the panel's content away and back.
Item {
    id: frame
    // The frame's look and texts.
    required property Theme theme
    // The program's side of the scene (the view's slots).
    required property var bridge
    width: 242
    height: titleHeight + contentHeight
    clip: true

    property string title: ""
    property int contentHeight: 100
    property bool isOpen: true
    readonly property int titleHeight: 18
    readonly property bool animating: foldAnimation.running
    default property alias content: contentArea.data

    signal openCloseMenu()
    signal clickFrame()

    Rectangle {
        id: contentArea
        objectName: "frameContent"
        y: frame.titleHeight
        width: 242
        height: frame.contentHeight
        color: "#b31a1a1a"
    }

    Rectangle {
        objectName: "frameTitle"
        width: 242
        height: frame.titleHeight
        color: "#1a1a1a"
        Text {
            x: 7
            anchors.verticalCenter: parent.verticalCenter
            text: frame.title
            color: frame.theme.fontColor
            font.family: frame.theme.fontFamily
            font.pixelSize: frame.theme.fontNormalSize
        }
        Text {
            anchors.right: parent.right
            anchors.rightMargin: 7
            anchors.verticalCenter: parent.verticalCenter
            text: "—"
            color: frame.theme.fontColor
            font.family: frame.theme.fontFamily
            font.pixelSize: frame.theme.fontNormalSize
        }
        MouseArea {
            anchors.fill: parent
            onClicked: {
                // A second click while folding would start from a half-way height: ignore it.
                if (frame.animating)
                    return
                frame.openCloseMenu()
                frame.clickFrame()
                frame.isOpen = !frame.isOpen
                heightAnimation.to = frame.isOpen ? frame.titleHeight + frame.contentHeight : frame.titleHeight
                contentAnimation.to = frame.isOpen ? frame.titleHeight : frame.titleHeight - frame.contentHeight
                foldAnimation.start()
            }
        }
    }

    ParallelAnimation {
        id: foldAnimation
        NumberAnimation {
            id: heightAnimation
            target: frame
            property: "height"
            duration: frame.theme.animation_speed
            easing.type: Easing.OutQuint
        }
        NumberAnimation {
            id: contentAnimation
            target: contentArea
            property: "y"
            duration: frame.theme.animation_speed
            easing.type: Easing.OutQuint
        }
    }
}
