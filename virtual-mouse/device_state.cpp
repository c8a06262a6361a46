// The factory state and its JSON form (state file and dumps): readable names, bytes as hex strings.

#include "virtual_mouse.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <cstring>

namespace j2::vm {

DeviceState DeviceState::factory()
{
    DeviceState state;
    // Values a failed read would not produce (zeros), so a host test can tell an answer from a failure.
    state.functionOption = {0x00, 0x02, 0x00, 0x00};
    state.currentDpiStage = 1;
    state.dpiMaxStage = 4;
    state.dpiSet = {0x07, 0x0F, 0x1F, 0x3F, 0x00, 0x00, 0x00, 0x00}; // 800, 1600, 3200, 6400 DPI
    state.stageColors = {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x00,
                         0x00, 0xFF, 0xFF, 0xFF, 0x6E, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    state.lightEffect = {0x01, 0x03, 0x00};
    for (Block128& block : state.profiles)
        block[100] = 0x0F; // stages 1-4 selectable
    state.ledType = {0x00, 0x01, 0x02, 0x04, 0x07, 0x00};
    state.keyOnOff.fill(0xFF); // every key on
    state.xySensitivity = {0x05, 0x05};
    state.buttonSensitivity = {0x05, 0x06, 0x07, 0x08};
    state.firmwareVersion = {0x01, 0x0A};
    state.firmware = FirmwareState::factory();
    return state;
}

namespace {

QString toHex(const std::uint8_t* bytes, std::size_t count)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(count)).toHex());
}

template <std::size_t N> QString toHex(const std::array<std::uint8_t, N>& bytes)
{
    return toHex(bytes.data(), N);
}

template <std::size_t N, std::size_t M>
QJsonArray toHexArray(const std::array<std::array<std::uint8_t, N>, M>& blocks)
{
    QJsonArray array;
    for (const auto& block : blocks)
        array.append(toHex(block));
    return array;
}

template <std::size_t N>
QJsonObject toHexMap(const std::map<std::uint8_t, std::array<std::uint8_t, N>>& blocks)
{
    QJsonObject object;
    for (const auto& [index, block] : blocks)
        object.insert(QString::number(index), toHex(block));
    return object;
}

// Reads JSON into a state, remembering the first thing that did not fit.
class Reader
{
public:
    explicit Reader(const QJsonObject& object) : object_(object) {}
    const QString& error() const { return error_; }

    template <std::size_t N> void bytes(const char* key, std::array<std::uint8_t, N>& target)
    {
        if (object_.contains(QLatin1String(key)))
            parseHex(key, object_.value(QLatin1String(key)), target);
    }

    void byte(const char* key, std::uint8_t& target)
    {
        if (!object_.contains(QLatin1String(key)))
            return;
        const int value = object_.value(QLatin1String(key)).toInt(-1);
        if (value < 0 || value > 0xFF)
            return fail(key, "not a byte");
        target = std::uint8_t(value);
    }

    void flag(const char* key, bool& target)
    {
        if (!object_.contains(QLatin1String(key)))
            return;
        const QJsonValue value = object_.value(QLatin1String(key));
        if (!value.isBool())
            return fail(key, "not true or false");
        target = value.toBool();
    }

    void text(const char* key, std::string& target)
    {
        if (!object_.contains(QLatin1String(key)))
            return;
        const QJsonValue value = object_.value(QLatin1String(key));
        if (!value.isString())
            return fail(key, "not a string");
        target = value.toString().toStdString();
    }

    void check(const char* key, bool valid, const char* reason)
    {
        if (!valid)
            fail(key, reason);
    }

    template <std::size_t N, std::size_t M>
    void blocks(const char* key, std::array<std::array<std::uint8_t, N>, M>& target)
    {
        if (!object_.contains(QLatin1String(key)))
            return;
        const QJsonArray array = object_.value(QLatin1String(key)).toArray();
        if (array.size() != qsizetype(M))
            return fail(key, "wrong number of blocks");
        for (std::size_t i = 0; i < M; ++i)
            parseHex(key, array.at(qsizetype(i)), target[i]);
    }

    template <std::size_t N>
    void blockMap(const char* key, std::map<std::uint8_t, std::array<std::uint8_t, N>>& target)
    {
        if (!object_.contains(QLatin1String(key)))
            return;
        const QJsonObject map = object_.value(QLatin1String(key)).toObject();
        std::map<std::uint8_t, std::array<std::uint8_t, N>> parsed;
        for (auto it = map.begin(); it != map.end(); ++it) {
            bool isNumber = false;
            const uint index = it.key().toUInt(&isNumber);
            if (!isNumber || index > 0xFF)
                return fail(key, "index is not a byte");
            parseHex(key, it.value(), parsed[std::uint8_t(index)]);
        }
        target = std::move(parsed);
    }

private:
    template <std::size_t N>
    void parseHex(const char* key, const QJsonValue& value, std::array<std::uint8_t, N>& target)
    {
        const QByteArray text = value.toString().toLatin1();
        const QByteArray bytes = QByteArray::fromHex(text);
        const bool wellFormed =
            value.isString() && text.size() == qsizetype(2 * N) && bytes.toHex() == text.toLower();
        if (!wellFormed)
            return fail(key, "wrong hex length or digits");
        std::memcpy(target.data(), bytes.constData(), N);
    }

    void fail(const char* key, const char* reason)
    {
        if (error_.isEmpty())
            error_ = QStringLiteral("%1: %2").arg(QLatin1String(key), QLatin1String(reason));
    }

    QJsonObject object_;
    QString error_;
};

} // namespace

std::string stateToJson(const DeviceState& s)
{
    QJsonObject o;
    o.insert("functionOption", toHex(s.functionOption));
    o.insert("ledInstruction", toHexMap(s.ledInstruction));
    o.insert("currentDpiStage", s.currentDpiStage);
    o.insert("dpiMaxStage", s.dpiMaxStage);
    o.insert("dpiSet", toHex(s.dpiSet));
    o.insert("stageColors", toHex(s.stageColors));
    o.insert("stageColorsType2", toHex(s.stageColorsType2));
    o.insert("lightEffect", toHex(s.lightEffect));
    o.insert("keyMatrix", toHexMap(s.keyMatrix));
    o.insert("profiles", toHexArray(s.profiles));
    o.insert("macros", toHexArray(s.macros));
    o.insert("currentProfile", s.currentProfile);
    o.insert("keyboardOption", toHex(s.keyboardOption));
    o.insert("gunData", toHex(s.gunData));
    o.insert("ledType", toHex(s.ledType));
    o.insert("keyboardMode", s.keyboardMode);
    o.insert("keyboardKeyMatrix", toHex(s.keyboardKeyMatrix));
    o.insert("keyOnOff", toHex(s.keyOnOff));
    o.insert("xySensitivity", toHex(s.xySensitivity));
    o.insert("buttonSensitivity", toHex(s.buttonSensitivity));
    o.insert("keyboardMacros", toHexArray(s.keyboardMacros));
    o.insert("userPictures", toHexArray(s.userPictures));
    o.insert("colors", toHexArray(s.colors));
    o.insert("firmwareVersion", toHex(s.firmwareVersion));
    o.insert("encode", s.encode);
    o.insert("secrecyCode", QString::fromStdString(s.secrecyCode));
    o.insert("flash", toHex(s.firmware.flash));
    o.insert("pageChecks", toHex(s.firmware.pageChecks));
    o.insert("bootloaderMode", s.firmware.bootloaderMode);
    o.insert("locked", s.firmware.locked);
    return QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
}

bool stateFromJson(const std::string& json, DeviceState& state, std::string* error)
{
    QJsonParseError parseError;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(json.data(), qsizetype(json.size())), &parseError);
    if (!document.isObject()) {
        if (error)
            *error = parseError.error != QJsonParseError::NoError ? parseError.errorString().toStdString()
                                                                  : "not a JSON object";
        return false;
    }
    DeviceState s = state;
    Reader r(document.object());
    r.bytes("functionOption", s.functionOption);
    r.blockMap("ledInstruction", s.ledInstruction);
    r.byte("currentDpiStage", s.currentDpiStage);
    r.byte("dpiMaxStage", s.dpiMaxStage);
    r.bytes("dpiSet", s.dpiSet);
    r.bytes("stageColors", s.stageColors);
    r.bytes("stageColorsType2", s.stageColorsType2);
    r.bytes("lightEffect", s.lightEffect);
    r.blockMap("keyMatrix", s.keyMatrix);
    r.blocks("profiles", s.profiles);
    r.blocks("macros", s.macros);
    r.byte("currentProfile", s.currentProfile);
    r.bytes("keyboardOption", s.keyboardOption);
    r.bytes("gunData", s.gunData);
    r.bytes("ledType", s.ledType);
    r.byte("keyboardMode", s.keyboardMode);
    r.bytes("keyboardKeyMatrix", s.keyboardKeyMatrix);
    r.bytes("keyOnOff", s.keyOnOff);
    r.bytes("xySensitivity", s.xySensitivity);
    r.bytes("buttonSensitivity", s.buttonSensitivity);
    r.blocks("keyboardMacros", s.keyboardMacros);
    r.blocks("userPictures", s.userPictures);
    r.blocks("colors", s.colors);
    r.bytes("firmwareVersion", s.firmwareVersion);
    r.flag("encode", s.encode);
    r.text("secrecyCode", s.secrecyCode);
    // Files written before the mouse had a bootloader have none of these: the factory firmware stays.
    r.bytes("flash", s.firmware.flash);
    r.bytes("pageChecks", s.firmware.pageChecks);
    r.flag("bootloaderMode", s.firmware.bootloaderMode);
    r.flag("locked", s.firmware.locked);
    r.check("pageChecks",
            std::ranges::all_of(s.firmware.pageChecks,
                                [](std::uint8_t check) {
                                    return check == kPageVerified || check == kPageModified ||
                                           check == kPageFailed;
                                }),
            "not a page state");
    if (!r.error().isEmpty()) {
        if (error)
            *error = r.error().toStdString();
        return false;
    }
    state = std::move(s);
    return true;
}

} // namespace j2::vm
