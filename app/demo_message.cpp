#include "demo_message.h"

#include <QMessageBox>
#include <QWidget>

CopyData makeTextPayload(const QString& text)
{
    CopyData payload;
    payload.tag = kTextPayloadTag;
    payload.bytes = text.toUtf8();
    payload.length = quint32(payload.bytes.size());
    payload.bytes.append('\0');
    return payload;
}

std::optional<QString> decodeTextPayload(const CopyData& payload)
{
    if (payload.tag != kTextPayloadTag)
        return std::nullopt;
    const qsizetype end = payload.bytes.indexOf('\0');
    const QString text = QString::fromUtf8(payload.bytes.left(end < 0 ? payload.bytes.size() : end));
    if (quint32(text.toUtf8().size()) != payload.length)
        return std::nullopt;
    return text;
}

void showTextPayload(const CopyData& payload, const QWidget* window)
{
    if (window == nullptr)
        return;
    const std::optional<QString> text = decodeTextPayload(payload);
    if (!text)
        return;
    QMessageBox::warning(nullptr, window->windowTitle(), *text, QMessageBox::Ok, QMessageBox::NoButton);
}
