pragma ComponentBehavior: Bound
import QtQuick
import "../basic"

// The mouse in the window's centre, from the top or from the side, with the button being assigned lit.
Item {
    id: picture
    // The frame's look and texts.
    required property Theme theme

    // The key index of the button to light; -1 lights none.
    property int selectKey: -1
    property bool isSide: false

    // Key index, picture number and place of every button that can be seen from each side.
    readonly property var topButtons: [
        { key: 0, image: 0, x: 364, y: 132 }, { key: 1, image: 1, x: 552, y: 132 },
        { key: 2, image: 2, x: 499, y: 201 }, { key: 5, image: 3, x: 363, y: 216 },
        { key: 6, image: 4, x: 512, y: 226 }, { key: 3, image: 5, x: 364, y: 265 },
        { key: 4, image: 6, x: 503, y: 297 }
    ]
    readonly property var sideButtons: [
        { key: 8, image: 0, x: 460, y: 168 }, { key: 9, image: 1, x: 488, y: 141 },
        { key: 10, image: 2, x: 545, y: 155 }, { key: 11, image: 3, x: 576, y: 236 },
        { key: 16, image: 4, x: 411, y: 289 }, { key: 17, image: 5, x: 516, y: 186 },
        { key: 18, image: 6, x: 545, y: 295 }, { key: 19, image: 7, x: 576, y: 282 },
        { key: 20, image: 8, x: 461, y: 317 }, { key: 21, image: 9, x: 491, y: 317 },
        { key: 22, image: 10, x: 521, y: 317 }, { key: 23, image: 11, x: 576, y: 310 }
    ]

    signal viewChanged(bool isSide)

    Image {
        asynchronous: true
        objectName: "mouseFront"
        x: 340
        y: 72
        visible: !picture.isSide
        source: picture.theme.imageUrl("mouse", "MouseFront")
    }
    Image {
        asynchronous: true
        objectName: "mouseSide"
        x: 310
        y: 142
        visible: picture.isSide
        source: picture.theme.imageUrl("mouse", "MouseSide")
    }
    Repeater {
        model: picture.isSide ? picture.sideButtons : picture.topButtons
        delegate: Image {
            id: buttonPicture
            required property var modelData
            asynchronous: true
            objectName: "mouseButton" + buttonPicture.modelData.key
            x: buttonPicture.modelData.x
            y: buttonPicture.modelData.y
            source: picture.theme.imageUrl("mouse", (picture.isSide ? "MouseSide" : "Mouse") + buttonPicture.modelData.image
                                               + (picture.selectKey === buttonPicture.modelData.key ? "" : "S"))
        }
    }
    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        y: 525 - 14
        spacing: 12
        Repeater {
            model: [{ label: picture.theme.mainLang[17], side: false }, { label: picture.theme.mainLang[18], side: true }]
            delegate: Image {
                id: viewTab
                required property var modelData
                asynchronous: true
                objectName: viewTab.modelData.side ? "sideViewTab" : "topViewTab"
                readonly property bool active: picture.isSide === viewTab.modelData.side
                source: picture.theme.imageUrl("mouse", active ? "mouseSidebtnS"
                                                          : (tabArea.containsMouse ? "mouseSidebtnH" : "mouseSidebtnN"))
                Text {
                    anchors.centerIn: parent
                    text: viewTab.modelData.label
                    color: parent.active ? "#fa6726" : picture.theme.fontColor
                    font.family: picture.theme.fontFamily
                    font.pixelSize: picture.theme.fontNormalSize
                }
                MouseArea {
                    id: tabArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: {
                        picture.isSide = viewTab.modelData.side
                        picture.viewChanged(picture.isSide)
                    }
                }
            }
        }
    }
}
