#include "languages.h"

#include "message_list.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace {

// The string tables by type, in the order the pages ask for them.
const std::array<QString, 7> kTableGroups = {
    QStringLiteral("main"),        QStringLiteral("keyMatrix"),  QStringLiteral("keyMenu"),
    QStringLiteral("macroEditor"), QStringLiteral("gunControl"), QStringLiteral("macroKey"),
    QStringLiteral("other"),
};
constexpr uint kDpiNoticeType = 6;
const QString kBuiltInDpiNoticeText = QStringLiteral("DPI Switch to");

const QString kProductLayoutGroup = QStringLiteral("J2_133C6AA");
const QString kCodedFilePrefix = QStringLiteral("lang_");
constexpr int kCodeDigits = 6;
constexpr int kChinaCountry = 44;
constexpr int kTaiwanCountry = 208;

struct OldLanguage
{
    int number;
    QLocale::Language language;
};

struct OldCountry
{
    int number;
    QLocale::Territory territory;
};

// Old-style numbers of the languages and countries a translation is likely to come for.
constexpr OldLanguage kOldLanguages[] = {
    {0, QLocale::AnyLanguage}, {8, QLocale::Arabic},       {20, QLocale::Bulgarian},
    {24, QLocale::Catalan},    {25, QLocale::Chinese},     {27, QLocale::Croatian},
    {28, QLocale::Czech},      {29, QLocale::Danish},      {30, QLocale::Dutch},
    {31, QLocale::English},    {33, QLocale::Estonian},    {36, QLocale::Finnish},
    {37, QLocale::French},     {42, QLocale::German},      {43, QLocale::Greek},
    {48, QLocale::Hebrew},     {49, QLocale::Hindi},       {50, QLocale::Hungarian},
    {51, QLocale::Icelandic},  {52, QLocale::Indonesian},  {58, QLocale::Italian},
    {59, QLocale::Japanese},   {66, QLocale::Korean},      {71, QLocale::Latvian},
    {73, QLocale::Lithuanian}, {76, QLocale::Malay},       {85, QLocale::NorwegianBokmal},
    {89, QLocale::Persian},    {90, QLocale::Polish},      {91, QLocale::Portuguese},
    {95, QLocale::Romanian},   {96, QLocale::Russian},     {100, QLocale::Serbian},
    {108, QLocale::Slovak},    {109, QLocale::Slovenian},  {111, QLocale::Spanish},
    {114, QLocale::Swedish},   {120, QLocale::Thai},       {125, QLocale::Turkish},
    {129, QLocale::Ukrainian}, {132, QLocale::Vietnamese},
};

constexpr OldCountry kOldCountries[] = {
    {10, QLocale::Argentina},      {13, QLocale::Australia},     {14, QLocale::Austria},
    {20, QLocale::Belarus},        {21, QLocale::Belgium},       {30, QLocale::Brazil},
    {38, QLocale::Canada},         {44, QLocale::China},         {57, QLocale::Czechia},
    {58, QLocale::Denmark},        {73, QLocale::Finland},       {74, QLocale::France},
    {82, QLocale::Germany},        {85, QLocale::Greece},        {97, QLocale::HongKong},
    {98, QLocale::Hungary},        {100, QLocale::India},        {101, QLocale::Indonesia},
    {104, QLocale::Ireland},       {105, QLocale::Israel},       {106, QLocale::Italy},
    {108, QLocale::Japan},         {114, QLocale::SouthKorea},   {126, QLocale::Macao},
    {130, QLocale::Malaysia},      {139, QLocale::Mexico},       {151, QLocale::Netherlands},
    {154, QLocale::NewZealand},    {161, QLocale::Norway},       {172, QLocale::Poland},
    {173, QLocale::Portugal},      {177, QLocale::Romania},      {178, QLocale::Russia},
    {186, QLocale::SaudiArabia},   {190, QLocale::Singapore},    {197, QLocale::Spain},
    {205, QLocale::Sweden},        {206, QLocale::Switzerland},  {208, QLocale::Taiwan},
    {211, QLocale::Thailand},      {217, QLocale::Turkey},       {222, QLocale::Ukraine},
    {224, QLocale::UnitedKingdom}, {225, QLocale::UnitedStates}, {232, QLocale::Vietnam},
};

// A value written without quotes around a comma comes back from QSettings as a list; joining it again
// keeps the translator's text instead of losing it.
QString textOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

QString countrySuffix(int country)
{
    if (country == 0)
        return {};
    if (country == kChinaCountry)
        return QStringLiteral(" (Simp)");
    if (country == kTaiwanCountry)
        return QStringLiteral(" (Trad)");
    return QStringLiteral(" (") + qt4CountryName(country).toUpper() + QLatin1Char(')');
}

} // namespace

Languages::Languages(const QString& i18nFolder, FileDialogs* fileDialogs, QStringList messageList,
                     DpiNoticeTextsSink sink)
    : folder(i18nFolder), dialogs(fileDialogs), messages(std::move(messageList)), noticeSink(std::move(sink)),
      noticeTexts(kDpiNoticeTexts, kBuiltInDpiNoticeText)
{}

QStringList Languages::getGlobalStrings(uint tableType, const QString& langCode)
{
    // Outside the known types the group is empty, so "/total" and "/<i>" name keys outside any group.
    const QString group = tableType < kTableGroups.size() ? kTableGroups[tableType] : QString();
    const QSettings file(QDir(folder).filePath(langCode + QStringLiteral(".ini")), QSettings::IniFormat);
    const int total = std::min(file.value(group + QStringLiteral("/total")).toInt(), kMaxStringsPerTable);
    QStringList strings;
    for (int i = 0; i < total; ++i)
        strings.append(textOf(file.value(group + QLatin1Char('/') + QString::number(i))));

    if (tableType == kDpiNoticeType && !strings.isEmpty()) {
        // A short table replaces only the texts it has; the others keep their wording.
        const int replaced = std::min(int(strings.size()), kDpiNoticeTexts);
        for (int i = 0; i < replaced; ++i)
            noticeTexts[i] = strings.at(i);
        if (noticeSink)
            noticeSink(noticeTexts);
    }
    return strings;
}

QStringList Languages::getProductLayoutStrings_J2(const QString& langCode) const
{
    const QSettings file(QDir(folder).filePath(kCodedFilePrefix + langCode + QStringLiteral(".ini")),
                         QSettings::IniFormat);
    QStringList strings;
    for (int i = 0; i < kProductLayoutStrings; ++i)
        strings.append(textOf(file.value(kProductLayoutGroup + QLatin1Char('/') + QString::number(i))));
    return strings;
}

QMap<QString, QString> Languages::chkLanguages() const
{
    QMap<QString, QString> languages;
    // Sorted by name, so that of two files with the same display name the later one wins.
    const QStringList files = QDir(folder).entryList({kCodedFilePrefix + QStringLiteral("*.ini")},
                                                     QDir::AllEntries, QDir::Name | QDir::IgnoreCase);
    for (const QString& fileName : files) {
        const QString code = fileName.mid(kCodedFilePrefix.size(), kCodeDigits);
        const int language = code.left(3).toInt();
        const int country = code.mid(3, 3).toInt();
        languages.insert(qt4LanguageName(language).toUpper() + countrySuffix(country), code);
    }
    return languages;
}

QString Languages::getCustomFilePath() const
{
    if (dialogs == nullptr)
        return {};
    const QString path = dialogs->getOpenFileName(
        dialogText("Open File"), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        dialogText("Image Files(*.png)"));
    if (path.isEmpty())
        return {};
    // Opened only to learn that the page will be able to load it.
    QFile picture(path);
    if (!picture.open(QIODevice::ReadOnly)) {
        dialogs->warning(dialogText("%1").arg(messageAt(messages, message_list::kImageUnreadableTitle)),
                         messageAt(messages, message_list::kImageUnreadableText) + path);
        return {};
    }
    return path;
}

QString qt4LanguageName(int number)
{
    const auto* found = std::find_if(std::begin(kOldLanguages), std::end(kOldLanguages),
                                     [number](const OldLanguage& entry) { return entry.number == number; });
    if (found == std::end(kOldLanguages))
        return QStringLiteral("Language %1").arg(number);
    return QLocale::languageToString(found->language);
}

QString qt4CountryName(int number)
{
    const auto* found = std::find_if(std::begin(kOldCountries), std::end(kOldCountries),
                                     [number](const OldCountry& entry) { return entry.number == number; });
    if (found == std::end(kOldCountries))
        return QStringLiteral("Country %1").arg(number);
    return QLocale::territoryToString(found->territory);
}
