#pragma once

// The interface's translations and the image picker. Translations are UTF-8 INI files in the i18n folder:
// "<language name>.ini" holds the pages' string tables (one group per table, "total" plus "0".."total-1"),
// and "lang_<code>.ini" the product layout strings, where the six-digit code is an old-style (Qt 4)
// language number and country number, three digits each.

#include "file_dialogs.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// Receives all eight DPI notice texts whenever a language replaces some of them.
using DpiNoticeTextsSink = std::function<void(const QStringList& texts)>;

class Languages
{
public:
    static inline const QString kDefaultFolder = QStringLiteral("./modules/i18n");
    static constexpr int kDpiNoticeTexts = 8;
    static constexpr int kProductLayoutStrings = 16;
    // More strings than any page holds by far; a larger "total" is a damaged file, and reading it whole
    // would exhaust memory.
    static constexpr int kMaxStringsPerTable = 1000;

    // `dialogs` answers the image picker (not owned; null acts as cancelled); `messages` is the view's
    // message list, whose entries word the picker's warning.
    explicit Languages(const QString& folder = kDefaultFolder, FileDialogs* dialogs = nullptr,
                       QStringList messages = {}, DpiNoticeTextsSink noticeSink = {});

    // The string table `type` (0 main .. 6 other) of the language file `langCode`; an unknown type reads
    // the keys outside any group. Type 6 also replaces the DPI notice texts, as many as the table holds.
    QStringList getGlobalStrings(uint type, const QString& langCode);
    // Always sixteen strings, empty where the file or key is missing.
    QStringList getProductLayoutStrings_J2(const QString& langCode) const;
    // Display name ("ENGLISH", "CHINESE (Simp)", "GERMAN (AUSTRIA)") to code, for every coded file.
    QMap<QString, QString> chkLanguages() const;
    // A readable picture chosen by the user, or an empty string.
    QString getCustomFilePath() const;

private:
    QString folder;
    FileDialogs* dialogs;
    QStringList messages;
    DpiNoticeTextsSink noticeSink;
    QStringList noticeTexts;
};

// Names of old-style (Qt 4) locale numbers. Qt 6 renumbered both enumerations, so a number from a file
// name is looked up here; a number we do not know gives "Language <n>" or "Country <n>".
QString qt4LanguageName(int number);
QString qt4CountryName(int number);
