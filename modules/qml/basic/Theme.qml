import QtQuick

// The frame's look and texts, handed to every page: fonts, colours, the skin's image URLs and the frame
// texts of the chosen language. The frame binds it to its own root properties, which the language tables
// replace at start-up.
QtObject {
    property var mainLang: []
    property int language: 1
    property int skin_No: 1
    property string fontFamily: ""
    property int fontNormalSize: 11
    property int fontMinSize: 10
    property int fontMiddleSize: 14
    property int fontMaxSize: 16
    property color fontColor: "#ffffff"
    property int animation_speed: 300
    // The frame's fixed layout, which dialogs are kept inside of.
    property int frameWidth: 1000
    property int frameHeight: 640

    // "qrc:/<group>/modules/img/skin<n>/<group>/<name>.png": each image group is a resource prefix of its own.
    function imageUrl(group: string, name: string): string {
        return "qrc:/" + group + "/modules/img/skin" + skin_No + "/" + group + "/" + name + ".png"
    }
}
