#pragma once

// The demo-mode warning. The program delivers it to its own window; the payload keeps the tagged, length-
// checked form of a copy-data message so that a stray or damaged one is never shown.

#include <QByteArray>
#include <QString>

#include <optional>

class QWidget;

struct CopyData
{
    quint32 tag = 0;    // 0x250F marks this program's text payloads
    quint32 length = 0; // bytes of UTF-8 text, the terminating zero not counted
    QByteArray bytes;   // the text followed by a zero byte
};

constexpr quint32 kTextPayloadTag = 0x250F;
inline const QString kDemoText = QStringLiteral("===== Demo Mode =====");

CopyData makeTextPayload(const QString& text);
// The text of a payload, or nothing for another tag or an inconsistent length.
std::optional<QString> decodeTextPayload(const CopyData& payload);
// Shows the payload's text as a warning box captioned with the window's title (modal, Ok only).
void showTextPayload(const CopyData& payload, const QWidget* window);
