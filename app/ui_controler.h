#pragma once

// The scene's hold on its frameless window: move, minimise and hide it, and lock the scene while a device
// operation runs. Exported to QML as "ui_Ctl".

#include "my_qquick_view.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QQuickWidget;

class Ui_Controler : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    static inline const QUrl kSceneUrl = QUrl(QStringLiteral("qrc:modules/qml/main.qml"));

    // Installs the scene in the frameless, translucent window: the view, its source, the context properties
    // "ui_View", "hid" and "ui_Ctl", the window's size and title.
    void install(QWidget* window, QObject* hid, const StoreLocations& locations = {});
    // Records the window and the scene it shows (installation does this too).
    void attach(QWidget* window, QQuickWidget* scene);
    QWidget* window() const { return windowWidget; }
    myQQuickView* sceneView() const { return installedView; }

public slots:
    void onMinimize();
    void onClose();
    void onXChanged(int x);
    void onYChanged(int y);
    void setBusy(int busyTime);
    void setBusy();

protected:
    // Watches the scene for presses: each press starts a new drag, moved by the system or by hand.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // How the current drag moves the window: decided at its first motion.
    enum class Drag
    {
        Undecided,
        BySystem,
        ByHand
    };

    void watchScene(QQuickWidget* scene);
    void moveBy(int dx, int dy);

    Drag drag = Drag::Undecided;
    QPointer<QWidget> windowWidget;
    QPointer<QQuickWidget> view;
    QPointer<myQQuickView> installedView;
};
