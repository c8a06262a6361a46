.pragma library

// Names the user gives macros, guns and profiles. Macro and gun names become file names, so the characters
// no file name may hold are refused as they are typed; every list keeps its names distinct.

var allowedPattern = /^[^\/\\:\x00-\x1f\x7f]*$/;
var notStoredText = "This name cannot be stored: names cannot hold / \\ : or control characters";
var takenText = "Another entry already has this name";
var emptyText = "A name cannot be empty";

// Why `name` cannot be given, or "" when it can; `others` are the names already in use.
function problem(name, others) {
    var text = String(name);
    if (text.trim().length === 0)
        return emptyText;
    if (text === "." || text === ".." || !allowedPattern.test(text))
        return notStoredText;
    if (others.indexOf(text) >= 0)
        return takenText;
    return "";
}
