#pragma once

// The scene test harness: the real configurator (Widget, Ui_Controler, myQQuickView and the scene from the
// program's resources) on an in-process virtual mouse, with a settings root of its own seeded from the
// factory files of the source tree, as the program seeds a user's. Tests find scene items by objectName,
// press, move and drag with real mouse events sent through the window, and read the two oracles: the mouse's
// wire log and the files on disk.

#include "virtual_mouse.h"

#include <QPoint>
#include <QPointF>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <memory>

class QQuickItem;
class Widget;
class myQQuickView;

namespace scene {

struct Options
{
    // Written into the seeded apConfig.bin before the program starts: "common/language".
    QString language = QStringLiteral("English");
    // Written into the seeded apConfig.bin's numbered list when not empty ("common/total", "common/<i>").
    QVariantList appList;
    j2::vm::VirtualMouse::Options mouse;
    // Runs on the seeded settings root before the program starts; false fails the start.
    std::function<bool(const QString& settingsRoot)> seed;
};

// The answers the harness gives the program's file dialogs.
struct DialogAnswers
{
    QStringList open;
    QStringList save;
    QStringList warnings;
};

class Harness
{
public:
    explicit Harness(Options options = {});
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // Builds the window and runs the configurator's start-up. With `waitUntilShown` it returns once the
    // frame is revealed and the view accepts input (false when that takes longer than a few seconds).
    bool start(bool waitUntilShown = true);

    Widget& widget() const { return *window; }
    myQQuickView& view() const;
    QQuickItem* root() const;
    j2::vm::VirtualMouse& mouse() const { return *virtualMouse; }
    // The settings root (also the working folder while the harness runs).
    QString folder() const { return settingsRoot.filePath(QStringLiteral("settings")); }
    // The read-only factory files the program was given.
    static QString factoryFolder();

    // The scene item with this objectName (nullptr when there is none).
    QQuickItem* item(const QString& objectName) const;
    QVariant value(const QString& objectName, const char* property) const;
    // Calls a function of the root, the way the program does.
    QVariant call(const char* function, const QVariantList& arguments = {}) const;
    // Waits (bounded) until the scene's lock has ended.
    bool waitUnlocked(int timeoutMs = 5000) const;
    // Clicks Save and waits until its writes have ended and the lock is off again; false when that takes
    // longer than a few seconds.
    bool save();

    // Real mouse events, delivered through the window; points are in window coordinates.
    QPoint windowPoint(const QQuickItem* target, QPointF at = {-1, -1}) const; // default: the centre
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void moveTo(QPoint at); // with the buttons pressed so far
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void click(const QQuickItem* target, Qt::MouseButton button = Qt::LeftButton);
    void doubleClick(const QQuickItem* target);
    void hover(const QQuickItem* target);
    // Presses at `from` and moves the pointer by `delta` on the screen in `steps` moves, following the
    // window if it moves, then releases.
    void drag(QPoint from, QPoint delta, int steps = 4);

    // Feature reports sent on the control interface since the log was last cleared, once the last write
    // has ended.
    QList<j2::vm::WireEntry> sentReports() const;
    void clearWire() const;

    // The mouse's state once the last write has ended.
    j2::vm::DeviceState deviceState() const;
    // Scrolls the panel column holding `target` (if any) so that the whole item is in view.
    void reveal(const QQuickItem* target) const;

    // The import and export dialogs answer with these, in order (a cancel once they run out); warnings are
    // recorded instead of shown.
    void answerOpenDialog(const QString& path) { dialogAnswers->open.append(path); }
    void answerSaveDialog(const QString& path) { dialogAnswers->save.append(path); }
    QStringList warningsShown() const { return dialogAnswers->warnings; }

    // With J2_SCREENSHOT_DIR set, saves the window as <name>.png there, for a person to look at.
    void screenshot(const QString& name) const;

    // A fresh reader of a profile slot's file, and of the application configuration.
    std::unique_ptr<QSettings> profileFile(int slot) const;
    std::unique_ptr<QSettings> appConfigFile() const;

private:
    QTemporaryDir settingsRoot;
    std::shared_ptr<DialogAnswers> dialogAnswers = std::make_shared<DialogAnswers>();
    Options options;
    std::unique_ptr<j2::vm::VirtualMouse> virtualMouse;
    std::unique_ptr<Widget> window;
};

} // namespace scene
