import QtQuick
import QtTest
import "../../modules/qml/J2/profiles.js" as Profiles

TestCase {
    name: "Profiles"

    function entry(name, no) {
        return { profileName: name, profileNo: no };
    }

    // Entries with the given numbers, named "p<number>".
    function numbered(numbers) {
        return numbers.map(function (no) { return entry("p" + no, no); });
    }

    function test_parse_stored_list_data() {
        return [
            { tag: "one profile", stored: ["Standard0"], entries: [entry("Standard", 0)] },
            { tag: "the placeholder after one profile is dropped", stored: ["Standard0", "loaderkorvid"],
              entries: [entry("Standard", 0)] },
            { tag: "order is kept", stored: ["B3", "A1", "C0"],
              entries: [entry("B", 3), entry("A", 1), entry("C", 0)] },
            { tag: "only the last digit is the number", stored: ["Game12"], entries: [entry("Game1", 2)] },
            { tag: "names may hold parentheses", stored: ["A(0)2"], entries: [entry("A(0)", 2)] },
            { tag: "all six numbers", stored: ["a0", "b1", "c2", "d3", "e4", "f5"],
              entries: [entry("a", 0), entry("b", 1), entry("c", 2), entry("d", 3), entry("e", 4),
                        entry("f", 5)] },
            { tag: "a repeated number keeps the first row", stored: ["A0", "B0", "C1"],
              entries: [entry("A", 0), entry("C", 1)] },
            { tag: "empty strings are skipped", stored: ["", "B1"], entries: [entry("B", 1)] },
            { tag: "number above 5 is skipped", stored: ["A6", "B2"], entries: [entry("B", 2)] },
            { tag: "9 is skipped", stored: ["A9", "B2"], entries: [entry("B", 2)] },
            { tag: "no digit is skipped", stored: ["Standard", "B4"], entries: [entry("B", 4)] },
            { tag: "a skipped row does not use its number", stored: ["x", "A3", "B3"],
              entries: [entry("A", 3)] },
            { tag: "empty list", stored: [], entries: [] },
        ];
    }

    function test_parse_stored_list(data) {
        var stored = data.stored.slice();
        compare(Profiles.parseStoredList(stored), data.entries);
        compare(stored, data.stored);
    }

    function test_stored_list() {
        var entries = [entry("Standard", 0), entry("Game1", 3), entry("A(0)", 5)];
        compare(Profiles.storedList(entries), ["Standard0", "Game13", "A(0)5"]);
        // What is stored must read back as the same list, names ending in digits included.
        compare(Profiles.parseStoredList(Profiles.storedList(entries)), entries);
    }

    function test_current_index_for_data() {
        return [
            { tag: "empty list", numbers: [], no: 0, index: -1 },
            { tag: "first", numbers: [3, 0, 5], no: 3, index: 0 },
            { tag: "middle", numbers: [3, 0, 5], no: 0, index: 1 },
            { tag: "last", numbers: [3, 0, 5], no: 5, index: 2 },
            { tag: "missing selects the first row", numbers: [3, 0, 5], no: 4, index: 0 },
        ];
    }

    function test_current_index_for(data) {
        compare(Profiles.currentIndexFor(numbered(data.numbers), data.no), data.index);
    }

    function test_free_number_data() {
        return [
            { tag: "empty list", numbers: [], free: 0 },
            { tag: "gap", numbers: [0, 1, 3], free: 2 },
            { tag: "0 free", numbers: [5, 4], free: 0 },
            { tag: "only 0 free", numbers: [1, 2, 3, 4, 5], free: 0 },
            { tag: "only 5 free", numbers: [4, 3, 2, 1, 0], free: 5 },
            { tag: "full", numbers: [0, 1, 2, 3, 4, 5], free: -1 },
        ];
    }

    function test_free_number(data) {
        compare(Profiles.freeNumber(numbered(data.numbers)), data.free);
    }

    function test_new_entry_data() {
        return [
            { tag: "empty list", entries: [], added: entry("profile_0", 0) },
            { tag: "next free name and number",
              entries: [entry("profile_0", 0), entry("profile_1", 1), entry("Game", 3)],
              added: entry("profile_2", 2) },
            { tag: "a free name before used ones", entries: [entry("Standard", 0), entry("profile_1", 1)],
              added: entry("profile_0", 2) },
            { tag: "five used names",
              entries: [entry("profile_0", 5), entry("profile_1", 4), entry("profile_2", 3),
                        entry("profile_3", 2), entry("profile_4", 1)],
              added: entry("profile_5", 0) },
            { tag: "six entries", entries: numbered([0, 1, 2, 3, 4, 5]), added: null },
        ];
    }

    function test_new_entry(data) {
        compare(Profiles.newEntry(data.entries), data.added);
    }

    function test_copy_entry_data() {
        return [
            { tag: "first copy", entries: [entry("A", 0)], index: 0, copy: entry("A(0)", 1) },
            { tag: "a copy of a copy", entries: [entry("A", 0), entry("A(0)", 1)], index: 1,
              copy: entry("A(0)(0)", 2) },
            { tag: "a free suffix before used ones", entries: [entry("A", 3), entry("A(0)", 0),
                                                               entry("A(2)", 1)],
              index: 0, copy: entry("A(1)", 2) },
            { tag: "six entries", entries: numbered([0, 1, 2, 3, 4, 5]), index: 0, copy: null },
        ];
    }

    function test_copy_entry(data) {
        compare(Profiles.copyEntry(data.entries, data.index), data.copy);
    }

    // The panel appends each copy; copying the same profile again must not repeat a name.
    function test_copying_twice() {
        var entries = [entry("A", 0)];
        var first = Profiles.copyEntry(entries, 0);
        entries = entries.concat([first]);
        var second = Profiles.copyEntry(entries, 0);
        compare(first, entry("A(0)", 1));
        compare(second, entry("A(1)", 2));
    }

    function test_remove_entry_data() {
        return [
            { tag: "first", numbers: [0, 1, 2], index: 0, left: [1, 2], current: 0 },
            { tag: "middle", numbers: [0, 1, 2], index: 1, left: [0, 2], current: 1 },
            { tag: "last moves the selection up", numbers: [0, 1, 2], index: 2, left: [0, 1], current: 1 },
            { tag: "down to one", numbers: [4, 5], index: 0, left: [5], current: 0 },
        ];
    }

    function test_remove_entry(data) {
        var entries = numbered(data.numbers);
        var result = Profiles.removeEntry(entries, data.index);
        compare(result.entries, numbered(data.left));
        compare(result.current, data.current);
        compare(entries, numbered(data.numbers));
    }

    function test_remove_keeps_at_least_one_entry_data() {
        return [
            { tag: "one entry", numbers: [3] },
            { tag: "empty list", numbers: [] },
        ];
    }

    function test_remove_keeps_at_least_one_entry(data) {
        compare(Profiles.removeEntry(numbered(data.numbers), 0), null);
    }

    function test_rename_allowed_data() {
        return [
            { tag: "new name", index: 1, name: "Game", allowed: true },
            { tag: "own name", index: 1, name: "p1", allowed: true },
            { tag: "another entry's name", index: 1, name: "p2", allowed: false },
            { tag: "the first entry's name", index: 2, name: "p0", allowed: false },
            { tag: "names differ by case", index: 1, name: "P2", allowed: true },
            { tag: "empty", index: 1, name: "", allowed: false },
            { tag: "blank", index: 1, name: "   ", allowed: false },
        ];
    }

    function test_rename_allowed(data) {
        compare(Profiles.renameAllowed(numbered([0, 1, 2]), data.index, data.name), data.allowed);
    }

    function test_with_standard_name() {
        var entries = [entry("Standaard", 2), entry("Game", 0)];
        compare(Profiles.standardName, "Standard");
        compare(Profiles.withStandardName(entries), [entry("Standard", 2), entry("Game", 0)]);
        compare(entries, [entry("Standaard", 2), entry("Game", 0)]);
        compare(Profiles.withStandardName([]), []);
    }

    // The panel edits the lists it gets back; that must not reach the list it passed in.
    function test_results_are_independent_copies() {
        var entries = [entry("A", 0), entry("B", 1)];
        var renamed = Profiles.withStandardName(entries);
        renamed[1].profileName = "changed";
        var removed = Profiles.removeEntry(entries, 0);
        removed.entries[0].profileName = "changed";
        compare(entries, [entry("A", 0), entry("B", 1)]);
    }
}
