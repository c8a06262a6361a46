// The operations of ProfileStore that read and write single keys, read the factory profile, replace or
// export whole profile files, and keep macro assignments of the other profiles in step with the macro
// library. The handles and the replacement of a slot's file live in profile_store.cpp.

#include "profile_store.h"

#include "settings_io.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <array>

namespace {

const QString kButtonPrefix = QStringLiteral("keydefine_J2/");
const QString kKeyboardButtonPrefix = QStringLiteral("keydefine/");
const QString kGunTablePrefix = QStringLiteral("keydefine_J2");
const QString kSensitivityPrefix = QStringLiteral("XYSensitive/");
const QString kMacroKeyPrefix = QStringLiteral("macro/");

constexpr int kMacroKind = 9;
constexpr int kDefinitionItems = 4;
// Only the seven buttons of the top view carry macros the library keeps track of, and only the profiles
// 0 to 4 are looked after; the UI rewrites the current profile itself.
constexpr int kUpkeepButtons = 7;
constexpr int kUpkeepSlots = 5;
constexpr int kDefaultKeyPageButtons = 16;
constexpr int kDefaultSensitivity = 4;

using ButtonDefinition = std::array<int, kDefinitionItems>;

// What a button returns to when the macro it played is deleted.
constexpr std::array<ButtonDefinition, kUpkeepButtons> kFactoryButtons{{
    {1, 0, 240, 0}, // left
    {1, 0, 241, 0}, // right
    {1, 0, 242, 0}, // middle
    {1, 0, 244, 0}, // forward
    {1, 0, 243, 0}, // back
    {7, 0, 1, 0},   // DPI up
    {7, 0, 2, 0},   // DPI down
}};

QVariantList asVariantList(const ButtonDefinition& definition)
{
    QVariantList values;
    for (const int item : definition)
        values.append(item);
    return values;
}

// A stored definition as four unsigned items. Hand-edited or damaged files may hold fewer; the missing ones
// count as 0, which is also what the key page and the device bridge make of a short definition.
ButtonDefinition readDefinition(const QSettings& profile, int button)
{
    const QVariantList stored = storedList(profile, kButtonPrefix + QString::number(button));
    ButtonDefinition definition{};
    for (int i = 0; i < kDefinitionItems && i < stored.size(); ++i)
        definition[std::size_t(i)] = int(stored.at(i).toUInt());
    return definition;
}

constexpr int lowByte(int value)
{
    return value & 0xFF;
}

// Calls `change` for every macro definition on the upkeep buttons of the upkept profiles other than the
// current one, and writes back what it returns.
template <typename Change> void rewriteMacroDefinitions(ProfileStore& store, Change change)
{
    for (int index = 0; index < kUpkeepSlots; ++index) {
        if (index == store.currentProfile())
            continue;
        QSettings& profile = store.slot(index);
        for (int button = 0; button < kUpkeepButtons; ++button) {
            const ButtonDefinition stored = readDefinition(profile, button);
            if (lowByte(stored[0]) != kMacroKind)
                continue;
            profile.setValue(kButtonPrefix + QString::number(button), asVariantList(change(button, stored)));
        }
        syncChecked(profile);
    }
}

void appendList(QList<int>& values, const QSettings& settings, const QString& key)
{
    values.append(storedNumbers(settings, key));
}

bool isSlotIndex(int index)
{
    return index >= 0 && index < ProfileStore::kSlots;
}

} // namespace

QList<int> ProfileStore::getKeydefine(const QString& matrixId)
{
    switch (deviceIndex()) {
    case 1:
        return storedNumbers(current(), kButtonPrefix + matrixId);
    case 0:
        return storedNumbers(current(), kKeyboardButtonPrefix + matrixId);
    default:
        return {};
    }
}

QList<int> ProfileStore::getGunKeydefine(uint keyMatrixIndex, const QString& matrixId)
{
    const QString key = kGunTablePrefix + QString::number(keyMatrixIndex) + QLatin1Char('/') + matrixId;
    return storedNumbers(current(), key);
}

int ProfileStore::getXYSensitive(const QString& index)
{
    // The page's ten steps, 0 to 9.
    return loadedNumber(kSensitivityPrefix + index, {0, 9, kDefaultSensitivity});
}

void ProfileStore::setXYSensitive(const QString& index, int xyData)
{
    writeThrough(current(), kSensitivityPrefix + index, xyData);
}

void ProfileStore::setMacroKey(int index, const QString& macroName)
{
    writeThrough(current(), kMacroKeyPrefix + QString::number(index), macroName);
}

QString ProfileStore::getMacroKey(int index)
{
    return current().value(kMacroKeyPrefix + QString::number(index), 0).toString();
}

QList<int> ProfileStore::loadDefaultProfile(uchar uiPageId) const
{
    const QSettings factory(factoryFile(), QSettings::IniFormat);
    QList<int> values;
    switch (uiPageId) {
    case 0:
        for (int button = 0; button < kDefaultKeyPageButtons; ++button)
            appendList(values, factory, kButtonPrefix + QString::number(button));
        break;
    case 2:
        appendList(values, factory, QStringLiteral("color_J2/type0"));
        appendList(values, factory, QStringLiteral("color_J2/ledEffect"));
        break;
    case 3:
        values.append(factory.value(QStringLiteral("sensor/reportRate_J2"), 2).toInt());
        values.append(factory.value(QStringLiteral("sensor/cursorSpeed_J2"), 5).toInt());
        values.append(factory.value(QStringLiteral("sensor/verticalScrollLines_J2"), 2).toInt());
        values.append(factory.value(QStringLiteral("sensor/doubleClickSpeed_J2"), 5).toInt());
        appendList(values, factory, QStringLiteral("sensor/dpi_J2"));
        values.append(factory.value(QStringLiteral("sensor/stage_J2"), 2).toInt());
        appendList(values, factory, QStringLiteral("color_J2/type1"));
        appendList(values, factory, QStringLiteral("color_J2/type2"));
        break;
    default:
        break;
    }
    return values;
}

bool ProfileStore::loadProfile(int profile)
{
    if (!dialogs)
        return false;
    const QString chosen =
        dialogs->getOpenFileName(dialogText("Open File"), desktopFolder(), dialogText("Profile(*.pf)"));
    if (chosen.isEmpty())
        return false;
    // A file that cannot be read leaves the profile as it was; the pages still reload, as after any import.
    replaceSlot(profile, chosen);
    return true;
}

void ProfileStore::saveProfile(int profile)
{
    if (!dialogs || !isSlotIndex(profile))
        return;
    const QString chosen =
        dialogs->getSaveFileName(dialogText("Save File"), desktopFolder(), dialogText("Profile(*.pf)"));
    if (chosen.isEmpty())
        return;
    // A value a caller set without syncing must be part of the export.
    for (auto& handle : handles)
        syncChecked(*handle);
    // Copied beside the target first: an export that fails (or one onto the profile file itself) never
    // leaves the chosen file, or the profile, half written.
    replaceWithCopy(slotFile(profile), chosen);
}

void ProfileStore::resetProfile(int profile)
{
    if (replaceSlot(profile, factoryFile()) || !isSlotIndex(profile))
        return;
    // Without a factory profile the reset gives an empty profile, which reads every default. Any other
    // failed copy keeps the user's file: there is nothing better to put in its place.
    if (QFile::exists(factoryFile()))
        return;
    auto& handle = handles[std::size_t(profile)];
    handle.reset();
    QFile::remove(slotFile(profile));
    handle = std::make_unique<QSettings>(slotFile(profile), QSettings::IniFormat);
}

void ProfileStore::copyProfile(int destprofile, int srcprofile)
{
    if (!isSlotIndex(srcprofile))
        return;
    // replaceSlot brings every handle to disk first, so the copy carries the source's latest values.
    replaceSlot(destprofile, slotFile(srcprofile));
}

void ProfileStore::changeMacroFileIndex(uint deleted)
{
    rewriteMacroDefinitions(*this, [deleted](int button, ButtonDefinition definition) {
        const auto code = uint(lowByte(definition[2]));
        if (code == deleted)
            return kFactoryButtons[std::size_t(button)];
        definition[0] = lowByte(definition[0]);
        definition[1] = lowByte(definition[1]);
        // The macros after the deleted one move down by one place in the library.
        definition[2] = int(deleted < code ? code - 1 : code);
        return definition;
    });
}

void ProfileStore::changeMacroFileType(uint retyped, int macroType)
{
    const int option = macroType == 1 ? 2 : 0;
    rewriteMacroDefinitions(*this, [retyped, option](int, ButtonDefinition definition) {
        for (int& item : definition)
            item = lowByte(item);
        if (uint(definition[2]) == retyped)
            definition[1] = option;
        return definition;
    });
}
