#include "message_list.h"

#include <QCoreApplication>

QStringList makeMessageList()
{
    // In index order; the warnings that read them name the indexes in message_list.h.
    return {
        QCoreApplication::translate("MessageList", "Macro"),
        QCoreApplication::translate("MessageList", "The macro is too long for the memory of the device.\n"
                                                   "Its last commands have been cut."),
        QCoreApplication::translate("MessageList", "Image"),
        QCoreApplication::translate("MessageList", "This file cannot be read:\n"),
        QCoreApplication::translate("MessageList", "Warning"),
        QCoreApplication::translate("MessageList", "This setting changes how the buttons of the mouse work.\n"
                                                   "Do you want to continue?"),
    };
}

QString messageAt(const QStringList& messages, int index)
{
    return messages.value(index);
}
