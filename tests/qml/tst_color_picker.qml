import QtQuick
import QtTest
import "../../modules/qml/basic"
import "../../modules/qml/J2"

// The DPI colour picker on its own: nothing but the look the frame hands it.
TestCase {
    id: testCase
    name: "ColorPicker"
    width: 200
    height: 120
    visible: true
    when: windowShown

    Theme { id: theme; fontFamily: "Arial" }
    Component { id: pickerComponent; ColorPicker {} }
    SignalSpy { id: chosenSpy; signalName: "colourChosen" }

    function test_preset_click_reports_its_colour_data() {
        return [
            { tag: "first preset", preset: 0, colour: "#ff0000", shown: "R 255   G 0   B 0" },
            { tag: "blue", preset: 1, colour: "#0000ff", shown: "R 0   G 0   B 255" },
            { tag: "last preset", preset: 5, colour: "#ff00ff", shown: "R 255   G 0   B 255" },
        ]
    }

    function test_preset_click_reports_its_colour(data) {
        var picker = createTemporaryObject(pickerComponent, testCase, { theme: theme })
        verify(picker !== null, "the picker is made with only its required properties")
        chosenSpy.target = picker
        chosenSpy.clear()
        picker.openFor(0, "#00ff00")
        picker.y = 0
        verify(picker.visible)

        var preset = findChild(picker, "colorPreset" + data.preset)
        verify(preset !== null)
        waitForRendering(picker)
        mouseClick(preset)
        compare(chosenSpy.count, 1)
        compare(chosenSpy.signalArguments[0][0], data.colour)
        compare(findChild(picker, "customColorText").text, data.shown)
    }
}
