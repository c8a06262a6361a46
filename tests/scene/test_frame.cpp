// The window's frame as the user meets it: start-up behind the busy lock, the language tables, window
// dragging, Save / Cancel / Reset over the panels, the dialogs, the profile switch, the title-bar buttons
// and the right panel's scroll bar, all through the real window on the virtual mouse.

#include "my_qquick_view.h"
#include "scene_harness.h"
#include "widget.h"

#include <QElapsedTimer>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>

namespace {

// Stands in for a panel: the frame sees the same contract (isSave, init, saveData) and every call is
// written to a shared log, so the order of the frame's visits shows.
class PanelRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isSave MEMBER isSave NOTIFY isSaveChanged)
public:
    PanelRecorder(QString panelName, QStringList* sharedLog) : name(std::move(panelName)), log(sharedLog) {}
    Q_INVOKABLE void init(const QVariant& isSendData)
    {
        log->append(name + (isSendData.toBool() ? QStringLiteral(":send") : QStringLiteral(":load")));
    }
    Q_INVOKABLE void saveData() { log->append(name + QStringLiteral(":save")); }

    bool isSave = false;
signals:
    void isSaveChanged();

private:
    QString name;
    QStringList* log;
};

const QStringList kSaveOrder = {QStringLiteral("keyMatrixMain"),  QStringLiteral("xySettingMain"),
                                QStringLiteral("dpiSettingMain"), QStringLiteral("lightControlMain"),
                                QStringLiteral("reprotRateMain"), QStringLiteral("mouseRateMain"),
                                QStringLiteral("doubleRateMain"), QStringLiteral("scrollRateMain"),
                                QStringLiteral("angleSnapMain"),  QStringLiteral("gestureCorrectionMain")};
const QStringList kReloadOrder = {QStringLiteral("keyMatrixMain"),         QStringLiteral("xySettingMain"),
                                  QStringLiteral("dpiSettingMain"),        QStringLiteral("angleSnapMain"),
                                  QStringLiteral("gestureCorrectionMain"), QStringLiteral("lightControlMain"),
                                  QStringLiteral("reprotRateMain"),        QStringLiteral("mouseRateMain"),
                                  QStringLiteral("doubleRateMain"),        QStringLiteral("scrollRateMain")};

// The frame items revealed after the start-up lock.
const QStringList kRevealed = {
    QStringLiteral("envItem"),    QStringLiteral("mainLogo"),     QStringLiteral("panelleft"),
    QStringLiteral("profileBtn"), QStringLiteral("flickableBar"), QStringLiteral("panelRightItem"),
    QStringLiteral("downItem"),   QStringLiteral("upItem"),       QStringLiteral("mouseMain")};

QStringList objectNames(const QVariant& list)
{
    QStringList names;
    for (const QVariant& entry : list.toList())
        names.append(entry.value<QObject*>()->objectName());
    return names;
}

QStringList suffixed(const QStringList& names, const QString& suffix)
{
    QStringList result;
    for (const QString& name : names)
        result.append(name + suffix);
    return result;
}

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<scene::Harness> harness;
    QStringList panelLog;
    std::vector<std::unique_ptr<PanelRecorder>> recorders;

    bool startScene(const QString& language = QStringLiteral("English"))
    {
        scene::Options options;
        options.language = language;
        harness = std::make_unique<scene::Harness>(options);
        return harness->start();
    }

    // Puts recorders in the panels' places, under the panels' own names.
    QMap<QString, PanelRecorder*> recordPanels()
    {
        QMap<QString, PanelRecorder*> byName;
        for (const QString& name : kSaveOrder) {
            recorders.push_back(std::make_unique<PanelRecorder>(name, &panelLog));
            byName.insert(name, recorders.back().get());
        }
        QList<QObject*> saveList;
        QList<QObject*> reloadList;
        for (const QString& name : kSaveOrder)
            saveList.append(byName.value(name));
        for (const QString& name : kReloadOrder)
            reloadList.append(byName.value(name));
        harness->root()->setProperty("savePanels", QVariant::fromValue(saveList));
        harness->root()->setProperty("reloadPanels", QVariant::fromValue(reloadList));
        return byName;
    }

    QQuickItem* item(const QString& name) const { return harness->item(name); }
    bool visible(const QString& name) const { return item(name) != nullptr && item(name)->isVisible(); }
    QString imageOf(const QString& name) const { return item(name)->property("source").toUrl().toString(); }

private slots:
    void init()
    {
        panelLog.clear();
        recorders.clear();
    }

    void cleanup()
    {
        harness.reset();
        recorders.clear();
    }

    void startUpShowsTheBusyTextThenTheFrame()
    {
        harness = std::make_unique<scene::Harness>();
        QVERIFY(harness->start(false));
        harness->clearWire(); // the connection's handshake is done; what follows is the scene's
        QVERIFY(QTest::qWaitFor([this] { return visible(QStringLiteral("protectUIItem")); }, 3000));
        QElapsedTimer locked;
        locked.start();
        for (const QString& name : kRevealed)
            QVERIFY2(!visible(name), qPrintable(name + QStringLiteral(" shows during the lock")));
        QVERIFY(!harness->view().isEnabled());
        QVERIFY(item(QStringLiteral("busyText"))->property("text").toString() ==
                QStringLiteral("LOADING ......"));

        QVERIFY(QTest::qWaitFor(
            [this] { return harness->value(QStringLiteral("mainIten"), "uiShown").toBool(); }, 3000));
        QVERIFY2(locked.elapsed() >= 80, qPrintable(QString::number(locked.elapsed())));
        for (const QString& name : kRevealed)
            QVERIFY2(visible(name), qPrintable(name + QStringLiteral(" stays hidden")));
        QVERIFY(!visible(QStringLiteral("protectUIItem")));
        QVERIFY(harness->view().isEnabled());
        QVERIFY(!visible(QStringLiteral("powerOnLogo")));
        QVERIFY(!visible(QStringLiteral("mainMask")));

        // The five on-device profiles are read in order, then the profile marker is written to block 0.
        const QList<j2::vm::WireEntry> sent = harness->sentReports();
        QStringList commands;
        QList<int> arguments;
        for (const j2::vm::WireEntry& entry : sent) {
            commands.append(QString::fromStdString(entry.command));
            arguments.append(entry.bytes.at(2));
        }
        QCOMPARE(commands, (QStringList{"readProfile", "readProfile", "readProfile", "readProfile",
                                        "readProfile", "setProfile"}));
        QCOMPARE(arguments, (QList<int>{0, 1, 2, 3, 4, 0}));
    }

    void languageTables_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("English keeps the built-in texts") << "English" << 0 << false;
        QTest::newRow("German from German.ini") << "German" << 1 << true;
        QTest::newRow("Russian from Russian.ini") << "Russian" << 2 << true;
        QTest::newRow("no such file keeps German and the built-in texts") << "Klingon" << 1 << false;
    }

    void languageTables()
    {
        QFETCH(QString, stored);
        QFETCH(int, language);
        QFETCH(bool, fromFile);
        QVERIFY(startScene(stored));
        QCOMPARE(harness->value(QStringLiteral("mainIten"), "language").toInt(), language);

        const QStringList mainLang = harness->value(QStringLiteral("mainIten"), "mainLang").toStringList();
        const QStringList macroLang =
            harness->value(QStringLiteral("macroEditorMain"), "macroEditorLang").toStringList();
        QCOMPARE(mainLang.size(), 40);
        if (!fromFile) {
            QCOMPARE(mainLang.at(0), QStringLiteral("Axis Sensitivity"));
            QCOMPARE(mainLang.at(39), QStringLiteral("Save"));
            QCOMPARE(macroLang.at(11), QStringLiteral("Cancel"));
            return;
        }
        QSettings file(harness->factoryFolder() + QStringLiteral("/modules/i18n/") + stored +
                           QStringLiteral(".ini"),
                       QSettings::IniFormat);
        for (int i : {0, 19, 26, 39})
            QCOMPARE(mainLang.at(i), file.value(QStringLiteral("main/%1").arg(i)).toString());
        QCOMPARE(macroLang.at(11), file.value(QStringLiteral("macroEditor/11")).toString());
        QCOMPARE(harness->value(QStringLiteral("keyMatrixMain"), "keyMatrixLang").toStringList().at(3),
                 file.value(QStringLiteral("keyMatrix/3")).toString());
        // The labels follow the table.
        QCOMPARE(harness->value(QStringLiteral("dpiSettingMain"), "title").toString(), mainLang.at(3));
    }

    void dragOnAnEmptyAreaMovesTheWindow()
    {
        QVERIFY(startScene());
        QSignalSpy emptyPresses(harness->root(), SIGNAL(emptyAreaPressed()));
        const QPoint start = harness->widget().pos();
        harness->drag(QPoint(500, 300), QPoint(37, -21), 5);
        QCOMPARE(harness->widget().pos() - start, QPoint(37, -21));
        QCOMPARE(emptyPresses.count(), 1);
        harness->drag(QPoint(400, 20), QPoint(-60, 45), 3);
        QCOMPARE(harness->widget().pos() - start, QPoint(-23, 24));
    }

    void saveSendsOnlyMarkedPanelsInOrder()
    {
        QVERIFY(startScene());
        QCOMPARE(objectNames(harness->root()->property("savePanels")), kSaveOrder);
        const QString normal = imageOf(QStringLiteral("saveButton"));
        QVERIFY(normal.endsWith(QStringLiteral("/index/modules/img/skin1/index/downBtn.png")));

        QMap<QString, PanelRecorder*> panels = recordPanels();
        panels.value(QStringLiteral("gestureCorrectionMain"))->setProperty("isSave", true);
        panels.value(QStringLiteral("dpiSettingMain"))->setProperty("isSave", true);
        panels.value(QStringLiteral("keyMatrixMain"))->setProperty("isSave", true);
        QVERIFY(imageOf(QStringLiteral("saveButton")).endsWith(QStringLiteral("/downBtnP.png")));

        harness->clearWire();
        harness->click(item(QStringLiteral("saveButton")));
        QCOMPARE(panelLog,
                 (QStringList{"keyMatrixMain:save", "dpiSettingMain:save", "gestureCorrectionMain:save"}));
        for (PanelRecorder* panel : panels)
            QVERIFY(!panel->isSave);
        harness->moveTo(QPoint(500, 300));
        QCOMPARE(imageOf(QStringLiteral("saveButton")), normal);

        // Nothing marked: nothing saved.
        harness->click(item(QStringLiteral("saveButton")));
        QCOMPARE(panelLog.size(), 3);
        QVERIFY(harness->sentReports().isEmpty());
    }

    void cancelReloadsEveryPanelAndSendsNothing()
    {
        QVERIFY(startScene());
        QCOMPARE(objectNames(harness->root()->property("reloadPanels")), kReloadOrder);
        QMap<QString, PanelRecorder*> panels = recordPanels();
        harness->clearWire();
        harness->click(item(QStringLiteral("cancelButton")));
        QCOMPARE(panelLog, suffixed(kReloadOrder, QStringLiteral(":load")));
        QVERIFY(harness->sentReports().isEmpty());
        QCOMPARE(item(QStringLiteral("cancelButton"))->findChildren<QQuickItem*>().isEmpty(), false);
    }

    void factoryResetLocksAndResends()
    {
        QVERIFY(startScene());
        recordPanels();
        const int profile = harness->value(QStringLiteral("profileMain"), "profileNo").toInt();
        {
            // A user's change in the current profile, which the reset must undo.
            std::unique_ptr<QSettings> file = harness->profileFile(profile);
            file->setValue(QStringLiteral("sensor/dpi_J2"), QStringLiteral("user value"));
        }
        harness->click(item(QStringLiteral("resetButton")));
        QVERIFY(visible(QStringLiteral("factorysure")));
        QVERIFY(visible(QStringLiteral("mainMask")));
        QCOMPARE(item(QStringLiteral("factorysure"))->position(), QPointF(269, 269));

        // Cancel changes nothing.
        harness->click(item(QStringLiteral("factoryCancelButton")));
        QVERIFY(!visible(QStringLiteral("factorysure")));
        QVERIFY(!visible(QStringLiteral("mainMask")));
        QVERIFY(panelLog.isEmpty());
        QCOMPARE(harness->profileFile(profile)->value(QStringLiteral("sensor/dpi_J2")).toString(),
                 QStringLiteral("user value"));

        harness->click(item(QStringLiteral("resetButton")));
        QElapsedTimer locked;
        locked.start();
        harness->click(item(QStringLiteral("factoryOkButton")));
        QVERIFY(!visible(QStringLiteral("factorysure")));
        QVERIFY(!visible(QStringLiteral("mainMask")));
        QVERIFY(visible(QStringLiteral("protectUIItem")));
        QVERIFY(!harness->view().isEnabled());
        QCOMPARE(panelLog, suffixed(kReloadOrder, QStringLiteral(":send")));
        const QSettings factory(harness->view().profileStore().factoryFile(), QSettings::IniFormat);
        QCOMPARE(harness->profileFile(profile)->value(QStringLiteral("sensor/dpi_J2")),
                 factory.value(QStringLiteral("sensor/dpi_J2")));

        QVERIFY(harness->waitUnlocked(4000));
        QVERIFY2(locked.elapsed() >= 1400, qPrintable(QString::number(locked.elapsed())));
    }

    void dialogsStayInsideTheWindow()
    {
        QVERIFY(startScene());
        harness->call("showLeftKeyWarning");
        QQuickItem* dialog = item(QStringLiteral("leftKeysure"));
        QVERIFY(dialog->isVisible());
        QVERIFY(visible(QStringLiteral("mainMask")));
        QCOMPARE(dialog->size(), QSizeF(427, 102));
        QCOMPARE(dialog->position(), QPointF(269, 269));

        const QPoint windowAt = harness->widget().pos();
        harness->drag(harness->windowPoint(dialog, QPointF(200, 50)), QPoint(-60, 40), 6);
        QCOMPARE(dialog->position(), QPointF(209, 309));
        harness->drag(harness->windowPoint(dialog, QPointF(200, 50)), QPoint(-900, -900), 6);
        QCOMPARE(dialog->position(), QPointF(0, 0));
        harness->drag(harness->windowPoint(dialog, QPointF(200, 50)), QPoint(600, 560), 6);
        QCOMPARE(dialog->position(), QPointF(1000 - 427, 640 - 102));
        QCOMPARE(harness->widget().pos(), windowAt); // dragging a dialog never moves the window

        // The mask around an open dialog drags the window, and leaves the dialog where it is in it.
        harness->drag(QPoint(100, 100), QPoint(25, 15), 3);
        QCOMPARE(harness->widget().pos(), windowAt + QPoint(25, 15));
        QCOMPARE(dialog->position(), QPointF(1000 - 427, 640 - 102));
        QVERIFY(visible(QStringLiteral("mainMask")));

        harness->click(item(QStringLiteral("leftKeyOkButton")));
        QVERIFY(!dialog->isVisible());
        QVERIFY(!visible(QStringLiteral("mainMask")));
    }

    void profileSwitchResendsOnClose()
    {
        QVERIFY(startScene());
        recordPanels();
        QQuickItem* profiles = item(QStringLiteral("profileMain"));
        harness->click(item(QStringLiteral("profileBtn")));
        QVERIFY(profiles->isVisible());
        QVERIFY(visible(QStringLiteral("mainMask")));
        QCOMPARE(profiles->position(), QPointF(0, 0));

        // The same profile again changes nothing, and closing does not lock.
        harness->clearWire();
        QMetaObject::invokeMethod(profiles, "changeProfile",
                                  Q_ARG(int, profiles->property("profileNo").toInt()));
        QMetaObject::invokeMethod(profiles, "closeUI");
        QVERIFY(panelLog.isEmpty());
        QVERIFY(!visible(QStringLiteral("protectUIItem")));
        QVERIFY(harness->sentReports().isEmpty());

        QMetaObject::invokeMethod(profiles, "changeProfile", Q_ARG(int, 3));
        QCOMPARE(profiles->property("profileNo").toInt(), 3);
        QCOMPARE(harness->appConfigFile()->value(QStringLiteral("J2/profileNo")).toInt(), 3);
        QCOMPARE(panelLog, suffixed(kReloadOrder, QStringLiteral(":load")));

        panelLog.clear();
        harness->clearWire();
        QMetaObject::invokeMethod(profiles, "closeUI");
        QVERIFY(visible(QStringLiteral("protectUIItem")));
        QCOMPARE(panelLog, suffixed(kReloadOrder, QStringLiteral(":send")));
        // Key table 0 selected last (command 02 carries the key table number).
        const j2::vm::WireEntry last = harness->sentReports().last();
        QCOMPARE(last.bytes.at(1), std::uint8_t(0x02));
        QCOMPARE(last.bytes.at(2), std::uint8_t(0));
        QVERIFY(harness->waitUnlocked(4000));

        // Once re-sent, another close leaves the lock alone.
        QMetaObject::invokeMethod(profiles, "closeUI");
        QVERIFY(!visible(QStringLiteral("protectUIItem")));
    }

    void closeHidesAndTheTrayBringsItBack()
    {
        QVERIFY(startScene());
        harness->hover(item(QStringLiteral("closeButton")));
        QVERIFY(imageOf(QStringLiteral("closeButton")).endsWith(QStringLiteral("/minBtnH.png")));
        harness->click(item(QStringLiteral("closeButton")));
        // Without a tray (as here, off screen) it only minimises; the tray's click brings it back either way.
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QTRY_VERIFY(!harness->widget().isVisible());
        else
            QTRY_VERIFY(harness->widget().isMinimized());
        harness->widget().trayIconActivated(QSystemTrayIcon::DoubleClick);
        QTRY_VERIFY(harness->widget().isVisible() && !harness->widget().isMinimized());
    }

    void helpMenuAndFocus()
    {
        QVERIFY(startScene());
        harness->click(item(QStringLiteral("askButton")));
        QVERIFY(visible(QStringLiteral("askMenu")));
        harness->click(item(QStringLiteral("askMenuRow2"))); // the version: only closes the menu
        QVERIFY(!visible(QStringLiteral("askMenu")));

        // A click on an empty area closes the open menus and forgets the highlighted button.
        harness->click(item(QStringLiteral("askButton")));
        item(QStringLiteral("keyMenuMain"))->setVisible(true);
        item(QStringLiteral("mouseMain"))->setProperty("selectKey", 4);
        item(QStringLiteral("colorBar"))->setVisible(true);
        harness->drag(QPoint(500, 300), QPoint(0, 0), 1);
        QVERIFY(!visible(QStringLiteral("askMenu")));
        QVERIFY(!visible(QStringLiteral("keyMenuMain")));
        QVERIFY(!visible(QStringLiteral("colorBar")));
        QCOMPARE(harness->value(QStringLiteral("mouseMain"), "selectKey").toInt(), -1);

        // "update" lets go of the mouse before the updater starts.
        QVERIFY(harness->widget().device().isWatchRunning());
        harness->click(item(QStringLiteral("askButton")));
        harness->click(item(QStringLiteral("askMenuRow1")));
        QVERIFY(!harness->widget().device().isWatchRunning());
    }

    void rightPanelScrollsAndFolds()
    {
        QVERIFY(startScene());
        QQuickItem* flickable = item(QStringLiteral("rightFlickable"));
        QQuickItem* bar = item(QStringLiteral("scrollBar"));
        QCOMPARE(flickable->height(), 563.0);
        QVERIFY(flickable->property("contentHeight").toReal() > 563);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->y(), 0.0);
        const qreal ratio = 563 / flickable->property("contentHeight").toReal();
        QVERIFY(qAbs(bar->height() - ratio * 563) < 0.5);

        // Dragging the bar down to the end scrolls the panel to its end, never past it.
        harness->drag(harness->windowPoint(bar), QPoint(0, 330), 6);
        const qreal end = flickable->property("contentHeight").toReal() - 563;
        QCOMPARE(flickable->property("contentY").toReal(), end);
        QVERIFY(qAbs(bar->y() + bar->height() - 563) < 1);

        // A panel's title bar folds it to its title and back, ignoring clicks while it moves.
        QQuickItem* panel = item(QStringLiteral("angleSnapMain"));
        const qreal full = panel->height();
        QQuickItem* title = panel->findChild<QQuickItem*>(QStringLiteral("frameTitle"));
        harness->click(title);
        harness->click(title); // while folding: ignored
        QTRY_COMPARE(panel->height(), 18.0);
        QVERIFY(!panel->property("isOpen").toBool());
        harness->click(title);
        QTRY_COMPARE(panel->height(), full);
    }
};

QTEST_MAIN(TestFrame)
#include "test_frame.moc"
