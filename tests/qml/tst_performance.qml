import QtQuick
import QtTest
import "../../modules/qml/J2/performance.js" as Performance

TestCase {
    name: "Performance"

    // --- DPI stage slider ---

    function test_dpi_from_bar_height_data() {
        return [
            { tag: "empty bar is the lowest DPI", h: 0, dpi: 200 },
            { tag: "full bar is the highest DPI", h: 154, dpi: 16400 },
            { tag: "half bar", h: 77, dpi: 8300 },
            { tag: "one pixel floors to the lower hundred", h: 1, dpi: 300 },
            { tag: "half a pixel stays at 200", h: 0.5, dpi: 200 },
            { tag: "10719.48 floors to 10700", h: 100, dpi: 10700 },
            { tag: "just under full floors", h: 153, dpi: 16200 },
            { tag: "negative clamps to the bottom", h: -5, dpi: 200 },
            { tag: "above the track clamps to the top", h: 200, dpi: 16400 },
        ];
    }

    function test_dpi_from_bar_height(data) {
        compare(Performance.dpiFromBarHeight(data.h), data.dpi);
    }

    function test_bar_height_from_dpi_data() {
        return [
            { tag: "lowest DPI is an empty bar", dpi: 200, h: 0 },
            { tag: "highest DPI is a full bar", dpi: 16400, h: 154 },
            { tag: "middle", dpi: 8300, h: 77 },
            { tag: "not rounded", dpi: 10800, h: 10600 * 154 / 16200 },
            { tag: "below range clamps", dpi: 100, h: 0 },
            { tag: "above range clamps", dpi: 20000, h: 154 },
        ];
    }

    function test_bar_height_from_dpi(data) {
        fuzzyCompare(Performance.barHeightFromDpi(data.dpi), data.h, 1e-9);
    }

    // A loaded stage places its bar; reading the bar back must give the same DPI, or opening and saving
    // the panel would lower the user's values by a hundred.
    function test_every_dpi_reads_back_from_its_bar() {
        var wrong = [];
        for (var dpi = 200; dpi <= 16400; dpi += 100) {
            if (Performance.dpiFromBarHeight(Performance.barHeightFromDpi(dpi)) !== dpi)
                wrong.push(dpi);
        }
        compare(wrong, []);
    }

    function test_bar_height_from_pointer_data() {
        return [
            { tag: "top of the track", y: 8, h: 154 },
            { tag: "above the track", y: 0, h: 154 },
            { tag: "bottom of the track", y: 162, h: 0 },
            { tag: "below the track", y: 170, h: 0 },
            { tag: "middle", y: 85, h: 77 },
            { tag: "fractional", y: 100.5, h: 61.5 },
        ];
    }

    function test_bar_height_from_pointer(data) {
        compare(Performance.barHeightFromPointer(data.y), data.h);
    }

    function test_dpi_code_data() {
        return [
            { tag: "200", dpi: 200, code: 1 },
            { tag: "16400", dpi: 16400, code: 163 },
            { tag: "10800", dpi: 10800, code: 107 },
            { tag: "250 floors", dpi: 250, code: 1 },
            { tag: "299 floors", dpi: 299, code: 1 },
            { tag: "300", dpi: 300, code: 2 },
        ];
    }

    function test_dpi_code(data) {
        compare(Performance.dpiCode(data.dpi), data.code);
    }

    function test_dpi_arguments() {
        var values = [400, 800, 1600, 3200, 6400, 10800, 16400];
        var flags = [true, false, true, true, false, false, true];
        var colours = ["#ff0000", "#00ff00", "#0000ff", "#ffff00", "#00ffff", "#ff00ff", "#123456"];
        var args = Performance.dpiArguments(values, flags, colours);

        compare(args.values, [400, 800, 1600, 3200, 6400, 10800, 16400, 250]);
        compare(args.codes, [3, 7, 15, 31, 63, 107, 163, 1]);
        compare(args.flags, [1, 0, 1, 1, 0, 0, 1, 0]);
        compare(args.colorBytes, [255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 255, 255, 255, 0, 255,
                                  0x12, 0x34, 0x56, 0, 0, 0]);
        // The panel's own arrays stay as they were.
        compare(values.length, 7);
        compare(flags.length, 7);
        compare(colours.length, 7);
    }

    function test_colour_from_bytes_data() {
        var bytes = [1, 2, 3, 0x10, 0x20, 0x30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xab, 0xcd, 0xef, 255, 254, 253];
        return [
            { tag: "first stage, one-digit bytes are padded", bytes: bytes, stage: 0, colour: "#010203" },
            { tag: "second stage", bytes: bytes, stage: 1, colour: "#102030" },
            { tag: "black", bytes: bytes, stage: 2, colour: "#000000" },
            { tag: "lower-case hex", bytes: bytes, stage: 5, colour: "#abcdef" },
            { tag: "last stage", bytes: bytes, stage: 6, colour: "#fffefd" },
        ];
    }

    function test_colour_from_bytes(data) {
        compare(Performance.colourFromBytes(data.bytes, data.stage), data.colour);
    }

    function test_colour_text_data() {
        return [
            { tag: "red", r: 255, g: 0, b: 0, colour: "#ff0000" },
            { tag: "small components are padded", r: 1, g: 2, b: 3, colour: "#010203" },
            { tag: "lower case", r: 171, g: 205, b: 239, colour: "#abcdef" },
            { tag: "clamped and floored", r: 300, g: -5, b: 15.7, colour: "#ff000f" },
        ];
    }

    function test_colour_text(data) {
        compare(Performance.colourText(data.r, data.g, data.b), data.colour);
    }

    // --- Colour picker hue bar ---

    function test_hue_colour_data() {
        return [
            { tag: "left end is red", x: -2, colour: "#ff0000" },
            { tag: "left of the bar clamps", x: -10, colour: "#ff0000" },
            { tag: "red to yellow", x: 8, colour: "#ff7900" },
            { tag: "yellow", x: 19, colour: "#ffff00" },
            { tag: "yellow to green", x: 29, colour: "#86ff00" },
            { tag: "green", x: 40, colour: "#00ff00" },
            { tag: "green to cyan", x: 50, colour: "#00ff79" },
            { tag: "cyan", x: 61, colour: "#00ffff" },
            { tag: "cyan to blue", x: 71, colour: "#0086ff" },
            { tag: "blue", x: 82, colour: "#0000ff" },
            { tag: "blue to magenta", x: 92, colour: "#7900ff" },
            { tag: "magenta", x: 103, colour: "#ff00ff" },
            { tag: "magenta to red", x: 113, colour: "#ff0086" },
            { tag: "end of the last segment", x: 123, colour: "#ff000d" },
            { tag: "past the segments is red", x: 124, colour: "#ff0000" },
            { tag: "right end is red", x: 125, colour: "#ff0000" },
            { tag: "right of the bar clamps", x: 200, colour: "#ff0000" },
        ];
    }

    function test_hue_colour(data) {
        compare(Performance.hueColour(data.x), data.colour);
    }

    function test_hue_position_data() {
        return [
            { tag: "red", colour: "#ff0000", x: -2 },
            { tag: "orange", colour: "#ff8000", x: 8 },
            { tag: "yellow", colour: "#ffff00", x: 19 },
            { tag: "green", colour: "#00ff00", x: 40 },
            { tag: "spring green", colour: "#00ff80", x: 51 },
            { tag: "cyan is read on the blue side", colour: "#00ffff", x: 62 },
            { tag: "blue", colour: "#0000ff", x: 83 },
            { tag: "magenta", colour: "#ff00ff", x: 104 },
            { tag: "rose", colour: "#ff0080", x: 115 },
            { tag: "grey opens at the left end", colour: "#808080", x: -2 },
            { tag: "white opens at the left end", colour: "#ffffff", x: -2 },
            { tag: "unparsable opens at the left end", colour: "red", x: -2 },
            { tag: "empty opens at the left end", colour: "", x: -2 },
        ];
    }

    function test_hue_position(data) {
        compare(Performance.huePosition(data.colour), data.x);
    }

    // Reopening the picker on a colour it produced puts the slider back within a couple of pixels,
    // except at the right end, whose red is the same as the left end's.
    function test_hue_position_returns_near_the_picked_x() {
        var far = [];
        for (var x = -2; x <= 123; ++x) {
            if (Math.abs(Performance.huePosition(Performance.hueColour(x)) - x) > 2)
                far.push(x);
        }
        compare(far, []);
    }

    // --- Polling rate ---

    function test_polling_rate_data() {
        return [
            { tag: "upper right", x: 75, y: 10, rate: 1 },
            { tag: "lower right", x: 75, y: 60, rate: 2 },
            { tag: "lower left", x: 10, y: 60, rate: 4 },
            { tag: "upper left", x: 10, y: 10, rate: 8 },
            { tag: "the centre is lower right", x: 50, y: 40, rate: 2 },
            { tag: "just upper left of the centre", x: 49.9, y: 39.9, rate: 8 },
        ];
    }

    function test_polling_rate(data) {
        compare(Performance.pollingRate(data.x, data.y, 100, 80), data.rate);
    }

    function test_polling_image_data() {
        return [
            { tag: "1", rate: 1, language: 1, image: "reportRate3" },
            { tag: "2", rate: 2, language: 1, image: "reportRate2" },
            { tag: "4", rate: 4, language: 1, image: "reportRate1" },
            { tag: "8", rate: 8, language: 1, image: "reportRate0" },
            { tag: "1 English", rate: 1, language: 0, image: "reportRateEn3" },
            { tag: "2 English", rate: 2, language: 0, image: "reportRateEn2" },
            { tag: "4 English", rate: 4, language: 0, image: "reportRateEn1" },
            { tag: "8 English", rate: 8, language: 0, image: "reportRateEn0" },
            { tag: "other languages", rate: 4, language: 2, image: "reportRate1" },
            { tag: "unknown shows as 8", rate: 16, language: 1, image: "reportRate0" },
            { tag: "unknown shows as 8, English", rate: 3, language: 0, image: "reportRateEn0" },
        ];
    }

    function test_polling_image(data) {
        compare(Performance.pollingImage(data.rate, data.language), data.image);
    }

    function test_loaded_report_rate_data() {
        return [
            { tag: "1", v: 1, rate: 1 },
            { tag: "4", v: 4, rate: 4 },
            { tag: "8", v: 8, rate: 8 },
            { tag: "9 is 8", v: 9, rate: 8 },
            { tag: "255 is 8", v: 255, rate: 8 },
        ];
    }

    function test_loaded_report_rate(data) {
        compare(Performance.loadedReportRate(data.v), data.rate);
    }

    // --- Axis sensitivity ---

    function test_sensitivity_step_data() {
        return [
            { tag: "left of the slider", x: -5, step: 0 },
            { tag: "29", x: 29, step: 0 }, { tag: "30", x: 30, step: 1 },
            { tag: "51", x: 51, step: 1 }, { tag: "52", x: 52, step: 2 },
            { tag: "73", x: 73, step: 2 }, { tag: "74", x: 74, step: 3 },
            { tag: "94", x: 94, step: 3 }, { tag: "95", x: 95, step: 4 },
            { tag: "115", x: 115, step: 4 }, { tag: "116", x: 116, step: 5 },
            { tag: "136", x: 136, step: 5 }, { tag: "137", x: 137, step: 6 },
            { tag: "158", x: 158, step: 6 }, { tag: "159", x: 159, step: 7 },
            { tag: "179", x: 179, step: 7 }, { tag: "180", x: 180, step: 8 },
            { tag: "199", x: 199, step: 8 }, { tag: "200", x: 200, step: 9 },
            { tag: "right of the slider", x: 230, step: 9 },
        ];
    }

    function test_sensitivity_step(data) {
        compare(Performance.sensitivityStep(data.x), data.step);
    }

    function test_sensitivity_centre_and_value_data() {
        var centres = [10, 30, 52, 74, 95, 116, 137, 159, 180, 200];
        var rows = [];
        for (var step = 0; step < centres.length; ++step)
            rows.push({ tag: "step " + step, step: step, centre: centres[step], value: 20 * (step + 1) });
        return rows;
    }

    // A knob dropped on a step's centre must read back as that step.
    function test_sensitivity_centre_and_value(data) {
        compare(Performance.sensitivityCentre(data.step), data.centre);
        compare(Performance.sensitivityStep(data.centre), data.step);
        compare(Performance.sensitivityValue(data.step), data.value);
    }

    // --- Gesture correction ---

    function test_gesture_step_data() {
        return [
            { tag: "left of the slider", x: -1, step: 0 },
            { tag: "38", x: 38, step: 0 }, { tag: "39", x: 39, step: 1 },
            { tag: "75", x: 75, step: 1 }, { tag: "76", x: 76, step: 2 },
            { tag: "115", x: 115, step: 2 }, { tag: "116", x: 116, step: 3 },
            { tag: "148", x: 148, step: 3 }, { tag: "149", x: 149, step: 4 },
            { tag: "right of the slider", x: 160, step: 4 },
        ];
    }

    function test_gesture_step(data) {
        compare(Performance.gestureStep(data.x), data.step);
    }

    function test_gesture_centre_data() {
        return [
            { tag: "0", step: 0, centre: 4 }, { tag: "1", step: 1, centre: 39 },
            { tag: "2", step: 2, centre: 76 }, { tag: "3", step: 3, centre: 116 },
            { tag: "4", step: 4, centre: 149 },
        ];
    }

    function test_gesture_centre(data) {
        compare(Performance.gestureCentre(data.step), data.centre);
        compare(Performance.gestureStep(data.centre), data.step);
    }

    // --- Dials (centre x 150, base line y 70) ---

    function test_dial_angle_data() {
        return [
            { tag: "left on the base line", x: 100, y: 70, angle: 0 },
            { tag: "left below the base line counts as on it", x: 100, y: 90, angle: 0 },
            { tag: "left diagonal", x: 140, y: 60, angle: 45 },
            { tag: "left shallow", x: 130, y: 59, angle: 28 },
            { tag: "straight above", x: 150, y: 20, angle: 90 },
            { tag: "right diagonal", x: 160, y: 60, angle: 135 },
            { tag: "right steep", x: 180, y: 20, angle: 120 },
            { tag: "right on the base line", x: 200, y: 70, angle: 180 },
            { tag: "right below the base line", x: 200, y: 100, angle: 180 },
        ];
    }

    function test_dial_angle(data) {
        compare(Performance.dialAngle(data.x, data.y, 150), data.angle);
    }

    function test_dial_value_data() {
        return [
            { tag: "left end of the base line", x: 50, y: 70, value: 0 },
            { tag: "17 degrees", x: 50, y: 39, value: 1 },
            { tag: "18 degrees", x: 50, y: 37, value: 2 },
            { tag: "45 degrees", x: 140, y: 60, value: 3 },
            { tag: "straight above the centre", x: 150, y: 0, value: 6 },
            { tag: "179 degrees", x: 250, y: 69, value: 10 },
            { tag: "right end of the base line", x: 250, y: 70, value: 11 },
        ];
    }

    function test_dial_value(data) {
        compare(Performance.dialValue(data.x, data.y, 150), data.value);
    }

    function test_dial_image_data() {
        return [
            { tag: "negative", value: -1, image: "mouseRate0" },
            { tag: "0", value: 0, image: "mouseRate0" },
            { tag: "5", value: 5, image: "mouseRate5" },
            { tag: "10", value: 10, image: "mouseRate10" },
            { tag: "11 shows as 10", value: 11, image: "mouseRate10" },
        ];
    }

    function test_dial_image(data) {
        compare(Performance.dialImage(data.value), data.image);
    }

    // --- Scroll lines ---

    function test_scroll_field_value_data() {
        return [
            { tag: "empty", text: "", value: 1 },
            { tag: "letters", text: "abc", value: 1 },
            { tag: "digits then letters", text: "12a", value: 1 },
            { tag: "zero", text: "0", value: 1 },
            { tag: "negative", text: "-3", value: 1 },
            { tag: "1", text: "1", value: 1 },
            { tag: "42", text: "42", value: 42 },
            { tag: "leading zeros", text: "007", value: 7 },
            { tag: "100", text: "100", value: 100 },
            { tag: "101", text: "101", value: 100 },
            { tag: "999", text: "999", value: 100 },
        ];
    }

    function test_scroll_field_value(data) {
        compare(Performance.scrollFieldValue(data.text), data.value);
    }

    function test_scroll_steps_data() {
        return [
            { tag: "empty", text: "", up: "2", down: "1" },
            { tag: "zero", text: "0", up: "2", down: "1" },
            { tag: "1", text: "1", up: "2", down: "1" },
            { tag: "2", text: "2", up: "3", down: "1" },
            { tag: "5", text: "5", up: "6", down: "4" },
            { tag: "99", text: "99", up: "100", down: "98" },
            { tag: "100", text: "100", up: "100", down: "99" },
            { tag: "999", text: "999", up: "100", down: "99" },
        ];
    }

    // The field holds text, so the steps must give text back.
    function test_scroll_steps(data) {
        var up = Performance.scrollStepUp(data.text);
        var down = Performance.scrollStepDown(data.text);
        compare(typeof up, "string");
        compare(typeof down, "string");
        compare(up, data.up);
        compare(down, data.down);
    }

    function test_one_screen_data() {
        return [
            { tag: "1000", lines: 1000, oneScreen: true },
            { tag: "100 lines", lines: 100, oneScreen: false },
            { tag: "999", lines: 999, oneScreen: false },
            { tag: "text is not a line count", lines: "1000", oneScreen: false },
        ];
    }

    function test_one_screen(data) {
        compare(Performance.kOneScreen, 1000);
        compare(Performance.isOneScreen(data.lines), data.oneScreen);
    }
}
