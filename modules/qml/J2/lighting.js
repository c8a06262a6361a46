.pragma library

// Value rules of the lighting panel. Effects: 1 Static, 2 Breath, 3 RGB, 4 Finger Tapping (the keys
// light up when pressed). Static, Breath and RGB have a five-position level slider; Finger Tapping has
// one toggle per key instead.

var kStatic = 1;
var kBreath = 2;
var kRgb = 3;
var kFingerTapping = 4;

var kLevelCentres = [4, 34, 63, 93, 122];

// Bits of the Finger Tapping key mask.
var kLeftKey = 1;
var kRightKey = 2;
var kMiddleKey = 4;

// Levels that a freshly loaded effect other than the selected one shows: the brightest.
var kDefaultLevel = 4;

function isLevelEffect(effect) {
    return effect === kStatic || effect === kBreath || effect === kRgb;
}

// The level whose range the knob is in; a range starts at the level's centre.
function lightLevel(x) {
    var level = 0;
    while (level + 1 < kLevelCentres.length && x >= kLevelCentres[level + 1])
        ++level;
    return level;
}

// Out-of-range levels place the knob at the nearest end rather than at an undefined x.
function lightLevelCentre(level) {
    return kLevelCentres[Math.min(kLevelCentres.length - 1, Math.max(0, Math.floor(level)))];
}

// What the panel reports while the user changes the effect: Finger Tapping has no level (the device
// wants 2 there) and carries the key mask; the level effects carry a fixed 3 in the last place.
function setLedArguments(effect, level, toggleMask) {
    if (effect === kFingerTapping)
        return [kFingerTapping, 2, toggleMask];
    return [effect, level, 3];
}

function toggleMask(left, right, middle) {
    return (left ? kLeftKey : 0) | (right ? kRightKey : 0) | (middle ? kMiddleKey : 0);
}

// The three numbers the device gets on save. Static at level 0 is the "lights off" setting, which the
// device takes as effect 0. Breath and RGB count their levels from 1 on the device.
function sendValues(tmpEffect, tmpOption0, tmpOption1) {
    var option = 1;
    switch (tmpEffect) {
    case kStatic:
        if (tmpOption0 === 0)
            return [0, 0, 0];
        if (tmpOption0 >= 1 && tmpOption0 <= 4)
            option = tmpOption0;
        return [kStatic, option, tmpOption1];
    case kBreath:
    case kRgb:
        return [tmpEffect, tmpOption0 + 1, tmpOption1];
    case kFingerTapping:
        return [kFingerTapping, 2, tmpOption1];
    default:
        return [tmpEffect, option, tmpOption1];
    }
}

// The panel's state for what the device reports as [effect, option1, option2]. Anything that is not a
// level effect is shown as Finger Tapping, with its keys from option2.
function loadedEffect(effectList) {
    var list = effectList || [];
    var effect = list[0];
    var levels = [kDefaultLevel, kDefaultLevel, kDefaultLevel];
    var toggles = { left: false, right: false, middle: false };
    if (isLevelEffect(effect)) {
        levels[effect - 1] = list[1];
        return { effect: effect, levels: levels, toggles: toggles };
    }
    var mask = list[2] || 0;
    toggles.left = (mask & kLeftKey) !== 0;
    toggles.right = (mask & kRightKey) !== 0;
    toggles.middle = (mask & kMiddleKey) !== 0;
    return { effect: kFingerTapping, levels: levels, toggles: toggles };
}
