.pragma library

// Value rules of the performance panels (DPI stages, colour picker, polling rate, axis sensitivity,
// gesture correction, pointer-speed and double-click dials, scroll lines). Pure functions: the panels
// keep their own state and ask these for what a pointer position or a stored value means.

function clamp(value, low, high) {
    return Math.min(high, Math.max(low, value));
}

// The step a knob at x falls in: the number of step borders at or left of x.
function stepAt(x, borders) {
    var step = 0;
    while (step < borders.length && x >= borders[step])
        ++step;
    return step;
}

// Out-of-range steps place the knob at the nearest end rather than at an undefined x.
function centreOf(step, centres) {
    return centres[clamp(Math.floor(step), 0, centres.length - 1)];
}

// "#rrggbb" (either case) to [red, green, blue]; null when the string is not a colour.
function parseColour(colour) {
    var match = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(String(colour));
    if (!match)
        return null;
    return [parseInt(match[1], 16), parseInt(match[2], 16), parseInt(match[3], 16)];
}

function hexByte(value) {
    return ("0" + (value & 0xff).toString(16)).slice(-2);
}

// --- DPI stage slider ---------------------------------------------------------------------------
// The track is 154 px tall in the slider image (y 8 at the top to y 162 at the bottom) and spans
// 200..16400 DPI. The device takes DPI in hundreds, so a bar height reads as the lower hundred.

var kTrackBottom = 162;
var kTrackHeight = 154;
var kDpiMin = 200;
var kDpiSpan = 16200;

function dpiFromBarHeight(h) {
    var height = clamp(h, 0, kTrackHeight);
    return Math.floor((kDpiSpan * height / kTrackHeight + kDpiMin) / 100) * 100;
}

// Not rounded: the bar must sit exactly where dpiFromBarHeight reads the same value back.
function barHeightFromDpi(v) {
    return clamp((v - kDpiMin) * kTrackHeight / kDpiSpan, 0, kTrackHeight);
}

function barHeightFromPointer(y) {
    return clamp(kTrackBottom - y, 0, kTrackHeight);
}

// The device's DPI code: hundreds minus one, so 200 DPI is code 1.
function dpiCode(v) {
    return Math.floor(v / 100) - 1;
}

// The device expects eight stages; the eighth is an unused filler the firmware ignores (250 DPI,
// code 1, disabled, black).
function dpiArguments(values, flags, colours) {
    var result = { values: [], codes: [], flags: [], colorBytes: [] };
    for (var i = 0; i < 7; ++i) {
        result.values.push(values[i]);
        result.codes.push(dpiCode(values[i]));
        result.flags.push(flags[i] ? 1 : 0);
        var rgb = parseColour(colours[i]) || [0, 0, 0];
        result.colorBytes.push(rgb[0], rgb[1], rgb[2]);
    }
    result.values.push(250);
    result.codes.push(1);
    result.flags.push(0);
    result.colorBytes.push(0, 0, 0);
    return result;
}

// A stage's colour from the bytes the device reports: three bytes per stage, red first.
function colourFromBytes(bytes, stage) {
    var at = 3 * stage;
    return "#" + hexByte(bytes[at]) + hexByte(bytes[at + 1]) + hexByte(bytes[at + 2]);
}

function colourText(red, green, blue) {
    return "#" + [red, green, blue].map(function (c) {
        return hexByte(Math.floor(clamp(c, 0, 255)));
    }).join("");
}

// --- Colour picker hue bar ----------------------------------------------------------------------
// The bar is 128 px wide and the slider's x runs -2..125. It is cut into six 21 px segments, each
// ramping one component; past the sixth segment (the last few pixels) the bar is red again.

var kHueMinX = -2;
var kHueMaxX = 125;
var kHueBarWidth = 128;

function hueColour(x) {
    var pos = clamp(x, kHueMinX, kHueMaxX) - kHueMinX;
    var w = Math.floor(kHueBarWidth / 6);
    var s = Math.floor(pos / w);
    var f = Math.floor((pos - s * w) * 255 / w);
    switch (s) {
    case 0: return colourText(255, f, 0);
    case 1: return colourText(255 - f, 255, 0);
    case 2: return colourText(0, 255, f);
    case 3: return colourText(0, 255 - f, 255);
    case 4: return colourText(f, 0, 255);
    case 5: return colourText(255, 0, 255 - f);
    default: return colourText(255, 0, 0);
    }
}

// Where the slider opens for a stored colour. This uses the unfloored segment width, so it is close to
// but not the exact inverse of hueColour; colours off the hue ring (greys, mixes) open at the left end.
function huePosition(colour) {
    var d = kHueBarWidth / 6;
    var u = d / 256;
    var rgb = parseColour(colour) || [128, 128, 128];
    var r = rgb[0], g = rgb[1], b = rgb[2];
    var x = 0;
    if (r === 255 && b === 0)
        x = u * g;
    else if (r === 0 && b === 255)
        x = 3 * d + u * (255 - g);
    else if (g === 255 && b === 0)
        x = d + u * (255 - r);
    else if (g === 0 && b === 255)
        x = 4 * d + u * r;
    else if (r === 0 && g === 255)
        x = 2 * d + u * b;
    else if (r === 255 && g === 0)
        x = 5 * d + u * (255 - b);
    return Math.floor(x + kHueMinX);
}

// --- Polling rate -------------------------------------------------------------------------------
// The round image is split in quadrants; each stands for a device rate code.

function pollingRate(x, y, width, height) {
    var left = x < width / 2;
    var upper = y < height / 2;
    if (upper)
        return left ? 8 : 1;
    return left ? 4 : 2;
}

function pollingImage(rate, language) {
    var digits = { 1: 3, 2: 2, 4: 1, 8: 0 };
    var digit = digits.hasOwnProperty(rate) ? digits[rate] : 0;
    return (language === 0 ? "reportRateEn" : "reportRate") + digit;
}

// Older firmware can report codes above 8; those show as the slowest rate.
function loadedReportRate(v) {
    return v > 8 ? 8 : v;
}

// --- Axis sensitivity ---------------------------------------------------------------------------
// A stepped slider with ten positions; a knob snaps to the step whose range it is in.

var kSensitivityCentres = [10, 30, 52, 74, 95, 116, 137, 159, 180, 200];

function sensitivityStep(x) {
    return stepAt(x, kSensitivityCentres.slice(1));
}

function sensitivityCentre(step) {
    return centreOf(step, kSensitivityCentres);
}

function sensitivityValue(step) {
    return (step + 1) * 20;
}

// --- Gesture correction -------------------------------------------------------------------------

var kGestureCentres = [4, 39, 76, 116, 149];

function gestureStep(x) {
    return stepAt(x, kGestureCentres.slice(1));
}

function gestureCentre(step) {
    return centreOf(step, kGestureCentres);
}

// --- Pointer-speed and double-click dials -------------------------------------------------------
// A half-round dial whose base line is at y 70: 0 degrees at the left end of the base line, 90 straight
// above the centre, 180 at the right end. Presses below the base line count as on it.

var kDialBaseLine = 70;

function degrees(radians) {
    return radians * 180 / Math.PI;
}

function dialAngle(x, y, cx) {
    var dy = Math.max(0, kDialBaseLine - y);
    var dx;
    if (x < cx) {
        dx = cx - x;
        if (dy === 0)
            return 0;
        if (dx === 0)
            return 90;
        return Math.floor(degrees(Math.atan(dy / dx)));
    }
    dx = x - cx;
    if (dy === 0)
        return 180;
    if (dx === 0)
        return 90;
    return 90 + Math.floor(degrees(Math.atan(dx / dy)));
}

// Ten 18-degree sectors give 1..10; the left end of the base line is 0 and the right end 11.
function dialValue(x, y, cx) {
    var angle = dialAngle(x, y, cx);
    if (angle === 0)
        return 0;
    return Math.floor(angle / 18) + 1;
}

// There are pictures for 0..10 only.
function dialImage(value) {
    return "mouseRate" + clamp(value, 0, 10);
}

// --- Scroll lines -------------------------------------------------------------------------------
// A text field of at most three digits holding 1..100 lines per notch. Whatever the user typed, the
// field stands for a number in range, and the arrow buttons step from that number.

var kOneScreen = 1000;

function scrollFieldValue(text) {
    var trimmed = String(text).trim();
    if (!/^[0-9]+$/.test(trimmed))
        return 1;
    return clamp(parseInt(trimmed, 10), 1, 100);
}

function scrollStepUp(text) {
    return String(Math.min(100, scrollFieldValue(text) + 1));
}

function scrollStepDown(text) {
    return String(Math.max(1, scrollFieldValue(text) - 1));
}

function isOneScreen(lines) {
    return lines === kOneScreen;
}
