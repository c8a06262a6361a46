// The macro editor through the real window on the virtual mouse: the macro list, recording keys from the
// global keyboard source with and without their timing, the length limit, the context menu's inserts, the
// inline editors and the repeat field, and what reaches the library files and the mouse.

#include "my_qquick_view.h"
#include "scene_harness.h"
#include "widget.h"

#include <QElapsedTimer>
#include <QQuickItem>
#include <QTest>

namespace {

struct Action
{
    int type;
    QString info;
    bool operator==(const Action&) const = default;
};

} // namespace

class TestMacroEditor : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<scene::Harness> harness;

    QQuickItem* item(const QString& name) const { return harness->item(name); }
    QQuickItem* editor() const { return item(QStringLiteral("macroEditorMain")); }

    QVariant call(const char* function, const QVariantList& arguments = {}) const
    {
        QVariant result;
        QGenericArgument args[2];
        for (int i = 0; i < arguments.size() && i < 2; ++i)
            args[i] = Q_ARG(QVariant, arguments[i]);
        QMetaObject::invokeMethod(editor(), function, Q_RETURN_ARG(QVariant, result), args[0], args[1]);
        return result;
    }
    QList<Action> actions() const
    {
        QList<Action> list;
        for (const QVariant& line : call("getAllMacroActions").toList()) {
            const QString text = line.toString();
            list.append({text.left(1).toInt(), text.mid(2)});
        }
        return list;
    }
    QStringList storedLines(const QString& name) const { return harness->view().loadMacroIni(name); }
    void key(bool isDown, int usage) { harness->call("detectKeyboard", {isDown, usage}); }
    void tap(int usage)
    {
        key(true, usage);
        key(false, usage);
        QCoreApplication::processEvents();
    }
    void open() { harness->click(item(QStringLiteral("macroManagerButton"))); }
    void newMacro() { harness->click(item(QStringLiteral("macroNew"))); }
    void menu(int row, int command)
    {
        harness->click(item(QStringLiteral("actionRow%1").arg(row)), Qt::RightButton);
        QVERIFY(item(QStringLiteral("actionMenu"))->isVisible());
        harness->click(item(QStringLiteral("actionMenuRow%1").arg(command)));
    }

private slots:
    void init()
    {
        harness = std::make_unique<scene::Harness>();
        QVERIFY(harness->start());
        open();
        QVERIFY(editor()->isVisible());
    }

    void cleanup() { harness.reset(); }

    void newFillsTheFirstFreeNumber()
    {
        newMacro();
        newMacro();
        newMacro();
        harness->click(item(QStringLiteral("macroRow1")));
        harness->click(item(QStringLiteral("macroDelete")));
        QCOMPARE(harness->view().getNameList(0).size(), 2);
        newMacro();
        QCOMPARE(call("getCurrentMacroName").toString(), QStringLiteral("Macro_1"));
        QCOMPARE(editor()->property("currentMacro").toInt(), 2);
        QCOMPARE(harness->view().loadMacroIndex(QStringLiteral("Macro_1")).toInt(), 2);
        QCOMPARE(harness->view().loadMacroIndex(QStringLiteral("Macro_2")).toInt(), 1);
    }

    void recordingWithAndWithoutTiming()
    {
        newMacro();
        harness->click(item(QStringLiteral("recordButton")));
        QVERIFY(editor()->property("isInputting").toBool());
        tap(0x04);
        tap(0x05);
        harness->click(item(QStringLiteral("recordButton")));
        QVERIFY(!editor()->property("isInputting").toBool());
        const QList<Action> plain = {{1, "A"}, {2, "A"}, {1, "B"}, {2, "B"}};
        QCOMPARE(actions(), plain);
        QCOMPARE(storedLines(QStringLiteral("Macro_0")).mid(0, 4), (QStringList{"1,A", "2,A", "1,B", "2,B"}));

        // With "Rec Time": the pause between the events, in 10 ms steps, and none before the first.
        harness->click(item(QStringLiteral("recordTime")));
        harness->click(item(QStringLiteral("recordButton")));
        key(true, 0x04);
        QTest::qWait(300);
        key(false, 0x04);
        harness->click(item(QStringLiteral("recordButton")));
        const QList<Action> timed = actions();
        QCOMPARE(timed.size(), 3);
        QCOMPARE(timed.at(0), (Action{1, "A"}));
        QCOMPARE(timed.at(1).type, 0);
        const int pause = timed.at(1).info.toInt();
        QCOMPARE(pause % 10, 0);
        QVERIFY2(pause >= 250 && pause <= 600, qPrintable(timed.at(1).info));
        QCOMPARE(timed.at(2), (Action{2, "A"}));
    }

    void recordingStopsAtTheLengthLimit()
    {
        newMacro();
        harness->click(item(QStringLiteral("recordButton")));
        for (int i = 0; i < 40; ++i)
            tap(0x04 + i % 26);
        harness->click(item(QStringLiteral("recordButton")));
        // 61 events fill the 126 bytes; every later one is refused.
        QCOMPARE(actions().size(), 61);
        QCOMPARE(call("recordCount").toInt(), 126);
        menu(0, 1);
        QCOMPARE(actions().size(), 61);
    }

    void contextMenuInserts()
    {
        newMacro();
        harness->click(item(QStringLiteral("recordButton")));
        tap(0x04);
        key(true, 0x05);
        harness->click(item(QStringLiteral("recordButton")));
        QCOMPARE(actions().size(), 3);

        // A left click after the last action is appended; after the first of three it goes to 2 and 3.
        menu(2, 1);
        QCOMPARE(actions().mid(3), (QList<Action>{{3, "MS-L"}, {4, "MS-L"}}));
        menu(0, 2);
        QCOMPARE(actions().mid(0, 3), (QList<Action>{{1, "A"}, {3, "MS-M"}, {4, "MS-M"}}));

        // A delay goes before the selected action and becomes the selected one.
        menu(1, 4);
        QCOMPARE(actions().at(1), (Action{0, "50"}));
        QCOMPARE(actions().at(2), (Action{3, "MS-M"}));
        QCOMPARE(editor()->property("currentAction").toInt(), 1);
        harness->click(item(QStringLiteral("actionRow3")), Qt::RightButton);
        harness->screenshot(QStringLiteral("macro-editor"));
        QMetaObject::invokeMethod(editor(), "macroEditorFocus");
        harness->click(item(QStringLiteral("actionRow1")));

        // Delete removes the selected action.
        menu(2, 0);
        QCOMPARE(actions().at(2), (Action{4, "MS-M"}));
        QCOMPARE(storedLines(QStringLiteral("Macro_0")).size(), actions().size() + 1);
    }

    void delayEditorLimits()
    {
        newMacro();
        harness->click(item(QStringLiteral("recordButton")));
        tap(0x04);
        harness->click(item(QStringLiteral("recordButton")));
        menu(0, 4);
        harness->doubleClick(item(QStringLiteral("actionRow0")));
        QQuickItem* delay = item(QStringLiteral("delayEditor"));
        QVERIFY(delay->isVisible());
        QTest::keyClicks(&harness->view(), QStringLiteral("100001"));
        QCOMPARE(delay->property("text").toString(), QStringLiteral("10000")); // the last digit is refused
        QTest::keyClick(&harness->view(), Qt::Key_Return);
        QCOMPARE(actions().at(0), (Action{0, "10000"}));

        harness->doubleClick(item(QStringLiteral("actionRow0")));
        delay->setProperty("text", QString());
        QTest::keyClick(&harness->view(), Qt::Key_Return);
        QCOMPARE(actions().at(0), (Action{0, "10000"})); // not a number: the old value stays
    }

    void repeatFieldAndSendingToButtons()
    {
        newMacro();
        harness->click(item(QStringLiteral("loopsTimer")));
        QQuickItem* repeat = item(QStringLiteral("repeatField"));
        QVERIFY(repeat->property("enabled").toBool());
        harness->click(repeat);
        repeat->setProperty("text", QStringLiteral("300"));
        harness->moveTo(QPoint(500, 300));
        QMetaObject::invokeMethod(editor(), "macroEditorFocus");
        QCOMPARE(storedLines(QStringLiteral("Macro_0")).last(), QStringLiteral("300"));

        // An empty field becomes "1" when it loses focus.
        harness->click(repeat);
        repeat->setProperty("text", QString());
        QMetaObject::invokeMethod(editor(), "macroEditorFocus");
        QCOMPARE(repeat->property("text").toString(), QStringLiteral("1"));
        QCOMPARE(storedLines(QStringLiteral("Macro_0")).last(), QStringLiteral("1"));

        // Sending a macro to a button shows that macro's stored count.
        harness->view().saveMacroIni(QStringLiteral("Macro_0"),
                                     {QStringLiteral("1,A"), QStringLiteral("2,A")}, {}, 7);
        QMetaObject::invokeMethod(editor(), "sendMacro", Q_ARG(QVariant, 3),
                                  Q_ARG(QVariant, QStringLiteral("Macro_0")));
        QCOMPARE(repeat->property("text").toString(), QStringLiteral("7"));
        const j2::vm::Block128 slot = harness->deviceState().macros.at(4);
        QCOMPARE(int(slot[1]), 7);
    }

    void renameKeepsNamesDistinct()
    {
        newMacro();
        newMacro();
        harness->doubleClick(item(QStringLiteral("macroRow1")));
        QVERIFY(item(QStringLiteral("macroNameEditor"))->isVisible());
        QTest::keyClicks(&harness->view(), QStringLiteral("Macro_0"));
        QTest::keyClick(&harness->view(), Qt::Key_Return);
        QCOMPARE(call("getCurrentMacroName").toString(), QStringLiteral("Macro_1")); // taken: refused
        harness->doubleClick(item(QStringLiteral("macroRow1")));
        QTest::keyClicks(&harness->view(), QStringLiteral("Sniper"));
        QTest::keyClick(&harness->view(), Qt::Key_Return);
        QCOMPARE(call("getCurrentMacroName").toString(), QStringLiteral("Sniper"));
        QVERIFY(harness->view().getNameList(0).contains(QVariant(QStringLiteral("Sniper"))));

        // Characters no file name may hold are refused as they are typed; the macro keeps its lines.
        harness->view().saveMacroIni(QStringLiteral("Sniper"), {QStringLiteral("1,A"), QStringLiteral("2,A")},
                                     {}, 1);
        harness->doubleClick(item(QStringLiteral("macroRow1")));
        QTest::keyClicks(&harness->view(), QStringLiteral("Build: quick"));
        QTest::keyClick(&harness->view(), Qt::Key_Return);
        QCOMPARE(call("getCurrentMacroName").toString(), QStringLiteral("Build quick"));
        QCOMPARE(storedLines(QStringLiteral("Build quick")).size(), 3);
        // A name the library refuses all the same keeps the old one everywhere, and the page says why.
        QMetaObject::invokeMethod(editor(), "renameMacro", Q_ARG(QVariant, 1),
                                  Q_ARG(QVariant, QStringLiteral("a/b")));
        QCOMPARE(call("getCurrentMacroName").toString(), QStringLiteral("Build quick"));
        QVERIFY(harness->view().getNameList(0).contains(QVariant(QStringLiteral("Build quick"))));
        QVERIFY(item(QStringLiteral("nameHint"))->isVisible());
        QVERIFY(
            item(QStringLiteral("nameHint"))->property("text").toString().contains(QStringLiteral("/ \\ :")));
        QCOMPARE(storedLines(QStringLiteral("Build quick")).size(), 3);
    }
};

QTEST_MAIN(TestMacroEditor)
#include "test_macro_editor.moc"
