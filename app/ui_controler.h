#pragma once

// The scene's hold on its frameless window: move, minimise and hide it, and lock the scene while a device
// operation runs. Exported to QML as "ui_Ctl".

#include <QObject>
#include <QPointer>
#include <QWidget>

class QQuickWidget;

class Ui_Controler : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Records the window and the scene it shows; the installation of the scene itself belongs to the view.
    void attach(QWidget* window, QQuickWidget* scene);
    QWidget* window() const { return windowWidget; }

public slots:
    void onMinimize();
    void onClose();
    void onXChanged(int x);
    void onYChanged(int y);
    void setBusy(int busyTime);
    void setBusy();

private:
    QPointer<QWidget> windowWidget;
    QPointer<QQuickWidget> view;
};
