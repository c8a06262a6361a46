// The gun page through the real window on the virtual mouse, with the application setting that shows it:
// the gun list and its built-in guns, the insert dialogs and cursor steps, binding gun slots to a button
// through the key menu, and what reaches the mouse's macro slots and gun key tables.

#include "my_qquick_view.h"
#include "scene_harness.h"
#include "widget.h"

#include <QQuickItem>
#include <QSettings>
#include <QTest>

namespace {

struct Action
{
    int type;
    QString info;
    bool operator==(const Action&) const = default;
};

constexpr int kGunKeyType = 0x08;
constexpr int kGunKeyMark = 0x05;
constexpr int kFirstGunSlot = 6;
constexpr int kSlotBytes = 128;

} // namespace

class TestGunPage : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<scene::Harness> harness;

    QQuickItem* item(const QString& name) const { return harness->item(name); }
    QQuickItem* page() const { return item(QStringLiteral("gunControlMain")); }

    QVariant call(QQuickItem* on, const char* function, const QVariantList& arguments = {}) const
    {
        QVariant result;
        QGenericArgument args[3];
        for (int i = 0; i < arguments.size() && i < 3; ++i)
            args[i] = Q_ARG(QVariant, arguments[i]);
        QMetaObject::invokeMethod(on, function, Q_RETURN_ARG(QVariant, result), args[0], args[1], args[2]);
        return result;
    }
    QList<Action> actions() const
    {
        QList<Action> list;
        for (const QVariant& line : call(page(), "getAllMacroActions").toList()) {
            const QString text = line.toString();
            list.append({text.left(1).toInt(), text.mid(2)});
        }
        return list;
    }
    QStringList gunNames() const
    {
        QStringList names;
        for (const QVariant& name : call(page(), "allNames").toList())
            names.append(name.toString());
        return names;
    }
    QList<int> slotKeys() const
    {
        QList<int> keys;
        for (const QVariant& slot : harness->value(QStringLiteral("keyMatrixMain"), "gunKeyDataEx").toList())
            keys.append(slot.toMap().value(QStringLiteral("key")).toInt());
        return keys;
    }
    QList<int> slotGuns() const
    {
        QList<int> guns;
        for (const QVariant& gun : page()->property("gunDataEx").toList())
            guns.append(gun.toInt());
        return guns;
    }
    QList<int> tableEntry(int table, int key) const
    {
        const j2::vm::Block128 bytes = harness->deviceState().keyMatrix.at(std::uint8_t(table));
        QList<int> entry;
        for (int i = 0; i < 4; ++i)
            entry.append(bytes.at(std::size_t(key * 4 + i)));
        return entry;
    }
    void openPage() { harness->click(item(QStringLiteral("gunManagerButton"))); }
    void closePage() { harness->click(item(QStringLiteral("gunMacroOk"))); }
    void selectGun(int index) { harness->click(item(QStringLiteral("gunMacroRow%1").arg(index))); }
    void menu(int row, int command)
    {
        // Row -1: the empty part of the list.
        harness->click(
            item(row < 0 ? QStringLiteral("gunActionList") : QStringLiteral("gunActionRow%1").arg(row)),
            Qt::RightButton);
        QVERIFY(item(QStringLiteral("gunActionMenu"))->isVisible());
        harness->click(item(QStringLiteral("gunActionMenuRow%1").arg(command)));
    }
    // The key menu's gun command for a slot on a button row.
    void gunCommand(int key, int slot, int command)
    {
        harness->click(item(QStringLiteral("keyRow%1").arg(key)));
        QVERIFY(item(QStringLiteral("keyMenuMain"))->isVisible());
        harness->hover(item(QStringLiteral("keyMenuEntry16")));
        harness->hover(item(QStringLiteral("keyMenuEntry%1").arg(500 + slot)));
        QQuickItem* entry = item(QStringLiteral("keyMenuEntry%1_%2").arg(600 + command).arg(slot));
        QVERIFY(entry != nullptr && entry->isVisible());
        harness->screenshot(QStringLiteral("gun-key-menu"));
        harness->click(entry);
    }
    // Assigns gun list entry `gun` to a slot on a button, through the macro key dialog.
    void assignGun(int key, int slot, int gun)
    {
        gunCommand(key, slot, 0);
        QQuickItem* dialog = item(QStringLiteral("macroKeyMain"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->property("macroType").toInt(), 2);
        harness->click(item(QStringLiteral("macroNameField")));
        harness->click(item(QStringLiteral("macroNameChoice%1").arg(gun)));
        harness->click(item(QStringLiteral("macroKeyOk")));
    }
    void save() { QVERIFY(harness->save()); }

private slots:
    void init()
    {
        scene::Options options;
        options.appList = {1};
        harness = std::make_unique<scene::Harness>(options);
        QVERIFY(harness->start());
    }

    void cleanup() { harness.reset(); }

    void hiddenUnlessTheSettingAsks()
    {
        QVERIFY(item(QStringLiteral("gunManagerButton"))->isVisible());
        harness->click(item(QStringLiteral("keyRow4")));
        QVERIFY(item(QStringLiteral("keyMenuEntry16"))->isVisible());

        harness = std::make_unique<scene::Harness>();
        QVERIFY(harness->start());
        QVERIFY(!item(QStringLiteral("gunManagerButton"))->isVisible());
        harness->click(item(QStringLiteral("keyRow4")));
        QVERIFY(item(QStringLiteral("keyMenuMain"))->isVisible());
        QCOMPARE(item(QStringLiteral("keyMenuEntry16")), nullptr);
    }

    void builtInGunsCannotBeDeleted()
    {
        openPage();
        QVERIFY(page()->isVisible());
        QCOMPARE(gunNames(), (QStringList{"General", "Three fire", "Two fire"}));
        harness->click(item(QStringLiteral("gunMacroNew")));
        harness->click(item(QStringLiteral("gunMacroNew")));
        QCOMPARE(gunNames(), (QStringList{"General", "Three fire", "Two fire", "Gun_0", "Gun_1"}));
        for (int builtIn = 0; builtIn < 3; ++builtIn) {
            selectGun(builtIn);
            harness->click(item(QStringLiteral("gunMacroDelete")));
            QCOMPARE(gunNames().size(), 5);
        }
        selectGun(3);
        harness->click(item(QStringLiteral("gunMacroDelete")));
        QCOMPARE(gunNames(), (QStringList{"General", "Three fire", "Two fire", "Gun_1"}));
        QCOMPARE(harness->view().loadGunIndex(QStringLiteral("Gun_1")).toInt(), 3);
        QCOMPARE(harness->view().getNameList(1).size(), 4);
    }

    void insertDialogsKeepCursorStepsTogether()
    {
        openPage();
        harness->click(item(QStringLiteral("gunMacroNew")));
        // A cursor step through its dialog: typed X, Y set by dragging the marker to the pad's top edge,
        // which is the most the cursor can move up: +127, which the stream sends as -127.
        menu(-1, 7);
        QQuickItem* dialog = item(QStringLiteral("gunInsertDialog"));
        QVERIFY(dialog->isVisible());
        item(QStringLiteral("gunInsertX"))->setProperty("text", QStringLiteral("12"));
        QMetaObject::invokeMethod(item(QStringLiteral("gunInsertX")), "textEdited");
        QQuickItem* pad = item(QStringLiteral("gunInsertPad"));
        harness->press(harness->windowPoint(pad, QPointF(pad->width() / 2, 0)));
        harness->release(harness->windowPoint(pad, QPointF(pad->width() / 2, 0)));
        QCOMPARE(dialog->property("offsetY").toInt(), 127);
        dialog->setProperty("offsetX", 12);
        harness->screenshot(QStringLiteral("gun-cursor-dialog"));
        harness->click(item(QStringLiteral("gunInsertOk")));
        QCOMPARE(actions(), (QList<Action>{{5, "12"}, {6, "127"}}));

        // A click inserted at the X half goes after the whole step.
        menu(0, 1);
        QCOMPARE(actions(), (QList<Action>{{5, "12"}, {6, "127"}, {3, "MS-L"}, {4, "MS-L"}}));
        // A delay inserted at the Y half goes before the whole step.
        menu(1, 4);
        item(QStringLiteral("gunInsertDelay"))->setProperty("text", QStringLiteral("35"));
        harness->click(item(QStringLiteral("gunInsertOk")));
        QCOMPARE(actions(), (QList<Action>{{0, "35"}, {5, "12"}, {6, "127"}, {3, "MS-L"}, {4, "MS-L"}}));

        // The mouse dialog offers its five buttons; the key dialog names the next key pressed.
        menu(4, 6);
        harness->click(item(QStringLiteral("gunInsertMouse3")));
        harness->click(item(QStringLiteral("gunInsertOk")));
        menu(0, 5);
        QVERIFY(page()->property("isInsertting").toBool());
        harness->call("detectKeyboard", {true, 0x1A});
        QCOMPARE(harness->value(QStringLiteral("gunInsertKeyName"), "text").toString(), QStringLiteral("W"));
        harness->click(item(QStringLiteral("gunInsertOk")));
        QVERIFY(!page()->property("isInsertting").toBool());
        harness->screenshot(QStringLiteral("gun-page"));
        const QList<Action> expected{{0, "35"},   {1, "W"},    {2, "W"},     {5, "12"},   {6, "127"},
                                     {3, "MS-L"}, {4, "MS-L"}, {3, "MS-B5"}, {4, "MS-B5"}};
        QCOMPARE(actions(), expected);

        // Deleting either half deletes the step; everything reached the gun's file.
        menu(4, 0);
        QCOMPARE(actions().size(), expected.size() - 2);
        QVERIFY(!actions().contains(Action{5, "12"}));
        QCOMPARE(harness->view().loadGunIni(QStringLiteral("Gun_0")).size(), expected.size() - 2 + 1);

        // Closing the page with the key dialog open ends the key's capture.
        menu(0, 5);
        QVERIFY(page()->property("isInsertting").toBool());
        closePage();
        QVERIFY(!page()->property("isInsertting").toBool());
    }

    // A gun recorded on the page and bound to a button plays from the first gun slot: its stream is in
    // device slot 6, and the gun key leads into the gun key table whose left button plays slot 6.
    void recordedGunReachesTheMouse()
    {
        openPage();
        harness->click(item(QStringLiteral("gunMacroNew")));
        harness->click(item(QStringLiteral("gunRecordButton")));
        for (int usage : {0x04, 0x05}) {
            harness->call("detectKeyboard", {true, usage});
            harness->call("detectKeyboard", {false, usage});
        }
        harness->click(item(QStringLiteral("gunRecordButton")));
        menu(3, 7);
        item(QStringLiteral("gunInsertDialog"))->setProperty("offsetX", -3);
        item(QStringLiteral("gunInsertDialog"))->setProperty("offsetY", 5);
        harness->click(item(QStringLiteral("gunInsertOk")));
        closePage();
        const QVariantList stream = call(page(), "encode",
                                         {call(page(), "storedEntry", {QStringLiteral("Gun_0")})
                                              .toMap()
                                              .value(QStringLiteral("actions")),
                                          1})
                                        .toList();
        QVERIFY(stream.size() > 8);
        QVERIFY(stream.contains(0xF9));

        assignGun(4, 0, 3);
        QCOMPARE(slotKeys(), (QList<int>{4, -1, -1}));
        QCOMPARE(slotGuns().at(0), 3);
        QCOMPARE(harness->value(QStringLiteral("keyText4"), "text").toString(), QStringLiteral("Gun_0"));
        QCOMPARE(harness->value(QStringLiteral("keyMenuMain"), "gunMenuNames").toStringList().at(0),
                 QStringLiteral("Gun_0"));
        const j2::vm::Block128 slot = harness->deviceState().macros.at(kFirstGunSlot);
        for (int i = 0; i < stream.size(); ++i)
            QCOMPARE(int(slot.at(std::size_t(i))), stream.at(i).toInt());
        QCOMPARE(harness->view().getselectGun().value(0).toInt(), 3);

        save();
        QCOMPARE(tableEntry(1, 4), (QList<int>{kGunKeyType, 0, kGunKeyMark, 2}));
        QCOMPARE(tableEntry(2, 4), (QList<int>{kGunKeyType, 0, kGunKeyMark, 1}));
        QCOMPARE(tableEntry(2, 0), (QList<int>{0x09, 2, kFirstGunSlot, 0}));
        QCOMPARE(tableEntry(3, 0), (QList<int>{0x09, 2, kFirstGunSlot + 5, 0}));
        QCOMPARE(tableEntry(4, 0), (QList<int>{0x09, 2, kFirstGunSlot + 10, 0}));
        QCOMPARE(tableEntry(2, 1), tableEntry(1, 1)); // the other buttons keep their functions
        QCOMPARE(harness->view().getselectGunKey().value(0).toInt(), 4);
    }

    void twoSlotsOnOneKeyFormACycle()
    {
        assignGun(4, 0, 1);
        assignGun(4, 2, 0);
        QCOMPARE(slotKeys(), (QList<int>{4, -1, 4}));
        // The row shows the lowest bound slot's gun; the slot menu of a slot on another key is empty.
        QCOMPARE(harness->value(QStringLiteral("keyText4"), "text").toString(), QStringLiteral("Three fire"));
        save();
        QCOMPARE(tableEntry(1, 4).at(3), 2);
        QCOMPARE(tableEntry(2, 4).at(3), 4);
        QCOMPARE(tableEntry(4, 4).at(3), 1);

        // Disabling slot 0 closes the cycle around it, and its gun falls back to the last built-in one.
        gunCommand(4, 0, 2);
        QCOMPARE(slotKeys(), (QList<int>{-1, -1, 4}));
        QCOMPARE(slotGuns().at(0), 2);
        QCOMPARE(harness->value(QStringLiteral("keyText4"), "text").toString(), QStringLiteral("General"));
        save();
        QCOMPARE(tableEntry(1, 4).at(3), 4);
        QCOMPARE(tableEntry(4, 4).at(3), 1);

        // Enable binds the slot again with its stored run type.
        gunCommand(4, 0, 1);
        QCOMPARE(slotKeys(), (QList<int>{4, -1, 4}));

        // Another function for the button lets both slots go.
        harness->click(item(QStringLiteral("keyRow4")));
        harness->click(item(QStringLiteral("keyMenuEntry2")));
        QCOMPARE(slotKeys(), (QList<int>{-1, -1, -1}));
        QCOMPARE(harness->view().getselectGunKey().mid(0, 3), (QVariantList{-1, -1, -1}));
    }

    // A gun on a key that another button already uses is that button's: its menu offers nothing for it.
    void slotOnAnotherKeyOffersNothing()
    {
        assignGun(4, 1, 0);
        harness->click(item(QStringLiteral("keyRow3")));
        harness->hover(item(QStringLiteral("keyMenuEntry16")));
        harness->hover(item(QStringLiteral("keyMenuEntry501")));
        QCOMPARE(item(QStringLiteral("keyMenuEntry600_1")), nullptr);
        harness->hover(item(QStringLiteral("keyMenuEntry502")));
        QVERIFY(item(QStringLiteral("keyMenuEntry600_2")) != nullptr);
        QCOMPARE(item(QStringLiteral("keyMenuEntry602_2")), nullptr);
    }

    void deletingABoundGunReleasesItsKey()
    {
        openPage();
        harness->click(item(QStringLiteral("gunMacroNew")));
        harness->click(item(QStringLiteral("gunMacroNew"))); // a gun after the deleted one
        closePage();
        assignGun(4, 1, 3);
        {
            const std::unique_ptr<QSettings> other = harness->profileFile(2);
            other->setValue(QStringLiteral("selectGun/1"), 3);
            other->setValue(QStringLiteral("selectGunKey/1"), 5);
            other->setValue(QStringLiteral("selectGun/2"), 4);
        }
        openPage();
        selectGun(3);
        harness->click(item(QStringLiteral("gunMacroDelete")));
        QCOMPARE(slotKeys(), (QList<int>{-1, -1, -1}));
        QCOMPARE(slotGuns().at(1), 2);
        QCOMPARE(harness->value(QStringLiteral("keyText4"), "text").toString(), QStringLiteral("Gun Button"));
        const std::unique_ptr<QSettings> other = harness->profileFile(2);
        QCOMPARE(other->value(QStringLiteral("selectGun/1")).toInt(), 2);
        QCOMPARE(other->value(QStringLiteral("selectGunKey/1")).toInt(), -1);
        QCOMPARE(other->value(QStringLiteral("selectGun/2")).toInt(), 3);

        // The dialog remembers its choice by name: the deleted gun is gone from it, so nothing is shown,
        // highlighted or assigned (a position would now name another gun).
        closePage();
        gunCommand(4, 1, 0);
        QCOMPARE(harness->value(QStringLiteral("macroKeyMain"), "shownName").toString(), QString());
        harness->click(item(QStringLiteral("macroKeyOk")));
        QCOMPARE(slotKeys(), (QList<int>{-1, -1, -1}));
    }

    // Binding a gun whose device slots hold a button's macro asks first; Cancel binds nothing.
    void aGunOverAButtonsMacroAsksFirst()
    {
        QQuickItem* keys = item(QStringLiteral("keyMatrixMain"));
        QVariantList entries = keys->property("modKeysVar").toList();
        entries[5] = QVariantList{9, 0, 5, 0}; // row 6's macro lives in device slot 6, gun slot 0's first
        keys->setProperty("modKeysVar", entries);
        const auto choose = [this] {
            gunCommand(4, 0, 0);
            harness->click(item(QStringLiteral("macroNameField")));
            harness->click(item(QStringLiteral("macroNameChoice0")));
            harness->click(item(QStringLiteral("macroKeyOk")));
        };
        choose();
        QVERIFY(item(QStringLiteral("gunSlotSure"))->isVisible());
        harness->click(item(QStringLiteral("gunSlotCancelButton")));
        QCOMPARE(slotKeys(), (QList<int>{-1, -1, -1}));
        harness->click(item(QStringLiteral("macroKeyCancel")));
        choose();
        harness->click(item(QStringLiteral("gunSlotOkButton")));
        QCOMPARE(slotKeys(), (QList<int>{4, -1, -1}));
    }

    // A gun too long for one slot spreads over the next ones with links; one too long for its five slots
    // is not written at all.
    void longGunsSpreadOverSlots()
    {
        QStringList steps;
        for (int i = 0; i < 40; ++i)
            steps << QStringLiteral("5,%1").arg(i % 7) << QStringLiteral("6,%1").arg(i % 5)
                  << QStringLiteral("0,40");
        QVERIFY(harness->view().saveGunIni(QStringLiteral("General"), steps, {}, 1).toBool());
        call(page(), "setGunData", {0, 0});
        // A slot no key plays is never written: its device slots hold button 4's macro.
        const j2::vm::Block128 buttonMacro = harness->deviceState().macros.at(kFirstGunSlot);
        harness->clearWire();
        call(page(), "sendGunMacro");
        QVERIFY(harness->sentReports().isEmpty());
        QCOMPARE(harness->deviceState().macros.at(kFirstGunSlot), buttonMacro);
        item(QStringLiteral("keyMatrixMain"))
            ->setProperty("gunKeyDataEx", QVariantList{QVariantMap{{"key", 4}, {"type", 2}},
                                                       QVariantMap{{"key", -1}, {"type", 2}},
                                                       QVariantMap{{"key", -1}, {"type", 2}}});
        call(page(), "sendGunMacro");
        const j2::vm::DeviceState state = harness->deviceState();
        const j2::vm::Block128 first = state.macros.at(kFirstGunSlot);
        const j2::vm::Block128 second = state.macros.at(kFirstGunSlot + 1);
        int linkAt = kSlotBytes - 4;
        while (linkAt > 0 && first.at(std::size_t(linkAt + 1)) != 0xFE)
            --linkAt;
        QVERIFY(linkAt > 100);
        QCOMPARE(int(first.at(std::size_t(linkAt))), kFirstGunSlot + 1);
        QCOMPARE(int(second.at(0)), int(first.at(0))); // every chunk starts with the repeat bytes
        QCOMPARE(int(second.at(1)), int(first.at(1)));

        QStringList tooLong;
        for (int i = 0; i < 170; ++i)
            tooLong << QStringLiteral("5,1") << QStringLiteral("6,1") << QStringLiteral("0,10");
        harness->clearWire();
        QVERIFY(harness->view().saveGunIni(QStringLiteral("Three fire"), tooLong, {}, 1).toBool());
        call(page(), "setGunData", {0, 1});
        call(page(), "sendGunMacro");
        QCOMPARE(harness->deviceState().macros.at(kFirstGunSlot), first);
        // The window says the mouse keeps the earlier gun.
        QVERIFY(item(QStringLiteral("frameHint"))->isVisible());
        QVERIFY(harness->value(QStringLiteral("frameHint"), "text")
                    .toString()
                    .startsWith(QStringLiteral("Three fire")));
    }
};

QTEST_MAIN(TestGunPage)
#include "test_gun_page.moc"
