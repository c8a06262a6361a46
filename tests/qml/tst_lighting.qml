import QtQuick
import QtTest
import "../../modules/qml/J2/lighting.js" as Lighting

TestCase {
    name: "Lighting"

    function test_light_level_data() {
        return [
            { tag: "left of the slider", x: -3, level: 0 },
            { tag: "33", x: 33, level: 0 }, { tag: "34", x: 34, level: 1 },
            { tag: "62", x: 62, level: 1 }, { tag: "63", x: 63, level: 2 },
            { tag: "92", x: 92, level: 2 }, { tag: "93", x: 93, level: 3 },
            { tag: "121", x: 121, level: 3 }, { tag: "122", x: 122, level: 4 },
            { tag: "right of the slider", x: 140, level: 4 },
        ];
    }

    function test_light_level(data) {
        compare(Lighting.lightLevel(data.x), data.level);
    }

    function test_light_level_centre_data() {
        return [
            { tag: "0", level: 0, centre: 4 }, { tag: "1", level: 1, centre: 34 },
            { tag: "2", level: 2, centre: 63 }, { tag: "3", level: 3, centre: 93 },
            { tag: "4", level: 4, centre: 122 },
        ];
    }

    // A knob placed on a level's centre must read back as that level.
    function test_light_level_centre(data) {
        compare(Lighting.lightLevelCentre(data.level), data.centre);
        compare(Lighting.lightLevel(data.centre), data.level);
    }

    function test_set_led_arguments_data() {
        return [
            { tag: "Static", effect: 1, level: 2, mask: 5, args: [1, 2, 3] },
            { tag: "Breath at level 0", effect: 2, level: 0, mask: 5, args: [2, 0, 3] },
            { tag: "RGB", effect: 3, level: 4, mask: 0, args: [3, 4, 3] },
            { tag: "Finger Tapping ignores the level", effect: 4, level: 0, mask: 5, args: [4, 2, 5] },
            { tag: "Finger Tapping with no keys", effect: 4, level: 3, mask: 0, args: [4, 2, 0] },
        ];
    }

    function test_set_led_arguments(data) {
        compare(Lighting.setLedArguments(data.effect, data.level, data.mask), data.args);
    }

    function test_toggle_mask_data() {
        return [
            { tag: "none", l: false, r: false, m: false, mask: 0 },
            { tag: "left", l: true, r: false, m: false, mask: 1 },
            { tag: "right", l: false, r: true, m: false, mask: 2 },
            { tag: "middle", l: false, r: false, m: true, mask: 4 },
            { tag: "left and right", l: true, r: true, m: false, mask: 3 },
            { tag: "left and middle", l: true, r: false, m: true, mask: 5 },
            { tag: "right and middle", l: false, r: true, m: true, mask: 6 },
            { tag: "all", l: true, r: true, m: true, mask: 7 },
        ];
    }

    function test_toggle_mask(data) {
        compare(Lighting.toggleMask(data.l, data.r, data.m), data.mask);
    }

    function test_send_values_data() {
        return [
            { tag: "Static level 0 is off", effect: 1, level: 0, option: 3, sent: [0, 0, 0] },
            { tag: "off ignores the option", effect: 1, level: 0, option: 7, sent: [0, 0, 0] },
            { tag: "Static level 1", effect: 1, level: 1, option: 3, sent: [1, 1, 3] },
            { tag: "Static level 3", effect: 1, level: 3, option: 3, sent: [1, 3, 3] },
            { tag: "Static level 4 keeps the option", effect: 1, level: 4, option: 5, sent: [1, 4, 5] },
            { tag: "Static out of range falls back to 1", effect: 1, level: 5, option: 3, sent: [1, 1, 3] },
            { tag: "Breath level 0", effect: 2, level: 0, option: 3, sent: [2, 1, 3] },
            { tag: "Breath level 4", effect: 2, level: 4, option: 3, sent: [2, 5, 3] },
            { tag: "RGB level 0", effect: 3, level: 0, option: 1, sent: [3, 1, 1] },
            { tag: "RGB level 4", effect: 3, level: 4, option: 3, sent: [3, 5, 3] },
            { tag: "Finger Tapping", effect: 4, level: 0, option: 6, sent: [4, 2, 6] },
            { tag: "Finger Tapping ignores the level", effect: 4, level: 4, option: 1, sent: [4, 2, 1] },
            { tag: "unknown effect", effect: 7, level: 3, option: 3, sent: [7, 1, 3] },
            { tag: "effect 0", effect: 0, level: 2, option: 3, sent: [0, 1, 3] },
        ];
    }

    function test_send_values(data) {
        compare(Lighting.sendValues(data.effect, data.level, data.option), data.sent);
    }

    function test_loaded_effect_data() {
        var none = { left: false, right: false, middle: false };
        return [
            { tag: "Static", list: [1, 2, 0], effect: 1, levels: [2, 4, 4], toggles: none },
            { tag: "Breath ignores option2", list: [2, 0, 7], effect: 2, levels: [4, 0, 4], toggles: none },
            { tag: "RGB", list: [3, 3, 0], effect: 3, levels: [4, 4, 3], toggles: none },
            { tag: "Finger Tapping left and middle", list: [4, 0, 5], effect: 4, levels: [4, 4, 4],
              toggles: { left: true, right: false, middle: true } },
            { tag: "Finger Tapping right", list: [4, 2, 2], effect: 4, levels: [4, 4, 4],
              toggles: { left: false, right: true, middle: false } },
            { tag: "Finger Tapping, other bits ignored", list: [4, 0, 8], effect: 4, levels: [4, 4, 4],
              toggles: none },
            { tag: "off shows as Finger Tapping", list: [0, 0, 0], effect: 4, levels: [4, 4, 4],
              toggles: none },
            { tag: "unknown shows as Finger Tapping", list: [9, 1, 7], effect: 4, levels: [4, 4, 4],
              toggles: { left: true, right: true, middle: true } },
        ];
    }

    function test_loaded_effect(data) {
        var loaded = Lighting.loadedEffect(data.list);
        compare(loaded.effect, data.effect);
        compare(loaded.levels, data.levels);
        compare(loaded.toggles, data.toggles);
    }

    // The panel keeps and edits the levels it is given; that must not reach back into a shared default.
    function test_loaded_levels_are_fresh() {
        var first = Lighting.loadedEffect([1, 0, 0]);
        first.levels[1] = 0;
        first.toggles.left = true;
        var second = Lighting.loadedEffect([1, 0, 0]);
        compare(second.levels, [0, 4, 4]);
        compare(second.toggles.left, false);
    }
}
