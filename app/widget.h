#pragma once

// The program's one top-level window: it owns the device object, sits in the notification area with its
// tray icon, re-detects the mouse when devices come and go, and shows the device's notices.

#include "hid_owner.h"
#include "hid_thread.h"
#include "ui_controler.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <memory>

class Widget : public QWidget, public HidOwner
{
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 2048;
    static constexpr int kNoticeMs = 10000;
    static inline const QString kTrayIconName = QStringLiteral("trayIcon.ico");
    static inline const QString kToolTip = QStringLiteral("NORVEK SKARN MOUSE Q217");
    // The name of the installed desktop entry and theme icon.
    static inline const QString kIconName = QStringLiteral("j2-configurator");

    // Talks to the mouse through `backend`, which the program's composition root chose, with the settings and
    // factory files under `locations` (the current folder by default).
    Widget(std::shared_ptr<j2::hid::Backend> backend, QWidget* parent = nullptr);
    Widget(const StoreLocations& locations, std::shared_ptr<j2::hid::Backend> backend,
           QWidget* parent = nullptr);
    ~Widget() override;

    Hid_Thread& device() { return hid; }
    myQQuickView* sceneView() const { return ui->sceneView(); }
    QSystemTrayIcon* trayIcon() const { return tray; }
    bool isPolling() const { return pollTimer.isActive(); }

    // Follows Shift and Alt across the reported key transitions; F12 pressed with both held brings the
    // hidden window back, wherever the focus is.
    void trackHotKey(int usage, bool isDown);

    // Brings the window back from the tray, the task bar or another start: only once the mouse has answered
    // (or the demo runs), as before that there is no scene to show. True when it is shown.
    bool restoreWindow();

    void showTrayMessage(const QString& title, const QString& text) override;
    void hideWindow() override;
    QString storedSecrecyCode(int did) override;

public slots:
    void trayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void checkDevice();
    // Some device came or went: detect again shortly after the last change, unless our mouse is watched.
    void deviceChanged();

signals:
    // Every notice, as it is handed to the tray icon (on the GUI thread).
    void noticeShown(const QString& title, const QString& text);

protected:
    void customEvent(QEvent* event) override;

private:
    void createTrayIcon(const QString& iconFile);
    void setIdentity(const QString& artworkFile);

    QTimer pollTimer;
    Ui_Controler* ui = nullptr;
    Hid_Thread hid;
    QSystemTrayIcon* tray = nullptr;
    bool shiftHeld = false;
    bool altHeld = false;
};

// The input hook's receivers, registered by the start-up code with the window as context: every key and
// button goes to the scene, every key also to the window's hot-key tracker.
void keyboardCallback(int usage, bool isDown, void* window);
void mouseCallback(unsigned code, bool isDown, int x, int y, void* window);
