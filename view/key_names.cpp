#include "key_names.h"

#include <QCoreApplication>

#include <span>
#include <utility>

namespace {

using KeyName = std::pair<const char*, unsigned char>;

QMap<QString, unsigned char>& map()
{
    static QMap<QString, unsigned char> names;
    return names;
}

void insertRange(const QString& prefix, int firstNumber, int lastNumber, unsigned char firstCode)
{
    for (int number = firstNumber; number <= lastNumber; ++number)
        map().insert(prefix + QString::number(number),
                     static_cast<unsigned char>(firstCode + number - firstNumber));
}

void insertAll(std::span<const KeyName> names)
{
    for (const auto& [name, code] : names)
        map().insert(QString::fromUtf8(name), code);
}

// Names the keyboard's own caption layout knows them by. 0x32 (the non-US hash key) has no name of its
// own: the pages show it with the backslash key's name, which already stands for 0x31.
constexpr KeyName kPunctuation[] = {
    {"Enter", 0x28}, {"Esc", 0x29}, {"Back", 0x2A}, {"Tab", 0x2B},  {"Space", 0x2C}, {"- _", 0x2D},
    {"= +", 0x2E},   {"[ {", 0x2F}, {"] }", 0x30},  {"\\ |", 0x31}, {"; :", 0x33},   {"' \"", 0x34},
    {"` ~", 0x35},   {", <", 0x36}, {". >", 0x37},  {"/ ?", 0x38},  {"Caps", 0x39},
};

constexpr KeyName kNavigation[] = {
    {"Prt", 0x46}, {"Scr", 0x47}, {"Pau", 0x48}, {"Ins", 0x49}, {"Hom", 0x4A},
    {"PgU", 0x4B}, {"Del", 0x4C}, {"End", 0x4D}, {"PgD", 0x4E},
};

// Right, left, down, up: the arrows are drawn as triangles, which a translation may replace by words.
constexpr KeyName kArrows[] = {{"►", 0x4F}, {"◄", 0x50}, {"▼", 0x51}, {"▲", 0x52}};

constexpr KeyName kKeypadOperators[] = {
    {"Num", 0x53}, {"KP /", 0x54}, {"KP *", 0x55}, {"KP -", 0x56}, {"KP +", 0x57}, {"KP Enter", 0x58},
};

constexpr KeyName kKeypadTail[] = {
    {"KP 0", 0x62}, {"KP .", 0x63}, {"Eur 2", 0x64}, {"App", 0x65}, {"Power", 0x66}, {"KP =", 0x67},
};

// 0x88 and 0x89 carry the two spellings the macro files were written with; no name ends in 3.
constexpr KeyName kInternational[] = {
    {"Keypad", 0x85},  {"Int'l 1", 0x87}, {"Intl'2", 0x88}, {"Int'l 2", 0x89},
    {"Int'l 4", 0x8A}, {"Int'l 5", 0x8B}, {"Lang 1", 0x90}, {"Lang 2", 0x91},
};

constexpr KeyName kModifiers[] = {
    {"L Ctrl", 0xE0}, {"L Shift", 0xE1}, {"L Alt", 0xE2}, {"L Win", 0xE3},
    {"R Ctrl", 0xE4}, {"R Shift", 0xE5}, {"R Alt", 0xE6}, {"R Win", 0xE7},
};

constexpr KeyName kMouseButtons[] = {
    {"MS-L", 0xF0}, {"MS-R", 0xF1}, {"MS-M", 0xF2}, {"MS-B4", 0xF3}, {"MS-B5", 0xF4},
};

} // namespace

void rebuildKeyNameMap()
{
    map().clear();
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        map().insert(QString(QLatin1Char(letter)), static_cast<unsigned char>(0x04 + (letter - 'A')));
    insertRange(QString(), 1, 9, 0x1E);
    map().insert(QStringLiteral("0"), 0x27);
    insertAll(kPunctuation);
    insertRange(QStringLiteral("F"), 1, 12, 0x3A);
    insertAll(kNavigation);
    for (const auto& [arrow, code] : kArrows)
        map().insert(QCoreApplication::translate(nullptr, arrow), code);
    insertAll(kKeypadOperators);
    insertRange(QStringLiteral("KP "), 1, 9, 0x59);
    insertAll(kKeypadTail);
    insertRange(QStringLiteral("F"), 13, 24, 0x68);
    insertAll(kInternational);
    insertAll(kModifiers);
    insertAll(kMouseButtons);
}

unsigned char keyCodeForName(const QString& name)
{
    return map().value(name, 0);
}

const QMap<QString, unsigned char>& keyNameMap()
{
    return map();
}
