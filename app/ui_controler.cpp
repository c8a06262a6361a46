#include "ui_controler.h"

#include "my_qquick_view.h"

#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWidget>

void Ui_Controler::install(QWidget* window, QObject* hid, const StoreLocations& locations)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("Widget"));
    windowWidget = window;
    window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    window->setWindowOpacity(1.0);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setStyleSheet(QStringLiteral("background:transparent;"));

    installedView = new myQQuickView(locations, window);
    installedView->setObjectName(QStringLiteral("ui_View"));
    view = installedView;
    // The scene calls nothing of ours until its initUI runs, so it may load before the properties exist.
    installedView->setSource(kSceneUrl);
    QQmlContext* context = installedView->rootContext();
    context->setContextProperty(QStringLiteral("ui_View"), installedView);
    context->setContextProperty(QStringLiteral("hid"), hid);
    context->setContextProperty(QStringLiteral("ui_Ctl"), this);
    window->resize(installedView->size());

    window->setWindowTitle(installedView->appConfig().windowTitle());
}

void Ui_Controler::attach(QWidget* window, QQuickWidget* scene)
{
    windowWidget = window;
    view = scene;
}

void Ui_Controler::onMinimize()
{
    if (windowWidget)
        windowWidget->showMinimized();
}

void Ui_Controler::onClose()
{
    // Hidden, not closed: the program stays in the tray and the window can come back.
    if (windowWidget)
        windowWidget->setVisible(false);
}

void Ui_Controler::onXChanged(int x)
{
    if (windowWidget)
        windowWidget->move(windowWidget->x() + x, windowWidget->y());
}

void Ui_Controler::onYChanged(int y)
{
    if (windowWidget)
        windowWidget->move(windowWidget->x(), windowWidget->y() + y);
}

void Ui_Controler::setBusy(int busyTime)
{
    if (!view || view->rootObject() == nullptr)
        return;
    QMetaObject::invokeMethod(view->rootObject(), "setProtectUI", Qt::DirectConnection,
                              Q_ARG(QVariant, QVariant(busyTime)));
}

void Ui_Controler::setBusy()
{
    setBusy(0);
}
