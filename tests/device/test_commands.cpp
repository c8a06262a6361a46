// Every command slot of both families against the virtual mouse: the feature report on the wire, the bulk
// phase, the settle and pause timing, and the value landing in (or coming from) the device.

#include "mouse_fixture.h"

#include <QElapsedTimer>
#include <QTest>

#include <functional>

using j2::vm::DeviceState;

namespace {

template <std::size_t N> std::array<uchar, N> pattern(int seed)
{
    std::array<uchar, N> bytes{};
    for (std::size_t i = 0; i < N; ++i)
        bytes[i] = static_cast<uchar>((i * 7 + std::size_t(seed) * 13 + 1) & 0xFF);
    return bytes;
}

// Bytes 1..7 in hex; the report id and the checksum are added here.
QByteArray expectedReport(const char* hexBytes1to7)
{
    QByteArray report = QByteArray::fromHex(hexBytes1to7);
    report.resize(7, '\0');
    unsigned sum = 0;
    for (char byte : report)
        sum += static_cast<uchar>(byte);
    report.prepend('\0');
    report.append(static_cast<char>(~sum & 0xFF));
    return report.toHex(' ').toUpper();
}

int reportsFor(int bulk)
{
    return (bulk + j2::vm::kReportLength - 1) / j2::vm::kReportLength;
}

struct WriteRow
{
    const char* name;
    std::function<void(Hid_Thread&)> call;
    const char* report; // bytes 1..7
    std::vector<uchar> bulk;
    bool settle;
    int pauseMs;
    std::function<bool(const DeviceState&)> landed;
};

struct ReadRow
{
    const char* name;
    const char* request; // bytes 1..7
    int bulk;
    std::function<void(DeviceState&)> prepare;
    std::function<QString(Hid_Thread&)> callAndCheck; // empty when the values came back right
};

template <std::size_t N> std::vector<uchar> vec(const std::array<uchar, N>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

template <typename A, typename B> bool sameBytes(const A& a, const B& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

QString expectEqual(const char* what, int got, int want)
{
    return got == want ? QString() : QStringLiteral("%1: got %2, want %3").arg(what).arg(got).arg(want);
}

QString firstFailure(std::initializer_list<QString> checks)
{
    for (const QString& check : checks)
        if (!check.isEmpty())
            return check;
    return {};
}

const auto k512 = pattern<512>(1);
const auto k192 = pattern<192>(2);
const auto k128 = pattern<128>(3);
const auto k24 = pattern<24>(4);
const auto k21 = pattern<21>(5);
const auto k8 = pattern<8>(6);
const auto k4 = pattern<4>(7);

const std::vector<WriteRow>& writeRows()
{
    static const std::vector<WriteRow> rows = {
        // keyboard family
        {"03H SetReportRate",
         [](Hid_Thread& h) { h.hid_03H_SetReportRate(4); },
         "03 00 04",
         {},
         true,
         10,
         [](const DeviceState& s) { return s.functionOption[1] == 4; }},
        {"02H SetCurrentProfile",
         [](Hid_Thread& h) { h.hid_02H_SetCurrentProfile(3); },
         "02 03",
         {},
         false,
         8,
         [](const DeviceState& s) { return s.currentProfile == 3; }},
        {"01H SetKeyboardoption",
         [](Hid_Thread& h) { h.hid_01H_SetKeyboardoption(0x08, 0x21); },
         "01 08 21",
         {},
         false,
         8,
         [](const DeviceState& s) { return s.keyboardOption[0] == 0x08 && s.keyboardOption[1] == 0x21; }},
        {"04H SetGunData",
         [](Hid_Thread& h) { h.hid_04H_SetGunData(1, 2, 3, 4, 5); },
         "04 01 02 03 04 05",
         {},
         true,
         0,
         [](const DeviceState& s) {
             return s.gunData == std::array<uchar, 5>{1, 2, 3, 4, 5};
         }},
        {"07H SetControlIndicatorLight",
         [](Hid_Thread& h) { h.hid_07H_SetControlIndicatorLight(2, 9); },
         "07 02 09",
         {},
         false,
         8,
         [](const DeviceState& s) { return s.ledInstruction.count(2) && s.ledInstruction.at(2)[0] == 9; }},
        {"08H SetLEDType",
         [](Hid_Thread& h) { h.hid_08H_SetLEDType(1, 2, 3, 4, 5, 6); },
         "08 01 02 03 04 05 06",
         {},
         true,
         0,
         [](const DeviceState& s) { return s.ledType == std::array<uchar, 6>{1, 2, 3, 4, 5, 6}; }},
        {"09H SetKeyboardMode",
         [](Hid_Thread& h) { h.hid_09H_SetKeyboardMode(2); },
         "09 02",
         {},
         true,
         0,
         [](const DeviceState& s) { return s.keyboardMode == 2; }},
        {"0DH SetKeyMatrix 512", [](Hid_Thread& h) { h.hid_0DH_SetKeyMatrix(k512.data()); }, "0D 00 00 08",
         vec(k512), true, 0, [](const DeviceState& s) { return sameBytes(s.keyboardKeyMatrix, k512); }},
        {"0EH SetKeyOnOff", [](Hid_Thread& h) { h.hid_0EH_SetKeyOnOff(k21.data()); }, "0E 00 00 15", vec(k21),
         true, 0, [](const DeviceState& s) { return sameBytes(s.keyOnOff, k21); }},
        {"0EH SetXYSensitive",
         [](Hid_Thread& h) { h.hid_0EH_SetXYSensitive(7, 9); },
         "0E 07 09",
         {},
         true,
         0,
         [](const DeviceState& s) {
             return s.xySensitivity == std::array<uchar, 2>{7, 9};
         }},
        {"11H SetMacroKey 192", [](Hid_Thread& h) { h.hid_11H_SetMacroKey(5, k192.data()); }, "11 00 05 03",
         vec(k192), true, 0, [](const DeviceState& s) { return sameBytes(s.keyboardMacros[5], k192); }},
        {"12H SetUserPicture", [](Hid_Thread& h) { h.hid_12H_SetUserPicture(2, 1, k512.data()); },
         "12 00 02 08 01", vec(k512), true, 0,
         [](const DeviceState& s) { return sameBytes(s.userPictures[2], k512); }},
        {"14H SetColor",
         [](Hid_Thread& h) { h.hid_14H_SetColor(3, 10, 20, 30); },
         "14 00 03 0A 14 1E",
         {},
         false,
         8,
         [](const DeviceState& s) {
             return s.colors[3] == std::array<uchar, 3>{10, 20, 30};
         }},
        {"13H SetRecoveryData",
         [](Hid_Thread& h) { h.hid_13H_SetRecoveryData(); },
         "13 FF",
         {},
         false,
         8,
         [](const DeviceState& s) { return s.colors[3] == DeviceState::factory().colors[3]; }},
        // mouse family
        {"03H SetFunctionOption",
         [](Hid_Thread& h) { h.hid_03H_SetFunctionOption(1, 2, 3, 4); },
         "03 01 02 03 04",
         {},
         true,
         8,
         [](const DeviceState& s) {
             return s.functionOption == std::array<uchar, 4>{1, 2, 3, 4};
         }},
        {"07H SetLEDInstructFunction",
         [](Hid_Thread& h) { h.hid_07H_SetLEDInstructFunction(1, 5, 6, 7); },
         "07 01 05 06 07",
         {},
         false,
         0,
         [](const DeviceState& s) {
             return s.ledInstruction.count(1) && s.ledInstruction.at(1) == std::array<uchar, 3>{5, 6, 7};
         }},
        {"0BH SetCurrentDPIStage",
         [](Hid_Thread& h) { h.hid_0BH_SetCurrentDPIStage(3); },
         "0B 03",
         {},
         true,
         0,
         [](const DeviceState& s) { return s.currentDpiStage == 3; }},
        {"0DH SetRGBLedEffect",
         [](Hid_Thread& h) { h.hid_0DH_SetRGBLedEffect(4, 5, 6); },
         "0D 04 05 06",
         {},
         true,
         0,
         [](const DeviceState& s) {
             return s.lightEffect == std::array<uchar, 3>{4, 5, 6};
         }},
        {"10H SetLED8StageColor type 2", [](Hid_Thread& h) { h.hid_10H_SetLED8StageColor(2, k4.data()); },
         "10 02 04", vec(k4), true, 0,
         [](const DeviceState& s) { return sameBytes(s.stageColorsType2, k4); }},
        {"10H SetLED8StageColor type 1", [](Hid_Thread& h) { h.hid_10H_SetLED8StageColor(1, k24.data()); },
         "10 01 18", vec(k24), true, 0, [](const DeviceState& s) { return sameBytes(s.stageColors, k24); }},
        {"11H SetDPISet", [](Hid_Thread& h) { h.hid_11H_SetDPISet(5, k8.data()); }, "11 05 08", vec(k8), true,
         0, [](const DeviceState& s) { return s.dpiMaxStage == 5 && sameBytes(s.dpiSet, k8); }},
        {"0DH SetKeyMatrix 128", [](Hid_Thread& h) { h.hid_0DH_SetKeyMatrix(k128.data(), 2); }, "0D 02 80",
         vec(k128), true, 0,
         [](const DeviceState& s) { return s.keyMatrix.count(2) && sameBytes(s.keyMatrix.at(2), k128); }},
        {"0CH setProfile", [](Hid_Thread& h) { h.hid_0CH_setProfile(k128.data(), 3); }, "0C 03 80", vec(k128),
         true, 0, [](const DeviceState& s) { return sameBytes(s.profiles[3], k128); }},
        {"0FH SetMacroKey 128", [](Hid_Thread& h) { h.hid_0FH_SetMacroKey(7, k128.data()); }, "0F 07 80",
         vec(k128), true, 0, [](const DeviceState& s) { return sameBytes(s.macros[7], k128); }},
    };
    return rows;
}

const std::vector<ReadRow>& readRows()
{
    static const std::vector<ReadRow> rows = {
        // keyboard family
        {"80H GetFWVersion", "80", 0,
         [](DeviceState& s) {
             s.firmwareVersion = {0x01, 0x0A};
         },
         [](Hid_Thread& h) {
             QString version;
             h.hid_80H_GetFWVersion(version);
             return version == "1.0A" ? QString() : "version " + version;
         }},
        {"80H GetFWVersion wide", "80", 0,
         [](DeviceState& s) {
             s.firmwareVersion = {0x1C, 0x05};
         },
         [](Hid_Thread& h) {
             QString version;
             h.hid_80H_GetFWVersion(version);
             return version == "1c.05" ? QString() : "version " + version;
         }},
        {"83H GetReportRate", "83 01", 0, [](DeviceState& s) { s.functionOption[1] = 4; },
         [](Hid_Thread& h) {
             uchar rate = 0;
             h.hid_83H_GetReportRate(rate);
             return expectEqual("rate", rate, 4);
         }},
        {"82H GetCurrentProfile", "82", 0, [](DeviceState& s) { s.currentProfile = 2; },
         [](Hid_Thread& h) {
             uchar profile = 9;
             h.hid_82H_GetCurrentProfile(profile);
             return expectEqual("profile", profile, 2);
         }},
        {"81H GetKeyboardoption", "81", 0,
         [](DeviceState& s) {
             s.keyboardOption = {0x08, 0x33};
         },
         [](Hid_Thread& h) {
             uchar b1 = 0, b2 = 0;
             h.hid_81H_GetKeyboardoption(b1, b2);
             return firstFailure({expectEqual("byte1", b1, 0x08), expectEqual("byte2", b2, 0x33)});
         }},
        {"84H GetButtonSensitivity", "84", 0,
         [](DeviceState& s) {
             s.buttonSensitivity = {1, 2, 3, 4};
         },
         [](Hid_Thread& h) {
             uchar a = 0, b = 0, c = 0, d = 0;
             h.hid_84H_GetButtonSensitivity(a, b, c, d);
             return firstFailure({expectEqual("sens1", a, 1), expectEqual("sens4", d, 4),
                                  expectEqual("sens2", b, 2), expectEqual("sens3", c, 3)});
         }},
        {"88H GetLEDType", "88", 0, [](DeviceState& s) { s.ledType = {9, 1, 2, 3, 4, 5}; },
         [](Hid_Thread& h) {
             uchar effect = 0, speed = 0, light = 0, color = 0, direction = 0;
             h.hid_88H_GetLEDType(effect, speed, light, color, direction);
             return firstFailure({expectEqual("effect", effect, 1), expectEqual("speed", speed, 2),
                                  expectEqual("light", light, 3), expectEqual("color", color, 4),
                                  expectEqual("direction", direction, 5)});
         }},
        {"89H GetKeyboardMode", "89", 0, [](DeviceState& s) { s.keyboardMode = 3; },
         [](Hid_Thread& h) {
             uchar mode = 0;
             h.hid_89H_GetKeyboardMode(mode);
             return expectEqual("mode", mode, 3);
         }},
        {"8DH GetKeyMatrix 512", "8D", 512,
         [](DeviceState& s) { std::copy(k512.begin(), k512.end(), s.keyboardKeyMatrix.begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 512> buffer{};
             h.hid_8DH_GetKeyMatrix(buffer.data());
             return buffer == k512 ? QString() : QStringLiteral("key matrix differs");
         }},
        {"8EH GetKeyOnOff", "8E", 21,
         [](DeviceState& s) { std::copy(k21.begin(), k21.end(), s.keyOnOff.begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 21> buffer{};
             h.hid_8EH_GetKeyOnOff(buffer.data());
             return buffer == k21 ? QString() : QStringLiteral("key on/off differs");
         }},
        {"91H GetMacroKey 192", "91 00 04", 192,
         [](DeviceState& s) { std::copy(k192.begin(), k192.end(), s.keyboardMacros[4].begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 192> buffer{};
             h.hid_91H_GetMacroKey(4, buffer.data());
             return buffer == k192 ? QString() : QStringLiteral("macro differs");
         }},
        {"92H GetUserPicture", "92 00 01", 512,
         [](DeviceState& s) { std::copy(k512.begin(), k512.end(), s.userPictures[1].begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 512> buffer{};
             h.hid_92H_GetUserPicture(1, buffer.data());
             return buffer == k512 ? QString() : QStringLiteral("picture differs");
         }},
        {"94H GetColor", "94 00 05", 0,
         [](DeviceState& s) {
             s.colors[5] = {11, 22, 33};
         },
         [](Hid_Thread& h) {
             uchar r = 0, g = 0, b = 0;
             h.hid_94H_GetColor(5, r, g, b);
             return firstFailure({expectEqual("r", r, 11), expectEqual("g", g, 22), expectEqual("b", b, 33)});
         }},
        // mouse family
        {"83H GetFunctionOption", "83", 0,
         [](DeviceState& s) {
             s.functionOption = {1, 2, 3, 4};
         },
         [](Hid_Thread& h) {
             uchar type = 0, option1 = 0, option2 = 0;
             h.hid_83H_GetFunctionOption(type, option1, option2);
             return firstFailure({expectEqual("type", type, 1), expectEqual("option1", option1, 3),
                                  expectEqual("option2", option2, 4)});
         }},
        {"87H GetLEDInstructFunction", "87 01", 0,
         [](DeviceState& s) {
             s.ledInstruction[1] = {5, 6, 7};
         },
         [](Hid_Thread& h) {
             uchar a = 0, b = 0, c = 0;
             if (!h.hid_87H_GetLEDInstructFunction(1, a, b, c))
                 return QStringLiteral("returned false");
             return firstFailure(
                 {expectEqual("option1", a, 5), expectEqual("option2", b, 6), expectEqual("option3", c, 7)});
         }},
        {"8BH GetCurrentDPIStage", "8B", 0, [](DeviceState& s) { s.currentDpiStage = 3; },
         [](Hid_Thread& h) {
             uchar stage = 0;
             h.hid_8BH_GetCurrentDPIStage(stage);
             return expectEqual("stage", stage, 3);
         }},
        {"8DH GetRGBLedEffect", "8D", 0,
         [](DeviceState& s) {
             s.lightEffect = {4, 5, 6};
         },
         [](Hid_Thread& h) {
             uchar effect = 0, option1 = 0, option2 = 0;
             h.hid_8DH_GetRGBLedEffect(effect, option1, option2);
             return firstFailure({expectEqual("effect", effect, 4), expectEqual("option1", option1, 5),
                                  expectEqual("option2", option2, 6)});
         }},
        {"90H GetLED8StageColor type 2", "90 02", 4,
         [](DeviceState& s) { std::copy(k4.begin(), k4.end(), s.stageColorsType2.begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 24> buffer{};
             buffer.fill(0xEE);
             h.hid_90H_GetLED8StageColor(2, buffer.data());
             // Only four bytes move; the rest of the caller's buffer stays as it was.
             const bool ok =
                 std::equal(k4.begin(), k4.end(), buffer.begin()) && buffer[4] == 0xEE && buffer[23] == 0xEE;
             return ok ? QString() : QStringLiteral("stage colours (type 2) differ");
         }},
        {"90H GetLED8StageColor type 0", "90", 24,
         [](DeviceState& s) { std::copy(k24.begin(), k24.end(), s.stageColors.begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 24> buffer{};
             h.hid_90H_GetLED8StageColor(0, buffer.data());
             return buffer == k24 ? QString() : QStringLiteral("stage colours differ");
         }},
        {"91H GetDPISet", "91", 8,
         [](DeviceState& s) {
             s.dpiMaxStage = 6;
             std::copy(k8.begin(), k8.end(), s.dpiSet.begin());
         },
         [](Hid_Thread& h) {
             std::array<uchar, 8> buffer{};
             uchar stages = 0;
             if (!h.hid_91H_GetDPISet(stages, buffer.data()))
                 return QStringLiteral("returned false");
             return firstFailure({expectEqual("max stage", stages, 6),
                                  buffer == k8 ? QString() : QStringLiteral("DPI set differs")});
         }},
        {"92H GetKeyMatrix", "92 01", 64,
         [](DeviceState& s) { std::copy(k128.begin(), k128.end(), s.keyMatrix[1].begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 64> buffer{};
             h.hid_92H_GetKeyMatrix(buffer.data());
             return std::equal(buffer.begin(), buffer.end(), k128.begin())
                        ? QString()
                        : QStringLiteral("key matrix differs");
         }},
        {"93H GetMacroKey 128", "93 09", 128,
         [](DeviceState& s) { std::copy(k128.begin(), k128.end(), s.macros[9].begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 128> buffer{};
             h.hid_93H_GetMacroKey(9, buffer.data());
             return buffer == k128 ? QString() : QStringLiteral("macro differs");
         }},
        {"8CH readProfile", "8C 04", 128,
         [](DeviceState& s) { std::copy(k128.begin(), k128.end(), s.profiles[4].begin()); },
         [](Hid_Thread& h) {
             std::array<uchar, 128> buffer{};
             h.hid_8CH_readProfile(buffer.data(), 4);
             return buffer == k128 ? QString() : QStringLiteral("profile differs");
         }},
        {"00H GetSecrecyCode", "00 A1 B2 C3 D4", 0, [](DeviceState&) {},
         [](Hid_Thread& h) {
             uchar a = 0xA1, b = 0xB2, c = 0xC3, d = 0xD4;
             h.hid_00H_GetSecrecyCode(a, b, c, d);
             return firstFailure({expectEqual("byte1", a, 0xA1), expectEqual("byte2", b, 0xB2),
                                  expectEqual("byte3", c, 0xC3), expectEqual("byte4", d, 0xD4)});
         }},
    };
    return rows;
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture::resetFlags(); }

    void writes_data()
    {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < writeRows().size(); ++i)
            QTest::newRow(writeRows()[i].name) << int(i);
    }
    void writes()
    {
        QFETCH(int, row);
        const WriteRow& w = writeRows()[std::size_t(row)];
        fixture::Rig rig;
        if (QByteArray(w.name).startsWith("13H")) {
            // Recovery must undo something: change a colour first.
            rig.hid->hid_14H_SetColor(3, 99, 98, 97);
            rig.hid->waitForPendingWrite();
            QVERIFY(!w.landed(rig.mouse->state()));
        }
        rig.mouse->clearWireLog();

        QElapsedTimer slotTime;
        slotTime.start();
        w.call(*rig.hid);
        const qint64 slotMs = slotTime.elapsed();
        rig.hid->waitForPendingWrite();
        const qint64 totalMs = slotTime.elapsed();

        const auto sets = fixture::entriesOfKind(*rig.mouse, "feature-set");
        QCOMPARE(sets.size(), 1);
        QCOMPARE(fixture::hex(sets[0].bytes), expectedReport(w.report));

        const auto outputs = fixture::entriesOfKind(*rig.mouse, "output");
        QCOMPARE(outputs.size(), reportsFor(int(w.bulk.size())));
        std::vector<uchar> payload;
        for (const auto& output : outputs) {
            const auto bytes = fixture::outputPayload(output);
            QCOMPARE(int(bytes.size()), j2::vm::kReportLength);
            payload.insert(payload.end(), bytes.begin(), bytes.end());
        }
        QVERIFY(std::equal(w.bulk.begin(), w.bulk.end(), payload.begin()));
        QVERIFY2(std::all_of(payload.begin() + qsizetype(w.bulk.size()), payload.end(),
                             [](uchar b) { return b == 0; }),
                 "the padding after the data must be zero");

        // The slot hands the exchange to the pool and only sleeps its pause.
        QVERIFY2(slotMs >= w.pauseMs, qPrintable(QString::number(slotMs)));
        QVERIFY2(slotMs < w.pauseMs + 60, qPrintable(QString::number(slotMs)));
        if (w.settle) {
            const int minimum = 128 + (w.bulk.empty() ? 0 : 128 + 8 * reportsFor(int(w.bulk.size())));
            QVERIFY2(totalMs >= minimum, qPrintable(QStringLiteral("%1 < %2").arg(totalMs).arg(minimum)));
            if (!outputs.isEmpty())
                QVERIFY(outputs.first().timeMs - sets[0].timeMs >= 127.0);
        } else {
            QVERIFY2(totalMs < 100, qPrintable(QString::number(totalMs)));
        }
        QVERIFY(w.landed(rig.mouse->state()));
        QCOMPARE(rig.mouse->busyViolations(), 0);
        QCOMPARE(rig.mouse->checksumErrors(), 0);
        QVERIFY(rig.hid->deviceIsFree());
    }

    void reads_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("scrambling");
        for (std::size_t i = 0; i < readRows().size(); ++i) {
            QTest::newRow(readRows()[i].name) << int(i) << false;
            // What a scrambling mouse answers must read back the same once the host has decoded it.
            QTest::addRow("%s, scrambling", readRows()[i].name) << int(i) << true;
        }
    }
    void reads()
    {
        QFETCH(int, row);
        QFETCH(bool, scrambling);
        const ReadRow& r = readRows()[std::size_t(row)];
        j2::vm::VirtualMouse::Options options;
        options.encode = scrambling;
        options.secrecyCode = "Q7-x2k";
        isEncode = scrambling;
        QVERIFY(
            j2::wire::loadSecrecyCode(secrecyCode, options.secrecyCode.data(), options.secrecyCode.size()));
        fixture::Rig rig(options);
        DeviceState state = rig.mouse->state();
        r.prepare(state);
        rig.mouse->setState(state);
        rig.mouse->clearWireLog();

        const QString failure = r.callAndCheck(*rig.hid);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        const auto sets = fixture::entriesOfKind(*rig.mouse, "feature-set");
        QCOMPARE(sets.size(), 1);
        if (!scrambling)
            QCOMPARE(fixture::hex(sets[0].bytes), expectedReport(r.request));
        QCOMPARE(fixture::entriesOfKind(*rig.mouse, "feature-get").size(), 1);
        QCOMPARE(fixture::entriesOfKind(*rig.mouse, "input").size(), reportsFor(r.bulk));
        QVERIFY(rig.hid->deviceIsFree());
        QCOMPARE(rig.mouse->checksumErrors(), 0);
    }

    // A refused exchange: what each read form hands back.
    void failedReads()
    {
        fixture::Rig rig;
        isDemoMode = true;

        uchar rate = 7;
        rig.hid->hid_83H_GetReportRate(rate);
        QCOMPARE(rate, uchar(1)); // the prefilled byte 2

        uchar b1 = 0x12, b2 = 0x34;
        rig.hid->hid_81H_GetKeyboardoption(b1, b2);
        QCOMPARE(b1, uchar(0x12));
        QCOMPARE(b2, uchar(0x34));

        uchar r = 1, g = 2, b = 3;
        rig.hid->hid_94H_GetColor(5, r, g, b);
        QCOMPARE((std::array<uchar, 3>{r, g, b}), (std::array<uchar, 3>{1, 2, 3}));

        uchar stage = 5;
        rig.hid->hid_8BH_GetCurrentDPIStage(stage);
        QCOMPARE(stage, uchar(0)); // mouse reads prefill zeros

        uchar o1 = 9, o2 = 9, o3 = 9;
        QVERIFY(!rig.hid->hid_87H_GetLEDInstructFunction(1, o1, o2, o3));
        QCOMPARE(o1, uchar(9));

        std::array<uchar, 8> dpi{};
        dpi.fill(0x5A);
        uchar stages = 42;
        QVERIFY(!rig.hid->hid_91H_GetDPISet(stages, dpi.data()));
        QCOMPARE(stages, uchar(42));
        QVERIFY(std::all_of(dpi.begin(), dpi.end(), [](uchar v) { return v == 0x5A; }));

        std::array<uchar, 128> profile{};
        profile.fill(0x77);
        rig.hid->hid_8CH_readProfile(profile.data(), 0);
        QVERIFY(std::all_of(profile.begin(), profile.end(), [](uchar v) { return v == 0x77; }));

        QString version = QStringLiteral("1.00");
        rig.hid->hid_80H_GetFWVersion(version);
        QCOMPARE(version, QStringLiteral("unknown"));

        QVERIFY(rig.mouse->wireLog().empty());
        QVERIFY(rig.hid->deviceIsFree());
    }

    // A device that never frees: each command waits its bounded time, says so, and sends nothing.
    void busyDeviceDropsCommands()
    {
        fixture::Rig rig;
        QVERIFY(rig.hid->waitDeviceFree()); // someone else holds the token
        rig.mouse->clearWireLog();

        QElapsedTimer timer;
        timer.start();
        QTest::ignoreMessage(QtDebugMsg, "cmd Failed 12");
        rig.hid->hid_0DH_SetKeyMatrix(k128.data(), 1);
        const qint64 waited = timer.elapsed();
        QVERIFY2(waited >= 2000 && waited < 3000, qPrintable(QString::number(waited)));

        QTest::ignoreMessage(QtDebugMsg, "cmd Failed");
        QString version = QStringLiteral("9.99");
        rig.hid->hid_80H_GetFWVersion(version);
        QCOMPARE(version, QStringLiteral("9.99"));

        QTest::ignoreMessage(QtDebugMsg, "cmd Failed 00");
        uchar a = 1, b = 2, c = 3, d = 4;
        rig.hid->hid_00H_GetSecrecyCode(a, b, c, d);
        QCOMPARE((std::array<uchar, 4>{a, b, c, d}), (std::array<uchar, 4>{1, 2, 3, 4}));

        QVERIFY(rig.mouse->wireLog().empty());
        QVERIFY(!rig.hid->deviceIsFree()); // the token still belongs to its holder
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
