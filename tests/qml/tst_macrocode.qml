import QtQuick
import QtTest
import "../../modules/qml/J2/macroCode.js" as MacroCode

TestCase {
    name: "MacroCode"

    // The examples the program's own encoder is tested on as well (tests/view/test_macro_encoder.cpp):
    // the page must send the bytes the program would.
    property var examples: null

    function initTestCase() {
        var request = new XMLHttpRequest();
        var done = false;
        request.onreadystatechange = function () {
            if (request.readyState === XMLHttpRequest.DONE)
                done = true;
        };
        request.open("GET", Qt.resolvedUrl("../data/macro_examples.json"));
        request.send();
        // Qt reads local files through XMLHttpRequest only with QML_XHR_ALLOW_FILE_READ=1 (CTest sets it).
        tryVerify(function () { return done; }, 5000, "reading macro_examples.json (QML_XHR_ALLOW_FILE_READ=1?)");
        verify(request.responseText.length > 0, "macro_examples.json is empty or unreadable");
        examples = JSON.parse(request.responseText);
        verify(examples.macroPage.length > 0);
        verify(examples.recordCount.length > 0);
    }

    // "1,A" is a press of A: the type digit, a comma, the info, as the page stores its actions.
    function parseActions(lines) {
        return lines.map(function (line) {
            return { type: parseInt(line.charAt(0), 10), info: line.substring(2) };
        });
    }

    function hexText(bytes) {
        return bytes.map(function (value) {
            var digits = value.toString(16).toUpperCase();
            return digits.length < 2 ? "0" + digits : digits;
        }).join(" ");
    }

    function test_shared_examples_data() {
        return examples.macroPage.map(function (row) {
            return { tag: row.name, actions: row.actions, repeat: row.repeat, expected: row.expected };
        });
    }

    function test_shared_examples(data) {
        var actions = parseActions(data.actions);
        var stream = MacroCode.deCode(actions, data.repeat);
        compare(hexText(stream), data.expected.toUpperCase());
        compare(MacroCode.recordCount(actions), stream.length);
    }

    // Alternating presses and releases of B, with the row's pauses between them.
    function test_shared_record_counts_data() {
        return examples.recordCount.map(function (row) {
            var lines = [];
            for (var i = 0; i < row.events; ++i) {
                var last = i + 1 === row.events;
                var pause = last && row.pauseBeforeLastMs ? row.pauseBeforeLastMs : row.pauseMs;
                if (i > 0 && pause !== "")
                    lines.push("0," + pause);
                lines.push(i % 2 === 0 ? "1,B" : "2,B");
            }
            return { tag: row.name, lines: lines, expected: row.expected };
        });
    }

    function test_shared_record_counts(data) {
        var actions = parseActions(data.lines);
        compare(MacroCode.recordCount(actions), data.expected);
        compare(MacroCode.deCode(actions, 1).length, data.expected);
    }

    // The page's own key-name table decides the code: its backslash name is 0x32.
    function test_page_key_names_data() {
        return [
            { tag: "backslash", name: "\\ |", code: 0x32 },
            { tag: "right arrow", name: "►", code: 0x4F },
            { tag: "Intl'2", name: "Intl'2", code: 0x88 },
            { tag: "Int'l 2", name: "Int'l 2", code: 0x89 },
            { tag: "R Win", name: "R Win", code: 0xE7 },
        ];
    }

    function test_page_key_names(data) {
        compare(MacroCode.deCode([{ type: 1, info: data.name }, { type: 2, info: data.name }], 1),
                [0x00, 0x01, 0x01, data.code, 0x81, data.code, 0x00, 0x00]);
    }

    // What the page hands over may be numbers rather than text.
    function test_numbers_from_the_page() {
        var actions = [{ type: 1, info: "A" }, { type: 0, info: 50 }, { type: 2, info: "A" }];
        compare(MacroCode.deCode(actions, "300"), [0x01, 0x2C, 0x05, 0x04, 0x81, 0x04, 0x00, 0x00]);
        compare(MacroCode.recordCount(actions), 8);
        // The action list is the page's model; encoding leaves it alone.
        compare(actions[1], { type: 0, info: 50 });
    }

    function test_no_actions() {
        compare(MacroCode.deCode([], 1), [0x00, 0x01]);
        compare(MacroCode.deCode(undefined, 2), [0x00, 0x02]);
        compare(MacroCode.recordCount([]), 2);
    }
}
