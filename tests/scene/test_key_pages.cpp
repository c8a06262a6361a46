// Assigning functions to the mouse's buttons through the real window on the virtual mouse: the button
// rows, the function menu, the key and macro dialogs, the left-button guard, and what Save sends.

#include "my_qquick_view.h"
#include "scene_harness.h"
#include "widget.h"

#include <QQuickItem>
#include <QSettings>
#include <QTest>

class TestKeyPages : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<scene::Harness> harness;

    QQuickItem* item(const QString& name) const { return harness->item(name); }
    QString rowText(int key) const
    {
        return harness->value(QStringLiteral("keyText%1").arg(key), "text").toString();
    }
    QList<int> entry(int key) const
    {
        QList<int> bytes;
        const QVariantList table = harness->value(QStringLiteral("keyMatrixMain"), "modKeysVar").toList();
        for (const QVariant& byte : table.value(key).toList())
            bytes.append(byte.toInt());
        return bytes;
    }
    QList<int> stored(int key) const
    {
        QList<int> bytes;
        for (const QVariant& byte : harness->view().getKeydefine(key))
            bytes.append(byte.toInt());
        return bytes;
    }
    void choose(int key, int menuIndex)
    {
        harness->click(item(QStringLiteral("keyRow%1").arg(key)));
        QVERIFY(item(QStringLiteral("keyMenuMain"))->isVisible());
        harness->click(item(QStringLiteral("keyMenuEntry%1").arg(menuIndex)));
    }
    void pressKey(int usage)
    {
        // The way the global keyboard hook hands a key to the scene.
        harness->call("detectKeyboard", {true, usage});
        harness->call("detectKeyboard", {false, usage});
    }
    void save() { QVERIFY(harness->save()); }
    // Creates macros through the macro editor and closes it.
    void makeMacros(int count)
    {
        harness->click(item(QStringLiteral("macroManagerButton")));
        for (int i = 0; i < count; ++i)
            harness->click(item(QStringLiteral("macroNew")));
        harness->click(item(QStringLiteral("macroOk")));
    }

private slots:
    void init()
    {
        harness = std::make_unique<scene::Harness>();
        QVERIFY(harness->start());
    }

    void cleanup() { harness.reset(); }

    void rowsShowTheProfilesFunctions()
    {
        QCOMPARE(rowText(0), QStringLiteral("Left Key"));
        QCOMPARE(rowText(5), QStringLiteral("DPI +"));
        QCOMPARE(harness->value(QStringLiteral("keyMatrixMain"), "contentHeight").toInt(), 162);
        QVERIFY(item(QStringLiteral("keyRow8")) == nullptr);
        harness->click(item(QStringLiteral("sideViewTab")));
        QCOMPARE(harness->value(QStringLiteral("keyMatrixMain"), "contentHeight").toInt(), 266);
        QVERIFY(item(QStringLiteral("keyRow23")) != nullptr);
        QVERIFY(item(QStringLiteral("keyRow0")) == nullptr);

        // Hovering a row lights its button on the mouse picture; leaving clears it.
        harness->click(item(QStringLiteral("topViewTab")));
        harness->hover(item(QStringLiteral("keyRow1")));
        QCOMPARE(harness->value(QStringLiteral("mouseMain"), "selectKey").toInt(), 1);
        harness->moveTo(QPoint(500, 300));
        QCOMPARE(harness->value(QStringLiteral("mouseMain"), "selectKey").toInt(), -1);
    }

    void theLastLeftButtonIsProtected()
    {
        harness->click(item(QStringLiteral("keyRow0")));
        QVERIFY(item(QStringLiteral("leftKeysure"))->isVisible());
        QVERIFY(!item(QStringLiteral("keyMenuMain"))->isVisible());
        harness->click(item(QStringLiteral("leftKeyOkButton")));

        // A second left button: either may change now, and the one left is protected again.
        choose(2, 0);
        QCOMPARE(entry(2), (QList<int>{0x01, 0x00, 0xF0, 0x00}));
        choose(0, 13);
        QCOMPARE(entry(0), (QList<int>{0, 0, 0, 0}));
        QCOMPARE(rowText(0), QStringLiteral("Deactivated"));
        harness->click(item(QStringLiteral("keyRow2")));
        QVERIFY(item(QStringLiteral("leftKeysure"))->isVisible());
    }

    void menuValuesAndSubMenus()
    {
        harness->click(item(QStringLiteral("keyRow3")));
        QCOMPARE(item(QStringLiteral("keyMenuMain"))->position(), QPointF(249, 236));
        QVERIFY(!item(QStringLiteral("keyMenuSub7"))->isVisible());
        harness->hover(item(QStringLiteral("keyMenuEntry7")));
        QVERIFY(item(QStringLiteral("keyMenuSub7"))->isVisible());
        harness->hover(item(QStringLiteral("keyMenuEntry6")));
        QVERIFY(!item(QStringLiteral("keyMenuSub7"))->isVisible());
        QVERIFY(item(QStringLiteral("keyMenuSub6"))->isVisible());
        harness->screenshot(QStringLiteral("key-menu"));
        harness->click(item(QStringLiteral("keyMenuEntry102")));
        QVERIFY(!item(QStringLiteral("keyMenuMain"))->isVisible());
        QCOMPARE(entry(3), (QList<int>{0x07, 0x00, 0x03, 0x00}));
        QCOMPARE(rowText(3), QStringLiteral("DPI LOOP"));
        QVERIFY(harness->value(QStringLiteral("keyMatrixMain"), "isSave").toBool());
        QCOMPARE(harness->value(QStringLiteral("mouseMain"), "selectKey").toInt(), -1);

        save();
        QCOMPARE(stored(3), (QList<int>{0x07, 0x00, 0x03, 0x00}));
        QCOMPARE(int(harness->deviceState().keyMatrix.at(1).at(3 * 4)), 0x07);

        // Nothing changed since: Save sends nothing.
        harness->clearWire();
        save();
        QVERIFY(harness->sentReports().isEmpty());
    }

    void singleKeyTakesThePressedKey()
    {
        choose(4, 10);
        QVERIFY(item(QStringLiteral("singleKeyMain"))->isVisible());
        QVERIFY(item(QStringLiteral("mainMask"))->isVisible());
        pressKey(0x31); // backslash, as the hook reports it
        QTRY_COMPARE(harness->value(QStringLiteral("singleKeyText"), "text").toString(),
                     QStringLiteral("\\ |"));
        harness->click(item(QStringLiteral("singleKeyOk")));
        QVERIFY(!item(QStringLiteral("singleKeyMain"))->isVisible());
        QVERIFY(!item(QStringLiteral("mainMask"))->isVisible());
        QCOMPARE(entry(4), (QList<int>{0x00, 0x00, 0x32, 0x00})); // the name stands for 0x32
        QCOMPARE(rowText(4), QStringLiteral("Keyboard Key-\\ |"));

        // Opened again, OK at once assigns the key shown from the last use.
        choose(3, 10);
        harness->click(item(QStringLiteral("singleKeyOk")));
        QCOMPARE(entry(3), (QList<int>{0x00, 0x00, 0x32, 0x00}));
    }

    void macroAssignedToARowGoesToItsSlotAtOnce()
    {
        makeMacros(2); // Macro_0 and Macro_1
        choose(5, 11);
        QVERIFY(item(QStringLiteral("macroKeyMain"))->isVisible());
        harness->click(item(QStringLiteral("macroNameField")));
        harness->click(item(QStringLiteral("macroNameChoice1")));
        harness->click(item(QStringLiteral("macroRunType2")));
        harness->clearWire();
        harness->click(item(QStringLiteral("macroKeyOk")));
        QVERIFY(!item(QStringLiteral("macroKeyMain"))->isVisible());
        QCOMPARE(rowText(5), QStringLiteral("Macro: Macro_1"));
        QCOMPARE(entry(5), (QList<int>{0x09, 0x02, 0x05, 0x00}));
        // The (empty) macro is in slot 6 already: its repeat count, then the end.
        QVERIFY(!harness->sentReports().isEmpty());
        const j2::vm::Block128 slot = harness->deviceState().macros.at(6);
        QCOMPARE(int(slot[0]), 0x00);
        QCOMPARE(int(slot[1]), 0x01);

        save();
        QCOMPARE(stored(5), (QList<int>{0x09, 0x02, 0x06, 0x00}));

        // Deleting the macro gives the top row its factory function back.
        harness->click(item(QStringLiteral("macroManagerButton")));
        harness->click(item(QStringLiteral("macroRow1")));
        harness->click(item(QStringLiteral("macroDelete")));
        harness->click(item(QStringLiteral("macroOk")));
        QCOMPARE(rowText(5), QStringLiteral("DPI +"));
        QCOMPARE(entry(5), (QList<int>{0x07, 0x00, 0x01, 0x00}));
    }

    void aSideRowKeepsADeletedMacro()
    {
        makeMacros(1);
        harness->click(item(QStringLiteral("sideViewTab")));
        choose(8, 11);
        harness->click(item(QStringLiteral("macroNameField")));
        harness->click(item(QStringLiteral("macroNameChoice0")));
        harness->click(item(QStringLiteral("macroKeyOk")));
        QCOMPARE(rowText(8), QStringLiteral("Macro: Macro_0"));
        harness->click(item(QStringLiteral("macroManagerButton")));
        harness->click(item(QStringLiteral("macroRow0")));
        harness->click(item(QStringLiteral("macroDelete")));
        harness->click(item(QStringLiteral("macroOk")));
        QCOMPARE(entry(8).value(0), 0x09);
    }

    void aProfileWithoutGunKeysBindsNone()
    {
        {
            std::unique_ptr<QSettings> profile = harness->profileFile(0);
            profile->remove(QStringLiteral("selectGunKey"));
        }
        QMetaObject::invokeMethod(item(QStringLiteral("keyMatrixMain")), "init", Q_ARG(QVariant, false));
        for (const QVariant& slot : harness->value(QStringLiteral("keyMatrixMain"), "gunKeyDataEx").toList())
            QCOMPARE(slot.toMap().value(QStringLiteral("key")).toInt(), -1);
        // An assignment records the released slots: still none bound.
        choose(3, 13);
        const QVariantList recorded = harness->view().getselectGunKey();
        QCOMPARE(recorded.mid(0, 3), (QVariantList{-1, -1, -1}));
    }

    void autoRunTextDependsOnTheLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << 0 << "Auto Run";
        QTest::newRow("German") << 1 << "";
    }

    void autoRunTextDependsOnTheLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, text);
        harness->root()->setProperty("language", language);
        QQuickItem* panel = item(QStringLiteral("keyMatrixMain"));
        QVariant shown;
        QMetaObject::invokeMethod(panel, "keyCodetoText", Q_RETURN_ARG(QVariant, shown),
                                  Q_ARG(QVariant, 0x0F), Q_ARG(QVariant, 0x00), Q_ARG(QVariant, 0x2E),
                                  Q_ARG(QVariant, 0x00));
        QCOMPARE(shown.toString(), text);
    }
};

QTEST_MAIN(TestKeyPages)
#include "test_key_pages.moc"
