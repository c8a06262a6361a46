// The view as the scene meets it: the slot interface, the queued start-up calls, the utility slots, and a
// device slot reached by name the way QML calls it, through the window that installs everything.

#include "device_flags.h"
#include "my_qquick_view.h"
#include "virtual_mouse.h"
#include "widget.h"

#include <QDir>
#include <QFile>
#include <QMetaMethod>
#include <QQmlContext>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QTest>

class TestView : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir folder;
    std::unique_ptr<j2::vm::VirtualMouse> mouse;
    std::unique_ptr<Widget> widget;
    myQQuickView* view() const { return widget->sceneView(); }

private slots:
    void initTestCase()
    {
        // A program folder of its own: the settings files and ./modules/img live here.
        QDir::setCurrent(folder.path());
        QDir().mkpath(QStringLiteral("modules/setting"));
        QFile config(QStringLiteral("modules/setting/apConfig.bin"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[common]\nname=J2 Test Title\n");
    }

    void init()
    {
        isDeviceFound = false;
        isDemoMode = false;
        isEncode = false;
        mouse = std::make_unique<j2::vm::VirtualMouse>();
        widget =
            std::make_unique<Widget>(std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(*mouse)));
    }

    void cleanup()
    {
        widget.reset();
        mouse.reset();
    }

    void installation()
    {
        QCOMPARE(view()->objectName(), QStringLiteral("ui_View"));
        QCOMPARE(widget->objectName(), QStringLiteral("Widget"));
        QVERIFY(widget->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(widget->testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(widget->size(), QSize(1000, 640));
        QCOMPARE(widget->windowTitle(), QStringLiteral("J2 Test Title"));
        QQmlContext* context = view()->rootContext();
        QCOMPARE(context->contextProperty(QStringLiteral("ui_View")).value<QObject*>(), view());
        QCOMPARE(context->contextProperty(QStringLiteral("hid")).value<QObject*>(), &widget->device());
        QVERIFY(context->contextProperty(QStringLiteral("ui_Ctl")).value<QObject*>() != nullptr);
    }

    void slotInterface()
    {
        const QMetaObject* meta = view()->metaObject();
        QStringList slotNames;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
            if (meta->method(i).methodType() == QMetaMethod::Slot &&
                meta->method(i).access() == QMetaMethod::Public)
                slotNames.append(QString::fromLatin1(meta->method(i).name()));
        QCOMPARE(slotNames.size(), 131);
        // Spot checks of the order the scene relies on.
        QCOMPARE(slotNames.at(0), QStringLiteral("syncFW"));
        QCOMPARE(slotNames.at(7), QStringLiteral("saveApConfig"));
        QCOMPARE(slotNames.at(14), QStringLiteral("getIsSkinShow"));
        QCOMPARE(slotNames.at(27), QStringLiteral("createMacroIni"));
        QCOMPARE(slotNames.at(39), QStringLiteral("sendMacroData"));
        QCOMPARE(slotNames.at(67), QStringLiteral("macroIncode"));
        QCOMPARE(slotNames.at(70), QStringLiteral("ui_03H_SetReportRate"));
        QCOMPARE(slotNames.at(96), QStringLiteral("getSensorType"));
        QCOMPARE(slotNames.at(100), QStringLiteral("setAcceleration"));
        QCOMPARE(slotNames.at(104), QStringLiteral("ui_0BH_SetCurrentDPIStage"));
        QCOMPARE(slotNames.at(117), QStringLiteral("getAcceleration"));
        QCOMPARE(slotNames.at(121), QStringLiteral("getScrollPinSwap"));
        QCOMPARE(slotNames.at(125), QStringLiteral("openUpdateExe"));
        QCOMPARE(slotNames.at(126), QStringLiteral("ui_91H_GetDPISet"));
        QCOMPARE(slotNames.at(130), QStringLiteral("ui_93H_GetMacroKey"));
        const QMetaMethod saveMacro =
            meta->method(meta->indexOfSlot("saveMacroIni(QVariant,QStringList,QVariantList,QVariant)"));
        QCOMPARE(saveMacro.parameterNames(), (QList<QByteArray>{"name", "macros", "macroData", "repeat"}));
    }

    void startUpCallIsQueued()
    {
        QQuickItem* root = view()->rootObject();
        QVERIFY(root != nullptr);
        QQuickItem* busy = root->findChild<QQuickItem*>(QStringLiteral("protectUIItem"));
        QVERIFY(busy != nullptr);
        view()->initUI();
        QVERIFY(!busy->isVisible()); // not before the event loop runs
        QTRY_VERIFY(busy->isVisible());
        QVERIFY(!view()->isEnabled());
        QTRY_VERIFY(root->property("uiShown").toBool());
        QVERIFY(view()->isEnabled());
    }

    void skinFolders()
    {
        QDir().mkpath(QStringLiteral("modules/img/skin1"));
        QVERIFY(!view()->getIsSkinShow());
        QDir().mkpath(QStringLiteral("modules/img/skin2"));
        QVERIFY(view()->getIsSkinShow());
    }

    void syncFWWithTheMouseWritesNothing()
    {
        const QString profile = view()->profileStore().slotFile(0);
        QFile::remove(profile);
        view()->syncFW();
        QVERIFY(!QFile::exists(profile) || QFile(profile).size() == 0);
    }

    // The scene's lists reach the stores only whole: a list too short for what a slot stores writes nothing.
    void shortListsWriteNothing_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QVariantList>("entries");
        QTest::newRow("gun data, five entries") << "saveGundata" << QVariantList{"G", 1, 2, 3, 4};
        QTest::newRow("gun data, empty") << "saveGundata" << QVariantList{};
        QTest::newRow("gun data rename, six entries") << "rename" << QVariantList{"H", 1, 2, 3, 4, 5};
        QTest::newRow("gun data remove, empty") << "remove" << QVariantList{};
        QTest::newRow("gun slots, two") << "setSelectGun" << QVariantList{9, 9};
        QTest::newRow("gun keys, five") << "setSelectGunKey" << QVariantList{9, 9, 9, 9, 9};
        QTest::newRow("macro config, index only") << "setMacroIniConfig" << QVariantList{9};
    }
    void shortListsWriteNothing()
    {
        QFETCH(QString, slot);
        QFETCH(QVariantList, entries);
        QDir().mkpath(QStringLiteral("modules/gun"));
        QDir().mkpath(QStringLiteral("modules/macro"));
        const QString gunData = QStringLiteral("modules/gun/gunData.bin");
        QFile::remove(gunData);
        QVERIFY(QFile(gunData).open(QIODevice::WriteOnly));
        view()->saveGundata({"G", 1, 2, 3, 4, 5});
        view()->setSelectGun({0, 1, 2});
        view()->setSelectGunKey({3, -1, 7, 2, 2, 1});
        view()->createMacroIni(QStringLiteral("M"), 4);
        const auto files = {gunData, view()->profileStore().slotFile(0),
                            QStringLiteral("modules/macro/M.bin")};
        QList<QByteArray> before;
        for (const QString& file : files) {
            QFile contents(file);
            QVERIFY2(contents.open(QIODevice::ReadOnly), qPrintable(file));
            before.append(contents.readAll());
        }
        QVERIFY(before.first().contains("G=1, 2, 3, 4, 5"));

        if (slot == "saveGundata")
            view()->saveGundata(entries);
        else if (slot == "rename")
            view()->modifyGundata(1, entries);
        else if (slot == "remove")
            view()->modifyGundata(0, entries);
        else if (slot == "setSelectGun")
            view()->setSelectGun(entries);
        else if (slot == "setSelectGunKey")
            view()->setSelectGunKey(entries);
        else
            view()->setMacroIniConfig(QStringLiteral("M"), entries);

        QList<QByteArray> after;
        for (const QString& file : files) {
            QFile contents(file);
            QVERIFY(contents.open(QIODevice::ReadOnly));
            after.append(contents.readAll());
        }
        QCOMPARE(after, before);
    }

    void deviceSlotByName()
    {
        widget->checkDevice();
        // The way QML calls it: by name, through the meta-object, reaching the mouse.
        QVERIFY(QMetaObject::invokeMethod(view(), "ui_0BH_SetCurrentDPIStage", Q_ARG(uchar, 3)));
        widget->device().waitForPendingWrite();
        QCOMPARE(mouse->state().currentDpiStage, uchar(3));
        QCOMPARE(view()->profileStore().current().value(QStringLiteral("sensor/stage_J2")).toInt(), 3);
    }
};

QTEST_MAIN(TestView)
#include "test_view.moc"
