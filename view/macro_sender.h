#pragma once

// Puts macros into the mouse's macro slots and reads them back: the byte lists the pages encoded, and the
// text-line macros of the library, encoded here and fitted to their slot. QML-free; the view's slots call
// straight into it.

#include "file_dialogs.h"
#include "hid_thread.h"
#include "macro_library.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class MacroSender
{
public:
    // The pages' gun data goes to slots 1-12 only.
    static constexpr uint kGunSlots = 12;

    // `dialogs` shows the warning when a macro was cut (not owned; null shows nothing); `messages` is the
    // view's message list, whose entries word the keyboard-family warning.
    MacroSender(Hid_Thread& hid, MacroLibrary& library, FileDialogs* dialogs, QStringList messages = {});

    // The page's bytes (at most one slot's worth) into slot macroIndex + 1 (taken as a byte).
    void sendMacroData(const QByteArray& macroData, uint macroIndex);
    // As sendMacroData for gunIndex 0-11 (its low byte); any other index sends nothing.
    void sendGunData(const QByteArray& gunData, uint gunIndex);
    // The text-line encoder for the device family currently selected.
    QList<uchar> macroIncode(const QStringList& macros) const;
    // The stored macro `name`, encoded, with its own repeat count, into mouse slot macroId.
    void sendStoredMacro(uchar macroId, const QString& name);
    // The stored macro `name`, encoded, into keyboard slot macroId (192 bytes; the repeat count stays 1).
    void sendStoredKeyboardMacro(uchar macroId, const QString& name);
    // The slot's bytes as the device holds them, or zeros when it did not answer.
    QByteArray readMacroSlot(uchar macroId);
    QByteArray readKeyboardMacroSlot(uchar macroId);

private:
    void sendPageBytes(const QByteArray& bytes, uchar slot);
    QList<uchar> fittedMacro(const QString& name, int slotBytes, const QString& title, const QString& text);

    Hid_Thread& hid;
    MacroLibrary& library;
    FileDialogs* dialogs;
    QStringList messages;
};
