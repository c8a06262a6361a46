#include "languages.h"
#include "message_list.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using LanguageCodes = QMap<QString, QString>;

namespace {

// Answers the picker with a scripted path and records what was asked and warned.
class ScriptedDialogs : public FileDialogs
{
public:
    QString answer;
    QStringList openCall; // caption, folder, filter
    QList<QStringList> warnings;

    QString getOpenFileName(const QString& caption, const QString& folder, const QString& filter) override
    {
        openCall = {caption, folder, filter};
        return answer;
    }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void warning(const QString& title, const QString& text) override { warnings.append({title, text}); }
};

const QString kNoticeStart = QStringLiteral("DPI Switch to");

} // namespace

class TestLanguages : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString folder() const { return dir->path(); }
    void writeFile(const QString& name, const QByteArray& text)
    {
        QFile file(dir->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    static QString shippedFolder()
    {
        return QDir::cleanPath(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../modules/i18n"));
    }

private slots:
    // A fresh folder per case: QSettings caches files by path.
    void init() { dir = std::make_unique<QTemporaryDir>(); }

    void listsCodedFiles_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<LanguageCodes>("expected");
        QTest::newRow("English") << QStringList{"lang_031000.ini"} << LanguageCodes{{"ENGLISH", "031000"}};
        QTest::newRow("Chinese for China")
            << QStringList{"lang_025044.ini"} << LanguageCodes{{"CHINESE (Simp)", "025044"}};
        QTest::newRow("Chinese for Taiwan")
            << QStringList{"lang_025208.ini"} << LanguageCodes{{"CHINESE (Trad)", "025208"}};
        QTest::newRow("country suffix")
            << QStringList{"lang_042014.ini", "lang_031225.ini"}
            << LanguageCodes{{"GERMAN (AUSTRIA)", "042014"}, {"ENGLISH (UNITED STATES)", "031225"}};
        QTest::newRow("Russian for Russia")
            << QStringList{"lang_096178.ini"} << LanguageCodes{{"RUSSIAN (RUSSIA)", "096178"}};
        QTest::newRow("numbers we do not know")
            << QStringList{"lang_999000.ini", "lang_031999.ini"}
            << LanguageCodes{{"LANGUAGE 999", "999000"}, {"ENGLISH (COUNTRY 999)", "031999"}};
        // "+31000" sorts first and reads as language 31 too; the later file keeps the key.
        QTest::newRow("later file wins")
            << QStringList{"lang_031000.ini", "lang_+31000.ini"} << LanguageCodes{{"ENGLISH", "031000"}};
        QTest::newRow("only coded ini files")
            << QStringList{"German.ini", "lang_031000.txt", "xlang_031000.ini"} << LanguageCodes{};
    }
    void listsCodedFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(LanguageCodes, expected);
        for (const QString& file : files)
            writeFile(file, "[J2_133C6AA]\n0=x\n");
        QCOMPARE(Languages(folder()).chkLanguages(), expected);
    }

    void missingFolderListsNothing()
    {
        QVERIFY(Languages(dir->filePath(QStringLiteral("absent"))).chkLanguages().isEmpty());
    }

    void tablesByType_data()
    {
        QTest::addColumn<QVariant>("type");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("0 main") << QVariant(0) << QStringList{"main text"};
        QTest::newRow("1 keyMatrix") << QVariant(1) << QStringList{"key matrix text"};
        QTest::newRow("2 keyMenu") << QVariant(2) << QStringList{"key menu text"};
        QTest::newRow("3 macroEditor, total 2") << QVariant(3) << QStringList{"first", "second"};
        QTest::newRow("3 as text") << QVariant(QStringLiteral("3")) << QStringList{"first", "second"};
        QTest::newRow("4 gunControl") << QVariant(4) << QStringList{"gun text"};
        QTest::newRow("5 macroKey") << QVariant(5) << QStringList{"macro key text"};
        QTest::newRow("7 reads outside any group") << QVariant(7) << QStringList{"outside"};
        QTest::newRow("-1 reads outside any group") << QVariant(-1) << QStringList{"outside"};
    }
    void tablesByType()
    {
        QFETCH(QVariant, type);
        QFETCH(QStringList, expected);
        writeFile(QStringLiteral("German.ini"), "total=1\n0=outside\n"
                                                "[main]\ntotal=1\n0=main text\n"
                                                "[keyMatrix]\ntotal=1\n0=key matrix text\n"
                                                "[keyMenu]\ntotal=1\n0=key menu text\n"
                                                "[macroEditor]\ntotal=2\n0=first\n1=second\n2=beyond total\n"
                                                "[gunControl]\ntotal=1\n0=gun text\n"
                                                "[macroKey]\ntotal=1\n0=macro key text\n");
        Languages languages(folder());
        QCOMPARE(languages.getGlobalStrings(type.toUInt(), QStringLiteral("German")), expected);
    }

    void textsAsWritten_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quoted comma")
            << QByteArray(R"(0="Stop, then go")") << QStringLiteral("Stop, then go");
        QTest::newRow("unquoted comma joined again")
            << QByteArray("0=Stop, then go") << QStringLiteral("Stop, then go");
        QTest::newRow("quoted semicolon") << QByteArray(R"(0="a; b")") << QStringLiteral("a; b");
        QTest::newRow("trailing space") << QByteArray(R"(0="Button ")") << QStringLiteral("Button ");
        QTest::newRow("line break") << QByteArray(R"(0="Finger \nTapping")")
                                    << QStringLiteral("Finger \nTapping");
        QTest::newRow("UTF-8") << QByteArray("0=Удалить") << QStringLiteral("Удалить");
    }
    void textsAsWritten()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        writeFile(QStringLiteral("Text.ini"), "[main]\ntotal=1\n" + line + "\n");
        QCOMPARE(Languages(folder()).getGlobalStrings(0, QStringLiteral("Text")), QStringList{expected});
    }

    void absentStringsAndFiles()
    {
        writeFile(QStringLiteral("Gaps.ini"), "[main]\ntotal=3\n0=zero\n2=two\n[keyMenu]\n0=no total\n");
        Languages languages(folder());
        QCOMPARE(languages.getGlobalStrings(0, QStringLiteral("Gaps")), (QStringList{"zero", "", "two"}));
        QVERIFY(languages.getGlobalStrings(2, QStringLiteral("Gaps")).isEmpty());
        QVERIFY(languages.getGlobalStrings(0, QStringLiteral("Missing")).isEmpty());
    }

    void damagedTotalIsBounded()
    {
        writeFile(QStringLiteral("Huge.ini"), "[main]\ntotal=2147483647\n0=zero\n");
        const QStringList strings = Languages(folder()).getGlobalStrings(0, QStringLiteral("Huge"));
        QCOMPARE(strings.size(), Languages::kMaxStringsPerTable);
        QCOMPARE(strings.first(), QStringLiteral("zero"));
    }

    void dpiNoticeTexts_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<QStringList>("expected"); // what the sink receives; empty: not called
        const QStringList eight{"s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7"};
        QTest::newRow("eight") << 8 << eight;
        QTest::newRow("twelve: the first eight") << 12 << eight;
        QTest::newRow("three: the others keep their text")
            << 3 << QStringList{"s0", "s1", "s2"} + QStringList(5, kNoticeStart);
        QTest::newRow("none") << 0 << QStringList{};
    }
    void dpiNoticeTexts()
    {
        QFETCH(int, total);
        QFETCH(QStringList, expected);
        QByteArray text = "[other]\ntotal=" + QByteArray::number(total) + "\n";
        for (int i = 0; i < 12; ++i)
            text += QByteArray::number(i) + "=s" + QByteArray::number(i) + "\n";
        writeFile(QStringLiteral("German.ini"), text);
        QList<QStringList> received;
        Languages languages(folder(), nullptr, {}, [&](const QStringList& texts) { received.append(texts); });

        QCOMPARE(languages.getGlobalStrings(6, QStringLiteral("German")).size(), total);
        QCOMPARE(received.size(), expected.isEmpty() ? 0 : 1);
        if (!expected.isEmpty())
            QCOMPARE(received.first(), expected);
    }

    void shorterNoticeTableKeepsEarlierTexts()
    {
        writeFile(QStringLiteral("Full.ini"), "[other]\ntotal=8\n0=a\n1=b\n2=c\n3=d\n4=e\n5=f\n6=g\n7=h\n");
        writeFile(QStringLiteral("Short.ini"), "[other]\ntotal=2\n0=x\n1=y\n");
        QStringList last;
        Languages languages(folder(), nullptr, {}, [&](const QStringList& texts) { last = texts; });
        languages.getGlobalStrings(6, QStringLiteral("Full"));
        languages.getGlobalStrings(6, QStringLiteral("Short"));
        QCOMPARE(last, (QStringList{"x", "y", "c", "d", "e", "f", "g", "h"}));
        // Other tables never touch the notices.
        languages.getGlobalStrings(0, QStringLiteral("Full"));
        QCOMPARE(last.first(), QStringLiteral("x"));
    }

    void productLayoutStrings()
    {
        QByteArray text = "[J2_133C6AA]\n";
        for (int i = 0; i <= 16; ++i)
            if (i != 7)
                text += QByteArray::number(i) + "=p" + QByteArray::number(i) + "\n";
        writeFile(QStringLiteral("lang_031000.ini"), text);
        Languages languages(folder());
        const QStringList strings = languages.getProductLayoutStrings_J2(QStringLiteral("031000"));
        QCOMPARE(strings.size(), 16);
        QCOMPARE(strings.at(0), QStringLiteral("p0"));
        QCOMPARE(strings.at(7), QString());
        QCOMPARE(strings.at(15), QStringLiteral("p15"));

        const QStringList missing = languages.getProductLayoutStrings_J2(QStringLiteral("025044"));
        QCOMPARE(missing, QStringList(16, QString()));
    }

    void pickerCancelled()
    {
        ScriptedDialogs dialogs;
        Languages languages(folder(), &dialogs, makeMessageList());
        QCOMPARE(languages.getCustomFilePath(), QString());
        QCOMPARE(dialogs.openCall,
                 (QStringList{"Open File", QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
                              "Image Files(*.png)"}));
        QVERIFY(dialogs.warnings.isEmpty());
        QCOMPARE(Languages(folder()).getCustomFilePath(), QString());
    }

    void pickerReadable()
    {
        writeFile(QStringLiteral("picture.png"), "\x89PNG");
        ScriptedDialogs dialogs;
        dialogs.answer = dir->filePath(QStringLiteral("picture.png"));
        QCOMPARE(Languages(folder(), &dialogs, makeMessageList()).getCustomFilePath(), dialogs.answer);
        QVERIFY(dialogs.warnings.isEmpty());
    }

    void pickerUnreadable()
    {
        const QStringList messages = makeMessageList();
        ScriptedDialogs dialogs;
        dialogs.answer = dir->filePath(QStringLiteral("gone.png"));
        QCOMPARE(Languages(folder(), &dialogs, messages).getCustomFilePath(), QString());
        QCOMPARE(dialogs.warnings.size(), 1);
        QCOMPARE(dialogs.warnings.first().at(0), messages.at(message_list::kImageUnreadableTitle));
        QCOMPARE(dialogs.warnings.first().at(1),
                 messages.at(message_list::kImageUnreadableText) + dialogs.answer);

        // A list without those entries still gives a warning, worded by the path alone.
        ScriptedDialogs bare;
        bare.answer = dialogs.answer;
        QCOMPARE(Languages(folder(), &bare).getCustomFilePath(), QString());
        QCOMPARE(bare.warnings, (QList<QStringList>{{QString(), bare.answer}}));
    }

    void messageListCoversEveryWarning()
    {
        const QStringList messages = makeMessageList();
        QCOMPARE(messages.size(), message_list::kEntries);
        for (const QString& message : messages)
            QVERIFY(!message.trimmed().isEmpty());
        QCOMPARE(messageAt(messages, message_list::kEntries), QString());
        QCOMPARE(messageAt(messages, -1), QString());
    }

    void shippedTables_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("reserved");   // empty in English too
        QTest::addColumn<QList<int>>("lineBreaks"); // two-line texts in English
        QTest::addColumn<QList<int>>("trailingSpace");
        for (const QString& language : {QStringLiteral("German"), QStringLiteral("Russian")}) {
            const auto row = [&](const char* table) -> QTestData& {
                return QTest::newRow(qPrintable(language + QLatin1Char(' ') + QLatin1String(table)));
            };
            row("main") << language << 0 << 40 << QList<int>{} << QList<int>{8} << QList<int>{};
            row("keyMatrix") << language << 1 << 10 << QList<int>{7, 8, 9} << QList<int>{}
                             << QList<int>{0, 4};
            row("keyMenu") << language << 2 << 55 << QList<int>{53, 54} << QList<int>{} << QList<int>{};
            row("macroEditor") << language << 3 << 20 << QList<int>{17, 18, 19} << QList<int>{}
                               << QList<int>{};
            row("gunControl") << language << 4 << 30 << QList<int>{28, 29} << QList<int>{} << QList<int>{};
            row("macroKey") << language << 5 << 10 << QList<int>{9} << QList<int>{2, 3, 4} << QList<int>{};
            row("other") << language << 6 << 8 << QList<int>{} << QList<int>{} << QList<int>{};
        }
    }
    void shippedTables()
    {
        QFETCH(QString, language);
        QFETCH(int, type);
        QFETCH(int, size);
        QFETCH(QList<int>, reserved);
        QFETCH(QList<int>, lineBreaks);
        QFETCH(QList<int>, trailingSpace);
        const QString path = QDir(shippedFolder()).filePath(language + QStringLiteral(".ini"));
        QVERIFY2(QFile::exists(path), qPrintable(path));

        QStringList notices;
        Languages languages(shippedFolder(), nullptr, {}, [&](const QStringList& texts) { notices = texts; });
        const QStringList strings = languages.getGlobalStrings(type, language);
        QCOMPARE(strings.size(), size);

        const QSettings file(path, QSettings::IniFormat);
        const QString group =
            QStringList{"main", "keyMatrix", "keyMenu", "macroEditor", "gunControl", "macroKey", "other"}.at(
                type);
        for (int i = 0; i < size; ++i) {
            const QVariant value = file.value(group + QLatin1Char('/') + QString::number(i));
            // A list here would mean an unquoted comma split the text.
            QVERIFY2(value.typeId() == QMetaType::QString, qPrintable(group + QString::number(i)));
            QCOMPARE(strings.at(i).isEmpty(), reserved.contains(i));
            QCOMPARE(strings.at(i).contains(QLatin1Char('\n')), lineBreaks.contains(i));
            if (trailingSpace.contains(i))
                QVERIFY(strings.at(i).endsWith(QLatin1Char(' ')));
        }
        if (type == 6)
            QCOMPARE(notices, strings);
    }

    void shippedCodedFiles()
    {
        Languages languages(shippedFolder());
        const QMap<QString, QString> listed = languages.chkLanguages();
        QCOMPARE(listed.keys(), (QStringList{"CHINESE (Simp)", "ENGLISH", "GERMAN", "RUSSIAN"}));
        for (const QString& code : listed) {
            const QStringList strings = languages.getProductLayoutStrings_J2(code);
            for (const QString& text : strings)
                QVERIFY2(!text.isEmpty(), qPrintable(code));
        }
    }
};

QTEST_GUILESS_MAIN(TestLanguages)
#include "test_languages.moc"
