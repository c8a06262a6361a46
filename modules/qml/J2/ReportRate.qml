import QtQuick
import "performance.js" as Performance

// The polling rate: a round selector whose quadrants stand for 1000, 500, 250 and 125 reports a second.
Frame {
    id: panel
    title: panel.theme.mainLang[9]
    contentHeight: 110

    property bool isSave: false
    // The polling interval in ms: 1, 2, 4 or 8.
    property int reportValue: 1

    signal clickReportRate()

    function init(isSendData) {
        reportValue = Performance.loadedReportRate(panel.bridge.ui_83H_GetReportRate())
        if (isSendData) {
            isSave = false
            saveData()
        }
    }

    function saveData() {
        panel.bridge.ui_03H_SetReportRate(reportValue)
    }

    // Any change of the shown rate, the user's or a loaded one that differs, waits for Save.
    onReportValueChanged: isSave = true

    Image {
        id: selector
        asynchronous: true
        objectName: "reportRateImage"
        anchors.horizontalCenter: parent.horizontalCenter
        y: 7
        source: panel.theme.imageUrl("reportRate", Performance.pollingImage(panel.reportValue, panel.theme.language))
        MouseArea {
            anchors.fill: parent
            preventStealing: true
            function choose(mouse) {
                panel.reportValue = Performance.pollingRate(mouse.x, mouse.y, selector.width, selector.height)
            }
            onPressed: function (mouse) {
                panel.clickReportRate()
                choose(mouse)
            }
            onPositionChanged: function (mouse) {
                if (containsMouse)
                    choose(mouse)
            }
        }
    }
}
