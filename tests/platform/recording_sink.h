#pragma once

// Records what an input source delivers, one word per event, so that a test compares readable lists:
// "+1Ce" a press of scan code 1C with the extended flag, "-54/alt" a release while Alt is held,
// "201@100,150" mouse message 0x201 with the pointer at 100,150.

#include "input_source.h"

#include <QStringList>

class RecordingSink : public j2::platform::InputSink
{
public:
    void keyboardEvent(bool isDown, unsigned scanCode, bool extended, bool altDown) override
    {
        QString event = (isDown ? QStringLiteral("+") : QStringLiteral("-")) +
                        QString::number(scanCode, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        if (extended)
            event += QLatin1Char('e');
        if (altDown)
            event += QStringLiteral("/alt");
        events.append(event);
    }

    void mouseMessage(unsigned message, int x, int y) override
    {
        events.append(QStringLiteral("%1@%2,%3").arg(message, 0, 16).arg(x).arg(y));
    }

    QStringList events;
};

inline QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
