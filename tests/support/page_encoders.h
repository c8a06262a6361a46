#pragma once

// The macro and gun pages' encoders in C++: the reference the tests hold the pages' own encoders and the
// bytes on the device to. The program itself never encodes a page's action list; the pages do.

#include "macro_encoder.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace macro_stream {

// The action lists of the macro and gun pages. A delay's info is milliseconds as decimal text, a key's or
// mouse button's its name, a cursor step's its offset.
enum ActionType
{
    Delay = 0,
    KeyPress = 1,
    KeyRelease = 2,
    MousePress = 3,
    MouseRelease = 4,
    CursorX = 5, // gun page only, always directly followed by its CursorY partner
    CursorY = 6,
};

struct PageAction
{
    int type = Delay;
    QString info;
};

// The macro page's encoder (`deCode`): what the page sends for its action list and repeat count.
QList<uchar> deCode(const QList<PageAction>& actions, int repeat);
// The macro page's length count (`recordCount`): what deCode would produce, counted without encoding.
int recordCount(const QList<PageAction>& actions);
// The gun page's encoder: 2 ms ticks, a zero gap played as 20 ms, and cursor steps.
QList<uchar> gunDeCode(const QList<PageAction>& actions, int loopTimes);

} // namespace macro_stream
