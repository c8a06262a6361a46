// The tray window with an in-process virtual mouse: detection, hot-plug polling and restoring the window.

#include "device_flags.h"
#include "user_event.h"
#include "virtual_mouse.h"
#include "widget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestWidget : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir folder;
    std::unique_ptr<j2::vm::VirtualMouse> mouse;
    std::unique_ptr<Widget> widget;

    void makeWidget()
    {
        mouse = std::make_unique<j2::vm::VirtualMouse>();
        widget =
            std::make_unique<Widget>(std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(*mouse)));
    }

private slots:
    void initTestCase() { QDir::setCurrent(folder.path()); } // no settings file: all defaults

    void init()
    {
        isDeviceFound = false;
        isDemoMode = false;
        isEncode = false;
        makeWidget();
    }

    void cleanup()
    {
        widget.reset();
        mouse.reset();
    }

    void trayIconAndMenu()
    {
        QSystemTrayIcon* tray = widget->trayIcon();
        QCOMPARE(tray->toolTip(), QStringLiteral("NORVEK SKARN MOUSE Q217"));
        QVERIFY(tray->contextMenu() != nullptr);
        const QList<QAction*> actions = tray->contextMenu()->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions.at(0)->text(), QStringLiteral("Show window"));
        QCOMPARE(actions.at(1)->text(), QStringLiteral("Quit (&Q)"));
        QVERIFY(!widget->windowIcon().isNull());
        QVERIFY(tray->contextMenu()->styleSheet().startsWith(QStringLiteral("QMenu { border: 1px solid")));
    }

    void detectionAndHotPlug()
    {
        QSignalSpy notices(widget.get(), &Widget::noticeShown);
        widget->checkDevice();
        QVERIFY(isDeviceFound.load());
        QVERIFY(notices.wait(1000));
        QCOMPARE(notices.takeFirst(),
                 (QList<QVariant>{QStringLiteral("Info"), QStringLiteral("Detect Mouse")}));

        // Another device coming and going while our mouse is watched changes nothing.
        widget->deviceChanged();
        QVERIFY(!widget->isPolling());

        mouse->unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!widget->device().isWatchRunning(), 1500);
        widget->deviceChanged();
        QVERIFY(widget->isPolling());
        mouse->plug();
        widget->deviceChanged(); // the last change restarts the wait
        QElapsedTimer timer;
        timer.start();
        QVERIFY(notices.wait(4000));
        QVERIFY2(timer.elapsed() >= Widget::kPollIntervalMs - 100,
                 qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(notices.takeFirst().at(1).toString(), QStringLiteral("Detect Mouse"));
        QVERIFY(widget->device().isWatchRunning());
    }

    // A click (Trigger, as StatusNotifier hosts send it), a double click or the menu's "Show window" bring
    // the window back, but only once the mouse has answered; the context menu's click does not.
    void trayRestoresOnlyAfterDetection_data()
    {
        QTest::addColumn<int>("reason"); // -1: the menu's "Show window"
        QTest::newRow("click") << int(QSystemTrayIcon::Trigger);
        QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick);
        QTest::newRow("Show window") << -1;
    }
    void trayRestoresOnlyAfterDetection()
    {
        QFETCH(int, reason);
        QAction* showAction = widget->trayIcon()->contextMenu()->actions().at(0);
        const auto activate = [&] {
            if (reason < 0)
                showAction->trigger();
            else
                widget->trayIconActivated(QSystemTrayIcon::ActivationReason(reason));
            QCoreApplication::processEvents();
        };
        widget->hide();
        activate();
        QVERIFY(!widget->isVisible());

        widget->checkDevice();
        widget->trayIconActivated(QSystemTrayIcon::Context);
        QCoreApplication::processEvents();
        QVERIFY(!widget->isVisible());
        activate();
        QTRY_VERIFY_WITH_TIMEOUT(widget->isVisible(), 1000);
    }

    void strangerHidesTheWindow()
    {
        cleanup();
        j2::vm::VirtualMouse::Options options;
        options.encode = true;
        options.secrecyCode = "QZ-731";
        mouse = std::make_unique<j2::vm::VirtualMouse>(options);
        widget =
            std::make_unique<Widget>(std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(*mouse)));
        widget->show();
        isEncode = true;
        QTest::ignoreMessage(QtDebugMsg, "Device Error");
        widget->device().chkDeviceIsEnCode();
        QVERIFY(!isDeviceFound.load());
        QVERIFY(!widget->isVisible());
    }
};

QTEST_MAIN(TestWidget)
#include "test_widget.moc"
