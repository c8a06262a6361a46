#include "ui_controler.h"

#include "app_log.h"
#include "my_qquick_view.h"

#include <QDebug>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWidget>
#include <QSystemTrayIcon>
#include <QWindow>

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
    // The scene's corners outside the artwork's outline stay see-through, as the translucent window
    // intends; the view would clear them to white.
    installedView->setClearColor(Qt::transparent);
    installedView->setAttribute(Qt::WA_AlwaysStackOnTop);
    watchScene(installedView);
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
    watchScene(scene);
}

void Ui_Controler::watchScene(QQuickWidget* scene)
{
    if (view)
        view->removeEventFilter(this);
    view = scene;
    if (view)
        view->installEventFilter(this);
}

bool Ui_Controler::eventFilter(QObject* watched, QEvent* event)
{
    // Installed on the scene only, so every press here is the scene's. `watched` is not compared with the
    // guarded pointer: the view sends events through here while it is being destroyed, when it no longer is
    // a QQuickWidget that the guard could hand back.
    Q_UNUSED(watched)
    if (event->type() == QEvent::MouseButtonPress)
        drag = Drag::Undecided;
    return false;
}

void Ui_Controler::onMinimize()
{
    if (windowWidget)
        windowWidget->showMinimized();
}

void Ui_Controler::onClose()
{
    if (!windowWidget)
        return;
    // Hidden, not closed: the program stays in the tray and the window can come back. Without a tray there
    // would be no way back, so it only goes to the task bar.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        qCDebug(lcApp) << "window: no system tray to bring it back from; minimised instead of hidden";
        windowWidget->showMinimized();
        return;
    }
    windowWidget->setVisible(false);
}

void Ui_Controler::onXChanged(int x)
{
    moveBy(x, 0);
}

void Ui_Controler::onYChanged(int y)
{
    moveBy(0, y);
}

void Ui_Controler::moveBy(int dx, int dy)
{
    if (!windowWidget || (dx == 0 && dy == 0))
        return;
    // A Wayland compositor ignores a window placing itself; it moves the window itself when asked at the
    // start of a drag, and then follows the pointer without us. Where the system cannot (X11 without a
    // window manager that offers it), the drag moves the window step by step as before.
    if (drag == Drag::Undecided) {
        QWindow* handle = windowWidget->windowHandle();
        drag = handle != nullptr && handle->startSystemMove() ? Drag::BySystem : Drag::ByHand;
        if (drag == Drag::BySystem)
            qCDebug(lcApp) << "window: the system moves the window";
    }
    if (drag == Drag::ByHand)
        windowWidget->move(windowWidget->x() + dx, windowWidget->y() + dy);
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
