// The performance and lighting panels as the user works them, through the real window on the virtual mouse:
// what each gesture shows, what Save sends and where it lands (the mouse's profile blocks, the profile
// file, the DPI notices), and what Cancel and the start-up leave marked.
//
// Pointer speed, double-click speed and scroll lines change the desktop's own settings when saved, so
// their panels are checked up to the value and the unsaved mark and never saved here.

#include "device_bridge.h"
#include "device_flags.h"
#include "my_qquick_view.h"
#include "profile_store.h"
#include "scene_harness.h"
#include "widget.h"

#include <QFile>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace pb = profile_block;

class TestPerformancePages : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<scene::Harness> harness;

    QQuickItem* item(const QString& name) const { return harness->item(name); }
    QVariant value(const QString& name, const char* property) const { return harness->value(name, property); }
    bool unsaved(const QString& panel) const { return value(panel, "isSave").toBool(); }
    void clickAt(const QString& name, QPointF at)
    {
        harness->reveal(item(name));
        const QPoint point = harness->windowPoint(item(name), at);
        harness->moveTo(point);
        harness->press(point);
        harness->release(point);
        QCoreApplication::processEvents();
    }
    void save() { QVERIFY(harness->save()); }
    j2::vm::Block128 block(int number) const { return harness->deviceState().profiles[std::size_t(number)]; }

private slots:
    void init()
    {
        harness = std::make_unique<scene::Harness>();
        QVERIFY(harness->start());
    }

    void cleanup() { harness.reset(); }

    void dpiStageDraggedToTheTopIsSavedAndNotified()
    {
        QQuickItem* slider = item(QStringLiteral("dpiSlider0"));
        const int shown = value(QStringLiteral("dpiValueText0"), "text").toInt();
        QCOMPARE(shown, int(dpiValues[0].load())); // the stage as the mouse holds it
        const qreal knobCentre = 162 - (shown - 200) * 154.0 / 16200;
        harness->drag(harness->windowPoint(slider, QPointF(10, knobCentre)), QPoint(0, -260), 5);
        QCOMPARE(value(QStringLiteral("dpiValueText0"), "text").toString(), QStringLiteral("16400"));
        QVERIFY(unsaved(QStringLiteral("dpiSettingMain")));
        QVERIFY(value(QStringLiteral("saveButton"), "source")
                    .toString()
                    .endsWith(QStringLiteral("downBtnP.png")));

        harness->clearWire();
        save();
        QVERIFY(!unsaved(QStringLiteral("dpiSettingMain")));
        // Stage flags to the five page blocks, then the DPI set to block 0, then the colours twice.
        QList<int> blocks;
        for (const j2::vm::WireEntry& entry : harness->sentReports())
            if (entry.command == "setProfile")
                blocks.append(entry.bytes.at(2));
        QCOMPARE(blocks, (QList<int>{0, 1, 2, 3, 4, 0, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4}));
        // Code 163 is above what a byte of the block holds whole: halved, with the stage's bit in byte 83.
        QCOMPARE(int(block(0)[pb::kDpiCodes]), 163 >> 1);
        QCOMPARE(int(block(0)[pb::kDpiCodesCopy]), 163 >> 1);
        QCOMPARE(block(0)[pb::kDpiHalved] & 0x01, 0x01);
        QCOMPARE(dpiValues[0].load(), 16400u);

        // The mouse's own DPI button now announces the new value for stage 1.
        QSignalSpy notices(&harness->widget(), &Widget::noticeShown);
        bool announced = false;
        for (int press = 0; press < 8 && !announced; ++press) {
            harness->mouse().pressDpiButton();
            QVERIFY(notices.wait(2000));
            announced = notices.last().at(1).toString().endsWith(QStringLiteral(" 16400"));
        }
        QVERIFY(announced);
    }

    void dpiTrackClickSetsTheBottomAtOnce()
    {
        QSignalSpy lock(item(QStringLiteral("protectUIItem")), SIGNAL(visibleChanged()));
        harness->drag(harness->windowPoint(item(QStringLiteral("dpiSlider3")), QPointF(10, 20)), QPoint(0, 0),
                      1);
        QVERIFY(value(QStringLiteral("dpiValueText3"), "text").toInt() > 14000);
        clickAt(QStringLiteral("dpiSlider3"), QPointF(10, 169)); // below the track: the bottom
        QCOMPARE(value(QStringLiteral("dpiValueText3"), "text").toString(), QStringLiteral("200"));
        save();
        // The Save's sixteen writes run under the busy lock.
        QVERIFY(harness->waitUnlocked(10000));
        QCOMPARE(lock.count(), 2);
        QCOMPARE(int(block(0)[pb::kDpiCodes + 3]), 1);
    }

    void stageFlagAndColourPicker()
    {
        clickAt(QStringLiteral("dpiFlag6"), QPointF(7, 7));
        QVERIFY(unsaved(QStringLiteral("dpiSettingMain")));
        QCOMPARE(value(QStringLiteral("dpiSettingMain"), "dpiFlags").toList().at(6).toBool(), false);
        item(QStringLiteral("mouseMain"))->setProperty("selectKey", 0);

        clickAt(QStringLiteral("dpiColor2"), QPointF(4, 4));
        QQuickItem* picker = item(QStringLiteral("colorBar"));
        QVERIFY(picker->isVisible());
        QCOMPARE(picker->x(), 98.0);
        QCOMPARE(picker->y(), 252.0);
        clickAt(QStringLiteral("colorPreset4"), QPointF(9, 9)); // "#00ffff"
        QCOMPARE(value(QStringLiteral("dpiSettingMain"), "dpiColors").toList().at(2).toString(),
                 QStringLiteral("#00ffff"));
        QCOMPARE(value(QStringLiteral("customColor"), "color").value<QColor>(),
                 QColor(QStringLiteral("#00ffff")));
        harness->screenshot(QStringLiteral("colour-picker"));
        // The hue bar: the far left is red.
        harness->drag(harness->windowPoint(item(QStringLiteral("hueBar")), QPointF(0, 6)), QPoint(-30, 0), 2);
        QCOMPARE(value(QStringLiteral("hueSlider"), "x").toInt(), -2);
        QCOMPARE(value(QStringLiteral("dpiSettingMain"), "dpiColors").toList().at(2).toString(),
                 QStringLiteral("#ff0000"));

        save();
        const j2::vm::Block128 first = block(0);
        QCOMPARE(int(first[pb::kStageColours + 6]), 0xff);
        QCOMPARE(int(first[pb::kStageColours + 7]), 0x00);
        QCOMPARE(int(first[pb::kStageColours + 8]), 0x00);
        QCOMPARE(int(first[pb::kStageMask]) & 0x40, 0); // stage 7 off

        // A click elsewhere closes the picker.
        harness->drag(QPoint(500, 300), QPoint(0, 0), 1);
        QVERIFY(!picker->isVisible());
    }

    void pollingRateByQuadrant()
    {
        QVERIFY(!unsaved(QStringLiteral("reprotRateMain"))); // cleared after the start-up load
        QQuickItem* selector = item(QStringLiteral("reportRateImage"));
        clickAt(QStringLiteral("reportRateImage"), QPointF(selector->width() / 4, selector->height() / 4));
        QCOMPARE(value(QStringLiteral("reprotRateMain"), "reportValue").toInt(), 8);
        QVERIFY(value(QStringLiteral("reportRateImage"), "source")
                    .toString()
                    .endsWith(QStringLiteral("/reportRateEn0.png")));
        save();
        QCOMPARE(int(harness->deviceState().functionOption[1]), 8);
        QCOMPARE(harness->profileFile(0)->value(QStringLiteral("sensor/reportRate_J2")).toInt(), 8);

        // Back to 1000 Hz without saving: Cancel shows 8 again and leaves nothing to save.
        clickAt(QStringLiteral("reportRateImage"),
                QPointF(selector->width() * 3 / 4, selector->height() / 4));
        QCOMPARE(value(QStringLiteral("reprotRateMain"), "reportValue").toInt(), 1);
        harness->click(item(QStringLiteral("cancelButton")));
        QCOMPARE(value(QStringLiteral("reprotRateMain"), "reportValue").toInt(), 8);
        QVERIFY(!unsaved(QStringLiteral("reprotRateMain")));

        // A switch to a profile with another rate marks it too; the re-send when the popup closes clears it.
        save();
        QVERIFY(!unsaved(QStringLiteral("reprotRateMain")));
        harness->click(item(QStringLiteral("profileBtn")));
        harness->click(item(QStringLiteral("profileNew")));
        QCOMPARE(value(QStringLiteral("reprotRateMain"), "reportValue").toInt(), 1); // the factory profile's
        QVERIFY(unsaved(QStringLiteral("reprotRateMain")));
        harness->click(item(QStringLiteral("profileClose")));
        QVERIFY(!unsaved(QStringLiteral("reprotRateMain")));
        QCOMPARE(int(harness->deviceState().functionOption[1]), 1);
    }

    // A change, then Cancel, then Save: the Save button is back to normal, nothing reaches the mouse or the
    // profile file, for every panel that keeps a pending value.
    void cancelLeavesNothingForSave_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QString>("panel");
        QTest::newRow("lighting") << "lightEffect1" << QPointF(7, 7) << "lightControlMain";
        QTest::newRow("polling rate") << "reportRateImage" << QPointF(20, 10) << "reprotRateMain";
        QTest::newRow("axis sensitivity") << "xSlider" << QPointF(205, 10) << "xySettingMain";
        QTest::newRow("angle snap") << "angleSnap1" << QPointF(7, 7) << "angleSnapMain";
        QTest::newRow("gesture") << "gestureSlider" << QPointF(40, 10) << "gestureCorrectionMain";
        QTest::newRow("DPI stage") << "dpiSlider3" << QPointF(10, 169) << "dpiSettingMain";
        QTest::newRow("scroll lines") << "scrollScreen" << QPointF(7, 7) << "scrollRateMain";
    }
    void cancelLeavesNothingForSave()
    {
        QFETCH(QString, control);
        QFETCH(QPointF, at);
        QFETCH(QString, panel);
        const j2::vm::Block128 before = block(0);
        const QString profileFile = harness->folder() + QStringLiteral("/modules/setting/p1.bin");
        QFile stored(profileFile);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray storedBefore = stored.readAll();
        stored.close();
        clickAt(control, at);
        QVERIFY(unsaved(panel));
        harness->click(item(QStringLiteral("cancelButton")));
        QVERIFY(!value(QStringLiteral("mainIten"), "savePending").toBool());
        harness->clearWire();
        save();
        QVERIFY(harness->sentReports().isEmpty());
        QCOMPARE(block(0), before);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), storedBefore);
    }

    void factoryResetSendsTheFactoryPages()
    {
        clickAt(QStringLiteral("xSlider"), QPointF(205, 10));
        save();
        QCOMPARE(int(block(0)[pb::kXSensitivity]), 200);
        harness->click(item(QStringLiteral("resetButton")));
        // A person clicks the polling rate 3 s into the re-send, well after its 1.5 s minimum lock: the
        // click must not be taken while the writes still go out.
        bool lockedAtTheClick = false;
        QTimer::singleShot(3000, harness->root(), [&] {
            lockedAtTheClick =
                !harness->view().isEnabled() && value(QStringLiteral("protectUIItem"), "visible").toBool();
            clickAt(QStringLiteral("reportRateImage"), QPointF(20, 10));
        });
        harness->click(item(QStringLiteral("factoryOkButton")));
        QVERIFY(harness->waitUnlocked(10000));
        QVERIFY(lockedAtTheClick);
        QVERIFY(harness->widget().device().deviceIsFree());
        QCOMPARE(int(harness->deviceState().functionOption[1]), 1); // the factory profile's 1000 Hz
        QVERIFY(!unsaved(QStringLiteral("reprotRateMain")));
        // The factory profile's step 4 is on the mouse again, and the page shows it.
        QCOMPARE(value(QStringLiteral("xySettingMain"), "xStep").toInt(), 4);
        QCOMPARE(int(block(0)[pb::kXSensitivity]), 100);
        QCOMPARE(value(QStringLiteral("dpiValueText0"), "text").toString(), QStringLiteral("400"));
    }

    void axisSensitivitySteps()
    {
        const int before = value(QStringLiteral("xySettingMain"), "xStep").toInt();
        const std::array<int, 10> centres = {10, 30, 52, 74, 95, 116, 137, 159, 180, 200};
        clickAt(QStringLiteral("xSlider"), QPointF(centres[std::size_t(before)], 10));
        QVERIFY(!unsaved(QStringLiteral("xySettingMain"))); // the step it already showed
        clickAt(QStringLiteral("xSlider"), QPointF(205, 10));
        clickAt(QStringLiteral("ySlider"), QPointF(2, 10));
        QCOMPARE(value(QStringLiteral("xySettingMain"), "xStep").toInt(), 9);
        QCOMPARE(value(QStringLiteral("xySettingMain"), "yStep").toInt(), 0);
        QVERIFY(value(QStringLiteral("xSlider"), "source").toString().endsWith(QStringLiteral("/xy9.png")));
        QVERIFY(unsaved(QStringLiteral("xySettingMain")));
        save();
        QCOMPARE(int(block(0)[pb::kXSensitivity]), 200);
        QCOMPARE(int(block(0)[pb::kYSensitivity]), 20);
        QCOMPARE(harness->view().getXYSensitive(0).toInt(), 9);
    }

    void angleSnapAndGestureGoTogether()
    {
        clickAt(QStringLiteral("angleSnap1"), QPointF(7, 7));
        QCOMPARE(value(QStringLiteral("angleSnapMain"), "angleSnapValue").toInt(), 1);
        clickAt(QStringLiteral("gestureSlider"), QPointF(40, 10));
        QCOMPARE(value(QStringLiteral("gestureCorrectionMain"), "gestureValue").toInt(), 1);
        QVERIFY(unsaved(QStringLiteral("angleSnapMain")));
        QVERIFY(unsaved(QStringLiteral("gestureCorrectionMain")));
        save();
        QCOMPARE(int(block(0)[pb::kAngleSnap]), int(pb::kAngleSnapOn));
        QCOMPARE(harness->view().ui_GetAngleSnap(), (QVariantList{1, 1}));
    }

    void lightingEffectAndLevel_data()
    {
        QTest::addColumn<QString>("effect");
        QTest::addColumn<qreal>("levelX");
        QTest::addColumn<QList<int>>("sent");
        QTest::newRow("Static at level 0 is off") << "lightEffect1" << 0.0 << QList<int>{0, 0, 0};
        QTest::newRow("Static at level 3") << "lightEffect1" << 95.0 << QList<int>{1, 3, 3};
        QTest::newRow("Breath at level 0") << "lightEffect2" << 0.0 << QList<int>{2, 1, 3};
        QTest::newRow("RGB at level 4") << "lightEffect3" << 129.0 << QList<int>{3, 5, 3};
    }

    void lightingEffectAndLevel()
    {
        QFETCH(QString, effect);
        QFETCH(qreal, levelX);
        QFETCH(QList<int>, sent);
        clickAt(effect, QPointF(7, 7));
        const QString level = QStringLiteral("lightLevel") + effect.right(1);
        // A level away from the wanted one first, so the slider always moves.
        clickAt(level, QPointF(levelX < 60 ? 122 : 4, 8));
        clickAt(level, QPointF(levelX, 8));
        QVERIFY(unsaved(QStringLiteral("lightControlMain")));
        save();
        const j2::vm::Block128 first = block(0);
        QCOMPARE((QList<int>{first[pb::kLedEffect], first[pb::kLedEffect + 1], first[pb::kLedEffect + 2]}),
                 sent);
    }

    void mousePictureViewsAndHighlight()
    {
        QVERIFY(item(QStringLiteral("mouseFront"))->isVisible());
        QVERIFY(value(QStringLiteral("mouseButton0"), "source")
                    .toString()
                    .endsWith(QStringLiteral("/Mouse0S.png")));
        item(QStringLiteral("mouseMain"))->setProperty("selectKey", 5);
        QVERIFY(value(QStringLiteral("mouseButton5"), "source")
                    .toString()
                    .endsWith(QStringLiteral("/Mouse3.png")));
        QVERIFY(value(QStringLiteral("topViewTab"), "source")
                    .toString()
                    .endsWith(QStringLiteral("/mouseSidebtnS.png")));

        harness->click(item(QStringLiteral("sideViewTab")));
        QVERIFY(value(QStringLiteral("mouseMain"), "isSide").toBool());
        QVERIFY(item(QStringLiteral("mouseSide"))->isVisible());
        QVERIFY(!item(QStringLiteral("mouseFront"))->isVisible());
        QVERIFY(value(QStringLiteral("sideViewTab"), "source")
                    .toString()
                    .endsWith(QStringLiteral("/mouseSidebtnS.png")));
        QVERIFY(item(QStringLiteral("mouseButton0")) == nullptr); // top buttons are not shown from the side
        item(QStringLiteral("mouseMain"))->setProperty("selectKey", 16);
        QVERIFY(value(QStringLiteral("mouseButton16"), "source")
                    .toString()
                    .endsWith(QStringLiteral("/MouseSide4.png")));
        QVERIFY(value(QStringLiteral("mouseButton23"), "source")
                    .toString()
                    .endsWith(QStringLiteral("/MouseSide11S.png")));
        QCOMPARE(item(QStringLiteral("mouseButton23"))->position(), QPointF(576, 310));
        harness->screenshot(QStringLiteral("side-view"));
    }

    void dialsAndScrollLines()
    {
        QQuickItem* dial = item(QStringLiteral("mouseRateMainDial"));
        QVERIFY(dial != nullptr);
        QQuickItem* picture = dial->findChild<QQuickItem*>(QStringLiteral("dialImage"));
        const qreal centre = picture->width() / 2;
        clickAt(QStringLiteral("mouseRateMainDial"), QPointF(centre + 40, 70)); // on the base line, right
        QCOMPARE(value(QStringLiteral("mouseRateMain"), "mouseRateValue").toInt(), 11);
        QVERIFY(picture->property("source").toString().endsWith(QStringLiteral("/mouseRate10.png")));
        QVERIFY(unsaved(QStringLiteral("mouseRateMain")));
        clickAt(QStringLiteral("mouseRateMainDial"), QPointF(centre - 40, 70)); // on the base line, left
        QCOMPARE(value(QStringLiteral("mouseRateMain"), "mouseRateValue").toInt(), 0);

        clickAt(QStringLiteral("scrollScreen"), QPointF(7, 7));
        QCOMPARE(value(QStringLiteral("scrollRateMain"), "lines").toInt(), 1000);
        QVERIFY(unsaved(QStringLiteral("scrollRateMain")));

        // The field takes three digits at most and no value above 100; leaving it sends its number.
        QQuickItem* field = item(QStringLiteral("scrollField"));
        clickAt(QStringLiteral("scrollField"), QPointF(10, 10));
        QVERIFY(value(QStringLiteral("mainIten"), "isScrollRateFocus").toBool());
        field->setProperty("text", QString());
        QTest::keyClicks(&harness->view(), QStringLiteral("2500"));
        QVERIFY(field->property("text").toInt() <= 100);
        QVERIFY(field->property("text").toString().size() <= 3);
        field->setProperty("text", QString());
        QTest::keyClicks(&harness->view(), QStringLiteral("42"));
        harness->drag(QPoint(500, 300), QPoint(0, 0), 1); // a click elsewhere ends the edit
        QVERIFY(!value(QStringLiteral("mainIten"), "isScrollRateFocus").toBool());
        QCOMPARE(value(QStringLiteral("scrollRateMain"), "lines").toInt(), 42);
        QCOMPARE(value(QStringLiteral("scrollRateMain"), "oneScreen").toBool(), false);
        clickAt(QStringLiteral("scrollUp"), QPointF(7, 5));
        QCOMPARE(field->property("text").toString(), QStringLiteral("43"));

        // Cancel puts every panel back as stored, sending nothing.
        harness->clearWire();
        harness->click(item(QStringLiteral("cancelButton")));
        QCOMPARE(value(QStringLiteral("mouseRateMain"), "mouseRateValue").toUInt(),
                 harness->view().getCursorSpeed());
        QCOMPARE(value(QStringLiteral("scrollRateMain"), "lines").toUInt(),
                 harness->view().getVerticalScrollLines());
        QVERIFY(harness->sentReports().isEmpty());
    }
};

QTEST_MAIN(TestPerformancePages)
#include "test_performance_pages.moc"
