import QtQuick

// The key-name tables shared by the key assignment and macro pages, held once by the frame.
Item {
    visible: false

    // The position (1 to 8) of the lowest set bit of a byte; 0 when no bit is set.
    function logByte(intByte) {
        for (var bit = 0; bit < 8; ++bit) {
            if (intByte & (1 << bit))
                return bit + 1
        }
        return 0
    }
}
