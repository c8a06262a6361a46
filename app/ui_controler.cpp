#include "ui_controler.h"

#include <QQuickItem>
#include <QQuickWidget>

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
