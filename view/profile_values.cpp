// The values of the current profile as the pages show them: a value a file gives that the page's control
// cannot show is replaced by the factory profile's, or else by the control's default, and every number is
// kept within its control's range.

#include "profile_store.h"

#include "settings_io.h"

#include <algorithm>
#include <optional>

namespace {

std::optional<int> number(const QVariant& value)
{
    bool ok = false;
    const int parsed = value.toString().trimmed().toInt(&ok);
    return ok && value.isValid() ? std::optional<int>(parsed) : std::nullopt;
}

int withinRange(int value, const ProfileStore::Range& range)
{
    const int clamped = std::clamp(value, range.low, range.high);
    return range.low + (clamped - range.low) / std::max(range.step, 1) * std::max(range.step, 1);
}

// The first of the values that reads as a number, within the range; the range's fallback when none does.
int firstNumber(std::initializer_list<QVariant> values, const ProfileStore::Range& range)
{
    for (const QVariant& value : values)
        if (const std::optional<int> parsed = number(value))
            return withinRange(*parsed, range);
    return withinRange(range.fallback, range);
}

} // namespace

int ProfileStore::loadedNumber(const QString& key, Range range) const
{
    const QSettings factory(factoryFile(), QSettings::IniFormat);
    return firstNumber({current().value(key), factory.value(key)}, range);
}

QList<int> ProfileStore::loadedNumbers(const QString& key, int count, Range range) const
{
    const QSettings factory(factoryFile(), QSettings::IniFormat);
    const QVariantList stored = storedList(current(), key);
    const QVariantList factoryValues = storedList(factory, key);
    QList<int> values;
    for (int i = 0; i < count; ++i)
        values.append(firstNumber({stored.value(i), factoryValues.value(i)}, range));
    return values;
}

int ProfileStore::loadedChoice(const QString& key, std::initializer_list<int> allowed) const
{
    const QSettings factory(factoryFile(), QSettings::IniFormat);
    for (const QVariant& value : {current().value(key), factory.value(key)}) {
        const std::optional<int> parsed = number(value);
        if (parsed && std::find(allowed.begin(), allowed.end(), *parsed) != allowed.end())
            return *parsed;
    }
    return *allowed.begin();
}
