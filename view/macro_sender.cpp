#include "macro_sender.h"

#include "macro_encoder.h"
#include "message_list.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr int kDefaultRepeat = 1;

template <std::size_t N> QByteArray asBytes(const std::array<uchar, N>& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(N));
}

template <std::size_t N> std::array<uchar, N> zeroFilled(const QList<uchar>& stream)
{
    std::array<uchar, N> block{};
    std::copy_n(stream.cbegin(), std::min<qsizetype>(stream.size(), qsizetype(N)), block.begin());
    return block;
}

} // namespace

MacroSender::MacroSender(Hid_Thread& hidThread, MacroLibrary& macroLibrary, FileDialogs* fileDialogs,
                         QStringList messageList)
    : hid(hidThread), library(macroLibrary), dialogs(fileDialogs), messages(std::move(messageList))
{}

void MacroSender::sendPageBytes(const QByteArray& bytes, uchar slot)
{
    std::array<uchar, macro_stream::kSlotBytes> block{};
    const qsizetype count = std::min<qsizetype>(bytes.size(), macro_stream::kSlotBytes);
    std::copy_n(bytes.cbegin(), count, block.begin());
    hid.hid_0FH_SetMacroKey(slot, block.data());
}

void MacroSender::sendMacroData(const QByteArray& macroData, uint macroIndex)
{
    sendPageBytes(macroData, uchar((macroIndex + 1) & 0xFF));
}

void MacroSender::sendGunData(const QByteArray& gunData, uint gunIndex)
{
    const auto index = uchar(gunIndex & 0xFF);
    if (index < kGunSlots)
        sendPageBytes(gunData, uchar(index + 1));
}

QList<uchar> MacroSender::macroIncode(const QStringList& macros) const
{
    return macro_stream::macroIncode(macros, hid.currentDevice());
}

// A macro longer than its slot loses its last records, never half of one, and keeps its end marker.
QList<uchar> MacroSender::fittedMacro(const QString& name, int slotBytes, const QString& title,
                                      const QString& text)
{
    const macro_stream::StreamPieces pieces =
        macro_stream::textLinePieces(library.loadMacroIni(name), hid.currentDevice());
    if (macro_stream::streamLength(pieces) > slotBytes && dialogs != nullptr)
        dialogs->warning(title, text);
    return macro_stream::fitToSlot(pieces, slotBytes);
}

void MacroSender::sendStoredMacro(uchar macroId, const QString& name)
{
    QList<uchar> stream = fittedMacro(name, macro_stream::kSlotBytes, dialogText("MACRO"),
                                      dialogText("Out of memory,\nsome command line has been cut."));
    const std::optional<MacroConfig> config = library.loadMacroIniConfig(name);
    const int repeat = config ? config->repeat : kDefaultRepeat;
    stream[0] = uchar((repeat >> 8) & 0xFF);
    stream[1] = uchar(repeat & 0xFF);
    const auto block = zeroFilled<macro_stream::kSlotBytes>(stream);
    hid.hid_0FH_SetMacroKey(macroId, block.data());
}

void MacroSender::sendStoredKeyboardMacro(uchar macroId, const QString& name)
{
    const QList<uchar> stream =
        fittedMacro(name, macro_stream::kKeyboardSlotBytes, messageAt(messages, message_list::kMacroCutTitle),
                    messageAt(messages, message_list::kMacroCutText));
    const auto block = zeroFilled<macro_stream::kKeyboardSlotBytes>(stream);
    hid.hid_11H_SetMacroKey(macroId, block.data());
}

// The buffers start zero-filled: a read the device did not answer leaves them so.
QByteArray MacroSender::readMacroSlot(uchar macroId)
{
    std::array<uchar, macro_stream::kSlotBytes> block{};
    hid.hid_93H_GetMacroKey(macroId, block.data());
    return asBytes(block);
}

QByteArray MacroSender::readKeyboardMacroSlot(uchar macroId)
{
    std::array<uchar, macro_stream::kKeyboardSlotBytes> block{};
    hid.hid_91H_GetMacroKey(macroId, block.data());
    return asBytes(block);
}
