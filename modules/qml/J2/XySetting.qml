import QtQuick

// Holds this panel's place in the frame, with the contract Save, Cancel and Reset rely on, until the
// panel's own controls are built.
Frame {
    title: mainIten.mainLang[0]
    contentHeight: 112

    property bool isSave: false

    function init(isSendData) {}
    function saveData() {}
}
