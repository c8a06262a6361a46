.pragma library

// Value rules of the profile list. An entry is { profileName, profileNo }: profileNo 0..5 names the
// profile's file, so numbers are unique, and names are unique so the user can tell rows apart. There
// are at most six entries. Nothing here changes the arrays it is given; callers get new ones.

var kMaxProfiles = 6;

// A list of one profile is stored with this filler after it; it is not a profile.
var kPlaceholder = "loaderkorvid";

var standardName = "Standard";

function copyOf(entry) {
    return { profileName: entry.profileName, profileNo: entry.profileNo };
}

function hasName(entries, name) {
    for (var i = 0; i < entries.length; ++i) {
        if (entries[i].profileName === name)
            return true;
    }
    return false;
}

// The first of "<prefix>0".."<prefix>11" no entry is called; with at most five other entries one is
// always free.
function freeName(entries, prefix, suffix) {
    for (var k = 0; k < 12; ++k) {
        var name = prefix + k + suffix;
        if (!hasName(entries, name))
            return name;
    }
    return null;
}

// Each stored string is the name followed by the number as one digit. A damaged list must not give two
// rows for one profile file, so a repeated number keeps only its first row.
function parseStoredList(stored) {
    var strings = stored || [];
    var count = strings.length;
    if (count === 2 && strings[1] === kPlaceholder)
        count = 1;
    var used = {};
    var entries = [];
    for (var i = 0; i < count; ++i) {
        var text = String(strings[i]);
        if (text.length === 0)
            continue;
        var digit = text.charAt(text.length - 1);
        if (digit < "0" || digit > "5" || used[digit])
            continue;
        used[digit] = true;
        entries.push({ profileName: text.slice(0, -1), profileNo: parseInt(digit, 10) });
    }
    return entries;
}

function storedList(entries) {
    return entries.map(function (entry) {
        return entry.profileName + entry.profileNo;
    });
}

// The row to select for the profile the device runs; the first row when no row has it.
function currentIndexFor(entries, profileNo) {
    if (entries.length === 0)
        return -1;
    for (var i = 0; i < entries.length; ++i) {
        if (entries[i].profileNo === profileNo)
            return i;
    }
    return 0;
}

function freeNumber(entries) {
    for (var no = 0; no < kMaxProfiles; ++no) {
        var taken = false;
        for (var i = 0; i < entries.length && !taken; ++i)
            taken = entries[i].profileNo === no;
        if (!taken)
            return no;
    }
    return -1;
}

function newEntry(entries) {
    if (entries.length >= kMaxProfiles)
        return null;
    return { profileName: freeName(entries, "profile_", ""), profileNo: freeNumber(entries) };
}

function copyEntry(entries, index) {
    if (entries.length >= kMaxProfiles || index < 0 || index >= entries.length)
        return null;
    return {
        profileName: freeName(entries, entries[index].profileName + "(", ")"),
        profileNo: freeNumber(entries)
    };
}

// The last profile cannot be removed: the device always runs one. The selection stays at the same row,
// or moves up when the last row went.
function removeEntry(entries, index) {
    if (entries.length <= 1 || index < 0 || index >= entries.length)
        return null;
    var rest = [];
    for (var i = 0; i < entries.length; ++i) {
        if (i !== index)
            rest.push(copyOf(entries[i]));
    }
    return { entries: rest, current: Math.min(index, rest.length - 1) };
}

function renameAllowed(entries, index, name) {
    if (String(name).trim().length === 0)
        return false;
    for (var i = 0; i < entries.length; ++i) {
        if (i !== index && entries[i].profileName === name)
            return false;
    }
    return true;
}

// In English the first profile is always shown as "Standard", whatever it was saved as.
function withStandardName(entries) {
    var result = entries.map(copyOf);
    if (result.length > 0)
        result[0].profileName = standardName;
    return result;
}
