#include "ui_controler.h"

#include <QQuickItem>
#include <QQuickWidget>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

class TestUiControler : public QObject
{
    Q_OBJECT
private slots:
    void windowSlotsWithoutWindowDoNothing()
    {
        Ui_Controler controler;
        controler.onMinimize();
        controler.onClose();
        controler.onXChanged(5);
        controler.setBusy(10);
        QVERIFY(controler.window() == nullptr);
    }

    void movesHidesAndLocks()
    {
        QTemporaryDir folder;
        const QString qml = folder.filePath(QStringLiteral("root.qml"));
        QFile file(qml);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("import QtQuick\nItem { width: 100; height: 50; property int protectTime: -7\n"
                   "function setProtectUI(busyTime) { protectTime = busyTime } }\n");
        file.close();

        QWidget window;
        window.move(100, 200);
        window.show();
        auto* scene = new QQuickWidget(&window);
        scene->setSource(QUrl::fromLocalFile(qml));
        QVERIFY2(scene->rootObject() != nullptr, "the test scene must load");
        Ui_Controler controler;
        controler.attach(&window, scene);

        const QPoint start = window.pos();
        controler.onXChanged(0);
        controler.onYChanged(0);
        QCOMPARE(window.pos(), start);
        controler.onXChanged(15);
        controler.onYChanged(-7);
        QCOMPARE(window.pos(), start + QPoint(15, -7));

        controler.setBusy(1500);
        QCOMPARE(scene->rootObject()->property("protectTime").toInt(), 1500);
        controler.setBusy();
        QCOMPARE(scene->rootObject()->property("protectTime").toInt(), 0);

        // Hidden into the tray where there is one; without, only minimised, or nothing would bring it back.
        controler.onClose();
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            QVERIFY(!window.isVisible());
        } else {
            QVERIFY(window.isVisible());
            QVERIFY(window.isMinimized());
        }
    }
};

QTEST_MAIN(TestUiControler)
#include "test_ui_controler.moc"
