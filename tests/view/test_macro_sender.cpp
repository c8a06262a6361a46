// MacroSender against the in-process virtual mouse: the macro slots the device ends up holding and the
// reports on the wire are the oracles. Macros come from a real MacroLibrary on a temporary folder.

#include "key_names.h"
#include "macro_encoder.h"
#include "macro_sender.h"
#include "message_list.h"
#include "mouse_fixture.h"
#include "qml_values.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace macro_stream;

namespace {

constexpr uchar kSetMacro = 0x0F;
constexpr uchar kSetKeyboardMacro = 0x11;

class RecordingDialogs final : public FileDialogs
{
public:
    QList<QStringList> warnings; // title, text
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void warning(const QString& title, const QString& text) override { warnings.append({title, text}); }
};

template <typename Block> QByteArray bytes(const Block& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
}

QByteArray zeroFilled(QByteArray stream, int length)
{
    stream.append(QByteArray(length - stream.size(), '\0'));
    return stream;
}

QByteArray intsToBytes(const QVariantList& ints)
{
    QByteArray out;
    for (const QVariant& value : ints)
        out.append(char(value.toInt()));
    return out;
}

QString down(const QString& key)
{
    return key + kDownTag;
}
QString up(const QString& key)
{
    return key + kUpTag;
}
QString pause(const QString& ms)
{
    return ms + kDelayTag;
}

QStringList keyLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << (i % 2 == 0 ? down("A") : up("A"));
    return lines;
}
QByteArray keyRecords(int count)
{
    QByteArray records;
    for (int i = 0; i < count; ++i)
        records += QByteArray::fromHex(i % 2 == 0 ? "0104" : "8104");
    return records;
}

enum Fault
{
    NoFault,
    ReplyDropped,
    BulkWithheld,
    Unplugged
};

} // namespace

class TestMacroSender : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> root;
    RecordingDialogs dialogs;
    std::unique_ptr<fixture::Rig> rig;
    std::unique_ptr<ProfileStore> profiles;
    std::unique_ptr<MacroLibrary> library;

    MacroSender makeSender(const QStringList& messages = makeMessageList())
    {
        return MacroSender(*rig->hid, *library, &dialogs, messages);
    }

    void storeMacro(const QString& name, const QStringList& lines, int repeat)
    {
        QVERIFY(library->createMacroIni(name, 0));
        QVERIFY(library->saveMacroIni(name, lines, repeat));
    }

    // The slot number of every write of `command` on the wire.
    QList<int> slotsWritten(uchar command, int slotOffset) const
    {
        QList<int> written;
        for (const j2::vm::WireEntry& entry : fixture::entriesOfKind(*rig->mouse, "feature-set"))
            if (entry.bytes.at(1) == command && entry.note.empty())
                written.append(entry.bytes.at(std::size_t(slotOffset)));
        return written;
    }

private slots:
    void initTestCase() { rebuildKeyNameMap(); }

    void init()
    {
        fixture::resetFlags();
        root = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(root->path()).mkpath(QStringLiteral("macro")));
        dialogs.warnings.clear();
        rig = std::make_unique<fixture::Rig>();
        profiles = std::make_unique<ProfileStore>(root->filePath(QStringLiteral("setting")), nullptr,
                                                  [this] { return rig->hid->currentDevice(); });
        library =
            std::make_unique<MacroLibrary>(*profiles, &dialogs, root->filePath(QStringLiteral("macro")));
    }
    void cleanup()
    {
        library.reset();
        profiles.reset();
        rig.reset();
    }

    void sendMacroData_data()
    {
        QTest::addColumn<QVariant>("index");
        QTest::addColumn<QVariantList>("data");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("index 4 writes slot 5")
            << QVariant(4) << QVariantList{0, 1, 5, 4} << 5 << QByteArray::fromHex("00010504");
        QTest::newRow("index as text")
            << QVariant("7") << QVariantList{0, 2} << 8 << QByteArray::fromHex("0002");
        QTest::newRow("each element's low byte")
            << QVariant(2) << QVariantList{0x105, -1, 300.0, QStringLiteral("18")} << 3
            << QByteArray::fromHex("05ff2c12");
        QVariantList tooMany;
        QByteArray firstSlotsWorth;
        for (int i = 0; i < kSlotBytes + 2; ++i) {
            tooMany.append(i + 1);
            if (i < kSlotBytes)
                firstSlotsWorth.append(char(i + 1));
        }
        QTest::newRow("one slot's worth at most") << QVariant(62) << tooMany << 63 << firstSlotsWorth;
    }
    void sendMacroData()
    {
        QFETCH(QVariant, index);
        QFETCH(QVariantList, data);
        QFETCH(int, slot);
        QFETCH(QByteArray, stored);
        makeSender().sendMacroData(qml_values::lowBytes(data), index.toUInt());
        rig->hid->waitForPendingWrite();
        QCOMPARE(slotsWritten(kSetMacro, 2), QList<int>{slot});
        QCOMPARE(bytes(rig->mouse->state().macros.at(std::size_t(slot))).toHex(),
                 zeroFilled(stored, kSlotBytes).toHex());
    }

    void sendGunData_data()
    {
        QTest::addColumn<QVariant>("index");
        QTest::addColumn<int>("slot"); // 0: nothing sent
        QTest::newRow("index 0 writes slot 1") << QVariant(0) << 1;
        QTest::newRow("index 11 writes slot 12") << QVariant(11) << 12;
        QTest::newRow("index 12 sends nothing") << QVariant(12) << 0;
        QTest::newRow("a negative index sends nothing") << QVariant(-1) << 0;
        QTest::newRow("only the low byte counts") << QVariant(256 + 3) << 4;
    }
    void sendGunData()
    {
        QFETCH(QVariant, index);
        QFETCH(int, slot);
        const QVariantList gun{0, 3, 0x0A, 0xF9, 5, 0xFB, 0, 0};
        makeSender().sendGunData(qml_values::lowBytes(gun), index.toUInt());
        rig->hid->waitForPendingWrite();
        if (slot == 0) {
            QVERIFY(fixture::entriesOfKind(*rig->mouse, "feature-set").isEmpty());
            QVERIFY(rig->mouse->state() == j2::vm::DeviceState::factory());
            return;
        }
        QCOMPARE(slotsWritten(kSetMacro, 2), QList<int>{slot});
        QCOMPARE(bytes(rig->mouse->state().macros.at(std::size_t(slot))).toHex(),
                 zeroFilled(intsToBytes(gun), kSlotBytes).toHex());
    }

    void mouseSlotTakesStoredMacro_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QVariant>("macroId");
        QTest::addColumn<QByteArray>("expected");
        const QStringList press50Release{down("A"), pause("50"), up("A")};
        QTest::newRow("repeat 2 overwrites the header")
            << true << press50Release << 2 << QVariant(3) << QByteArray::fromHex("0002050481040000");
        QTest::newRow("repeat 300") << true << press50Release << 300 << QVariant(3)
                                    << QByteArray::fromHex("012c050481040000");
        QTest::newRow("repeat taken as 16 bits")
            << true << press50Release << 65537 << QVariant(3) << QByteArray::fromHex("0001050481040000");
        QTest::newRow("the slot number as given, as text")
            << true << press50Release << 1 << QVariant("9") << QByteArray::fromHex("0001050481040000");
        QTest::newRow("lines in the page's own form encode to nothing")
            << true << QStringList{"1,A", "0,50", "2,A"} << 2 << QVariant(3)
            << QByteArray::fromHex("00020000");
        QTest::newRow("a missing macro sends an empty one")
            << false << QStringList{} << 0 << QVariant(3) << QByteArray::fromHex("00010000");
    }
    void mouseSlotTakesStoredMacro()
    {
        QFETCH(bool, stored);
        QFETCH(QStringList, lines);
        QFETCH(int, repeat);
        QFETCH(QVariant, macroId);
        QFETCH(QByteArray, expected);
        if (stored)
            storeMacro(QStringLiteral("M"), lines, repeat);
        makeSender().sendStoredMacro(qml_values::lowByte(macroId), QStringLiteral("M"));
        rig->hid->waitForPendingWrite();
        const int slot = macroId.toInt();
        QCOMPARE(slotsWritten(kSetMacro, 2), QList<int>{slot});
        QCOMPARE(bytes(rig->mouse->state().macros.at(std::size_t(slot))).toHex(),
                 zeroFilled(expected, kSlotBytes).toHex());
        QVERIFY(dialogs.warnings.isEmpty());
    }

    void mouseSlotCutsLongMacroAtRecord()
    {
        // 61 key records fill 124 bytes; the 4-byte pause record after them would leave no room for the
        // end marker, so it goes, and with it everything after it.
        storeMacro(QStringLiteral("Long"), keyLines(61) + QStringList{pause("6000"), down("B")}, 4);
        makeSender().sendStoredMacro(6, QStringLiteral("Long"));
        rig->hid->waitForPendingWrite();
        const QList<QStringList> expectedWarnings{
            {QStringLiteral("MACRO"), QStringLiteral("Out of memory,\nsome command line has been cut.")}};
        QCOMPARE(dialogs.warnings, expectedWarnings);
        const QByteArray expected =
            QByteArray::fromHex("0004") + keyRecords(61) + QByteArray::fromHex("0000");
        QCOMPARE(bytes(rig->mouse->state().macros.at(6)).toHex(), zeroFilled(expected, kSlotBytes).toHex());
    }

    void keyboardSlotTakesStoredMacro()
    {
        storeMacro(QStringLiteral("K"), {down("A"), pause("50"), up("A")}, 5);
        makeSender().sendStoredKeyboardMacro(4, QStringLiteral("K"));
        rig->hid->waitForPendingWrite();
        QCOMPARE(slotsWritten(kSetKeyboardMacro, 3), QList<int>{4});
        // The repeat count stays at 1.
        const QByteArray expected = QByteArray::fromHex("0001050481040000");
        QCOMPARE(bytes(rig->mouse->state().keyboardMacros.at(4)).toHex(),
                 zeroFilled(expected, kKeyboardSlotBytes).toHex());
        QVERIFY(dialogs.warnings.isEmpty());
    }

    void keyboardSlotCutsLongMacro_data()
    {
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("warning");
        const QStringList shipped = makeMessageList();
        QTest::newRow("the message list's texts")
            << shipped
            << QStringList{messageAt(shipped, message_list::kMacroCutTitle),
                           messageAt(shipped, message_list::kMacroCutText)};
        QTest::newRow("a short list gives empty texts")
            << QStringList{QStringLiteral("Title only")}
            << QStringList{QStringLiteral("Title only"), QString()};
        QTest::newRow("an empty list") << QStringList{} << QStringList{QString(), QString()};
    }
    void keyboardSlotCutsLongMacro()
    {
        QFETCH(QStringList, messages);
        QFETCH(QStringList, warning);
        QVERIFY(!messageAt(makeMessageList(), message_list::kMacroCutText).isEmpty());
        storeMacro(QStringLiteral("K"), keyLines(100), 1);
        makeSender(messages).sendStoredKeyboardMacro(2, QStringLiteral("K"));
        rig->hid->waitForPendingWrite();
        QCOMPARE(dialogs.warnings, QList<QStringList>{warning});
        const QByteArray expected =
            QByteArray::fromHex("0001") + keyRecords(94) + QByteArray::fromHex("0000");
        QCOMPARE(bytes(rig->mouse->state().keyboardMacros.at(2)).toHex(), expected.toHex());
    }

    // Pauses take the form of the device family selected when the macro is encoded.
    void encodesForSelectedFamily_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("keyboard") << deviceIndex(DeviceFamily::Keyboard)
                                  << QByteArray::fromHex("00017f0000c80000");
        QTest::newRow("mouse") << deviceIndex(DeviceFamily::Mouse) << QByteArray::fromHex("000164010000");
    }
    void encodesForSelectedFamily()
    {
        QFETCH(int, device);
        QFETCH(QByteArray, expected);
        rig->hid->selectDevice(device);
        const QList<uchar> stream = makeSender().macroIncode({pause("2000")});
        QCOMPARE(bytes(stream).toHex(), expected.toHex());
    }

    void readSlots_data()
    {
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<int>("fault");
        for (const bool keyboard : {false, true}) {
            const char* family = keyboard ? "keyboard" : "mouse";
            QTest::addRow("%s: the device's bytes", family) << keyboard << int(NoFault);
            QTest::addRow("%s: no reply", family) << keyboard << int(ReplyDropped);
            QTest::addRow("%s: no bulk data", family) << keyboard << int(BulkWithheld);
            QTest::addRow("%s: unplugged", family) << keyboard << int(Unplugged);
        }
    }
    void readSlots()
    {
        QFETCH(bool, keyboard);
        QFETCH(int, fault);
        constexpr uchar slot = 4;
        j2::vm::DeviceState state = rig->mouse->state();
        QByteArray pattern;
        for (int i = 0; i < kKeyboardSlotBytes; ++i)
            pattern.append(char(i * 7 + 1));
        std::copy_n(pattern.cbegin(), kSlotBytes, state.macros.at(slot).begin());
        std::copy_n(pattern.cbegin(), kKeyboardSlotBytes, state.keyboardMacros.at(slot).begin());
        rig->mouse->setState(state);

        switch (fault) {
        case ReplyDropped:
            rig->mouse->dropNextReplies(1);
            break;
        case BulkWithheld:
            rig->mouse->withholdNextBulk(1);
            break;
        case Unplugged:
            rig->mouse->unplug();
            break;
        default:
            break;
        }
        MacroSender macros = makeSender();
        const QByteArray read = keyboard ? macros.readKeyboardMacroSlot(slot) : macros.readMacroSlot(slot);
        const int length = keyboard ? kKeyboardSlotBytes : kSlotBytes;
        QCOMPARE(read.size(), length);
        const QByteArray expected = fault == NoFault ? pattern.left(length) : QByteArray(length, '\0');
        QCOMPARE(read.toHex(), expected.toHex());
    }
};

QTEST_GUILESS_MAIN(TestMacroSender)
#include "test_macro_sender.moc"
